#include "hidraw_testbed.h"

#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace mon::testing {

namespace {

// g_free for the strings the testbed hands out.
std::string Taken(gchar* AText) {
  std::string text = AText != nullptr ? AText : "";
  g_free(AText);
  return text;
}

std::string Formatted(const char* AFormat, unsigned AFirst, unsigned ASecond = 0,
                      unsigned AThird = 0, unsigned AFourth = 0) {
  char text[128];
  std::snprintf(text, sizeof(text), AFormat, AFirst, ASecond, AThird, AFourth);
  return text;
}

}  // namespace

THidrawTestbed::THidrawTestbed() : FTestbed(umockdev_testbed_new()) {}

THidrawTestbed::~THidrawTestbed() {
  g_object_unref(FTestbed);
}

std::string THidrawTestbed::Add(const THidrawDeviceSpec& ADevice) {
  const unsigned number = FNextNumber++;
  std::string parent;
  std::string top;
  if (ADevice.InterfaceNumber) {
    // Flat names: the testbed does not find a parent given by a name with a slash in it.
    const std::string usbName = Formatted("%u-1", number + 1);
    parent =
        Taken(umockdev_testbed_add_device(FTestbed, "usb", usbName.c_str(), nullptr, "idVendor",
                                          Formatted("%04x", ADevice.Vendor).c_str(), "idProduct",
                                          Formatted("%04x", ADevice.Product).c_str(), "bcdDevice",
                                          "0100", nullptr, "DEVTYPE", "usb_device", nullptr));
    top = parent;
    const std::string interfaceName = usbName + Formatted(":1.%u", *ADevice.InterfaceNumber);
    parent = Taken(umockdev_testbed_add_device(
        FTestbed, "usb", interfaceName.c_str(), parent.c_str(), "bInterfaceNumber",
        Formatted("%02x", *ADevice.InterfaceNumber).c_str(), "bInterfaceClass", "03", nullptr,
        "DEVTYPE", "usb_interface", nullptr));
  }
  const std::string hidName =
      Formatted("%04X:%04X:%04X.%04X", ADevice.Bus, ADevice.Vendor, ADevice.Product, number + 1);
  const std::string hidId =
      Formatted("%04X:%08X:%08X", ADevice.Bus, ADevice.Vendor, ADevice.Product);
  const std::string hid = Taken(umockdev_testbed_add_device(
      FTestbed, "hid", hidName.c_str(), parent.empty() ? nullptr : parent.c_str(), nullptr,
      "HID_ID", hidId.c_str(), "HID_NAME", "simulated HID device", nullptr));
  if (hid.empty()) {
    return {};
  }
  if (top.empty()) {
    top = hid;
  }
  umockdev_testbed_set_attribute_binary(FTestbed, hid.c_str(), "report_descriptor",
                                        const_cast<guint8*>(ADevice.Descriptor.data()),
                                        ADevice.Descriptor.size());
  const std::string nodeName = Formatted("hidraw%u", number);
  const std::string devNode = "/dev/" + nodeName;
  // The node's P: line is its sys path without the leading "/sys".
  const std::string nodeSysPath = hid + "/hidraw/" + nodeName;
  const std::string record = "P: " + nodeSysPath.substr(4) + "\nN: " + nodeName +
                             "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=" + devNode + "\n";
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(FTestbed, record.c_str(), &error)) {
    g_clear_error(&error);
    return {};
  }
  FNodes[devNode] = {nodeSysPath, top};
  return devNode;
}

bool THidrawTestbed::SendReport(const std::string& ADevNode,
                                std::span<const std::uint8_t> AReport) {
  const int device = umockdev_testbed_get_dev_fd(FTestbed, ADevNode.c_str());
  if (device < 0) {
    return false;
  }
  std::size_t sent = 0;
  while (sent < AReport.size()) {
    const ssize_t wrote = ::write(device, AReport.data() + sent, AReport.size() - sent);
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      return false;
    }
    sent += static_cast<std::size_t>(wrote);
  }
  return true;
}

std::string THidrawTestbed::TerminalOf(const std::string& ADevNode) {
  const int device = umockdev_testbed_get_dev_fd(FTestbed, ADevNode.c_str());
  char name[128] = {};
  if (device < 0 || ::ptsname_r(device, name, sizeof name) != 0) {
    return {};
  }
  return name;
}

std::vector<std::uint8_t> THidrawTestbed::ReceiveOutput(const std::string& ADevNode,
                                                        std::size_t AMax, int ATimeoutMs) {
  std::vector<std::uint8_t> received;
  const int device = umockdev_testbed_get_dev_fd(FTestbed, ADevNode.c_str());
  if (device < 0) {
    return received;
  }
  received.resize(AMax);
  std::size_t size = 0;
  pollfd readable{device, POLLIN, 0};
  while (size<AMax&& ::poll(&readable, 1, ATimeoutMs)> 0) {
    const ssize_t got = ::read(device, received.data() + size, AMax - size);
    if (got <= 0) {
      break;
    }
    size += static_cast<std::size_t>(got);
  }
  received.resize(size);
  return received;
}

bool THidrawTestbed::Remove(const std::string& ADevNode) {
  const auto found = FNodes.find(ADevNode);
  if (found == FNodes.end()) {
    return false;
  }
  umockdev_testbed_uevent(FTestbed, found->second.NodeSysPath.c_str(), "remove");
  umockdev_testbed_remove_device(FTestbed, found->second.TopSysPath.c_str());
  FNodes.erase(found);
  return true;
}

}  // namespace mon::testing
