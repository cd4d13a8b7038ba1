#include "app/form_components.h"

#include <gtest/gtest.h>

#include "fake_desktop.h"

namespace mon {
namespace {

class TNoEvents : public TAppWindowEvents {
 public:
  bool HandleAppMessage(std::uint32_t, std::uintptr_t, std::intptr_t) override { return false; }
  void TimerFired(std::uintptr_t) override {}
};

class FormComponentsTest : public ::testing::Test {
 protected:
  testing::TFakeDesktop FDesktop;
  TNoEvents FEvents;
  std::unique_ptr<TAppWindow> FWindowOwner = FDesktop.CreateAppWindow({}, FEvents);
  testing::TFakeAppWindow& FWindow = static_cast<testing::TFakeAppWindow&>(*FWindowOwner);
  TForm FForm{nullptr};
};

TEST_F(FormComponentsTest, TimerRestartsOnReEnableAndIgnoresOtherIds) {
  TTimer timer(&FForm, FWindow, 7);
  timer.SetInterval(1500);
  int fired = 0;
  timer.OnTimer = [&](TComponent&) { ++fired; };
  EXPECT_FALSE(FWindow.IsTimerRunning(7));
  timer.SetEnabled(true);
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  EXPECT_EQ(FWindow.TimerStarts, 2);
  EXPECT_EQ(FWindow.TimerInterval(7), 1500u);
  EXPECT_FALSE(timer.Fired(8));
  EXPECT_TRUE(timer.Fired(7));
  EXPECT_EQ(fired, 1);
  timer.SetEnabled(false);
  EXPECT_TRUE(timer.Fired(7));  // a message already queued when it was stopped: no event
  EXPECT_EQ(fired, 1);
}

TEST_F(FormComponentsTest, RightClickShowsVisibleItemsAndRunsTheChosenOne) {
  TTrayIconComponent tray(&FForm, FDesktop, FWindow);
  TPopupMenu menu(&FForm);
  TMenuItem config(&menu), about(&menu), exitItem(&menu);
  config.SetCaption(u"Config");
  about.SetCaption(u"About");
  about.Visible = false;
  exitItem.SetCaption(u"Exit");
  int exits = 0;
  int abouts = 0;
  exitItem.OnClick = [&](TComponent&) { ++exits; };
  about.OnClick = [&](TComponent&) { ++abouts; };
  tray.PopupMenu = &menu;

  FDesktop.LastTrayIcon->NextMenuChoice = 2;
  FDesktop.LastTrayIcon->Events.TrayMenuRequested();
  ASSERT_EQ(FDesktop.LastTrayIcon->LastMenu.size(), 3u);
  EXPECT_FALSE(FDesktop.LastTrayIcon->LastMenu[1].Visible);
  EXPECT_EQ(exits, 1);

  FDesktop.LastTrayIcon->NextMenuChoice = 1;  // a hidden item can never run
  FDesktop.LastTrayIcon->Events.TrayMenuRequested();
  FDesktop.LastTrayIcon->NextMenuChoice = 9;
  FDesktop.LastTrayIcon->Events.TrayMenuRequested();
  EXPECT_EQ(abouts, 0);
  EXPECT_EQ(exits, 1);
}

// A shell that shows the menu itself reports the chosen index later: it runs the same item, and
// a hidden or unknown index runs nothing.
TEST_F(FormComponentsTest, ItemChosenFromTheShellsMenuRunsThatItem) {
  TTrayIconComponent tray(&FForm, FDesktop, FWindow);
  TPopupMenu menu(&FForm);
  TMenuItem config(&menu), about(&menu), exitItem(&menu);
  about.Visible = false;
  int configs = 0;
  int abouts = 0;
  int exits = 0;
  config.OnClick = [&](TComponent&) { ++configs; };
  about.OnClick = [&](TComponent&) { ++abouts; };
  exitItem.OnClick = [&](TComponent&) { ++exits; };

  FDesktop.LastTrayIcon->Events.TrayMenuItemChosen(0);  // no menu yet: nothing
  tray.PopupMenu = &menu;
  FDesktop.LastTrayIcon->Events.TrayMenuItemChosen(2);
  FDesktop.LastTrayIcon->Events.TrayMenuItemChosen(1);
  FDesktop.LastTrayIcon->Events.TrayMenuItemChosen(3);
  EXPECT_EQ(configs, 0);
  EXPECT_EQ(abouts, 0);
  EXPECT_EQ(exits, 1);
}

TEST_F(FormComponentsTest, LeftClickRaisesOnClick) {
  TTrayIconComponent tray(&FForm, FDesktop, FWindow);
  int clicks = 0;
  tray.OnClick = [&](TComponent&) { ++clicks; };
  tray.SetVisible(true);
  EXPECT_TRUE(tray.Visible());
  FDesktop.LastTrayIcon->Events.TrayClicked();
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace mon
