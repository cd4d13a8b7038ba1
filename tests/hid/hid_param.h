// The parameter of a HID transfer for the HID tests: report ID 5 and ASize data bytes counting up
// from 0x10.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "hid/uiHIDData.h"

namespace mon::testing {

inline THIDDataParam NumberedParam(USAGE_AND_PAGE AUsage, std::u16string ADeviceId,
                                   std::uint32_t ASize) {
  THIDDataParam param;
  param.UsageAndPage = AUsage;
  param.DeviceID = std::move(ADeviceId);
  param.Data.ReportID = 0x05;
  for (std::uint32_t i = 0; i < ASize; ++i) {
    param.Data.DATAReally[i] = static_cast<std::uint8_t>(0x10 + i);
  }
  param.Data.DATASIZE = ASize;
  return param;
}

}  // namespace mon::testing
