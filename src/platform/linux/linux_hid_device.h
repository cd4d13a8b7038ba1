// One top-level collection of a hidraw node, opened: the THidDevice of the Linux backend.
//
// Attributes come from the HID device's HID_ID, capabilities and button usages from our own
// parse of the node's report descriptor; output reports go out by write, feature reports by the
// HIDIOCGFEATURE and HIDIOCSFEATURE ioctls, input reports come in through THidrawInput.
#pragma once

#include <optional>

#include "hid/hid_report_descriptor.h"
#include "platform/hid_system.h"
#include "platform/linux/linux_hidraw_input.h"
#include "platform/linux/linux_unique_fd.h"

namespace mon::lnx {

class TLinuxHidDevice final : public THidDevice {
 public:
  // ANode: the node, opened read-write (non-blocking for AMode Overlapped).
  TLinuxHidDevice(TUniqueFd ANode, THidOpenMode AMode, const THidAttributes& AAttributes,
                  bool AUsesReportIds, THidTopLevelCollection ACollection);

  std::optional<THidAttributes> Attributes() override { return FAttributes; }
  // Also makes the button parse available, as fetching the preparsed data does on Windows.
  std::optional<THidCaps> Capabilities() override;

  // Synchronous devices only (kErrorInvalidHandle otherwise), as on Windows.
  THidTransfer Write(std::span<const std::uint8_t> AReport) override;
  THidTransfer GetFeature(std::span<std::uint8_t> ABuffer) override;
  THidTransfer SetFeature(std::span<const std::uint8_t> AReport) override;

  // The node's descriptor number.
  std::uint32_t HandleValue() override { return static_cast<std::uint32_t>(FNode.Get()); }

  // 0 / nullopt until Capabilities has been called.
  std::size_t MaxInputUsageListLength() override;
  std::optional<std::vector<THidUsage>> InputUsages(std::span<const std::uint8_t> AReport,
                                                    std::size_t AMaxUsages) override;

  // Overlapped devices: THidrawInput::Read. Synchronous: IssueFailed, kErrorInvalidHandle.
  THidReadResult Read(std::span<std::uint8_t> ABuffer, const TStopToken& AStop) override;

 private:
  TUniqueFd FNode;
  THidOpenMode FMode;
  THidAttributes FAttributes;
  THidTopLevelCollection FCollection;
  bool FCapabilitiesFetched = false;
  std::optional<THidrawInput> FInput;  // Overlapped devices only
};

}  // namespace mon::lnx
