// The parsed path of input reports: which button usage a report pressed or released compared
// with the report before it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/hid_system.h"

namespace mon {

// Usage lists hold this many entries; a collection that declares a longer maximum usage list is
// parsed with this many, so nothing is ever written past the lists.
inline constexpr std::size_t kUsageListCapacity = 100;

using TUsageList = std::array<std::uint16_t, kUsageListCapacity>;

// HidP_UsageListDifference over the first ALength entries (at most the capacity) of both lists,
// each ended early by a zero usage: ABreak receives the usages of APrevious missing from
// ACurrent, AMake those of ACurrent missing from APrevious, both in list order and zero-filled.
void UsageListDifference(const TUsageList& APrevious, const TUsageList& ACurrent,
                         TUsageList& ABreak, TUsageList& AMake, std::size_t ALength);

// ButtonData of one input report (AReport: the whole report, report ID included) against the
// button state before it (APrevious, updated here):
// - 0 when the device declares no usages or the report cannot be parsed (APrevious unchanged);
// - else a usage released since the previous report in the low 16 bits, or, when none was
//   released, a newly pressed usage in the high 16 bits, or 0 when nothing changed.
std::uint32_t ParseButtonData(THidDevice& ADevice, std::span<const std::uint8_t> AReport,
                              TUsageList& APrevious);

}  // namespace mon
