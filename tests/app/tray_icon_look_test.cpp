// The taskbar's colours as the registry keeps them, whatever another program left there.
#include "app/tray_icon_look.h"

#include <gtest/gtest.h>

#include "fake_registry.h"

namespace mon::testing {
namespace {

TEST(TaskbarThemeTest, OnlyTheDWordOneIsALightTaskbar) {
  const struct {
    TRegistryValueType Type;
    std::vector<std::uint8_t> Bytes;
    TTaskbarTheme Theme;
  } cases[] = {
      {kRegistryDWord, {1, 0, 0, 0}, TTaskbarTheme::Light},
      {kRegistryDWord, {0, 0, 0, 0}, TTaskbarTheme::Dark},
      {kRegistryDWord, {2, 0, 0, 0}, TTaskbarTheme::Dark},
      {kRegistryDWord, {1, 0, 0, 1}, TTaskbarTheme::Dark},  // 0x01000001
      {kRegistryDWord, {1, 0}, TTaskbarTheme::Dark},        // too short
      {kRegistryString, {'1', 0}, TTaskbarTheme::Dark},
      {kRegistryBinary, {1, 0, 0, 0}, TTaskbarTheme::Dark},
  };
  for (const auto& one : cases) {
    TMemoryRegistry registry;
    registry.SetValue(kRegistryCurrentUser, kPersonalizeKeyPath, kSystemUsesLightThemeValueName,
                      one.Type, one.Bytes);
    EXPECT_EQ(ReadTaskbarTheme(registry), one.Theme)
        << "type " << one.Type << ", " << one.Bytes.size() << " bytes";
  }
  // Systems before Windows 10 have neither the value nor, perhaps, the key.
  TMemoryRegistry empty;
  EXPECT_EQ(ReadTaskbarTheme(empty), TTaskbarTheme::Dark);
  empty.SetValue(kRegistryCurrentUser, kPersonalizeKeyPath, u"AppsUseLightTheme", kRegistryDWord,
                 {1, 0, 0, 0});
  EXPECT_EQ(ReadTaskbarTheme(empty), TTaskbarTheme::Dark);
  // A registry that cannot be read.
  TMemoryRegistry failing;
  failing.SetValue(kRegistryCurrentUser, kPersonalizeKeyPath, kSystemUsesLightThemeValueName,
                   kRegistryDWord, {1, 0, 0, 0});
  failing.FailOpen(true);
  EXPECT_EQ(ReadTaskbarTheme(failing), TTaskbarTheme::Dark);
}

}  // namespace
}  // namespace mon::testing
