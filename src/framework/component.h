// The small component model the monitor is built from: components with an owner, a name and a
// class name; owned components in creation order; text properties ("Caption", "Hint") read and
// written by name; forms, data modules and the application object; design mode and the loading
// state.
//
// Ownership here is a relation, not a lifetime: a component registers with its owner when it is
// constructed and leaves the owner's list when it is destroyed. Lifetime follows ordinary C++
// scope (components are usually members of their owner), so an owner never deletes anything.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mon {

class TComponent;

// An event that may be unassigned: call it only when it holds a target.
using TNotifyEvent = std::function<void(TComponent& Sender)>;

class TComponent {
 public:
  explicit TComponent(TComponent* AOwner);
  virtual ~TComponent();

  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const std::u16string& Name() const { return FName; }
  void SetName(std::u16string AName) { FName = std::move(AName); }

  // The class name as the framework reports it ("TuiProfile", "TForm", ...).
  virtual std::u16string ClassName() const { return u"TComponent"; }

  // Owned components in the order they were created.
  std::size_t ComponentCount() const { return FComponents.size(); }
  TComponent* Components(std::size_t AIndex) const { return FComponents.at(AIndex); }
  TComponent* FindComponent(std::u16string_view AName) const;

  // Published text properties by name. A component without the property yields nullopt (get)
  // or false (set); the base class publishes none.
  virtual std::optional<std::u16string> GetTextProperty(std::u16string_view AName) const;
  virtual bool SetTextProperty(std::u16string_view AName, const std::u16string& AValue);

  virtual bool IsForm() const { return false; }
  virtual bool IsDataModule() const { return false; }
  virtual bool IsApplication() const { return false; }

  // Design mode: set by a designing host for a component and everything it owns.
  bool IsDesigning() const { return FDesigning; }
  void SetDesigning(bool AValue);

  // Loading state: between BeginLoading and EndLoading the host is still applying stored
  // property values; EndLoading runs Loaded on the component and everything it owns.
  bool IsLoading() const { return FLoading; }
  void BeginLoading();
  void EndLoading();

  // Destruction notification, for whoever keeps the address of a component it does not own
  // (a process-wide list of forms, say). Each handler runs once, in the order added, when the
  // component is destroyed, before it leaves its owner. By then the derived parts of the
  // component are gone: a handler may use the address only to drop its references, never to
  // call the component. A handler must not throw (anything thrown is swallowed). Returns an id
  // for RemoveDestroyHandler; removing an unknown id does nothing. Main thread only.
  using TDestroyHandler = std::function<void(TComponent& AComponent)>;
  std::size_t AddDestroyHandler(TDestroyHandler AHandler);
  void RemoveDestroyHandler(std::size_t AId);

 protected:
  // Runs once after the stored property values have been applied.
  virtual void Loaded() {}

 private:
  TComponent* FOwner;
  std::u16string FName;
  std::vector<TComponent*> FComponents;
  std::vector<std::pair<std::size_t, TDestroyHandler>> FDestroyHandlers;
  std::size_t FNextDestroyHandlerId = 1;
  bool FDesigning = false;
  bool FLoading = false;
};

// A component with the two translatable text properties.
class TTextComponent : public TComponent {
 public:
  using TComponent::TComponent;
  std::u16string ClassName() const override { return u"TTextComponent"; }

  const std::u16string& Caption() const { return FCaption; }
  void SetCaption(std::u16string AValue) { FCaption = std::move(AValue); }
  const std::u16string& Hint() const { return FHint; }
  void SetHint(std::u16string AValue) { FHint = std::move(AValue); }

  std::optional<std::u16string> GetTextProperty(std::u16string_view AName) const override;
  bool SetTextProperty(std::u16string_view AName, const std::u16string& AValue) override;

 private:
  std::u16string FCaption;
  std::u16string FHint;
};

// A top-level window of the program.
class TForm : public TTextComponent {
 public:
  using TTextComponent::TTextComponent;
  std::u16string ClassName() const override { return u"TForm"; }
  bool IsForm() const override { return true; }
};

// A non-visual container of components (the profile manager is one).
class TDataModule : public TComponent {
 public:
  using TComponent::TComponent;
  std::u16string ClassName() const override { return u"TDataModule"; }
  bool IsDataModule() const override { return true; }
};

}  // namespace mon
