// What the monitor's window is documented to do with the mouse's input reports and with its
// key-index message (report_decoding.h, shared_definitions.h, monitor_options.h), written out
// here on its own so that the fuzz targets can hold the window's dispatch against it.
#pragma once

#include <cstdint>
#include <span>

#include "monitor_effects.h"
#include "monitor_on_fakes.h"

namespace mon::fuzzing {

inline constexpr std::uint8_t kKeyReportId = 7;
inline constexpr std::uint8_t kStatusReportId = 8;
inline constexpr std::size_t kReportDataSize = 7;         // the bytes after the report ID
inline constexpr int kButtonCount = 14;                   // key indexes 0..13 are buttons
inline constexpr std::uintptr_t kFirstProfileIndex = 21;  // 21..25 select profiles 0..4
inline constexpr int kProfileCount = 5;

// The key-index message with AWParam: a button's function (only the microphone mute does
// something in the monitor), a profile selection, or nothing.
TExpectedEffects ExpectedOfKeyIndex(const TMonitorOnFakes& AWorld, std::uintptr_t AWParam);

// An input report of AData.size() bytes after its ID.
TExpectedEffects ExpectedOfReport(const TMonitorOnFakes& AWorld, std::uint8_t AReportId,
                                  std::span<const std::uint8_t> AData);

// Hands the window the report through its data handler and requires what ExpectedOfReport says.
void RequireReportHandled(TMonitorOnFakes& AWorld, std::uint8_t AReportId,
                          std::span<const std::uint8_t> AData);

}  // namespace mon::fuzzing
