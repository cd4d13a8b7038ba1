#include "platform/linux/linux_hidraw_input.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/linux/linux_hid_errors.h"

namespace mon::lnx {

namespace {

constexpr THidReadResult kStopped{THidReadStatus::Stopped, 0, kErrorOperationAborted};
constexpr THidReadResult kDeviceGone{THidReadStatus::Failed, 0, kErrorDeviceNotConnected};

}  // namespace

THidrawInput::THidrawInput(int ANodeFd, THidrawInputFormat AFormat)
    : FNodeFd(ANodeFd),
      FFormat(std::move(AFormat)),
      FWake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void THidrawInput::DrainWake() {
  std::uint64_t count = 0;
  while (::read(FWake.Get(), &count, sizeof(count)) < 0 && errno == EINTR) {
  }
}

bool THidrawInput::IsOwnReport(std::uint8_t AReportId) const {
  return std::find(FFormat.ReportIds.begin(), FFormat.ReportIds.end(), AReportId) !=
         FFormat.ReportIds.end();
}

THidReadResult THidrawInput::Read(std::span<std::uint8_t> ABuffer, const TStopToken& AStop) {
  const std::size_t length = FFormat.ReportLength;
  // Without IDs the node gives the report from its first data byte on: it goes behind our 0.
  const std::size_t dataOffset = FFormat.UsesReportIds ? 0 : 1;
  if (!FWake || FNodeFd < 0) {
    return {THidReadStatus::IssueFailed, 0, kErrorInvalidHandle};
  }
  if (length <= dataOffset || ABuffer.size() < length) {
    return {THidReadStatus::IssueFailed, 0, kErrorGenFailure};
  }
  if (AStop.StopRequested()) {
    return kStopped;
  }
  DrainWake();
  // Sets the wake-up at once when the stop was requested in between.
  const TStopCallback wake(AStop, [this] {
    const std::uint64_t one = 1;
    while (::write(FWake.Get(), &one, sizeof(one)) < 0 && errno == EINTR) {
    }
  });

  const std::span<std::uint8_t> report = ABuffer.first(length);
  for (;;) {
    pollfd watched[2] = {{FNodeFd, POLLIN, 0}, {FWake.Get(), POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return {THidReadStatus::Failed, 0, HidErrorFromErrno(errno)};
    }
    if (watched[1].revents != 0) {
      return kStopped;
    }
    const short node = watched[0].revents;
    if ((node & POLLNVAL) != 0) {
      return {THidReadStatus::Failed, 0, kErrorInvalidHandle};
    }
    if ((node & POLLIN) == 0) {
      if ((node & (POLLHUP | POLLERR)) != 0) {
        return kDeviceGone;
      }
      continue;
    }
    std::fill(report.begin(), report.end(), std::uint8_t{0});
    const ssize_t got = ::read(FNodeFd, report.data() + dataOffset, report.size() - dataOffset);
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) {
        continue;
      }
      return {THidReadStatus::Failed, 0, HidErrorFromErrno(errno)};
    }
    if (got == 0) {
      return kDeviceGone;  // end of file: nothing will ever come again
    }
    if (FFormat.UsesReportIds && !IsOwnReport(report[0])) {
      continue;  // another collection's report
    }
    return {THidReadStatus::Completed, static_cast<std::uint32_t>(length), kErrorSuccess};
  }
}

}  // namespace mon::lnx
