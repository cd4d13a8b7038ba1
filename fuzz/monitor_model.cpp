#include "monitor_model.h"

#include <bit>
#include <string>

namespace mon::fuzzing {

namespace {

// Message numbers between the two programs, as the configuration program knows them.
constexpr std::uint32_t kProfileSwitchedMessage = 7040;
constexpr std::uint32_t kStatus2Message = 7042;
constexpr std::uint32_t kStatus6Message = 7043;

constexpr std::uint8_t kStatusProfileSelected = 1;
constexpr std::uint8_t kStatusValue2 = 2;
constexpr std::uint8_t kStatusValue6 = 6;

std::u16string KeyIndexDebugLine(int AKeyIndex) {
  const std::string number = std::to_string(AKeyIndex);
  return u"KeyIndex = " + std::u16string(number.begin(), number.end()) + u" postmessage record!";
}

}  // namespace

TExpectedEffects ExpectedOfKeyIndex(const TMonitorOnFakes& AWorld, std::uintptr_t AWParam) {
  TExpectedEffects effects;
  const bool noticesShown = !AWorld.Options.UserBusy;
  if (AWParam < static_cast<std::uintptr_t>(kButtonCount)) {
    // The mute key inverts the microphone's state and tells it; without a microphone nothing
    // happens.
    if (AWorld.IsMuteKey(static_cast<int>(AWParam)) && AWorld.Options.MicrophonePresent) {
      effects.MuteToggled = true;
      effects.Notices = noticesShown ? 1 : 0;
    }
  } else if (AWParam >= kFirstProfileIndex && AWParam < kFirstProfileIndex + kProfileCount) {
    const auto profile = static_cast<std::uint32_t>(AWParam - kFirstProfileIndex);
    effects.ProfileId = profile;
    effects.ToConfig.push_back({kConfigWindow, kProfileSwitchedMessage, profile, 0, true});
    effects.BoundedSends = 1;
    effects.Notices = noticesShown ? 1 : 0;
  }
  return effects;
}

TExpectedEffects ExpectedOfReport(const TMonitorOnFakes& AWorld, std::uint8_t AReportId,
                                  std::span<const std::uint8_t> AData) {
  if (AData.size() != kReportDataSize) {
    return {};
  }
  if (AReportId == kKeyReportId) {
    // One button alone: its bit's number is the key index; a release or a chord is nothing.
    const std::uint32_t mask = AData[0] | (AData[1] << 8) | (AData[2] << 16);
    if (std::popcount(mask) != 1) {
      return {};
    }
    const int keyIndex = std::countr_zero(mask);
    TExpectedEffects effects = ExpectedOfKeyIndex(AWorld, static_cast<std::uintptr_t>(keyIndex));
    effects.PostsToSelf = true;
    effects.DebugLines.push_back(KeyIndexDebugLine(keyIndex));
    return effects;
  }
  if (AReportId == kStatusReportId) {
    const std::uint8_t value = AData[1];
    switch (AData[0]) {
      case kStatusProfileSelected:
        if (value < kProfileCount) {
          TExpectedEffects effects = ExpectedOfKeyIndex(AWorld, kFirstProfileIndex + value);
          effects.PostsToSelf = true;
          return effects;
        }
        return {};
      case kStatusValue2:
      case kStatusValue6: {
        TExpectedEffects effects;
        const std::uint32_t message = AData[0] == kStatusValue2 ? kStatus2Message : kStatus6Message;
        effects.ToConfig.push_back({kConfigWindow, message, value, 0, false});
        return effects;
      }
      default:
        return {};
    }
  }
  return {};
}

void RequireReportHandled(TMonitorOnFakes& AWorld, std::uint8_t AReportId,
                          std::span<const std::uint8_t> AData) {
  const TExpectedEffects expected = ExpectedOfReport(AWorld, AReportId, AData);
  RequireStep(AWorld, expected, [&] {
    AWorld.DeliverReport(AReportId, AData);
    Require(AWorld.Window().PostedCount() == (expected.PostsToSelf ? 1u : 0u));
  });
}

}  // namespace mon::fuzzing
