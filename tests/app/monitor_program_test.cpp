// The monitor's run on the fake platform: a start that cannot make its main window.
#include "app/monitor_program.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/shared_definitions.h"
#include "fake_platform.h"

namespace mon::testing {
namespace {

TEST(MonitorProgramTest, AMainWindowThatCannotBeMadeEndsTheStartThroughTheErrorHandler) {
  TFakePlatform platform;
  platform.Desktop.FailWindowCreation = true;
  EXPECT_EQ(RunMonitorProgram(platform.Platform()), 1);
  ASSERT_EQ(platform.MessageBox.Shown.size(), 1u);
  EXPECT_EQ(platform.MessageBox.Shown[0].Icon, TMessageBoxIcon::Error);
  EXPECT_EQ(platform.MessageBox.Shown[0].Text, u"the main window cannot be created");
  EXPECT_EQ(platform.Debug.Lines().back(), u"the main window cannot be created");
  // The failed start left no guard behind: the next start runs.
  EXPECT_FALSE(platform.Mutexes.MutexExists(MON_MAIN_CLASS));
  platform.Desktop.FailWindowCreation = false;
  EXPECT_EQ(RunMonitorProgram(platform.Platform()), 0);
  const auto& shown = platform.MessageBox.Shown;
  EXPECT_EQ(std::count_if(
                shown.begin(), shown.end(),
                [](const auto& ABox) { return ABox.Text == u"the main window cannot be created"; }),
            1);
}

}  // namespace
}  // namespace mon::testing
