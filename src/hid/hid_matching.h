// Which HID interfaces an operation of the HID component acts on: the include list of hardware
// IDs from config.ini and the device-ID rules. Hardware IDs compare as whole strings without
// regard to letter case; a prefix or substring never matches.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/ini_file.h"
#include "platform/file_system.h"
#include "platform/locale.h"

namespace mon {

// The include list is read from keys "id1".."id101" of this section.
inline constexpr std::u16string_view kIncludeHIDDeviceListSection = u"IncludeHIDDeviceList";
inline constexpr int kMaxIncludeHIDDevices = 101;

// The include list of AConfig: the values of "id1", "id2", ... in order, up to the first key
// that is missing or empty, at most 101 entries.
std::vector<std::u16string> ReadIncludeHIDDeviceList(const TIniFile& AConfig);

// The include list of config.ini beside the executable; empty when the file or the section is
// missing.
std::vector<std::u16string> LoadIncludeHIDDeviceList(TFileSystem& AFiles, TLocale& ALocale);

// True when AHardwareIds holds AId (whole string, any letter case).
bool HasHardwareId(const std::vector<std::u16string>& AHardwareIds, std::u16string_view AId);

// Include-list rule: an empty include list lets every interface pass; otherwise one entry must
// equal one of the interface's hardware IDs.
bool PassesIncludeList(const std::vector<std::u16string>& AIncludeList,
                       const std::vector<std::u16string>& AHardwareIds);

// How an operation matches interfaces by ID.
enum class THidIdRule {
  // A requested ID other than "" and "*" must be among the hardware IDs; "" and "*" leave the
  // decision to the include list.
  DeviceIdOrIncludeList,
  // A requested ID other than "" and "*" must be among the hardware IDs; "" and "*" let every
  // interface pass. The include list is not consulted.
  DeviceIdOnly,
  // The include list alone decides; the requested ID is not looked at.
  IncludeListOnly,
};

bool PassesIdRule(THidIdRule ARule, const std::vector<std::u16string>& AIncludeList,
                  std::u16string_view ARequestedId,
                  const std::vector<std::u16string>& AHardwareIds);

}  // namespace mon
