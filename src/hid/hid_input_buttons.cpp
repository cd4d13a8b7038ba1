// The button usages of an input report, read with the fields that ParseHidReportDescriptor
// found (declared in hid_report_descriptor.h).
#include <algorithm>

#include "hid/hid_report_descriptor.h"

namespace mon {

namespace {

// ABitCount (1 to 32) bits from ABitOffset on, least significant bit first. The caller has
// checked that they lie within AReport.
std::uint32_t ReadBits(std::span<const std::uint8_t> AReport, std::uint64_t ABitOffset,
                       std::uint32_t ABitCount) {
  std::uint32_t value = 0;
  for (std::uint32_t i = 0; i < ABitCount; ++i) {
    const std::uint64_t bit = ABitOffset + i;
    value |= static_cast<std::uint32_t>((AReport[bit / 8] >> (bit % 8)) & 1u) << i;
  }
  return value;
}

// Collects usages up to a limit; Add says false once the limit is passed.
class TUsageCollector {
 public:
  explicit TUsageCollector(std::size_t AMaxUsages) : FMaxUsages(AMaxUsages) {}

  bool Add(std::uint16_t AUsagePage, std::uint16_t AUsage) {
    if (AUsage == 0) {
      return true;  // usage 0 names nothing (and ends the core's usage lists)
    }
    if (FUsages.size() == FMaxUsages) {
      return false;
    }
    FUsages.push_back(THidUsage{AUsage, AUsagePage});
    return true;
  }

  std::vector<THidUsage> Take() { return std::move(FUsages); }

 private:
  std::size_t FMaxUsages;
  std::vector<THidUsage> FUsages;
};

// Variable field: one bit per control, the control's usage taken in list order. Controls beyond
// the usage list have no usage.
bool AddVariableUsages(const THidButtonField& AField, std::span<const std::uint8_t> AReport,
                       TUsageCollector& AUsages) {
  for (const THidUsageRange& range : AField.Usages) {
    for (std::uint32_t usage = range.First; usage <= range.Last; ++usage) {
      const std::uint64_t control = range.FirstIndex + (usage - range.First);
      if (control >= AField.Count) {
        return true;
      }
      if (ReadBits(AReport, AField.BitOffset + control, 1) != 0 &&
          !AUsages.Add(range.UsagePage, static_cast<std::uint16_t>(usage))) {
        return false;
      }
    }
  }
  return true;
}

// Array field: each control holds the index of a usage that is on, offset by the logical
// minimum; a value outside the logical range or the usage list means none.
bool AddArrayUsages(const THidButtonField& AField, std::span<const std::uint8_t> AReport,
                    TUsageCollector& AUsages) {
  for (std::uint32_t control = 0; control < AField.Count; ++control) {
    const std::uint32_t raw = ReadBits(
        AReport, AField.BitOffset + std::uint64_t{control} * AField.BitSize, AField.BitSize);
    std::int64_t value = raw;
    if (AField.LogicalMinimum < 0 && (raw >> (AField.BitSize - 1)) != 0) {
      value -= std::int64_t{1} << AField.BitSize;  // negative in BitSize bits
    }
    if (value < AField.LogicalMinimum || value > AField.LogicalMaximum) {
      continue;
    }
    const auto index = static_cast<std::uint64_t>(value - AField.LogicalMinimum);
    if (index >= AField.UsageCount) {
      continue;
    }
    // The last range that starts at or before index holds it.
    const auto after = std::upper_bound(AField.Usages.begin(), AField.Usages.end(), index,
                                        [](std::uint64_t AIndex, const THidUsageRange& ARange) {
                                          return AIndex < ARange.FirstIndex;
                                        });
    const THidUsageRange& range = *std::prev(after);
    if (!AUsages.Add(range.UsagePage,
                     static_cast<std::uint16_t>(range.First + (index - range.FirstIndex)))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::size_t MaxInputUsageListLength(const THidTopLevelCollection& ACollection) {
  std::size_t length = 0;
  for (const THidButtonField& field : ACollection.InputButtons) {
    length += field.IsArray ? field.Count : std::min<std::uint64_t>(field.Count, field.UsageCount);
  }
  return length;
}

std::optional<std::vector<THidUsage>> InputButtonUsages(const THidTopLevelCollection& ACollection,
                                                        std::span<const std::uint8_t> AReport,
                                                        std::size_t AMaxUsages) {
  if (AReport.empty()) {
    return std::nullopt;
  }
  const std::uint8_t id = AReport[0];
  const auto known =
      std::find(ACollection.InputReportIds.begin(), ACollection.InputReportIds.end(), id);
  const auto index = static_cast<std::size_t>(known - ACollection.InputReportIds.begin());
  if (index >= ACollection.InputReportByteLengths.size() ||
      AReport.size() < ACollection.InputReportByteLengths[index]) {
    return std::nullopt;
  }
  TUsageCollector usages(AMaxUsages);
  for (const THidButtonField& field : ACollection.InputButtons) {
    if (field.ReportId != id) {
      continue;
    }
    const bool added = field.IsArray ? AddArrayUsages(field, AReport, usages)
                                     : AddVariableUsages(field, AReport, usages);
    if (!added) {
      return std::nullopt;
    }
  }
  return usages.Take();
}

}  // namespace mon
