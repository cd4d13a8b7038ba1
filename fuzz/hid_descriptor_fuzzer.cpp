// Parses any bytes as a HID report descriptor (what a hidraw node's report_descriptor may hold)
// and, when they parse, reads button usages from input reports made from the same bytes. Checks
// what holds for any descriptor:
// - every collection's lengths agree with its input reports: one length per input report ID,
//   IDs unique, the input byte length their largest, no IDs exactly when there is no input
//   report; ID 0 exactly when the descriptor uses no IDs;
// - every button field lies within its report and belongs to one of the collection's input IDs;
// - a whole input report always yields a usage list when given room for
//   MaxInputUsageListLength usages, never usage 0 and never more than asked for; a report one
//   byte short, or with an ID the collection does not have, yields none.
// A violated property aborts, which libFuzzer reports as a crash with the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "hid/hid_report_descriptor.h"

namespace {

// Work per input stays small whatever the descriptor declares.
constexpr std::size_t kMaxCollectionsChecked = 8;
constexpr std::size_t kMaxReportsChecked = 4;

void Require(bool ACondition) {
  if (!ACondition) {
    std::abort();
  }
}

void CheckLengths(const mon::THidTopLevelCollection& ACollection, bool AUsesReportIds) {
  const auto& ids = ACollection.InputReportIds;
  Require(ids.size() == ACollection.InputReportByteLengths.size());
  Require(ids.empty() == (ACollection.Caps.InputReportByteLength == 0));
  std::vector<std::uint8_t> sorted = ids;
  std::sort(sorted.begin(), sorted.end());
  Require(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end());
  for (const std::uint8_t id : ids) {
    Require((id == 0) == !AUsesReportIds);
  }
  if (!ids.empty()) {
    Require(*std::max_element(ACollection.InputReportByteLengths.begin(),
                              ACollection.InputReportByteLengths.end()) ==
            ACollection.Caps.InputReportByteLength);
  }
  for (const mon::THidButtonField& field : ACollection.InputButtons) {
    const auto known = std::find(ids.begin(), ids.end(), field.ReportId);
    Require(known != ids.end());
    const std::uint64_t end = field.BitOffset + std::uint64_t{field.Count} * field.BitSize;
    Require(end <= 8ull * ACollection.InputReportByteLengths[known - ids.begin()]);
    Require(!field.Usages.empty() && field.UsageCount > 0);
  }
}

// An input report of ALength bytes with report ID AId, its data taken from ABytes in turn.
std::vector<std::uint8_t> MakeReport(std::uint8_t AId, std::size_t ALength,
                                     std::span<const std::uint8_t> ABytes, std::size_t ASeed) {
  std::vector<std::uint8_t> report(ALength);
  for (std::size_t i = 1; i < ALength; ++i) {
    report[i] = ABytes[(ASeed + i) % ABytes.size()];
  }
  if (ALength > 0) {
    report[0] = AId;
  }
  return report;
}

void CheckReports(const mon::THidTopLevelCollection& ACollection,
                  std::span<const std::uint8_t> ABytes) {
  const std::size_t room = mon::MaxInputUsageListLength(ACollection);
  for (std::size_t i = 0; i < ACollection.InputReportIds.size() && i < kMaxReportsChecked; ++i) {
    const std::uint8_t id = ACollection.InputReportIds[i];
    const std::size_t length = ACollection.InputReportByteLengths[i];
    const auto report = MakeReport(id, length, ABytes, i * 7);
    const auto usages = mon::InputButtonUsages(ACollection, report, room);
    Require(usages.has_value() && usages->size() <= room);
    for (const mon::THidUsage& usage : *usages) {
      Require(usage.Usage != 0);
    }
    // With room for one usage fewer than found, there is none.
    if (!usages->empty()) {
      Require(!mon::InputButtonUsages(ACollection, report, usages->size() - 1));
    }
    const auto shorter = std::span(report).first(length - 1);
    Require(!mon::InputButtonUsages(ACollection, shorter, room));
  }
  // An ID the collection does not have.
  for (unsigned id = 0; id <= 0xFF; ++id) {
    const auto& ids = ACollection.InputReportIds;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
      const auto report = MakeReport(static_cast<std::uint8_t>(id), 8, ABytes, 0);
      Require(!mon::InputButtonUsages(ACollection, report, room));
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  const std::span<const std::uint8_t> bytes(AData, ASize);
  const auto descriptor = mon::ParseHidReportDescriptor(bytes);
  if (!descriptor) {
    return 0;
  }
  Require(!descriptor->Collections.empty() && !bytes.empty());
  for (std::size_t i = 0; i < descriptor->Collections.size() && i < kMaxCollectionsChecked; ++i) {
    CheckLengths(descriptor->Collections[i], descriptor->UsesReportIds);
    CheckReports(descriptor->Collections[i], bytes);
  }
  return 0;
}
