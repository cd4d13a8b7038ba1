// Hands the monitor's main window, running on the fakes, window messages of any number (mostly
// those of the configuration program, 7000..7601, and a few well-known others) with any wParam
// and lParam, with "ProfileID" stored beforehand as anything (any type, size and bytes), and
// checks after every message that it did exactly what is documented for it and nothing else:
// - 7035 (profile changed): "ProfileID" becomes lParam's low 32 bits as a DWORD, whatever was
//   stored; the reload writes nothing (the stored records are loadable);
// - 7524 (key index): as monitor_model.h gives it (the mute key toggles the microphone once,
//   21..25 select a profile: "ProfileID" written, the configuration program told);
// - the real quit message (registered by name) ends the loop and tells the configuration
//   program once; no other message ends it, 7036 and the system's close and quit numbers
//   included;
// - every other message (7037 settings changed, the monitor's own 7600 and 7601, the numbers the
//   monitor sends, anything else): nothing written, nothing delivered, no mute toggle, no
//   notice;
// - no value but "ProfileID" is ever written, no error reaches the application, no message box,
//   and the window's own queue is empty after a bounded pump.
// Afterwards the window still works: a profile selected on the mouse and a press of the mute key
// do what they always do. A violated property aborts, which libFuzzer reports as a crash.
//
// Input: a flags byte (kFlag...), a byte whose value modulo 16 is the button (0..13) bound to the
// microphone mute (14, 15: none), a byte whose value modulo 5 is the profile selected at the end,
// then up to kMaxMessages messages. Each is a kind byte (kKind...): bits 0..2 choose the number
// (0..3: 7000 plus a 16-bit little-endian number modulo 602; 4, 5: entry (next byte modulo its
// size) of kKnownMessages; 6: any 32-bit little-endian number; 7: the real quit message), then
// wParam (bit 4: 8 bytes little-endian, else 1 byte), lParam (bit 5: 8 bytes little-endian, else
// 1 byte read as signed), and with bit 3 a "ProfileID" stored before the message: a type byte
// (modulo 8, kStoredTypes), a length byte and the bytes, zero-filled where the input ends first.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/MouseMonitor.h"
#include "input_reader.h"
#include "monitor_effects.h"
#include "monitor_model.h"
#include "monitor_on_fakes.h"

namespace {

using mon::fuzzing::kButtonCount;
using mon::fuzzing::kConfigWindow;
using mon::fuzzing::kProfileCount;
using mon::fuzzing::RegistryButProfileId;
using mon::fuzzing::Require;
using mon::fuzzing::RequireReportHandled;
using mon::fuzzing::RequireStep;
using mon::fuzzing::TExpectedEffects;
using mon::fuzzing::TInputReader;
using mon::fuzzing::TMonitorOnFakes;

constexpr std::uint8_t kFlagConfigProgramRuns = 1;
constexpr std::uint8_t kFlagUserBusy = 4;
constexpr std::uint8_t kFlagNoMicrophone = 8;

constexpr std::uint8_t kKindNumberBits = 7;
constexpr std::uint8_t kKindStoresProfileId = 8;
constexpr std::uint8_t kKindWideWParam = 16;
constexpr std::uint8_t kKindWideLParam = 32;

constexpr int kMaxMessages = 64;
constexpr std::uint32_t kFirstNearbyMessage = 7000;
constexpr std::uint32_t kNearbyMessageCount = 602;  // up to the monitor's own 7600 and 7601

// Message numbers between the two programs, as the configuration program knows them.
constexpr std::uint32_t kProfileChangedMessage = 7035;
constexpr std::uint32_t kExitMessage = 7036;  // the monitor posts it to the configuration program
constexpr std::uint32_t kKeyIndexMessage = 7524;

// The numbers between the two programs, the monitor's own, the system's destroy, close, query
// end of session and quit, and a registered number that is not the monitor's.
constexpr std::array<std::uint32_t, 14> kKnownMessages{
    7035, 7036, 7037, 7040, 7042, 7043, 7524, 7600, 7601, 0x0002, 0x0010, 0x0011, 0x0012, 0xC001};

constexpr std::array<mon::TRegistryValueType, 8> kStoredTypes{
    mon::kRegistryNone,  mon::kRegistryString,     2 /* expandable string */, mon::kRegistryBinary,
    mon::kRegistryDWord, 5 /* big-endian DWORD */, 7 /* multi-string */,      11 /* QWORD */};

std::optional<int> MuteKeyOf(std::uint8_t AByte) {
  const int key = AByte % 16;
  return key < kButtonCount ? std::optional<int>(key) : std::nullopt;
}

std::uint32_t MessageNumber(TInputReader& AInput, std::uint8_t AKind, TMonitorOnFakes& AWorld) {
  switch (AKind & kKindNumberBits) {
    case 4:
    case 5:
      return kKnownMessages[AInput.Byte() % kKnownMessages.size()];
    case 6:
      return static_cast<std::uint32_t>(AInput.Number(4));
    case 7:
      return AWorld.QuitMessage();
    default:
      return kFirstNearbyMessage +
             static_cast<std::uint32_t>(AInput.Number(2)) % kNearbyMessageCount;
  }
}

void StoreProfileId(TInputReader& AInput, TMonitorOnFakes& AWorld) {
  const mon::TRegistryValueType type = kStoredTypes[AInput.Byte() % kStoredTypes.size()];
  std::vector<std::uint8_t> bytes(AInput.Byte());
  const auto given = AInput.Take(bytes.size());
  std::copy(given.begin(), given.end(), bytes.begin());
  AWorld.Platform.Registry.SetValue(mon::kRegistryCurrentUser, AWorld.ProfileKeyPath(),
                                    mon::kProfileIdValueName, type, std::move(bytes));
}

TExpectedEffects ExpectedOfMessage(TMonitorOnFakes& AWorld, std::uint32_t AMessage,
                                   std::uintptr_t AWParam, std::intptr_t ALParam) {
  TExpectedEffects effects;
  if (AMessage == AWorld.QuitMessage()) {
    effects.EndsLoop = true;
    effects.ToConfig.push_back({kConfigWindow, kExitMessage, 0, 0, false});
  } else if (AMessage == kProfileChangedMessage) {
    effects.ProfileId = static_cast<std::uint32_t>(ALParam);
  } else if (AMessage == kKeyIndexMessage) {
    effects = mon::fuzzing::ExpectedOfKeyIndex(AWorld, AWParam);
  }
  return effects;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  TInputReader input({AData, ASize});
  const std::uint8_t flags = input.Byte();
  const std::optional<int> muteKey = MuteKeyOf(input.Byte());
  const std::uint8_t finalProfile = input.Byte() % kProfileCount;
  TMonitorOnFakes& world = mon::fuzzing::StartedMonitor(
      {.Kind = {.ConfigProgramRuns = (flags & kFlagConfigProgramRuns) != 0,
                .UserBusy = (flags & kFlagUserBusy) != 0,
                .MicrophonePresent = (flags & kFlagNoMicrophone) == 0},
       .MuteKey = muteKey});
  const auto registryAtStart = RegistryButProfileId(world);

  for (int i = 0; i < kMaxMessages && !input.AtEnd(); ++i) {
    const std::uint8_t kind = input.Byte();
    const std::uint32_t message = MessageNumber(input, kind, world);
    const auto wParam =
        static_cast<std::uintptr_t>(kind & kKindWideWParam ? input.Number(8) : input.Byte());
    const auto lParam = static_cast<std::intptr_t>(
        kind & kKindWideLParam
            ? input.Number(8)
            : static_cast<std::uint64_t>(static_cast<std::int8_t>(input.Byte())));
    if (kind & kKindStoresProfileId) {
      StoreProfileId(input, world);
    }
    RequireStep(world, ExpectedOfMessage(world, message, wParam, lParam),
                [&] { world.DeliverMessage(message, wParam, lParam); });
  }

  // Still working: a profile selected on the mouse, then a press of the mute key.
  const std::uint8_t selection[] = {1, finalProfile, 0, 0, 0, 0, 0};
  RequireReportHandled(world, mon::fuzzing::kStatusReportId, selection);
  if (muteKey) {
    const std::uint32_t mask = 1u << *muteKey;
    const std::uint8_t press[] = {
        static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8), 0, 0, 0, 0, 0};
    RequireReportHandled(world, mon::fuzzing::kKeyReportId, press);
  }

  Require(RegistryButProfileId(world) == registryAtStart);
  world.EndInput();
  return 0;
}
