// The records and event types of the HID component: the usage and page of a top-level
// collection, the report buffer with its length, the argument of the write, feature and
// existence operations, and the three report events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace mon {

// A HID usage and its page, in this order.
struct USAGE_AND_PAGE {
  std::uint16_t Usage = 0;
  std::uint16_t UsagePage = 0;
};
static_assert(sizeof(USAGE_AND_PAGE) == 4);
static_assert(offsetof(USAGE_AND_PAGE, UsagePage) == 2);

// One report buffer with its length. ReportID and DATAReally are contiguous and together form the
// 65 536-byte buffer handed to the system as the report.
struct THidReallyData {
  static constexpr std::size_t kReportBufferSize = 65536;

  std::uint8_t ReportID = 0;
  std::uint8_t DATAReally[kReportBufferSize - 1] = {};
  // The number of bytes to transfer; whether it counts the report-ID byte depends on the
  // operation.
  std::uint32_t DATASIZE = 0;

  // The report buffer: ReportID followed by DATAReally.
  std::uint8_t* ReportBytes() { return reinterpret_cast<std::uint8_t*>(this); }
  const std::uint8_t* ReportBytes() const { return reinterpret_cast<const std::uint8_t*>(this); }
};
static_assert(offsetof(THidReallyData, ReportID) == 0);
static_assert(offsetof(THidReallyData, DATAReally) == 1);
static_assert(offsetof(THidReallyData, DATASIZE) == THidReallyData::kReportBufferSize);
static_assert(sizeof(THidReallyData) == 65540);

// The argument of the write, feature and existence operations.
struct THIDDataParam {
  // The top-level collection to look for.
  USAGE_AND_PAGE UsageAndPage;
  // A hardware ID to look for, or empty, or "*".
  std::u16string DeviceID;
  THidReallyData Data;
  // Written by HidFindAndSetFeatureReport with the handle it used (already closed on return).
  std::uint32_t DeviceHandle = 0;
};

// One input report: Data points at the bytes after the report ID, Size counts them. Data is valid
// only during the call.
using TuiHIDDataReceived =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                       std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size)>;

// The usage change of one input report: a newly pressed usage in the high 16 bits, or a released
// one in the low 16 bits, or 0.
using TuiHIDParsedDataReceived =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                       std::uint8_t ReportID, std::uint32_t ButtonData)>;

// A reader lost its device.
using TuiHIDDeviceNotConnected =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath)>;

}  // namespace mon
