// A binary of its own, so that these lookups really are the first ones of the process.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "hook/uiKeyCode.h"

namespace mon {
namespace {

TEST(KeyCodeTest, FirstLookupsFromManyThreadsBuildTheTablesOnce) {
  std::vector<std::thread> threads;
  std::vector<std::u16string> seen(8);
  for (std::size_t t = 0; t < seen.size(); ++t) {
    threads.emplace_back([&seen, t] { seen[t] = GetKeyDescription(39, 1); });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  for (const auto& text : seen) {
    EXPECT_EQ(text, u"RIGHT ARROW");
  }
}

}  // namespace
}  // namespace mon
