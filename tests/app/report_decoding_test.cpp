#include "app/report_decoding.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/shared_definitions.h"

namespace mon {
namespace {

TReportAction Decode(std::uint8_t AId, std::vector<std::uint8_t> AData) {
  return DecodeInputReport(AId, AData.data(), static_cast<std::uint16_t>(AData.size()));
}

using TKind = TReportAction::TKind;

TEST(ReportDecodingTest, KeyReportCodesAreOneHotMasksAfterTheReportId) {
  const auto& codes = KeyReportCodes();
  EXPECT_EQ(codes[0], (TKeyReportCode{7, 0x01, 0, 0}));
  EXPECT_EQ(codes[9], (TKeyReportCode{7, 0, 0x02, 0}));
  EXPECT_EQ(codes[23], (TKeyReportCode{7, 0, 0, 0x80}));
  EXPECT_EQ(KeyReportMask(13), 0x2000u);
}

TEST(ReportDecodingTest, KeyReportWithOneBitGivesItsKeyIndex) {
  auto action = Decode(7, {0x04, 0, 0, 9, 9, 9, 9});
  EXPECT_EQ(action.Kind, TKind::PostKeyIndexToSelf);
  EXPECT_EQ(action.Message, 7524u);
  EXPECT_EQ(action.WParam, 2u);
  EXPECT_EQ(Decode(7, {0, 0, 0x80, 0, 0, 0, 0}).WParam, 23u);
  EXPECT_EQ(Decode(7, {0, 0x20, 0, 0, 0, 0, 0}).WParam, 13u);
}

TEST(ReportDecodingTest, ReleaseSeveralButtonsAndOtherSizesDoNothing) {
  EXPECT_EQ(Decode(7, {0x03, 0, 0, 0, 0, 0, 0}).Kind, TKind::None);
  EXPECT_EQ(Decode(7, {0, 0, 0, 0, 0, 0, 0}).Kind, TKind::None);
  EXPECT_EQ(Decode(7, {0x04, 0, 0, 0, 0, 0}).Kind, TKind::None);
  EXPECT_EQ(Decode(7, {0x04, 0, 0, 0, 0, 0, 0, 0}).Kind, TKind::None);
  EXPECT_EQ(Decode(8, {1, 3, 0, 0, 0, 0}).Kind, TKind::None);
  EXPECT_EQ(Decode(9, {0x04, 0, 0, 0, 0, 0, 0}).Kind, TKind::None);
  EXPECT_EQ(DecodeInputReport(7, nullptr, 7).Kind, TKind::None);
}

TEST(ReportDecodingTest, StatusReports) {
  auto select = Decode(8, {1, 3, 0, 0, 0, 0, 0});
  EXPECT_EQ(select.Kind, TKind::PostKeyIndexToSelf);
  EXPECT_EQ(select.WParam, 24u);
  auto status2 = Decode(8, {2, 0x2A, 0, 0, 0, 0, 0});
  EXPECT_EQ(status2.Kind, TKind::PostToConfig);
  EXPECT_EQ(status2.Message, 7042u);
  EXPECT_EQ(status2.WParam, 0x2Au);
  auto status6 = Decode(8, {6, 0xFF, 0, 0, 0, 0, 0});
  EXPECT_EQ(status6.Message, 7043u);
  EXPECT_EQ(status6.WParam, 255u);
  EXPECT_EQ(Decode(8, {1, 5, 0, 0, 0, 0, 0}).Kind, TKind::None);
  EXPECT_EQ(Decode(8, {3, 1, 0, 0, 0, 0, 0}).Kind, TKind::None);
}

TEST(ReportDecodingTest, KeyIndexMessageValues) {
  using TAction = TKeyIndexAction::TKind;
  EXPECT_EQ(ClassifyKeyIndex(0).Kind, TAction::Button);
  EXPECT_EQ(ClassifyKeyIndex(13).Index, 13);
  for (std::uintptr_t w = 14; w <= 20; ++w) {
    EXPECT_EQ(ClassifyKeyIndex(w).Kind, TAction::Ignore) << w;
  }
  EXPECT_EQ(ClassifyKeyIndex(21).Kind, TAction::SelectProfile);
  EXPECT_EQ(ClassifyKeyIndex(21).Index, 0);
  EXPECT_EQ(ClassifyKeyIndex(25).Index, 4);
  EXPECT_EQ(ClassifyKeyIndex(26).Kind, TAction::Ignore);
  EXPECT_EQ(ClassifyKeyIndex(static_cast<std::uintptr_t>(-1)).Kind, TAction::Ignore);
  // A key report of bit 21..23 travels as a profile selection: the two share the number space.
  const std::vector<std::uint8_t> bit22{0, 0, 0x40, 0, 0, 0, 0};
  EXPECT_EQ(ClassifyKeyIndex(DecodeInputReport(7, bit22.data(), 7).WParam).Index, 1);
}

}  // namespace
}  // namespace mon
