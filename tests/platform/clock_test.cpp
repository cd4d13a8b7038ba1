#include "platform/clock.h"

#include <gtest/gtest.h>

namespace mon {
namespace {

TEST(ClockTest, DateTimeValueCountsDaysSinceTheEndOf1899) {
  EXPECT_DOUBLE_EQ(ToDateTimeValue({1899, 12, 30, 0, 0, 0, 0}), 0.0);
  EXPECT_DOUBLE_EQ(ToDateTimeValue({2000, 1, 1, 12, 0, 0, 0}), 36526.5);
  EXPECT_DOUBLE_EQ(ToDateTimeValue({1900, 3, 1, 6, 0, 0, 0}), 61.25);  // no 29 Feb 1900
  EXPECT_DOUBLE_EQ(ToDateTimeValue({1899, 12, 29, 0, 0, 0, 0}), -1.0);
  EXPECT_NEAR(ToDateTimeValue({2026, 12, 8, 23, 59, 59, 999}) - 46364.0, 86399.999 / 86400.0, 1e-9);
}

}  // namespace
}  // namespace mon
