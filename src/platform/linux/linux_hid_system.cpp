#include "platform/linux/linux_hid_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "hid/hid_report_descriptor.h"
#include "platform/linux/linux_hid_device.h"
#include "platform/linux/linux_hid_names.h"
#include "platform/linux/linux_report_descriptor_file.h"
#include "platform/linux/linux_udev.h"
#include "platform/linux/linux_unique_fd.h"

namespace mon::lnx {

namespace {

constexpr const char* kHidrawSubsystem = "hidraw";

// What a hidraw node is, as far as the interfaces are concerned.
struct THidrawNode {
  std::string DevNode;
  THidBusIds Ids;
  std::optional<std::uint8_t> InterfaceNumber;
  // The USB device's release number (bcdDevice), which Windows reports as the version; 0 on
  // other buses.
  std::uint16_t Version = 0;
  THidReportDescriptor Descriptor;
};

// The node ANode as an interface source; nullopt when anything it needs is missing.
std::optional<THidrawNode> DescribeNode(udev_device* ANode) {
  const char* devNode = udev_device_get_devnode(ANode);
  // Borrowed from ANode, which holds its parents.
  udev_device* hid = udev_device_get_parent_with_subsystem_devtype(ANode, "hid", nullptr);
  if (devNode == nullptr || hid == nullptr) {
    return std::nullopt;
  }
  const char* hidId = udev_device_get_property_value(hid, "HID_ID");
  const auto ids = hidId != nullptr ? ParseHidId(hidId) : std::nullopt;
  if (!ids) {
    return std::nullopt;
  }
  const TReportDescriptorFile file =
      ReadReportDescriptorFile(std::string(udev_device_get_syspath(hid)) + "/report_descriptor");
  auto descriptor = file.Problem.empty() ? ParseHidReportDescriptor(file.Bytes) : std::nullopt;
  if (!descriptor || descriptor->Collections.empty()) {
    return std::nullopt;
  }
  THidrawNode node{devNode, *ids, std::nullopt, 0, std::move(*descriptor)};
  if (udev_device* usbInterface =
          udev_device_get_parent_with_subsystem_devtype(ANode, "usb", "usb_interface")) {
    if (const char* number = udev_device_get_sysattr_value(usbInterface, "bInterfaceNumber")) {
      node.InterfaceNumber = ParseInterfaceNumber(number);
    }
  }
  if (udev_device* usbDevice =
          udev_device_get_parent_with_subsystem_devtype(ANode, "usb", "usb_device")) {
    if (const char* release = udev_device_get_sysattr_value(usbDevice, "bcdDevice")) {
      node.Version = ParseReleaseNumber(release).value_or(0);
    }
  }
  return node;
}

}  // namespace

std::optional<TGuid> TLinuxHidSystem::HidInterfaceClass() {
  return kHidInterfaceClassGuid;
}

std::vector<THidInterface> TLinuxHidSystem::EnumerateInterfaces(const TGuid& AInterfaceClass) {
  std::vector<THidInterface> interfaces;
  if (AInterfaceClass != kHidInterfaceClassGuid) {
    return interfaces;
  }
  const TUdev context(udev_new());
  const TUdevEnumerate enumeration(context ? udev_enumerate_new(context.get()) : nullptr);
  if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), kHidrawSubsystem) < 0 ||
      udev_enumerate_scan_devices(enumeration.get()) < 0) {
    return interfaces;
  }
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
    const TUdevDevice device(
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    const auto node = device ? DescribeNode(device.get()) : std::nullopt;
    if (!node) {
      continue;
    }
    const std::size_t count = node->Descriptor.Collections.size();
    for (std::size_t index = 0; index < count; ++index) {
      interfaces.push_back({HidInterfacePath(node->DevNode, index, count),
                            HidHardwareIds(node->Ids, node->InterfaceNumber, index, count)});
    }
  }
  return interfaces;
}

std::unique_ptr<THidDevice> TLinuxHidSystem::OpenDevice(const std::u16string& APath,
                                                        THidOpenMode AMode) {
  const auto path = ParseHidInterfacePath(APath);
  if (!path) {
    return nullptr;
  }
  const std::string sysName = path->DevNode.substr(path->DevNode.rfind('/') + 1);
  const TUdev context(udev_new());
  const TUdevDevice device(context ? udev_device_new_from_subsystem_sysname(
                                         context.get(), kHidrawSubsystem, sysName.c_str())
                                   : nullptr);
  auto node = device ? DescribeNode(device.get()) : std::nullopt;
  if (!node || node->DevNode != path->DevNode) {
    return nullptr;
  }
  auto& collections = node->Descriptor.Collections;
  // A node of one collection has only the plain path, one of several only "&colNN" paths.
  const bool pathNamesCollection = APath.size() != path->DevNode.size();
  if (path->CollectionIndex >= collections.size() ||
      pathNamesCollection != (collections.size() > 1)) {
    return nullptr;
  }
  const int flags = O_RDWR | O_CLOEXEC | (AMode == THidOpenMode::Overlapped ? O_NONBLOCK : 0);
  TUniqueFd file(::open(path->DevNode.c_str(), flags));
  if (!file) {
    return nullptr;
  }
  const THidAttributes attributes{node->Ids.Vendor, node->Ids.Product, node->Version};
  return std::make_unique<TLinuxHidDevice>(std::move(file), AMode, attributes,
                                           node->Descriptor.UsesReportIds,
                                           std::move(collections[path->CollectionIndex]));
}

}  // namespace mon::lnx
