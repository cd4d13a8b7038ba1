#include "platform/linux/linux_udev_match.h"

#include <system_error>

#include "app/shared_definitions.h"
#include "hid/hid_report_descriptor.h"
#include "platform/linux/linux_report_descriptor_file.h"

namespace mon::lnx {

std::optional<bool> HasMouseVendorCollection(std::span<const std::uint8_t> ADescriptor) {
  const std::optional<THidReportDescriptor> descriptor = ParseHidReportDescriptor(ADescriptor);
  if (!descriptor) {
    return std::nullopt;
  }
  for (const THidTopLevelCollection& collection : descriptor->Collections) {
    if (collection.Caps.UsagePage == kMouseVendorCollection.UsagePage &&
        collection.Caps.Usage == kMouseVendorCollection.Usage) {
      return true;
    }
  }
  return false;
}

std::filesystem::path ReportDescriptorPathOfNode(const std::filesystem::path& ANodeSysPath) {
  std::error_code error;
  if (std::filesystem::exists(ANodeSysPath / "device", error)) {
    return ANodeSysPath / "device" / "report_descriptor";
  }
  return ANodeSysPath.parent_path().parent_path() / "report_descriptor";
}

TUdevMatch MatchHidrawNode(const std::filesystem::path& ANodeSysPath) {
  std::error_code error;
  if (!std::filesystem::is_directory(ANodeSysPath, error)) {
    return {TUdevMatchOutcome::Unusable, ANodeSysPath.string() + " is not a device's sysfs folder"};
  }
  const std::filesystem::path path = ReportDescriptorPathOfNode(ANodeSysPath);
  const TReportDescriptorFile file = ReadReportDescriptorFile(path.string());
  if (!file.Problem.empty()) {
    return {TUdevMatchOutcome::Unusable, file.Problem};
  }
  const std::optional<bool> has = HasMouseVendorCollection(file.Bytes);
  if (!has) {
    return {TUdevMatchOutcome::Unusable, path.string() + " is not a HID report descriptor"};
  }
  return {*has ? TUdevMatchOutcome::Granted : TUdevMatchOutcome::Refused, {}};
}

}  // namespace mon::lnx
