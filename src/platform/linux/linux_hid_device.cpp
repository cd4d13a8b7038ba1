#include "platform/linux/linux_hid_device.h"

#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/linux_hid_errors.h"

namespace mon::lnx {

namespace {

// The outcome of a call that returned AResult (a byte count, or -1 with errno set).
THidTransfer TransferOf(ssize_t AResult, std::size_t ASuccessBytes) {
  if (AResult < 0) {
    return {false, HidErrorFromErrno(errno), 0};
  }
  return {true, kErrorSuccess, static_cast<std::uint32_t>(ASuccessBytes)};
}

// The feature ioctls encode the length in 14 bits.
constexpr std::size_t kMaxFeatureLength = (1u << 14) - 1;

}  // namespace

TLinuxHidDevice::TLinuxHidDevice(TUniqueFd ANode, THidOpenMode AMode,
                                 const THidAttributes& AAttributes, bool AUsesReportIds,
                                 THidTopLevelCollection ACollection)
    : FNode(std::move(ANode)),
      FMode(AMode),
      FAttributes(AAttributes),
      FCollection(std::move(ACollection)) {
  if (FMode == THidOpenMode::Overlapped) {
    FInput.emplace(FNode.Get(), THidrawInputFormat{FCollection.Caps.InputReportByteLength,
                                                   AUsesReportIds, FCollection.InputReportIds});
  }
}

std::optional<THidCaps> TLinuxHidDevice::Capabilities() {
  FCapabilitiesFetched = true;
  return FCollection.Caps;
}

THidTransfer TLinuxHidDevice::Write(std::span<const std::uint8_t> AReport) {
  if (FMode != THidOpenMode::Synchronous) {
    return {false, kErrorInvalidHandle, 0};
  }
  ssize_t written = -1;
  do {
    written = ::write(FNode.Get(), AReport.data(), AReport.size());
  } while (written < 0 && errno == EINTR);
  return TransferOf(written, written < 0 ? 0 : static_cast<std::size_t>(written));
}

THidTransfer TLinuxHidDevice::GetFeature(std::span<std::uint8_t> ABuffer) {
  if (ABuffer.empty() || ABuffer.size() > kMaxFeatureLength) {
    return {false, kErrorGenFailure, 0};
  }
  // Windows reports the whole buffer as transferred; so do we.
  return TransferOf(::ioctl(FNode.Get(), HIDIOCGFEATURE(ABuffer.size()), ABuffer.data()),
                    ABuffer.size());
}

THidTransfer TLinuxHidDevice::SetFeature(std::span<const std::uint8_t> AReport) {
  if (AReport.empty() || AReport.size() > kMaxFeatureLength) {
    return {false, kErrorGenFailure, 0};
  }
  return TransferOf(::ioctl(FNode.Get(), HIDIOCSFEATURE(AReport.size()), AReport.data()),
                    AReport.size());
}

std::size_t TLinuxHidDevice::MaxInputUsageListLength() {
  return FCapabilitiesFetched ? mon::MaxInputUsageListLength(FCollection) : 0;
}

std::optional<std::vector<THidUsage>> TLinuxHidDevice::InputUsages(
    std::span<const std::uint8_t> AReport, std::size_t AMaxUsages) {
  if (!FCapabilitiesFetched) {
    return std::nullopt;
  }
  return InputButtonUsages(FCollection, AReport, AMaxUsages);
}

THidReadResult TLinuxHidDevice::Read(std::span<std::uint8_t> ABuffer, const TStopToken& AStop) {
  if (!FInput) {
    return {THidReadStatus::IssueFailed, 0, kErrorInvalidHandle};
  }
  return FInput->Read(ABuffer, AStop);
}

}  // namespace mon::lnx
