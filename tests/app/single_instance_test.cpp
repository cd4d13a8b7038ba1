#include "app/single_instance.h"

#include <gtest/gtest.h>

#include "fake_named_mutex.h"

#ifdef _WIN32
#include "platform/win32/win32_named_mutex.h"
#endif

namespace mon {
namespace {

constexpr char16_t kName[] = u"TKORVALDZ314MONMAIN";

TEST(SingleInstanceTest, SecondStartIsRefusedUntilTheFirstHasEnded) {
  testing::TFakeNamedMutexes mutexes;
  auto first = TSingleInstance::Acquire(mutexes, kName);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(TSingleInstance::Acquire(mutexes, kName), nullptr);
  first->Release();
  first.reset();
  EXPECT_NE(TSingleInstance::Acquire(mutexes, kName), nullptr);
}

TEST(SingleInstanceTest, LosingTheCreationRaceAlsoEnds) {
  testing::TFakeNamedMutexes mutexes;
  mutexes.CreateRaceLost = true;
  EXPECT_EQ(TSingleInstance::Acquire(mutexes, kName), nullptr);
  EXPECT_EQ(mutexes.OpenCount(kName), 0);
}

#ifdef _WIN32
TEST(SingleInstanceWin32Test, RealMutexGuardsTheNameAndIsGoneAfterRelease) {
  win32::TWin32NamedMutexes mutexes;
  const std::u16string name = u"mon_single_instance_test_mutex";
  ASSERT_FALSE(mutexes.MutexExists(name));
  auto first = TSingleInstance::Acquire(mutexes, name);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(mutexes.MutexExists(name));
  EXPECT_EQ(TSingleInstance::Acquire(mutexes, name), nullptr);
  bool existed = false;
  EXPECT_EQ(mutexes.CreateOwnedMutex(name, existed), nullptr);
  EXPECT_TRUE(existed);
  first->Release();
  first.reset();
  EXPECT_FALSE(mutexes.MutexExists(name));
  EXPECT_NE(TSingleInstance::Acquire(mutexes, name), nullptr);
}
#endif

}  // namespace
}  // namespace mon
