#include "hook/hook_library.h"

#include <mutex>

namespace mon {

namespace {

struct THookLibraryState {
  std::mutex Lock;
  TDynamicLibraries* Libraries = nullptr;  // the seam that loaded the module, to unload it
  TLibraryHandle Module = nullptr;
  TEnableHookProc EnableKeyboardHook = nullptr;
  TDisableHookProc DisableKeyboardHook = nullptr;
  TEnableHookProc EnableMouseHook = nullptr;
  TDisableHookProc DisableMouseHook = nullptr;
  bool Loaded = false;
  int Users = 0;
  const void* KeyboardOwner = nullptr;
  const void* MouseOwner = nullptr;
};

THookLibraryState& State() {
  static THookLibraryState state;
  return state;
}

template <class TFunction>
TFunction Bind(TDynamicLibraries& ALibraries, TLibraryHandle AModule, const char* AName) {
  return reinterpret_cast<TFunction>(ALibraries.FindExport(AModule, AName));
}

void CallDisable(TDisableHookProc AProc) {
  if (AProc != nullptr) {
    AProc();
  }
}

// The keyboard and mouse hooks work alike; AProc and AOwner pick one. The library's function is
// called outside the lock, as everywhere in this file.
void EnableHook(TEnableHookProc THookLibraryState::*AProc, const void* THookLibraryState::*AOwner,
                TuiHookCallback ACallback, void* AUserData) {
  THookLibraryState& state = State();
  TEnableHookProc enable = nullptr;
  {
    std::lock_guard lock(state.Lock);
    enable = state.*AProc;
    if (enable != nullptr) {
      state.*AOwner = AUserData;
    }
  }
  if (enable != nullptr) {
    enable(ACallback, AUserData, nullptr);
  }
}

void DisableHook(TDisableHookProc THookLibraryState::*AProc,
                 const void* THookLibraryState::*AOwner) {
  THookLibraryState& state = State();
  TDisableHookProc disable = nullptr;
  {
    std::lock_guard lock(state.Lock);
    disable = state.*AProc;
    state.*AOwner = nullptr;
  }
  CallDisable(disable);
}

}  // namespace

THookLibraryLoad THookLibrary::Acquire(TDynamicLibraries& ALibraries, const std::u16string& APath) {
  THookLibraryState& state = State();
  std::lock_guard lock(state.Lock);
  if (state.Loaded) {
    ++state.Users;
    return THookLibraryLoad::Loaded;
  }
  TLibraryHandle module = ALibraries.OpenLibrary(APath);
  if (module == nullptr) {
    return THookLibraryLoad::NotFound;
  }
  const auto enableKeyboard = Bind<TEnableHookProc>(ALibraries, module, UIHOOK_ENABLE_KEYBOARD);
  const auto disableKeyboard = Bind<TDisableHookProc>(ALibraries, module, UIHOOK_DISABLE_KEYBOARD);
  const auto enableMouse = Bind<TEnableHookProc>(ALibraries, module, UIHOOK_ENABLE_MOUSE);
  const auto disableMouse = Bind<TDisableHookProc>(ALibraries, module, UIHOOK_DISABLE_MOUSE);
  if (enableKeyboard == nullptr || disableKeyboard == nullptr || enableMouse == nullptr ||
      disableMouse == nullptr) {
    ALibraries.CloseLibrary(module);
    return THookLibraryLoad::ExportMissing;
  }
  state.Libraries = &ALibraries;
  state.Module = module;
  state.EnableKeyboardHook = enableKeyboard;
  state.DisableKeyboardHook = disableKeyboard;
  state.EnableMouseHook = enableMouse;
  state.DisableMouseHook = disableMouse;
  state.Loaded = true;
  state.Users = 1;
  state.KeyboardOwner = nullptr;
  state.MouseOwner = nullptr;
  return THookLibraryLoad::Loaded;
}

void THookLibrary::Release(const void* AUser) {
  THookLibraryState& state = State();
  TDisableHookProc disableKeyboard = nullptr;
  TDisableHookProc disableMouse = nullptr;
  {
    std::lock_guard lock(state.Lock);
    if (!state.Loaded || state.Users <= 0) {
      return;
    }
    if (state.KeyboardOwner == AUser) {
      disableKeyboard = state.DisableKeyboardHook;
      state.KeyboardOwner = nullptr;
    }
    if (state.MouseOwner == AUser) {
      disableMouse = state.DisableMouseHook;
      state.MouseOwner = nullptr;
    }
  }
  // Outside the lock: the library waits for a callback that may be running.
  CallDisable(disableKeyboard);
  CallDisable(disableMouse);

  std::lock_guard lock(state.Lock);
  if (--state.Users > 0) {
    return;
  }
  // The last user: no callback can be installed through this binding any more.
  if (state.KeyboardOwner != nullptr) {
    state.DisableKeyboardHook();
  }
  if (state.MouseOwner != nullptr) {
    state.DisableMouseHook();
  }
  state.Libraries->CloseLibrary(state.Module);
  state.Libraries = nullptr;
  state.Module = nullptr;
  state.EnableKeyboardHook = nullptr;
  state.DisableKeyboardHook = nullptr;
  state.EnableMouseHook = nullptr;
  state.DisableMouseHook = nullptr;
  state.Loaded = false;
  state.Users = 0;
  state.KeyboardOwner = nullptr;
  state.MouseOwner = nullptr;
}

bool THookLibrary::IsLoaded() {
  THookLibraryState& state = State();
  std::lock_guard lock(state.Lock);
  return state.Loaded;
}

void THookLibrary::EnableKeyboardHook(TuiHookCallback ACallback, void* AUserData) {
  EnableHook(&THookLibraryState::EnableKeyboardHook, &THookLibraryState::KeyboardOwner, ACallback,
             AUserData);
}

void THookLibrary::DisableKeyboardHook() {
  DisableHook(&THookLibraryState::DisableKeyboardHook, &THookLibraryState::KeyboardOwner);
}

void THookLibrary::EnableMouseHook(TuiHookCallback ACallback, void* AUserData) {
  EnableHook(&THookLibraryState::EnableMouseHook, &THookLibraryState::MouseOwner, ACallback,
             AUserData);
}

void THookLibrary::DisableMouseHook() {
  DisableHook(&THookLibraryState::DisableMouseHook, &THookLibraryState::MouseOwner);
}

}  // namespace mon
