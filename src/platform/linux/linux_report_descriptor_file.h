// A HID report descriptor read from a file, as sysfs gives it (<hid device>/report_descriptor):
// the raw bytes, at most the kernel's limit of 4096, and a reason naming the file when they
// cannot be had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mon::lnx {

// The kernel's limit on a report descriptor (HID_MAX_DESCRIPTOR_SIZE).
inline constexpr std::size_t kMaxReportDescriptorSize = 4096;

struct TReportDescriptorFile {
  // The file's bytes when Problem is empty.
  std::vector<std::uint8_t> Bytes;
  // Why the file gives no descriptor, naming it: it cannot be opened, is not a regular file (a
  // FIFO is refused without waiting for a writer), cannot be read, is empty, or is longer than
  // kMaxReportDescriptorSize. Empty when Bytes holds the descriptor.
  std::string Problem;
};

// Reads APath whole, but never more than one byte beyond kMaxReportDescriptorSize. The bytes are
// not checked for being a descriptor (ParseHidReportDescriptor does that).
TReportDescriptorFile ReadReportDescriptorFile(const std::string& APath);

}  // namespace mon::lnx
