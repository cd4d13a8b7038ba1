// The main window's simple components: a timer, a popup menu with its items, and the
// notification-area icon. They sit on the component model so the language component can walk
// them (menu items are translated by their owner, not by the walk).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/component.h"
#include "platform/desktop.h"

namespace mon {

// A window timer; disabling and enabling again starts the interval anew.
class TTimer : public TComponent {
 public:
  TTimer(TComponent* AOwner, TMessageWindow& AWindow, std::uintptr_t ATimerId);
  ~TTimer() override;
  std::u16string ClassName() const override { return u"TTimer"; }

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue);
  std::uint32_t Interval() const { return FInterval; }
  void SetInterval(std::uint32_t AValue);
  std::uintptr_t TimerId() const { return FTimerId; }

  TNotifyEvent OnTimer;

  // Called by the window when its timer ATimerId fires; false when it is not this timer's.
  bool Fired(std::uintptr_t ATimerId);

 private:
  TMessageWindow& FWindow;
  std::uintptr_t FTimerId;
  std::uint32_t FInterval = 1000;
  bool FEnabled = false;
};

class TMenuItem : public TTextComponent {
 public:
  using TTextComponent::TTextComponent;
  std::u16string ClassName() const override { return u"TMenuItem"; }
  bool Visible = true;
  TNotifyEvent OnClick;
};

// Its items are the menu items it owns, in creation order.
class TPopupMenu : public TComponent {
 public:
  using TComponent::TComponent;
  std::u16string ClassName() const override { return u"TPopupMenu"; }
  bool AutoHotkeys = false;
  TMenuItem* Item(std::size_t AIndex) const;
  std::size_t ItemCount() const;
  // Shows the menu through ATray and runs the chosen item's OnClick.
  void Popup(TTrayIcon& ATray);
  // Runs the OnClick of item AIndex when there is such an item and it is visible.
  void RunItem(std::size_t AIndex);
};

// The notification-area icon: a left click raises OnClick, a right click opens PopupMenu.
class TTrayIconComponent : public TComponent, public TTrayIconEvents {
 public:
  TTrayIconComponent(TComponent* AOwner, TDesktop& ADesktop, TAppWindow& AWindow);
  std::u16string ClassName() const override { return u"TTrayIcon"; }

  void SetVisible(bool AValue);
  bool Visible() const { return FIcon->IsShown(); }
  void SetHint(const std::u16string& AHint) { FIcon->SetHint(AHint); }
  void SetIcon(const std::optional<std::u16string>& APath, TTrayIconState AState,
               TTaskbarTheme ATheme) {
    FIcon->SetIcon(APath, AState, ATheme);
  }
  void ShowNotice(const std::u16string& ATitle, const std::u16string& AText) {
    FIcon->ShowNotice(ATitle, AText);
  }

  TPopupMenu* PopupMenu = nullptr;
  TNotifyEvent OnClick;

  void TrayClicked() override;
  void TrayMenuRequested() override;
  void TrayMenuItemChosen(std::size_t AIndex) override;

 private:
  std::unique_ptr<TTrayIcon> FIcon;
};

}  // namespace mon
