// HID devices with hidraw nodes in an umockdev testbed made in this process: what the Linux HID
// service's tests and the simulated mouse put before the program they check. The process must
// run under umockdev-wrapper (the testbed's API goes through its preload library), and programs
// it starts then see the same devices.
//
// Each device is a USB device with one interface (when it has an interface number) holding the
// HID device "BBBB:VVVV:PPPP.NNNN" with its report descriptor, and below it the node hidrawN.
// Node names are never used twice (the emulation cannot take a name again), so a device added
// again gets the next number. Test code only.
#pragma once

#include <umockdev.h>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mon::testing {

struct THidrawDeviceSpec {
  std::uint16_t Bus = 0x0003;  // USB
  std::uint16_t Vendor = 0;
  std::uint16_t Product = 0;
  // The USB interface number; without one the HID device hangs directly below /sys/devices.
  std::optional<std::uint8_t> InterfaceNumber;
  std::vector<std::uint8_t> Descriptor;
};

class THidrawTestbed {
 public:
  THidrawTestbed();
  ~THidrawTestbed();
  THidrawTestbed(const THidrawTestbed&) = delete;
  THidrawTestbed& operator=(const THidrawTestbed&) = delete;

  // Adds the device and returns its node's device path ("/dev/hidraw0"). The testbed sends the
  // node's "add" event by itself. Empty when the testbed refused the device.
  std::string Add(const THidrawDeviceSpec& ADevice);

  // Writes one input report to the device side of ADevNode; false when it could not be
  // written whole.
  bool SendReport(const std::string& ADevNode, std::span<const std::uint8_t> AReport);

  // What the program wrote to ADevNode: the bytes that arrive within ATimeoutMs, at most AMax.
  std::vector<std::uint8_t> ReceiveOutput(const std::string& ADevNode, std::size_t AMax,
                                          int ATimeoutMs);

  // The terminal that a program's opens of ADevNode land on: umockdev emulates the node as a
  // pseudo-terminal, so /proc/PID/fd of a program that holds the node links there. Empty for a
  // node that is not there.
  std::string TerminalOf(const std::string& ADevNode);

  // Sends the node's "remove" event and takes the device out of sysfs. False for a node that is
  // not (or no longer) there.
  bool Remove(const std::string& ADevNode);

 private:
  struct TAdded {
    std::string NodeSysPath;
    std::string TopSysPath;  // the outermost device added for it, removed with everything below
  };

  UMockdevTestbed* FTestbed;
  std::map<std::string, TAdded> FNodes;
  unsigned FNextNumber = 0;
};

}  // namespace mon::testing
