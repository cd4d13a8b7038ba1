#include "hook/uiKeyCode.h"

#include <gtest/gtest.h>

namespace mon {
namespace {

TEST(KeyCodeTest, NavigationKeysDifferBetweenKeypadAndDedicatedKey) {
  EXPECT_EQ(GetKeyDescription(13, 0), u"ENTER");
  EXPECT_EQ(GetKeyHIDCode(13, 0), 0x28u);
  EXPECT_EQ(GetKeyHIDCode(13, 1), 0x58u);
  EXPECT_EQ(GetKeyDescription(45, 0), u"Keypad 0 Insert");
  EXPECT_EQ(GetKeyHIDCode(45, 224), 0x62u);
  EXPECT_EQ(GetKeyDescription(45, 1), u"INS");
  EXPECT_EQ(GetKeyHIDCode(45, 225), 0x49u);
  EXPECT_EQ(GetKeyDescription(46, 0), u"Keypad DEL");
  EXPECT_EQ(GetKeyDescription(46, 1), u"DEL");
  EXPECT_EQ(GetKeyHIDCode(37, 0), 0x5Cu);
  EXPECT_EQ(GetKeyHIDCode(37, 1), 0x50u);
}

TEST(KeyCodeTest, SelectorRules) {
  // Keys that exist only as extended keys answer from KeyTable for either flag.
  EXPECT_EQ(GetKeyDescription(111, 1), u"Divide");
  EXPECT_EQ(GetKeyDescription(111, 0), u"Divide");
  EXPECT_EQ(GetKeyDescription(173, 1), u"VOLUME_MUTE");
  EXPECT_EQ(GetKeyHIDCode(173, 1), 0xE2u);
  // Other keys with the extended flag fall to the ExtendedKeyTable defaults.
  EXPECT_EQ(GetKeyDescription(65, 1), u"UNDEFINED_041");
  EXPECT_EQ(GetKeyHIDCode(65, 1), 0u);
  // Any other selector reads ExtendedKeyTable directly, even for extended-only keys.
  EXPECT_EQ(GetKeyDescription(111, 7), u"UNDEFINED_06F");
  EXPECT_EQ(GetKeyDescription(13, -1), u"ENTER");
  EXPECT_EQ(GetKeyHIDCode(13, 2), 0x58u);
}

TEST(KeyCodeTest, CodesOutsideTheTablesAndKeysWithoutUsage) {
  EXPECT_EQ(GetKeyDescription(16, 0), u"SHIFT");
  EXPECT_EQ(GetKeyHIDCode(16, 0), 0u);
  EXPECT_EQ(GetKeyDescription(300, 0), u"");
  EXPECT_EQ(GetKeyHIDCode(300, 0), 0u);
  EXPECT_EQ(GetKeyDescription(-1, 0), u"");
  EXPECT_EQ(GetKeyHIDCode(-1, 1), 0u);
  EXPECT_EQ(GetKeyDescription(299, 0), u"UNDEFINED_12B");
  EXPECT_EQ(GetKeyDescription(0, 0), u"");
}

TEST(KeyCodeTest, DefaultsAndUndefinedRunsAreNamedByTheirCode) {
  EXPECT_EQ(GetKeyDescription(184, 0), u"UNDEFINED_0B8");
  EXPECT_EQ(KeyTable()[184].VKName, u"VK_UNDEFINED_0B8");
  EXPECT_EQ(GetKeyDescription(5, 0), u"Undefined");
  EXPECT_EQ(KeyTable()[5].VKName, u"VK_UNDEFINED_05");
  EXPECT_EQ(KeyTable()[224].VKName, u"VK_UNDEFINED_E0");
  EXPECT_EQ(KeyTable()[159].KeyDescription, u"Undefined");
  EXPECT_EQ(KeyTable()[193].KeyDescription, u"UNDEFINED_0C1");
  EXPECT_EQ(ExtendedKeyTable()[65].Extended, kExtended);
  EXPECT_EQ(KeyTable()[65].Extended, kNotExtended);
}

TEST(KeyCodeTest, RuleRunsOfDigitsLettersKeypadAndFunctionKeys) {
  EXPECT_EQ(GetKeyHIDCode('0', 0), 0x27u);
  EXPECT_EQ(GetKeyHIDCode('1', 0), 0x1Eu);
  EXPECT_EQ(GetKeyHIDCode('9', 0), 0x26u);
  EXPECT_EQ(KeyTable()['7'].VKName, u"VK_7");
  EXPECT_EQ(GetKeyHIDCode('A', 0), 0x04u);
  EXPECT_EQ(GetKeyHIDCode('Z', 0), 0x1Du);
  EXPECT_EQ(GetKeyDescription('Q', 0), u"Q");
  EXPECT_EQ(GetKeyDescription(96, 0), u"NUMPAD 0");
  EXPECT_EQ(GetKeyHIDCode(96, 0), 0x62u);
  EXPECT_EQ(GetKeyHIDCode(97, 0), 0x59u);
  EXPECT_EQ(GetKeyHIDCode(105, 0), 0x61u);
  EXPECT_EQ(KeyTable()[105].VKName, u"VK_NUMPAD9");
  EXPECT_EQ(GetKeyDescription(112, 0), u"F1");
  EXPECT_EQ(GetKeyHIDCode(123, 0), 0x45u);
  EXPECT_EQ(GetKeyDescription(124, 0), u"F13");
  EXPECT_EQ(GetKeyHIDCode(124, 0), 0x68u);
  EXPECT_EQ(GetKeyHIDCode(135, 0), 0x73u);
  EXPECT_EQ(KeyTable()[135].VKName, u"VK_F24");
}

TEST(KeyCodeTest, ConsumerKeysOemKeysAndThePowerKey) {
  EXPECT_EQ(GetKeyHIDCode(0xAC, 1), 0x223u);  // browser home
  EXPECT_EQ(GetKeyHIDCode(0xB3, 1), 0xCDu);   // play/pause
  EXPECT_EQ(GetKeyHIDCode(0xB5, 1), 0x183u);  // media select
  EXPECT_EQ(GetKeyDescription(192, 0), u"~`");
  EXPECT_EQ(GetKeyDescription(220, 0), u"\\|");
  EXPECT_EQ(GetKeyDescription(222, 0), u"'\"");
  EXPECT_EQ(KeyTable()[226].ScanCode, 0x56);
  EXPECT_EQ(GetKeyHIDCode(223, 0), 0u);
  EXPECT_EQ(ExtendedKeyTable()[255].VKName, u"VK_POWER");
  EXPECT_EQ(ExtendedKeyTable()[255].ScanCode, 0x5E);
  EXPECT_EQ(GetKeyDescription(255, 1), u"POWER");
  EXPECT_EQ(GetKeyHIDCode(255, 1), 0x66u);
  EXPECT_EQ(GetKeyDescription(255, 0), u"UNDEFINED_0FF");
}

TEST(KeyCodeTest, EveryEntrySitsAtItsOwnCodeAndTheFixedRowsAreThere) {
  ASSERT_EQ(KeyTable().size(), 300u);
  ASSERT_EQ(ExtendedKeyTable().size(), 300u);
  int fixed = 0;
  for (int i = 0; i < kKeyTableSize; ++i) {
    EXPECT_EQ(KeyTable()[static_cast<std::size_t>(i)].VKCode, i);
    EXPECT_EQ(ExtendedKeyTable()[static_cast<std::size_t>(i)].VKCode, i);
    fixed +=
        KeyTable()[static_cast<std::size_t>(i)].KeyDescription.rfind(u"UNDEFINED_", 0) != 0 ? 1 : 0;
  }
  EXPECT_EQ(fixed, 199);
}

}  // namespace
}  // namespace mon
