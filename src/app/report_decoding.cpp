#include "app/report_decoding.h"

#include "app/shared_definitions.h"

namespace mon {

namespace {

constexpr std::uint8_t kStatusProfileSelected = 1;
constexpr std::uint8_t kStatusValue2 = 2;
constexpr std::uint8_t kStatusValue6 = 6;
constexpr int kProfileCount = 5;

std::array<TKeyReportCode, kKeyReportCodeCount> BuildKeyReportCodes() {
  std::array<TKeyReportCode, kKeyReportCodeCount> codes{};
  for (int j = 0; j < kKeyReportCodeCount; ++j) {
    codes[static_cast<std::size_t>(j)] = {KEY_REPORT_ID, 0, 0, 0};
    codes[static_cast<std::size_t>(j)][1 + static_cast<std::size_t>(j / 8)] =
        static_cast<std::uint8_t>(1u << (j % 8));
  }
  return codes;
}

}  // namespace

const std::array<TKeyReportCode, kKeyReportCodeCount>& KeyReportCodes() {
  static const auto codes = BuildKeyReportCodes();
  return codes;
}

std::uint32_t KeyReportMask(int AIndex) {
  return AIndex >= 0 && AIndex < kKeyReportCodeCount ? 1u << AIndex : 0;
}

TReportAction DecodeInputReport(std::uint8_t AReportID, const std::uint8_t* AData,
                                std::uint16_t ASize) {
  if (ASize != kDecodedReportSize || AData == nullptr) {
    return {};
  }
  if (AReportID == KEY_REPORT_ID) {
    const auto& codes = KeyReportCodes();
    for (std::size_t j = 0; j < codes.size(); ++j) {
      // The entry's first byte (the report ID) is not compared.
      if (codes[j][1] == AData[0] && codes[j][2] == AData[1] && codes[j][3] == AData[2]) {
        return {TReportAction::TKind::PostKeyIndexToSelf, WM_MONITOR_KEY_INDEX, j};
      }
    }
    return {};
  }
  if (AReportID == STATUS_REPORT_ID) {
    const std::uint8_t subType = AData[0];
    const std::uint8_t value = AData[1];
    if (subType == kStatusValue2) {
      return {TReportAction::TKind::PostToConfig, WM_MONITOR_STATUS_2, value};
    }
    if (subType == kStatusValue6) {
      return {TReportAction::TKind::PostToConfig, WM_MONITOR_STATUS_6, value};
    }
    if (subType == kStatusProfileSelected && value < kProfileCount) {
      return {TReportAction::TKind::PostKeyIndexToSelf, WM_MONITOR_KEY_INDEX,
              kFirstProfileKeyIndex + value};
    }
  }
  return {};
}

TKeyIndexAction ClassifyKeyIndex(std::uintptr_t AWParam) {
  if (AWParam < static_cast<std::uintptr_t>(kButtonEntryCount)) {
    return {TKeyIndexAction::TKind::Button, static_cast<int>(AWParam)};
  }
  if (AWParam >= kFirstProfileKeyIndex && AWParam < kFirstProfileKeyIndex + kProfileCount) {
    return {TKeyIndexAction::TKind::SelectProfile,
            static_cast<int>(AWParam - kFirstProfileKeyIndex)};
  }
  return {};  // 14..20 have no button record; anything else is not ours
}

}  // namespace mon
