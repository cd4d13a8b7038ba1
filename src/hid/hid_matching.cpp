#include "hid/hid_matching.h"

#include <algorithm>

#include "framework/text.h"
#include "platform/config_file.h"

namespace mon {

namespace {

bool IsAnyDevice(std::u16string_view AId) {
  return AId.empty() || AId == u"*";
}

}  // namespace

std::vector<std::u16string> ReadIncludeHIDDeviceList(const TIniFile& AConfig) {
  std::vector<std::u16string> list;
  for (int number = 1; number <= kMaxIncludeHIDDevices; ++number) {
    std::u16string value =
        AConfig.ReadString(kIncludeHIDDeviceListSection, u"id" + IntToText(number), u"");
    if (value.empty()) {
      break;
    }
    list.push_back(std::move(value));
  }
  return list;
}

std::vector<std::u16string> LoadIncludeHIDDeviceList(TFileSystem& AFiles, TLocale& ALocale) {
  return ReadIncludeHIDDeviceList(LoadConfigFile(AFiles, ALocale));
}

bool HasHardwareId(const std::vector<std::u16string>& AHardwareIds, std::u16string_view AId) {
  return std::any_of(
      AHardwareIds.begin(), AHardwareIds.end(),
      [&](const std::u16string& AHardwareId) { return SameTextIgnoreCase(AHardwareId, AId); });
}

bool PassesIncludeList(const std::vector<std::u16string>& AIncludeList,
                       const std::vector<std::u16string>& AHardwareIds) {
  if (AIncludeList.empty()) {
    return true;
  }
  return std::any_of(AIncludeList.begin(), AIncludeList.end(), [&](const std::u16string& AEntry) {
    return HasHardwareId(AHardwareIds, AEntry);
  });
}

bool PassesIdRule(THidIdRule ARule, const std::vector<std::u16string>& AIncludeList,
                  std::u16string_view ARequestedId,
                  const std::vector<std::u16string>& AHardwareIds) {
  switch (ARule) {
    case THidIdRule::DeviceIdOrIncludeList:
      return IsAnyDevice(ARequestedId) ? PassesIncludeList(AIncludeList, AHardwareIds)
                                       : HasHardwareId(AHardwareIds, ARequestedId);
    case THidIdRule::DeviceIdOnly:
      return IsAnyDevice(ARequestedId) || HasHardwareId(AHardwareIds, ARequestedId);
    case THidIdRule::IncludeListOnly:
      return PassesIncludeList(AIncludeList, AHardwareIds);
  }
  return false;
}

}  // namespace mon
