// HID device interfaces as the core needs them: enumerate the present interfaces of a class with
// their paths and hardware IDs, open one, read its attributes and capabilities, transfer output
// and feature reports, parse the buttons of an input report, and read input reports.
//
// Windows: SetupAPI and the HID class driver (hid.dll), bound at run time. A POSIX backend maps
// the same operations to udev and hidraw (paths /dev/hidrawN, hardware IDs built from the bus,
// vendor and product, report descriptors parsed for the capabilities).
//
// Error codes are Windows system error codes (0 = success); other backends translate theirs to
// the nearest one (ENODEV -> kErrorDeviceNotConnected, ...), so the core decides in one language.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/guid.h"
#include "platform/stop_token.h"

namespace mon {

inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorOperationAborted = 995;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

// One device interface of the enumerated class.
struct THidInterface {
  std::u16string Path;
  // The device's hardware IDs, most specific first; may be empty.
  std::vector<std::u16string> HardwareIds;
};

// The top-level collection's capabilities that the core uses (HIDP_CAPS). The byte lengths
// include the report-ID byte.
struct THidCaps {
  std::uint16_t Usage = 0;
  std::uint16_t UsagePage = 0;
  std::uint16_t InputReportByteLength = 0;
  std::uint16_t OutputReportByteLength = 0;
  std::uint16_t FeatureReportByteLength = 0;
};

struct THidAttributes {
  std::uint16_t VendorID = 0;
  std::uint16_t ProductID = 0;
  std::uint16_t VersionNumber = 0;
};

// A usage with its page, as the button parser reports it.
struct THidUsage {
  std::uint16_t Usage = 0;
  std::uint16_t UsagePage = 0;
};

enum class THidOpenMode {
  // Writes and feature transfers complete before the call returns. Read is not available.
  Synchronous,
  // For Read: the backend reads asynchronously and waits for the report or the stop request.
  Overlapped,
};

// The outcome of an output or feature transfer. Ok is the system call's own success; Error is
// the system error observed right after it (cleared before the call, so 0 when none was set).
struct THidTransfer {
  bool Ok = false;
  std::uint32_t Error = kErrorSuccess;
  std::uint32_t Transferred = 0;
};

enum class THidReadStatus {
  // The read completed; Bytes were stored at the start of the buffer (0 for an empty report).
  Completed,
  // The read was issued and completed with Error. A report longer than the buffer completes as
  // kErrorMoreData with the rest of it already discarded, so the next read starts a new report.
  Failed,
  // The read could not be issued at all (Error says why); no read is pending.
  IssueFailed,
  // The stop was requested; no read is pending any more and the buffer is free.
  Stopped,
};

struct THidReadResult {
  THidReadStatus Status = THidReadStatus::Failed;
  std::uint32_t Bytes = 0;
  std::uint32_t Error = kErrorSuccess;
};

// One open device interface. Not thread-safe: one thread at a time uses it (the walk on the
// caller's thread, or the reader on its own thread).
class THidDevice {
 public:
  // Closes the device; the preparsed data (if fetched) is freed first. No I/O is pending then:
  // Read never returns with a read still outstanding.
  virtual ~THidDevice() = default;

  // HidD_GetAttributes. nullopt on failure.
  virtual std::optional<THidAttributes> Attributes() = 0;

  // Fetches the preparsed data (kept until destruction, for InputUsages) and returns the
  // capabilities. nullopt when either step fails.
  virtual std::optional<THidCaps> Capabilities() = 0;

  // Writes one output report (byte 0 is the report ID).
  virtual THidTransfer Write(std::span<const std::uint8_t> AReport) = 0;
  // Gets a feature report into ABuffer; byte 0 holds the report ID on entry.
  virtual THidTransfer GetFeature(std::span<std::uint8_t> ABuffer) = 0;
  // Sends a feature report (byte 0 is the report ID).
  virtual THidTransfer SetFeature(std::span<const std::uint8_t> AReport) = 0;

  // The system handle value (for callers that record which handle was used), truncated to 32
  // bits as Windows guarantees for kernel handles.
  virtual std::uint32_t HandleValue() = 0;

  // HidP_MaxUsageListLength for input reports over all usage pages; 0 when unknown (no
  // preparsed data).
  virtual std::size_t MaxInputUsageListLength() = 0;
  // The usages of the buttons that AReport (a whole input report, report ID included) has on,
  // at most AMaxUsages of them, in the parser's order. nullopt when the report cannot be parsed
  // or holds more than AMaxUsages usages.
  virtual std::optional<std::vector<THidUsage>> InputUsages(std::span<const std::uint8_t> AReport,
                                                            std::size_t AMaxUsages) = 0;

  // Overlapped devices: reads one input report into ABuffer and blocks until it has completed,
  // failed, or AStop is requested. An idle wait costs no wake-ups: the thread sleeps until the
  // report or the stop arrives. On stop the pending read is cancelled and its completion awaited
  // before Read returns, so the buffer is never written after Read has returned.
  // Synchronous devices: IssueFailed with kErrorInvalidHandle.
  virtual THidReadResult Read(std::span<std::uint8_t> ABuffer, const TStopToken& AStop) = 0;
};

class THidSystem {
 public:
  virtual ~THidSystem() = default;

  // The HID device-interface class as the system reports it (HidD_GetHidGuid); nullopt when the
  // system does not offer it. Any thread.
  virtual std::optional<TGuid> HidInterfaceClass() = 0;

  // The present interfaces of AInterfaceClass, in the system's order. Interfaces whose path
  // cannot be read are left out; an empty list when the enumeration fails. Any thread.
  virtual std::vector<THidInterface> EnumerateInterfaces(const TGuid& AInterfaceClass) = 0;

  // Opens APath with read and write access, shared for reading and writing. nullptr when it
  // cannot be opened (missing, held exclusively, ...). Any thread.
  virtual std::unique_ptr<THidDevice> OpenDevice(const std::u16string& APath,
                                                 THidOpenMode AMode) = 0;
};

// Splits a multi-string (texts separated by a zero, ended by an empty text) into its texts.
// Stops at the first empty text or at the end of AText, whichever comes first, so a buffer
// without its final terminators is still read safely.
std::vector<std::u16string> SplitMultiString(std::u16string_view AText);

}  // namespace mon
