#include "hook/uiKeyCode.h"

#include <array>
#include <vector>

#include "framework/text.h"

namespace mon {

namespace {

constexpr std::int32_t kNoHID = -1;

struct TFixedRow {
  std::int32_t Code = 0;
  const char16_t* Name = nullptr;
  const char16_t* Description = nullptr;
  std::int32_t HID = 0;
  std::int32_t Extended = kNotExtended;
  std::int32_t ScanCode = 0;
};

// Rows of KeyTable that follow no rule.
const TFixedRow kKeyRows[] = {
    {0, u"VK_NULL", u"", kNoHID},
    {1, u"VK_LBUTTON", u"Mouse Left Click", kNoHID},
    {2, u"VK_RBUTTON", u"Mouse Right Click", kNoHID},
    {3, u"VK_CANCEL", u"Control Break", kNoHID},
    {4, u"VK_MBUTTON", u"Mouse Middle Click", kNoHID},
    {8, u"VK_BACK", u"BACKSPACE", 0x2A},
    {9, u"VK_TAB", u"TAB", 0x2B},
    {12, u"VK_CLEAR", u"CLEAR", 0x9C},
    {13, u"VK_RETURN", u"ENTER", 0x28},
    {16, u"VK_SHIFT", u"SHIFT", kNoHID},
    {17, u"VK_CONTROL", u"CTRL", kNoHID},
    {18, u"VK_MENU", u"ALT", kNoHID},
    {19, u"VK_PAUSE", u"PAUSE", 0x48},
    {20, u"VK_CAPITAL", u"CAPS LOCK", 0x39},
    {27, u"VK_ESCAPE", u"ESC", 0x29},
    {32, u"VK_SPACE", u"SPACEBAR", 0x2C},
    // Without the extended flag the navigation keys are those of the numeric keypad.
    {33, u"VK_PRIOR", u"PAGE UP", 0x61},
    {34, u"VK_NEXT", u"PAGE DOWN", 0x5B},
    {35, u"VK_END", u"END", 0x59},
    {36, u"VK_HOME", u"HOME", 0x5F},
    {37, u"VK_LEFT", u"LEFT ARROW", 0x5C},
    {38, u"VK_UP", u"UP ARROW", 0x60},
    {39, u"VK_RIGHT", u"RIGHT ARROW", 0x5E},
    {40, u"VK_DOWN", u"DOWN ARROW", 0x5A},
    {41, u"VK_SELECT", u"SELECT", kNoHID},
    {42, u"VK_PRINT", u"PRINT", kNoHID},
    {43, u"VK_EXECUTE", u"EXECUTE", kNoHID},
    {44, u"VK_SNAPSHOT", u"PRINT SCREEN", 0x46, kExtended},
    {45, u"VK_NUMPAD0_INSERT", u"Keypad 0 Insert", 0x62},
    {46, u"VK_DELETE", u"Keypad DEL", 0x63},
    {47, u"VK_HELP", u"HELP", kNoHID},
    {91, u"VK_LWIN", u"L WIN", 0xE3, kExtended},
    {92, u"VK_RWIN", u"R WIN", 0xE7, kExtended},
    {93, u"VK_APP", u"APP", 0x65, kExtended},
    {106, u"VK_MULTIPLY", u"Multiply", 0x55},
    {107, u"VK_ADD", u"+", 0x57},
    {108, u"VK_SEPARATOR", u"Separator", 0x97},
    {109, u"VK_SUBTRACT", u"-", 0x56},
    {110, u"VK_DECIMAL", u"Decimal", 0x63},
    {111, u"VK_DIVIDE", u"Divide", 0x54, kExtended},
    {144, u"VK_NUMLOCK", u"NUM LOCK", 0x53, kExtended},
    {145, u"VK_SCROLL", u"Scroll Lock", 0x47},
    {160, u"VK_LSHIFT", u"L SHIFT", 0xE1},
    {161, u"VK_RSHIFT", u"R SHIFT", 0xE5, kExtended},
    {162, u"VK_LCONTROL", u"L CTRL", 0xE0},
    {163, u"VK_RCONTROL", u"R CTRL", 0xE4, kExtended},
    {164, u"VK_LMENU", u"L ALT", 0xE2},
    {165, u"VK_RMENU", u"R ALT", 0xE6, kExtended},
    // Browser, volume, media and launch keys: usages of the Consumer page.
    {166, u"VK_BROWSER_BACK", u"BROWSER_BACK", 0x224, kExtended},
    {167, u"VK_BROWSER_FORWARD", u"BROWSER_FORWARD", 0x225, kExtended},
    {168, u"VK_BROWSER_REFRESH", u"BROWSER_REFRESH", 0x227, kExtended},
    {169, u"VK_BROWSER_STOP", u"BROWSER_STOP", 0x226, kExtended},
    {170, u"VK_BROWSER_SEARCH", u"BROWSER_SEARCH", 0x221, kExtended},
    {171, u"VK_BROWSER_FAVORITES", u"BROWSER_FAVORITES", 0x22A, kExtended},
    {172, u"VK_BROWSER_HOME", u"BROWSER_HOME", 0x223, kExtended},
    {173, u"VK_VOLUME_MUTE", u"VOLUME_MUTE", 0xE2, kExtended},
    {174, u"VK_VOLUME_DOWN", u"VOLUME_DOWN", 0xEA, kExtended},
    {175, u"VK_VOLUME_UP", u"VOLUME_UP", 0xE9, kExtended},
    {176, u"VK_MEDIA_NEXT_TRACK", u"MEDIA_NEXT_TRACK", 0xB5, kExtended},
    {177, u"VK_MEDIA_PREV_TRACK", u"MEDIA_PREV_TRACK", 0xB6, kExtended},
    {178, u"VK_MEDIA_STOP", u"MEDIA_STOP", 0xB7, kExtended},
    {179, u"VK_MEDIA_PLAY_PAUSE", u"MEDIA_PLAY_PAUSE", 0xCD, kExtended},
    {180, u"VK_LAUNCH_MAIL", u"LAUNCH_MAIL", 0x18A, kExtended},
    {181, u"VK_LAUNCH_MEDIA_SELECT", u"LAUNCH_MEDIA_SELECT", 0x183, kExtended},
    {182, u"VK_LAUNCH_APP1", u"LAUNCH_APP1", 0x194, kExtended},
    {183, u"VK_LAUNCH_APP2", u"LAUNCH_APP2", 0x192, kExtended},
    {186, u"VK_OEM_1", u";:", 0x33, kNotExtended, 0x27},
    {187, u"VK_OEM_PLUS", u"+=", 0x2E, kNotExtended, 0x0D},
    {188, u"VK_OEM_COMMA", u",<", 0x36, kNotExtended, 0x33},
    {189, u"VK_OEM_MINUS", u"-_", 0x2D, kNotExtended, 0x0C},
    {190, u"VK_OEM_PERIOD", u".>", 0x37, kNotExtended, 0x34},
    {191, u"VK_OEM_2", u"/?", 0x38, kNotExtended, 0x35},
    {192, u"VK_OEM_3", u"~`", 0x35, kNotExtended, 0x29},
    {219, u"VK_OEM_4", u"[{", 0x2F, kNotExtended, 0x1A},
    {220, u"VK_OEM_5", u"\\|", 0x31, kNotExtended, 0x2B},
    {221, u"VK_OEM_6", u"]}", 0x30, kNotExtended, 0x1B},
    {222, u"VK_OEM_7", u"'\"", 0x34, kNotExtended, 0x28},
    {223, u"VK_OEM_8", u"None", kNoHID},
    {225, u"VK_OEM_AX", u"AX", kNoHID},
    {226, u"VK_OEM_102", u"Europe 2 (Note 2)", 0x64, kNotExtended, 0x56},
};

// Rows of ExtendedKeyTable: the dedicated keys that share their code with a keypad key.
const TFixedRow kExtendedKeyRows[] = {
    {13, u"VK_RETURN", u"ENTER", 0x58, kExtended},  // keypad Enter
    {33, u"VK_PRIOR", u"PAGE UP", 0x4B, kExtended},
    {34, u"VK_NEXT", u"PAGE DOWN", 0x4E, kExtended},
    {35, u"VK_END", u"END", 0x4D, kExtended},
    {36, u"VK_HOME", u"HOME", 0x4A, kExtended},
    {37, u"VK_LEFT", u"LEFT ARROW", 0x50, kExtended},
    {38, u"VK_UP", u"UP ARROW", 0x52, kExtended},
    {39, u"VK_RIGHT", u"RIGHT ARROW", 0x4F, kExtended},
    {40, u"VK_DOWN", u"DOWN ARROW", 0x51, kExtended},
    {45, u"VK_INSERT", u"INS", 0x49, kExtended},
    {46, u"VK_DELETE", u"DEL", 0x4C, kExtended},
    // The power key: Keyboard Power of the Keyboard/Keypad page.
    {255, u"VK_POWER", u"POWER", 0x66, kExtended, 0x5E},
};

// Codes without a key: named by their two hexadecimal digits, described as "Undefined".
constexpr std::array<std::pair<int, int>, 10> kUndefinedRuns{{{5, 7},
                                                              {10, 11},
                                                              {14, 15},
                                                              {21, 26},
                                                              {28, 31},
                                                              {58, 64},
                                                              {94, 95},
                                                              {136, 143},
                                                              {146, 159},
                                                              {224, 224}}};

std::u16string Hex(int AValue, int ADigits) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text(static_cast<std::size_t>(ADigits), u'0');
  for (int i = ADigits - 1; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[AValue & 0xF];
    AValue >>= 4;
  }
  return text;
}

void Put(std::vector<TKeyboardInfoTable>& ATable, const TFixedRow& ARow) {
  ATable[static_cast<std::size_t>(ARow.Code)] = {ARow.Name,     ARow.Code, ARow.ScanCode,
                                                 ARow.Extended, ARow.HID,  ARow.Description};
}

std::vector<TKeyboardInfoTable> Defaults(std::int32_t AExtended) {
  std::vector<TKeyboardInfoTable> table(kKeyTableSize);
  for (int i = 0; i < kKeyTableSize; ++i) {
    table[static_cast<std::size_t>(i)] = {u"VK_UNDEFINED_" + Hex(i, 3), i, 0, AExtended, kNoHID,
                                          u"UNDEFINED_" + Hex(i, 3)};
  }
  return table;
}

void PutRun(std::vector<TKeyboardInfoTable>& ATable, int AFirstCode, int ACount,
            const std::u16string& ANamePrefix, const std::u16string& ADescriptionPrefix,
            int AFirstNumber, const std::array<std::int32_t, 26>& AHIDCodes) {
  for (int i = 0; i < ACount; ++i) {
    const std::u16string number = IntToText(AFirstNumber + i);
    auto& entry = ATable[static_cast<std::size_t>(AFirstCode) + static_cast<std::size_t>(i)];
    entry = {ANamePrefix + number,
             AFirstCode + i,
             0,
             kNotExtended,
             AHIDCodes[static_cast<std::size_t>(i)],
             ADescriptionPrefix + number};
  }
}

std::vector<TKeyboardInfoTable> BuildKeyTable() {
  auto table = Defaults(kNotExtended);
  for (const auto& [first, last] : kUndefinedRuns) {
    for (int code = first; code <= last; ++code) {
      table[static_cast<std::size_t>(code)] = {
          u"VK_UNDEFINED_" + Hex(code, 2), code, 0, kNotExtended, kNoHID, u"Undefined"};
    }
  }
  // Digits: HID usages 0x1E..0x26 for 1..9, 0x27 for 0.
  std::array<std::int32_t, 26> hid{};
  hid[0] = 0x27;
  for (int i = 1; i <= 9; ++i) {
    hid[static_cast<std::size_t>(i)] = 0x1D + i;
  }
  PutRun(table, 48, 10, u"VK_", u"", 0, hid);
  // Letters: usages 0x04..0x1D; names are the letters themselves.
  for (int i = 0; i < 26; ++i) {
    const std::u16string letter(1, static_cast<char16_t>(u'A' + i));
    table[65 + static_cast<std::size_t>(i)] = {u"VK_" + letter, 65 + i,   0,
                                               kNotExtended,    0x04 + i, letter};
  }
  // Numeric keypad: 0x62 for 0, 0x59..0x61 for 1..9.
  hid.fill(0);
  hid[0] = 0x62;
  for (int i = 1; i <= 9; ++i) {
    hid[static_cast<std::size_t>(i)] = 0x58 + i;
  }
  PutRun(table, 96, 10, u"VK_NUMPAD", u"NUMPAD ", 0, hid);
  // Function keys: F1..F12 at 0x3A..0x45, F13..F24 at 0x68..0x73.
  for (int i = 0; i < 12; ++i) {
    hid[static_cast<std::size_t>(i)] = 0x3A + i;
  }
  PutRun(table, 112, 12, u"VK_F", u"F", 1, hid);
  for (int i = 0; i < 12; ++i) {
    hid[static_cast<std::size_t>(i)] = 0x68 + i;
  }
  PutRun(table, 124, 12, u"VK_F", u"F", 13, hid);
  for (const auto& row : kKeyRows) {
    Put(table, row);
  }
  return table;
}

std::vector<TKeyboardInfoTable> BuildExtendedKeyTable() {
  auto table = Defaults(kExtended);
  for (const auto& row : kExtendedKeyRows) {
    Put(table, row);
  }
  return table;
}

struct TKeyTables {
  std::vector<TKeyboardInfoTable> Keys = BuildKeyTable();
  std::vector<TKeyboardInfoTable> ExtendedKeys = BuildExtendedKeyTable();
};

// Built by the first caller; concurrent first callers wait for that one build.
const TKeyTables& Tables() {
  static const TKeyTables tables;
  return tables;
}

}  // namespace

std::span<const TKeyboardInfoTable> KeyTable() {
  return Tables().Keys;
}
std::span<const TKeyboardInfoTable> ExtendedKeyTable() {
  return Tables().ExtendedKeys;
}

const TKeyboardInfoTable* SelectKeyEntry(std::int32_t AVKCode, std::int32_t ASelector) {
  if (AVKCode < 0 || AVKCode >= kKeyTableSize) {
    return nullptr;
  }
  const auto index = static_cast<std::size_t>(AVKCode);
  const TKeyTables& tables = Tables();
  if (ASelector == 0 || ASelector == kNotExtended) {
    return &tables.Keys[index];
  }
  if (ASelector == 1 || ASelector == kExtended) {
    // A key that exists only as an extended key keeps its KeyTable entry.
    return tables.Keys[index].Extended == kExtended ? &tables.Keys[index]
                                                    : &tables.ExtendedKeys[index];
  }
  return &tables.ExtendedKeys[index];
}

std::u16string GetKeyDescription(std::int32_t AVKCode, std::int32_t ASelector) {
  const TKeyboardInfoTable* entry = SelectKeyEntry(AVKCode, ASelector);
  return entry != nullptr ? entry->KeyDescription : std::u16string();
}

std::uint32_t GetKeyHIDCode(std::int32_t AVKCode, std::int32_t ASelector) {
  const TKeyboardInfoTable* entry = SelectKeyEntry(AVKCode, ASelector);
  if (entry == nullptr || entry->HIDCode == kNoHID) {
    return 0;
  }
  return static_cast<std::uint32_t>(entry->HIDCode);
}

}  // namespace mon
