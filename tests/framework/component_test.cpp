#include "framework/component.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "framework/application.h"

namespace mon {
namespace {

class TLoadRecorder : public TComponent {
 public:
  using TComponent::TComponent;
  int LoadedCalls = 0;
  bool WasLoadingInLoaded = true;

 protected:
  void Loaded() override {
    ++LoadedCalls;
    WasLoadingInLoaded = IsLoading();
  }
};

TEST(ComponentTest, OwnedComponentsKeepCreationOrderAndLeaveWhenDestroyed) {
  TForm form(nullptr);
  TTextComponent first(&form);
  first.SetName(u"First");
  auto second = std::make_unique<TTextComponent>(&form);
  second->SetName(u"Second");
  TTextComponent third(&form);
  ASSERT_EQ(form.ComponentCount(), 3u);
  EXPECT_EQ(form.Components(1), second.get());
  EXPECT_EQ(form.FindComponent(u"First"), &first);

  second.reset();
  ASSERT_EQ(form.ComponentCount(), 2u);
  EXPECT_EQ(form.Components(1), &third);
  EXPECT_EQ(form.FindComponent(u"Second"), nullptr);
}

TEST(ComponentTest, ComponentOutlivingItsOwnerLosesTheOwner) {
  auto owner = std::make_unique<TForm>(nullptr);
  TTextComponent child(owner.get());
  owner.reset();
  EXPECT_EQ(child.Owner(), nullptr);
}

TEST(ComponentTest, DestroyHandlersRunOnceInOrderUnlessRemoved) {
  std::vector<int> calls;
  TComponent* seen = nullptr;
  auto form = std::make_unique<TForm>(nullptr);
  TForm* const address = form.get();
  form->AddDestroyHandler([&](TComponent& AComponent) {
    seen = &AComponent;
    calls.push_back(1);
  });
  const std::size_t removed = form->AddDestroyHandler([&](TComponent&) { calls.push_back(2); });
  form->AddDestroyHandler([&](TComponent&) {
    calls.push_back(3);
    throw std::runtime_error("swallowed");
  });
  form->AddDestroyHandler([&](TComponent&) { calls.push_back(4); });
  form->RemoveDestroyHandler(removed);
  form->RemoveDestroyHandler(999);  // unknown: nothing
  form.reset();
  EXPECT_EQ(calls, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(seen, address);
}

TEST(ComponentTest, TextPropertiesByName) {
  TTextComponent label(nullptr);
  EXPECT_TRUE(label.SetTextProperty(u"Caption", u"OK"));
  EXPECT_TRUE(label.SetTextProperty(u"Hint", u"Press"));
  EXPECT_FALSE(label.SetTextProperty(u"Text", u"x"));
  EXPECT_EQ(label.GetTextProperty(u"Caption"), u"OK");
  EXPECT_EQ(label.Hint(), u"Press");
  EXPECT_EQ(label.GetTextProperty(u"caption"), std::nullopt);  // names are exact

  TComponent plain(nullptr);
  EXPECT_EQ(plain.GetTextProperty(u"Caption"), std::nullopt);
}

TEST(ComponentTest, EndLoadingRunsLoadedOnceOnEveryComponentAfterTheStateIsCleared) {
  TForm form(nullptr);
  TLoadRecorder child(&form);
  form.BeginLoading();
  EXPECT_TRUE(child.IsLoading());
  form.EndLoading();
  EXPECT_EQ(child.LoadedCalls, 1);
  EXPECT_FALSE(child.WasLoadingInLoaded);
  EXPECT_FALSE(form.IsLoading());
}

TEST(ComponentTest, DesignModeReachesOwnedAndLaterComponents) {
  TForm form(nullptr);
  TComponent before(&form);
  form.SetDesigning(true);
  TComponent after(&form);
  EXPECT_TRUE(before.IsDesigning());
  EXPECT_TRUE(after.IsDesigning());
}

TEST(ApplicationTest, CentralHandlerReceivesTheExceptionText) {
  TApplication application;
  std::u16string seen;
  application.OnException = [&](const std::u16string& AMessage) { seen = AMessage; };
  try {
    throw std::runtime_error("broken report");
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
  EXPECT_EQ(seen, u"broken report");
  EXPECT_EQ(Application(), &application);
}

}  // namespace
}  // namespace mon
