#include "hid/hid_usages.h"

#include <algorithm>

namespace mon {

namespace {

// The entries before the first zero, within ALength.
std::span<const std::uint16_t> Used(const TUsageList& AList, std::size_t ALength) {
  const auto end = std::find(AList.begin(), AList.begin() + ALength, std::uint16_t{0});
  return {AList.begin(), end};
}

bool Contains(std::span<const std::uint16_t> AList, std::uint16_t AUsage) {
  return std::find(AList.begin(), AList.end(), AUsage) != AList.end();
}

}  // namespace

void UsageListDifference(const TUsageList& APrevious, const TUsageList& ACurrent,
                         TUsageList& ABreak, TUsageList& AMake, std::size_t ALength) {
  ALength = std::min(ALength, kUsageListCapacity);
  ABreak.fill(0);
  AMake.fill(0);
  const auto previous = Used(APrevious, ALength);
  const auto current = Used(ACurrent, ALength);
  std::size_t breaks = 0;
  for (const std::uint16_t usage : previous) {
    if (!Contains(current, usage)) {
      ABreak[breaks++] = usage;
    }
  }
  std::size_t makes = 0;
  for (const std::uint16_t usage : current) {
    if (!Contains(previous, usage)) {
      AMake[makes++] = usage;
    }
  }
}

std::uint32_t ParseButtonData(THidDevice& ADevice, std::span<const std::uint8_t> AReport,
                              TUsageList& APrevious) {
  const std::size_t length = std::min(ADevice.MaxInputUsageListLength(), kUsageListCapacity);
  if (length == 0) {
    return 0;
  }
  const auto usages = ADevice.InputUsages(AReport, length);
  if (!usages || usages->size() > length) {
    return 0;
  }
  TUsageList current{};
  for (std::size_t i = 0; i < usages->size(); ++i) {
    current[i] = (*usages)[i].Usage;
  }
  TUsageList released{};
  TUsageList pressed{};
  UsageListDifference(APrevious, current, released, pressed, length);
  std::copy_n(current.begin(), length, APrevious.begin());
  if (released[0] != 0) {
    return released[0];
  }
  if (pressed[0] != 0) {
    return static_cast<std::uint32_t>(pressed[0]) << 16;
  }
  return 0;
}

}  // namespace mon
