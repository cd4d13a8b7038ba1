// Names and HID usage codes of the Windows virtual-key codes 0..299.
//
// Two tables of 300 entries each: KeyTable for keys as they arrive without the extended-key
// flag, ExtendedKeyTable for the dedicated keys that arrive with it (Enter, the navigation
// block, Insert, Delete). Built once on first use; safe when the first lookups come from several
// threads at once, read-only afterwards.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace mon {

inline constexpr int kKeyTableSize = 300;
inline constexpr std::int32_t kNotExtended = 224;  // 0xE0
inline constexpr std::int32_t kExtended = 225;     // 0xE1

struct TKeyboardInfoTable {
  std::u16string VKName;
  std::int32_t VKCode = 0;
  std::int32_t ScanCode = 0;  // not used by the lookups
  std::int32_t Extended = kNotExtended;
  std::int32_t HIDCode = -1;  // -1: the key has no HID usage
  std::u16string KeyDescription;
};

std::span<const TKeyboardInfoTable> KeyTable();
std::span<const TKeyboardInfoTable> ExtendedKeyTable();

// The entry a lookup uses. ASelector is the hook's extended flag (0 or 1) or an Extended value
// (224 or 225): 0/224 select KeyTable; 1/225 select KeyTable when that entry exists only as an
// extended key, else ExtendedKeyTable; any other value selects ExtendedKeyTable. nullptr for
// codes outside 0..299.
const TKeyboardInfoTable* SelectKeyEntry(std::int32_t AVKCode, std::int32_t ASelector);

// The text shown for the key; empty for codes outside 0..299.
std::u16string GetKeyDescription(std::int32_t AVKCode, std::int32_t ASelector);

// The key's HID usage code; 0 when it has none or the code is outside 0..299.
std::uint32_t GetKeyHIDCode(std::int32_t AVKCode, std::int32_t ASelector);

}  // namespace mon
