#include "hid/hid_report_descriptor.h"

#include <algorithm>
#include <array>

namespace mon {

namespace {

// A report may hold at most this many bits: its byte length, the report-ID byte included, must
// fit the 16-bit lengths of THidCaps.
constexpr std::uint64_t kMaxReportBits = (0xFFFFull - 1) * 8;
// Push beyond this depth is taken as a malformed descriptor rather than kept in memory.
constexpr std::size_t kMaxPushDepth = 64;

enum class TItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

namespace main_tag {
constexpr std::uint8_t kInput = 0x8;
constexpr std::uint8_t kOutput = 0x9;
constexpr std::uint8_t kCollection = 0xA;
constexpr std::uint8_t kFeature = 0xB;
constexpr std::uint8_t kEndCollection = 0xC;
}  // namespace main_tag

namespace global_tag {
constexpr std::uint8_t kUsagePage = 0x0;
constexpr std::uint8_t kLogicalMinimum = 0x1;
constexpr std::uint8_t kLogicalMaximum = 0x2;
constexpr std::uint8_t kUnit = 0x6;  // physical range, unit exponent and unit (3..6) are unused
constexpr std::uint8_t kReportSize = 0x7;
constexpr std::uint8_t kReportId = 0x8;
constexpr std::uint8_t kReportCount = 0x9;
constexpr std::uint8_t kPush = 0xA;
constexpr std::uint8_t kPop = 0xB;
}  // namespace global_tag

namespace local_tag {
constexpr std::uint8_t kUsage = 0x0;
constexpr std::uint8_t kUsageMinimum = 0x1;
constexpr std::uint8_t kUsageMaximum = 0x2;
constexpr std::uint8_t kDelimiter = 0xA;
}  // namespace local_tag

// Main item data bits.
constexpr std::uint32_t kConstantBit = 0x01;
constexpr std::uint32_t kVariableBit = 0x02;

struct TItem {
  TItemType Type = TItemType::Main;
  std::uint8_t Tag = 0;
  std::uint8_t Size = 0;  // data bytes: 0, 1, 2 or 4
  std::uint32_t Unsigned = 0;
  std::int32_t Signed = 0;
};

// Reads the short items of a descriptor one after the other; long items are skipped.
class TItemReader {
 public:
  explicit TItemReader(std::span<const std::uint8_t> ABytes) : FBytes(ABytes) {}

  bool AtEnd() const { return FPosition == FBytes.size(); }

  // The next short item; nullopt for a truncated or reserved item.
  std::optional<TItem> Next() {
    while (!AtEnd()) {
      const std::uint8_t prefix = FBytes[FPosition];
      if (prefix == kLongItemPrefix) {
        // Long item: prefix, data size, tag, data. No long item tag is defined; skip it.
        if (FBytes.size() - FPosition < 3 ||
            FBytes.size() - FPosition - 3 < FBytes[FPosition + 1]) {
          return std::nullopt;
        }
        FPosition += 3 + std::size_t{FBytes[FPosition + 1]};
        continue;
      }
      static constexpr std::array<std::uint8_t, 4> kDataSizes = {0, 1, 2, 4};
      TItem item;
      item.Size = kDataSizes[prefix & 0x03];
      item.Type = static_cast<TItemType>((prefix >> 2) & 0x03);
      item.Tag = static_cast<std::uint8_t>(prefix >> 4);
      if (item.Type == TItemType::Reserved || FBytes.size() - FPosition - 1 < item.Size) {
        return std::nullopt;
      }
      for (std::size_t i = 0; i < item.Size; ++i) {
        item.Unsigned |= std::uint32_t{FBytes[FPosition + 1 + i]} << (8 * i);
      }
      item.Signed = SignExtended(item.Unsigned, item.Size);
      FPosition += 1 + item.Size;
      return item;
    }
    return std::nullopt;
  }

 private:
  static constexpr std::uint8_t kLongItemPrefix = 0xFE;

  static std::int32_t SignExtended(std::uint32_t AValue, std::uint8_t ASize) {
    switch (ASize) {
      case 1:
        return static_cast<std::int8_t>(AValue);
      case 2:
        return static_cast<std::int16_t>(AValue);
      case 4:
        return static_cast<std::int32_t>(AValue);
      default:
        return 0;
    }
  }

  std::span<const std::uint8_t> FBytes;
  std::size_t FPosition = 0;
};

// The global items in effect; Push and Pop save and restore all of it.
struct TGlobalState {
  std::uint16_t UsagePage = 0;
  std::int64_t LogicalMinimum = 0;
  // Logical Maximum read as signed and as unsigned: which one applies depends on the minimum.
  std::int64_t LogicalMaximumSigned = 0;
  std::int64_t LogicalMaximumUnsigned = 0;
  std::uint32_t ReportSize = 0;
  std::uint32_t ReportCount = 0;
  std::uint8_t ReportId = 0;
};

// A usage or usage range as the local items gave it. A 1- or 2-byte usage takes the usage page
// in effect at the main item that uses it (as Windows does), a 4-byte one carries its own.
struct TLocalUsage {
  std::optional<std::uint16_t> Page;
  std::uint16_t First = 0;
  std::uint16_t Last = 0;
};

// The local items since the last main item.
struct TLocalState {
  std::vector<TLocalUsage> Usages;
  std::optional<TItem> UsageMinimum;
  std::optional<TItem> UsageMaximum;
  bool InDelimiterSet = false;
  std::size_t UsagesInDelimiterSet = 0;
};

enum class TReportKind : std::uint8_t { Input, Output, Feature };

// The bits declared so far for one report of one collection.
struct TReportBits {
  TReportKind Kind = TReportKind::Input;
  std::uint8_t Id = 0;
  std::uint64_t Bits = 0;
};

struct TCollectionBuilder {
  THidTopLevelCollection Collection;
  // A handful of reports per collection in practice; at most 3 * 256.
  std::vector<TReportBits> Reports;

  TReportBits& Report(TReportKind AKind, std::uint8_t AId) {
    for (TReportBits& report : Reports) {
      if (report.Kind == AKind && report.Id == AId) {
        return report;
      }
    }
    if (AKind == TReportKind::Input) {
      Collection.InputReportIds.push_back(AId);
    }
    return Reports.emplace_back(TReportBits{AKind, AId, 0});
  }

  // The byte length of a report of ABits bits: whole bytes plus the report-ID byte.
  static std::uint16_t ByteLength(std::uint64_t ABits) {
    return static_cast<std::uint16_t>((ABits + 7) / 8 + 1);
  }

  THidTopLevelCollection Finish() {
    for (const TReportBits& report : Reports) {
      const std::uint16_t length = ByteLength(report.Bits);
      std::uint16_t* longest = nullptr;
      switch (report.Kind) {
        case TReportKind::Input:
          longest = &Collection.Caps.InputReportByteLength;
          // Input reports are listed here in the order of InputReportIds.
          Collection.InputReportByteLengths.push_back(length);
          break;
        case TReportKind::Output:
          longest = &Collection.Caps.OutputReportByteLength;
          break;
        case TReportKind::Feature:
          longest = &Collection.Caps.FeatureReportByteLength;
          break;
      }
      *longest = std::max(*longest, length);
    }
    return std::move(Collection);
  }
};

class TDescriptorParser {
 public:
  std::optional<THidReportDescriptor> Parse(std::span<const std::uint8_t> ABytes) {
    TItemReader reader(ABytes);
    while (!reader.AtEnd()) {
      const std::optional<TItem> item = reader.Next();
      if (!item) {
        // A trailing long item leaves the reader at the end without an item.
        if (reader.AtEnd()) {
          break;
        }
        return std::nullopt;
      }
      bool accepted = false;
      switch (item->Type) {
        case TItemType::Main:
          accepted = MainItem(*item);
          break;
        case TItemType::Global:
          accepted = GlobalItem(*item);
          break;
        case TItemType::Local:
          accepted = LocalItem(*item);
          break;
        case TItemType::Reserved:
          break;
      }
      if (!accepted) {
        return std::nullopt;
      }
    }
    if (FDepth != 0 || FCollections.empty() || (FUsesReportIds && FReportWithoutId)) {
      return std::nullopt;
    }
    THidReportDescriptor descriptor;
    descriptor.UsesReportIds = FUsesReportIds;
    for (TCollectionBuilder& builder : FCollections) {
      descriptor.Collections.push_back(builder.Finish());
    }
    return descriptor;
  }

 private:
  bool MainItem(const TItem& AItem) {
    bool accepted = false;
    switch (AItem.Tag) {
      case main_tag::kInput:
        accepted = ReportItem(TReportKind::Input, AItem.Unsigned);
        break;
      case main_tag::kOutput:
        accepted = ReportItem(TReportKind::Output, AItem.Unsigned);
        break;
      case main_tag::kFeature:
        accepted = ReportItem(TReportKind::Feature, AItem.Unsigned);
        break;
      case main_tag::kCollection:
        accepted = Collection();
        break;
      case main_tag::kEndCollection:
        accepted = FDepth > 0;
        FDepth -= accepted ? 1 : 0;
        break;
      default:
        break;
    }
    FLocal = TLocalState{};
    return accepted;
  }

  bool Collection() {
    if (FDepth == 0) {
      THidTopLevelCollection& collection = FCollections.emplace_back().Collection;
      collection.Caps.UsagePage = FGlobal.UsagePage;
      const std::vector<THidUsageRange> usages = ResolvedUsages();
      if (!usages.empty()) {
        collection.Caps.UsagePage = usages.front().UsagePage;
        collection.Caps.Usage = usages.front().First;
      }
    }
    ++FDepth;
    return true;
  }

  bool ReportItem(TReportKind AKind, std::uint32_t AData) {
    if (FDepth == 0) {
      return false;
    }
    // ID 0 is no ID: before the first Report ID item, or after a Pop back to state pushed then.
    if (FGlobal.ReportId == 0) {
      FReportWithoutId = true;
    }
    TCollectionBuilder& builder = FCollections.back();
    TReportBits& report = builder.Report(AKind, FGlobal.ReportId);
    const std::uint64_t offset = report.Bits;
    report.Bits += std::uint64_t{FGlobal.ReportSize} * FGlobal.ReportCount;
    if (report.Bits > kMaxReportBits) {
      return false;
    }
    const bool isArray = (AData & kVariableBit) == 0;
    const bool isButton = isArray ? FGlobal.ReportSize <= 32 : FGlobal.ReportSize == 1;
    if (AKind != TReportKind::Input || (AData & kConstantBit) != 0 || !isButton ||
        FGlobal.ReportSize == 0 || FGlobal.ReportCount == 0) {
      return true;
    }
    THidButtonField field;
    field.ReportId = FGlobal.ReportId;
    field.BitOffset = static_cast<std::uint32_t>(8 + offset);
    field.BitSize = FGlobal.ReportSize;
    field.Count = FGlobal.ReportCount;
    field.IsArray = isArray;
    field.LogicalMinimum = FGlobal.LogicalMinimum;
    field.LogicalMaximum =
        FGlobal.LogicalMinimum < 0 ? FGlobal.LogicalMaximumSigned : FGlobal.LogicalMaximumUnsigned;
    field.Usages = ResolvedUsages();
    if (!field.Usages.empty()) {
      field.UsageCount =
          field.Usages.back().FirstIndex + field.Usages.back().Last - field.Usages.back().First + 1;
      builder.Collection.InputButtons.push_back(std::move(field));
    }
    return true;
  }

  // The local usages with their pages.
  std::vector<THidUsageRange> ResolvedUsages() const {
    std::vector<THidUsageRange> ranges;
    std::uint64_t index = 0;
    for (const TLocalUsage& usage : FLocal.Usages) {
      ranges.push_back(
          THidUsageRange{usage.Page.value_or(FGlobal.UsagePage), usage.First, usage.Last, index});
      index += std::uint64_t{usage.Last} - usage.First + 1;
    }
    return ranges;
  }

  bool GlobalItem(const TItem& AItem) {
    switch (AItem.Tag) {
      case global_tag::kUsagePage:
        FGlobal.UsagePage = static_cast<std::uint16_t>(AItem.Unsigned);
        return AItem.Unsigned <= 0xFFFF;
      case global_tag::kLogicalMinimum:
        FGlobal.LogicalMinimum = AItem.Signed;
        return true;
      case global_tag::kLogicalMaximum:
        FGlobal.LogicalMaximumSigned = AItem.Signed;
        FGlobal.LogicalMaximumUnsigned = AItem.Unsigned;
        return true;
      case global_tag::kReportSize:
        FGlobal.ReportSize = AItem.Unsigned;
        return true;
      case global_tag::kReportId:
        if (AItem.Unsigned == 0 || AItem.Unsigned > 0xFF) {
          return false;
        }
        FGlobal.ReportId = static_cast<std::uint8_t>(AItem.Unsigned);
        FUsesReportIds = true;
        return true;
      case global_tag::kReportCount:
        FGlobal.ReportCount = AItem.Unsigned;
        return true;
      case global_tag::kPush:
        if (FPushed.size() == kMaxPushDepth) {
          return false;
        }
        FPushed.push_back(FGlobal);
        return true;
      case global_tag::kPop:
        if (FPushed.empty()) {
          return false;
        }
        FGlobal = FPushed.back();
        FPushed.pop_back();
        return true;
      default:
        // Physical range, unit exponent, unit: not needed; other tags are reserved.
        return AItem.Tag <= global_tag::kUnit;
    }
  }

  bool LocalItem(const TItem& AItem) {
    // A 4-byte usage carries its usage page in the high half.
    const auto usageOf = [](const TItem& AUsage) {
      TLocalUsage usage;
      usage.First = static_cast<std::uint16_t>(AUsage.Unsigned);
      usage.Last = usage.First;
      if (AUsage.Size == 4) {
        usage.Page = static_cast<std::uint16_t>(AUsage.Unsigned >> 16);
      }
      return usage;
    };
    switch (AItem.Tag) {
      case local_tag::kUsage:
        // Within a delimiter set the first usage stands for the set; the others are aliases.
        if (!FLocal.InDelimiterSet || FLocal.UsagesInDelimiterSet++ == 0) {
          FLocal.Usages.push_back(usageOf(AItem));
        }
        break;
      case local_tag::kUsageMinimum:
        FLocal.UsageMinimum = AItem;
        break;
      case local_tag::kUsageMaximum:
        FLocal.UsageMaximum = AItem;
        break;
      case local_tag::kDelimiter:
        FLocal.InDelimiterSet = AItem.Unsigned == 1;
        FLocal.UsagesInDelimiterSet = 0;
        break;
      default:
        break;  // designators and strings are not needed
    }
    if (FLocal.UsageMinimum && FLocal.UsageMaximum) {
      TLocalUsage range = usageOf(*FLocal.UsageMinimum);
      const TLocalUsage maximum = usageOf(*FLocal.UsageMaximum);
      // A range runs upwards on one usage page.
      if (maximum.First < range.First ||
          (range.Page && maximum.Page && range.Page != maximum.Page)) {
        return false;
      }
      range.Page = range.Page ? range.Page : maximum.Page;
      range.Last = maximum.First;
      FLocal.Usages.push_back(range);
      FLocal.UsageMinimum.reset();
      FLocal.UsageMaximum.reset();
    }
    return true;
  }

  TGlobalState FGlobal;
  std::vector<TGlobalState> FPushed;
  TLocalState FLocal;
  std::vector<TCollectionBuilder> FCollections;
  std::uint32_t FDepth = 0;
  bool FUsesReportIds = false;
  bool FReportWithoutId = false;
};

}  // namespace

std::optional<THidReportDescriptor> ParseHidReportDescriptor(std::span<const std::uint8_t> ABytes) {
  return TDescriptorParser().Parse(ABytes);
}

}  // namespace mon
