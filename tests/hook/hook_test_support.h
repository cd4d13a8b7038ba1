// A hook component on the fake platform with the stand-in hook library beside the executable,
// and helpers that deliver low-level events through whatever callback the component installed.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "fake_hook_library.h"
#include "fake_platform.h"
#include "hook/uiHook.h"

namespace mon::testing {

// The fake platform's executable folder and the library file beside the executable.
inline constexpr char16_t kLibraryPath[] = u"C:\\Program\\uiHook.dll";

class THookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Library().Reset();
    Fake.Libraries.AddLibrary(kLibraryPath, TFakeHookLibrary::Exports());
  }

  void TearDown() override {
    Hook.reset();
    // Every use of the library was given back.
    EXPECT_EQ(Fake.Libraries.OpenCount(kLibraryPath), 0);
  }

  static TFakeHookLibrary& Library() { return TFakeHookLibrary::Instance(); }

  TuiHook& Create() {
    Hook = std::make_unique<TuiHook>(nullptr, Fake.Platform());
    return *Hook;
  }

  // A key event through the installed keyboard callback; true when it was swallowed.
  static bool Key(std::uint32_t AVirtualKey, bool APress, std::uint32_t ATime,
                  std::uint32_t AScan = 0, bool AExtended = false, std::int32_t ACode = 0) {
    TKBDLLHOOKSTRUCT event;
    event.vkCode = AVirtualKey;
    event.scanCode = AScan;
    event.flags = (APress ? 0u : kKeyFlagReleased) | (AExtended ? kKeyFlagExtended : 0u);
    event.time = ATime;
    return Library().DeliverKeyboard(APress ? kMsgKeyDown : kMsgKeyUp, &event, ACode);
  }

  // A mouse event through the installed mouse callback; true when it was swallowed.
  static bool Mouse(std::uint32_t AMessage, std::uint32_t ATime, std::int32_t AX = 0,
                    std::int32_t AY = 0, std::uint32_t AMouseData = 0, bool AInjected = false) {
    TMSLLHOOKSTRUCT event;
    event.pt = {AX, AY};
    event.mouseData = AMouseData;
    event.flags = AInjected ? kMouseFlagInjected : 0u;
    event.time = ATime;
    return Library().DeliverMouse(AMessage, &event);
  }

  // mouseData of a wheel event (signed delta in the high word) or an extra button (1 or 2).
  static std::uint32_t HighWord(std::int16_t AValue) {
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(AValue)) << 16;
  }

  TFakePlatform Fake;
  std::unique_ptr<TuiHook> Hook;
};

}  // namespace mon::testing
