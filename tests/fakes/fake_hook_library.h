// A stand-in for uiHook.dll inside the test process: the four exports as plain functions, one
// keyboard and one mouse slot, and a way for the test to deliver events through the installed
// callback exactly as the real library does (hook code, message, record address, blocked flag).
//
// Exports are plain functions, so there is one instance per process; tests call Reset first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fake_dynamic_library.h"
#include "hook/hook_abi.h"

namespace mon::testing {

class TFakeHookLibrary {
 public:
  static TFakeHookLibrary& Instance();

  // The four exports by name, for TFakeDynamicLibraries::AddLibrary; AWithout leaves one out.
  static TFakeDynamicLibraries::TExports Exports(const char* AWithout = nullptr);

  void Reset();

  bool KeyboardInstalled() const { return FKeyboard.Callback != nullptr; }
  bool MouseInstalled() const { return FMouse.Callback != nullptr; }
  TuiHookCallback KeyboardCallback() const { return FKeyboard.Callback; }
  TuiHookCallback MouseCallback() const { return FMouse.Callback; }
  void* KeyboardUserData() const { return FKeyboard.UserData; }
  void* MouseUserData() const { return FMouse.UserData; }

  // Delivers one event to the installed callback. Returns true when the callback left the
  // blocked flag set (the event would be swallowed); false, without a call, when no callback
  // of that kind is installed.
  bool DeliverKeyboard(std::uintptr_t AMessage, void* ARecord, std::int32_t ACode = 0);
  bool DeliverMouse(std::uintptr_t AMessage, void* ARecord, std::int32_t ACode = 0);

  // The exports called, in order: "EnableKeyboardHook", "DisableKeyboardHook", ...
  std::vector<std::string> Calls;

 private:
  struct TSlot {
    TuiHookCallback Callback = nullptr;
    void* UserData = nullptr;
  };
  static int32_t EnableKeyboard(TuiHookCallback ACallback, void* AUserData, void* AReserved);
  static int32_t DisableKeyboard();
  static int32_t EnableMouse(TuiHookCallback ACallback, void* AUserData, void* AReserved);
  static int32_t DisableMouse();
  static bool Deliver(const TSlot& ASlot, std::uintptr_t AMessage, void* ARecord,
                      std::int32_t ACode);

  TSlot FKeyboard;
  TSlot FMouse;
};

}  // namespace mon::testing
