#include "platform/linux/linux_report_descriptor_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/linux/linux_unique_fd.h"

namespace mon::lnx {

namespace {

TReportDescriptorFile Failure(std::string AProblem) {
  TReportDescriptorFile result;
  result.Problem = std::move(AProblem);
  return result;
}

std::string ErrorText(int AError) {
  return std::strerror(AError);
}

}  // namespace

TReportDescriptorFile ReadReportDescriptorFile(const std::string& APath) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
  const TUniqueFd file(::open(APath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file) {
    return Failure("cannot open " + APath + ": " + ErrorText(errno));
  }
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) {
    return Failure("cannot read " + APath + ": " + ErrorText(errno));
  }
  if (!S_ISREG(status.st_mode)) {
    return Failure(APath + " is not a regular file");
  }
  // One byte more than a descriptor may have, to tell a full-size one from a longer file.
  std::vector<std::uint8_t> bytes(kMaxReportDescriptorSize + 1);
  std::size_t size = 0;
  while (size < bytes.size()) {
    const ssize_t got = ::read(file.Get(), bytes.data() + size, bytes.size() - size);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      return Failure("cannot read " + APath + ": " + ErrorText(errno));
    }
    if (got == 0) {
      break;
    }
    size += static_cast<std::size_t>(got);
  }
  if (size == 0) {
    return Failure(APath + " is empty");
  }
  if (size > kMaxReportDescriptorSize) {
    return Failure(APath + " is longer than " + std::to_string(kMaxReportDescriptorSize) +
                   " bytes, the most a HID report descriptor can have");
  }
  bytes.resize(size);
  TReportDescriptorFile result;
  result.Bytes = std::move(bytes);
  return result;
}

}  // namespace mon::lnx
