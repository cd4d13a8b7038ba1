// What the monitor makes of the mouse's input reports and of its own key-index message.
//
// Key report (ID 7, 7 data bytes): bytes 0..2 are a 24-bit button mask; a report with exactly
// one bit set is key index j (the bit's number). Status report (ID 8, 7 data bytes): byte 0 is
// the sub-type (1 profile selected, 2 and 6 values for the configuration program), byte 1 the
// value. Every other report is ignored.
#pragma once

#include <array>
#include <cstdint>

namespace mon {

inline constexpr std::uint8_t KEY_REPORT_ID = 7;
inline constexpr std::uint8_t STATUS_REPORT_ID = 8;
inline constexpr std::uint16_t kDecodedReportSize = 7;
inline constexpr int kKeyReportCodeCount = 24;

// Report ID 7 followed by the three mask bytes with bit j set, for j = 0..23.
using TKeyReportCode = std::array<std::uint8_t, 4>;
const std::array<TKeyReportCode, kKeyReportCodeCount>& KeyReportCodes();

// The mask of key index AIndex as a 24-bit number (1 shifted left by AIndex).
std::uint32_t KeyReportMask(int AIndex);

struct TReportAction {
  enum class TKind {
    None,
    PostKeyIndexToSelf,  // post WM_MONITOR_KEY_INDEX with WParam, lParam 1
    PostToConfig,        // post Message with WParam, lParam 0 to the configuration program
  };
  TKind Kind = TKind::None;
  std::uint32_t Message = 0;
  std::uintptr_t WParam = 0;
};

// ASize counts the bytes at AData (the bytes after the report ID).
TReportAction DecodeInputReport(std::uint8_t AReportID, const std::uint8_t* AData,
                                std::uint16_t ASize);

// The meaning of a key-index message's wParam (any value: any process may post the message).
struct TKeyIndexAction {
  enum class TKind { Ignore, Button, SelectProfile };
  TKind Kind = TKind::Ignore;
  int Index = 0;  // button 0..13, or profile 0..4
};
TKeyIndexAction ClassifyKeyIndex(std::uintptr_t AWParam);

inline constexpr std::uintptr_t kFirstProfileKeyIndex = 21;

}  // namespace mon
