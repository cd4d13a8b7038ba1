// The udev helper's decision (korvaldz314mon-udev-match, run by the package's udev rule for each
// hidraw node): does the node's HID device have the mouse's vendor collection? The rule gives
// such nodes to the user at the seat; the monitor opens only that collection, so other HID
// devices stay root's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mon::lnx {

// What the helper prints for a node that is granted; the rule tests the imported property.
inline constexpr std::string_view kUdevVendorCollectionProperty = "KORVALDZ314_VENDOR_COLLECTION";

// Whether ADescriptor has a top-level collection of the mouse's vendor usage page and usage
// (kMouseVendorCollection, 0xFFA0/1); nullopt when it is not a well-formed report descriptor.
std::optional<bool> HasMouseVendorCollection(std::span<const std::uint8_t> ADescriptor);

enum class TUdevMatchOutcome {
  Granted,   // the descriptor has the vendor collection
  Refused,   // a well-formed descriptor without it
  Unusable,  // no descriptor to decide on: Problem says why
};

struct TUdevMatch {
  TUdevMatchOutcome Outcome = TUdevMatchOutcome::Unusable;
  std::string Problem;
};

// The report descriptor file of the hidraw node whose sysfs folder is ANodeSysPath (udev's
// "%S%p", e.g. /sys/devices/.../0003:1234:5678.0001/hidraw/hidraw0): the HID device's
// report_descriptor, reached through the node's "device" link, or, where the link is missing,
// two folders up (the kernel puts the node at <hid device>/hidraw/<node>).
std::filesystem::path ReportDescriptorPathOfNode(const std::filesystem::path& ANodeSysPath);

// The decision on that node: its descriptor read (at most 4096 bytes) and parsed. Unusable when
// ANodeSysPath is not a folder.
TUdevMatch MatchHidrawNode(const std::filesystem::path& ANodeSysPath);

}  // namespace mon::lnx
