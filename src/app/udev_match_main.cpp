// korvaldz314mon-udev-match SYSFS_PATH: run by the package's udev rule (IMPORT{program}) for
// each hidraw node, with the node's sysfs folder. Prints KORVALDZ314_VENDOR_COLLECTION=1 when
// the node's HID device has the mouse's vendor collection and nothing when it has not (exit
// code 0 both times); a descriptor that cannot be read or parsed is said on standard error with
// exit code 1 (as is a failed write of the answer: udev then imports nothing), a wrong command
// line with exit code 2.
#include <iostream>

#include "platform/linux/linux_udev_match.h"

namespace {

constexpr const char* kProgramName = "korvaldz314mon-udev-match";
constexpr int kNoAnswer = 1;
constexpr int kWrongUsage = 2;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::cerr << "usage: " << kProgramName << " SYSFS_PATH_OF_HIDRAW_NODE\n"
              << "  (a udev rule passes %S%p, e.g. /sys/devices/.../hidraw/hidraw0)\n";
    return kWrongUsage;
  }
  const mon::lnx::TUdevMatch match = mon::lnx::MatchHidrawNode(argv[1]);
  switch (match.Outcome) {
    case mon::lnx::TUdevMatchOutcome::Granted:
      std::cout << mon::lnx::kUdevVendorCollectionProperty << "=1\n";
      return std::cout.flush() ? 0 : kNoAnswer;
    case mon::lnx::TUdevMatchOutcome::Refused:
      return 0;
    case mon::lnx::TUdevMatchOutcome::Unusable:
      break;
  }
  std::cerr << kProgramName << ": " << match.Problem << '\n';
  return kNoAnswer;
}
