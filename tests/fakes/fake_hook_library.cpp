#include "fake_hook_library.h"

namespace mon::testing {

TFakeHookLibrary& TFakeHookLibrary::Instance() {
  static TFakeHookLibrary instance;
  return instance;
}

TFakeDynamicLibraries::TExports TFakeHookLibrary::Exports(const char* AWithout) {
  TFakeDynamicLibraries::TExports exports = {
      {UIHOOK_ENABLE_KEYBOARD, reinterpret_cast<TExportAddress>(&EnableKeyboard)},
      {UIHOOK_DISABLE_KEYBOARD, reinterpret_cast<TExportAddress>(&DisableKeyboard)},
      {UIHOOK_ENABLE_MOUSE, reinterpret_cast<TExportAddress>(&EnableMouse)},
      {UIHOOK_DISABLE_MOUSE, reinterpret_cast<TExportAddress>(&DisableMouse)},
  };
  if (AWithout != nullptr) {
    exports.erase(AWithout);
  }
  return exports;
}

void TFakeHookLibrary::Reset() {
  FKeyboard = TSlot();
  FMouse = TSlot();
  Calls.clear();
}

bool TFakeHookLibrary::Deliver(const TSlot& ASlot, std::uintptr_t AMessage, void* ARecord,
                               std::int32_t ACode) {
  if (ASlot.Callback == nullptr) {
    return false;
  }
  std::uint8_t blocked = 0;
  ASlot.Callback(ASlot.UserData, ACode, AMessage, ARecord, &blocked);
  return blocked != 0;
}

bool TFakeHookLibrary::DeliverKeyboard(std::uintptr_t AMessage, void* ARecord, std::int32_t ACode) {
  return Deliver(FKeyboard, AMessage, ARecord, ACode);
}

bool TFakeHookLibrary::DeliverMouse(std::uintptr_t AMessage, void* ARecord, std::int32_t ACode) {
  return Deliver(FMouse, AMessage, ARecord, ACode);
}

int32_t TFakeHookLibrary::EnableKeyboard(TuiHookCallback ACallback, void* AUserData, void*) {
  Instance().Calls.push_back(UIHOOK_ENABLE_KEYBOARD);
  Instance().FKeyboard = {ACallback, AUserData};
  return 1;
}

int32_t TFakeHookLibrary::DisableKeyboard() {
  Instance().Calls.push_back(UIHOOK_DISABLE_KEYBOARD);
  Instance().FKeyboard = TSlot();
  return 1;
}

int32_t TFakeHookLibrary::EnableMouse(TuiHookCallback ACallback, void* AUserData, void*) {
  Instance().Calls.push_back(UIHOOK_ENABLE_MOUSE);
  Instance().FMouse = {ACallback, AUserData};
  return 1;
}

int32_t TFakeHookLibrary::DisableMouse() {
  Instance().Calls.push_back(UIHOOK_DISABLE_MOUSE);
  Instance().FMouse = TSlot();
  return 1;
}

}  // namespace mon::testing
