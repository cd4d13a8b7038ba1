// A HID report descriptor read the way Windows reads it: each top-level collection becomes one
// interface with its usage page and usage and the byte lengths HidP_GetCaps reports, and the
// button fields of its input reports are kept so that the usages an input report has on can be
// listed (what HidP_GetUsages gives). Backends that only see the raw descriptor (hidraw) use it.
//
// Reports are in the Windows layout throughout: byte 0 is the report ID (0 when the descriptor
// uses none) and every length includes that byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/hid_system.h"

namespace mon {

// Consecutive usages First..Last of one usage page, as one Usage or a Usage Minimum/Maximum pair
// declared them.
struct THidUsageRange {
  std::uint16_t UsagePage = 0;
  std::uint16_t First = 0;
  std::uint16_t Last = 0;
  // How many usages of the field's list come before this range.
  std::uint64_t FirstIndex = 0;
};

// One button field of an input report: Count controls of BitSize bits each, from BitOffset on.
// A variable field has one on/off bit per control, whose usage is the control's entry in
// Usages; an array field holds in each control the index of a usage that is on (its value minus
// LogicalMinimum).
struct THidButtonField {
  std::uint8_t ReportId = 0;
  // From the start of the report, the report-ID byte included.
  std::uint32_t BitOffset = 0;
  std::uint32_t BitSize = 0;
  std::uint32_t Count = 0;
  bool IsArray = false;
  std::int64_t LogicalMinimum = 0;
  std::int64_t LogicalMaximum = 0;
  std::vector<THidUsageRange> Usages;
  // The number of usages in Usages.
  std::uint64_t UsageCount = 0;
};

// One top-level collection of a report descriptor, as Windows presents it as its own interface.
struct THidTopLevelCollection {
  // UsagePage, Usage and the three report byte lengths computed the way HidP_GetCaps computes
  // them: per report ID the bits of its main items (padding included) in whole bytes plus the
  // report-ID byte, the largest over the collection's IDs, 0 when it has no report of the kind.
  THidCaps Caps;
  // The report IDs of its input reports in the order they first appear; {0} when the descriptor
  // uses no IDs and the collection has input reports, empty when it has none.
  std::vector<std::uint8_t> InputReportIds;
  // The byte length of each of those input reports (same order), the report-ID byte included.
  std::vector<std::uint16_t> InputReportByteLengths;
  // The button fields of its input reports, in descriptor order. Constant fields are left out.
  std::vector<THidButtonField> InputButtons;
};

struct THidReportDescriptor {
  bool UsesReportIds = false;
  std::vector<THidTopLevelCollection> Collections;  // in descriptor order
};

// nullopt for a malformed descriptor: a truncated or reserved item, an unknown main or global
// item, a main item outside any collection, unbalanced collections, Pop without Push (or Push
// more than 64 deep), a usage range running downwards or over two usage pages, a report ID of 0
// or above 255, reports both with and without an ID, a report longer than 65535 bytes, or no
// top-level collection at all. Work and memory are linear in the size of ABytes.
std::optional<THidReportDescriptor> ParseHidReportDescriptor(std::span<const std::uint8_t> ABytes);

// HidP_MaxUsageListLength for input reports over all usage pages: the most button usages that
// InputButtonUsages can list for one report of the collection.
std::size_t MaxInputUsageListLength(const THidTopLevelCollection& ACollection);

// The usages of the buttons that AReport (a whole input report: byte 0 is the report ID, 0 when
// the descriptor uses none) has on, at most AMaxUsages, in descriptor order. Controls beyond a
// field's usage list and usage 0 are not listed. nullopt when AReport is not an input report of
// this collection (unknown ID, shorter than that report) or has more than AMaxUsages on.
std::optional<std::vector<THidUsage>> InputButtonUsages(const THidTopLevelCollection& ACollection,
                                                        std::span<const std::uint8_t> AReport,
                                                        std::size_t AMaxUsages);

}  // namespace mon
