#include "hid/hid_report_descriptor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "descriptor_file.h"

namespace mon {
namespace {

namespace fs = std::filesystem;
using TBytes = std::vector<std::uint8_t>;

// The bytes of a *_real.rpt_desc file; empty when it gives none.
TBytes ReadDescriptorText(const fs::path& APath) {
  return testing::LoadDescriptorFile(APath.string()).value_or(TBytes{});
}

// The "pp_data->NAME = VALUE" lines of a *.pp_data file, as numbers.
std::map<std::string, std::int64_t> ReadPreparsedData(const fs::path& APath) {
  std::ifstream file(APath);
  std::map<std::string, std::int64_t> values;
  for (std::string name, equals, value; file >> name;) {
    if (name.starts_with("pp_data->") && file >> equals >> value && equals == "=") {
      values[name.substr(9)] = std::stoll(value, nullptr, value.starts_with("0x") ? 16 : 10);
    }
  }
  return values;
}

std::vector<std::string> CollectionsInData() {
  std::vector<std::string> stems;
  for (const auto& entry : fs::directory_iterator(MON_HID_DESCRIPTOR_DATA_DIR)) {
    if (entry.path().extension() == ".pp_data") {
      stems.push_back(entry.path().stem().string());
    }
  }
  std::sort(stems.begin(), stems.end());
  return stems;
}

std::vector<std::uint16_t> Usages(const std::optional<std::vector<THidUsage>>& AList,
                                  std::uint16_t APage) {
  std::vector<std::uint16_t> usages;
  for (const THidUsage& usage : AList.value_or(std::vector<THidUsage>{})) {
    EXPECT_EQ(usage.UsagePage, APage);
    usages.push_back(usage.Usage);
  }
  return usages;
}

void SetBits(TBytes& AReport, std::int64_t ABit, std::int64_t ASize, std::int64_t AValue) {
  for (std::int64_t i = 0; i < ASize; ++i) {
    AReport[(ABit + i) / 8] |= static_cast<std::uint8_t>(((AValue >> i) & 1) << ((ABit + i) % 8));
  }
}

class RealDescriptorTest : public ::testing::TestWithParam<std::string> {};

// Each collection Windows made of a real descriptor is found with its usage, its three report
// byte lengths, and, for every input button its preparsed data lists, the same usage when only
// that button is on.
TEST_P(RealDescriptorTest, MatchesWhatWindowsMadeOfIt) {
  const fs::path folder = MON_HID_DESCRIPTOR_DATA_DIR;
  const auto windows = ReadPreparsedData(folder / (GetParam() + ".pp_data"));
  const auto descriptor =
      ParseHidReportDescriptor(ReadDescriptorText(folder / (GetParam() + "_real.rpt_desc")));
  ASSERT_TRUE(descriptor);
  const auto collection = std::find_if(
      descriptor->Collections.begin(), descriptor->Collections.end(), [&](const auto& ACandidate) {
        return ACandidate.Caps.UsagePage == windows.at("UsagePage") &&
               ACandidate.Caps.Usage == windows.at("Usage");
      });
  ASSERT_NE(collection, descriptor->Collections.end());
  EXPECT_EQ(collection->Caps.InputReportByteLength, windows.at("caps_info[0]->ReportByteLength"));
  EXPECT_EQ(collection->Caps.OutputReportByteLength, windows.at("caps_info[1]->ReportByteLength"));
  EXPECT_EQ(collection->Caps.FeatureReportByteLength, windows.at("caps_info[2]->ReportByteLength"));

  for (std::int64_t i = 0; i < windows.at("caps_info[0]->LastCap"); ++i) {
    const auto cap = [&](const std::string& AName) {
      return windows.at("cap[" + std::to_string(i) + "]->" + AName);
    };
    const bool isArray = (cap("BitField") & 0x02) == 0;
    if (!cap("IsButtonCap") || (cap("BitField") & 0x01) != 0 || (isArray && !cap("IsRange"))) {
      continue;  // constant, or an array of single usages whose order the caps do not keep
    }
    const std::int64_t first = cap(cap("IsRange") ? "Range.UsageMin" : "NotRange.Usage");
    const std::int64_t last = cap(cap("IsRange") ? "Range.UsageMax" : "NotRange.Usage");
    for (std::int64_t usage = std::max<std::int64_t>(first, 1); usage <= last; ++usage) {
      TBytes report(collection->Caps.InputReportByteLength);
      report[0] = static_cast<std::uint8_t>(cap("ReportID"));
      const std::int64_t bit = cap("BytePosition") * 8 + cap("BitPosition");
      if (isArray) {
        SetBits(report, bit, cap("BitSize"), cap("Button.LogicalMin") + usage - first);
      } else if (usage - first < cap("ReportCount")) {
        SetBits(report, bit + usage - first, 1, 1);
      }
      EXPECT_EQ(Usages(InputButtonUsages(*collection, report, 100), cap("UsagePage")),
                std::vector<std::uint16_t>{static_cast<std::uint16_t>(usage)})
          << "input button cap " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(HidDescriptors, RealDescriptorTest,
                         ::testing::ValuesIn(CollectionsInData()),
                         [](const auto& AInfo) { return AInfo.param; });

TEST(RealDescriptorDataTest, HoldsAllCollectionsAndTheHeadsetsVendorCollection) {
  const auto stems = CollectionsInData();
  EXPECT_EQ(stems.size(), 25u);
  // The headset's 0xFFA0 collection is the kind of vendor collection the mouse is matched on.
  EXPECT_NE(std::find(stems.begin(), stems.end(), "047F_C056_0003_FFA0"), stems.end());
}

TEST(InputButtonUsagesTest, ListsTheMouseButtonsThatAreOnAndRejectsOtherReports) {
  const fs::path file = fs::path(MON_HID_DESCRIPTOR_DATA_DIR) / "046D_C077_0002_0001_real.rpt_desc";
  const auto descriptor = ParseHidReportDescriptor(ReadDescriptorText(file));
  ASSERT_TRUE(descriptor);
  const THidTopLevelCollection& mouse = descriptor->Collections.at(0);
  EXPECT_EQ(mouse.InputReportIds, std::vector<std::uint8_t>{0});
  EXPECT_EQ(MaxInputUsageListLength(mouse), 3u);
  // Buttons 1 and 3, with X, Y and wheel moving; bit 5 lies beyond the usages 1 to 3.
  EXPECT_EQ(Usages(InputButtonUsages(mouse, TBytes{0, 0x25, 9, 9, 9}, 3), 9),
            (std::vector<std::uint16_t>{1, 3}));
  EXPECT_FALSE(InputButtonUsages(mouse, TBytes{0, 0x07, 0, 0, 0}, 2));  // 3 on, room for 2
  EXPECT_FALSE(InputButtonUsages(mouse, TBytes{0, 0x01, 0, 0}, 3));     // too short
  EXPECT_FALSE(InputButtonUsages(mouse, TBytes{1, 0x01, 0, 0, 0}, 3));  // no report 1
}

TEST(ParseHidReportDescriptorTest, KeepsReportIdsAndPushedStateAcrossItemsAndCollections) {
  const TBytes bytes = {
      0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // Generic Desktop, Mouse, Application
      0x85, 0x01, 0x75, 0x08, 0x95, 0x02,  // ID 1, 2 x 8 bits
      0xA4, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x75, 0x01, 0x95, 0x03,  // Push; 3 buttons
      0x81, 0x02, 0xB4, 0x81, 0x03,                                      // Input; Pop; padding
      0x85, 0x02, 0x81, 0x02, 0xC0,                          // ID 2: 16 bits; End Collection
      0x06, 0xA0, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x81, 0x02,  // 0xFFA0 collection: input ID 2
      0x85, 0x03, 0x95, 0x05, 0x91, 0x02, 0xC0};             // ID 3: 40-bit output
  const auto descriptor = ParseHidReportDescriptor(bytes);
  ASSERT_TRUE(descriptor);
  EXPECT_TRUE(descriptor->UsesReportIds);
  ASSERT_EQ(descriptor->Collections.size(), 2u);
  const THidTopLevelCollection& mouse = descriptor->Collections[0];
  EXPECT_EQ(mouse.Caps.UsagePage, 1);
  EXPECT_EQ(mouse.Caps.Usage, 2);
  EXPECT_EQ(mouse.InputReportIds, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(mouse.InputReportByteLengths, (std::vector<std::uint16_t>{4, 3}));  // 3 + 16, 16 bits
  EXPECT_EQ(mouse.Caps.InputReportByteLength, 4);
  EXPECT_EQ(Usages(InputButtonUsages(mouse, TBytes{1, 0x06, 0, 0}, 3), 9),
            (std::vector<std::uint16_t>{2, 3}));
  const THidTopLevelCollection& vendor = descriptor->Collections[1];
  EXPECT_EQ(vendor.Caps.UsagePage, 0xFFA0);
  EXPECT_EQ(vendor.InputReportIds, std::vector<std::uint8_t>{2});
  EXPECT_EQ(vendor.Caps.InputReportByteLength, 3);
  EXPECT_EQ(vendor.Caps.OutputReportByteLength, 6);
  EXPECT_EQ(vendor.Caps.FeatureReportByteLength, 0);
}

TEST(ParseHidReportDescriptorTest, CountsTheReportIdByteAndReadsArraysWithoutIds) {
  // A keyboard: 8 modifier bits, then two key slots of 8 bits with logical range 1..101.
  const TBytes bytes = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29,
                        0xE7, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x15, 0x01, 0x25, 0x65,
                        0x19, 0x04, 0x29, 0x68, 0x75, 0x08, 0x95, 0x02, 0x81, 0x00, 0xC0};
  const auto descriptor = ParseHidReportDescriptor(bytes);
  ASSERT_TRUE(descriptor);
  EXPECT_FALSE(descriptor->UsesReportIds);
  const THidTopLevelCollection& keyboard = descriptor->Collections.at(0);
  EXPECT_EQ(keyboard.Caps.InputReportByteLength, 4);
  EXPECT_EQ(keyboard.InputReportIds, std::vector<std::uint8_t>{0});
  EXPECT_EQ(MaxInputUsageListLength(keyboard), 10u);
  // Left Shift, key value 1 (usage 4), and 0 (outside 1..101: no key).
  EXPECT_EQ(Usages(InputButtonUsages(keyboard, TBytes{0, 0x02, 1, 0}, 10), 7),
            (std::vector<std::uint16_t>{0xE1, 4}));
}

TEST(ParseHidReportDescriptorTest, RejectsMalformedDescriptors) {
  const std::vector<TBytes> malformed = {
      {},                                                      // nothing
      {0x05, 0x01, 0x09, 0x02},                                // no collection
      {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x26, 0xFF},        // truncated item
      {0x09, 0x02, 0xA1, 0x01, 0x81, 0x02},                    // collection never ended
      {0x09, 0x02, 0xA1, 0x01, 0xC0, 0xC0},                    // ended twice
      {0x75, 0x08, 0x95, 0x01, 0x81, 0x02},                    // input outside any collection
      {0xA1, 0x01, 0x85, 0x00, 0xC0},                          // report ID 0
      {0xA1, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0},  // with and without an ID
      {0xA1, 0x01, 0xB4, 0xC0},                                // Pop without Push
      {0xA4, 0xA1, 0x01, 0x85, 0x01, 0x81, 0x02, 0xB4, 0x81, 0x02, 0xC0},  // Pop back to no ID
      {0xA1, 0x01, 0x0C, 0xC0},                                            // reserved item type
      {0xA1, 0x01, 0x19, 0x05, 0x29, 0x01, 0xC0},  // usage range running downwards
      {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0x00, 0x00, 0x95, 0x09, 0x81, 0x02, 0xC0}};  // > 65535 bytes
  for (std::size_t i = 0; i < malformed.size(); ++i) {
    EXPECT_FALSE(ParseHidReportDescriptor(malformed[i])) << "case " << i;
  }
}

}  // namespace
}  // namespace mon
