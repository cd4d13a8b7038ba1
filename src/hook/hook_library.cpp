#include "hook/hook_library.h"

#include <mutex>

namespace mon {

namespace {

// The loaded library and who uses it; all empty while it is not loaded.
struct THookBinding {
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

struct THookLibraryState {
  std::mutex Lock;
  THookBinding Binding;
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
void EnableHook(TEnableHookProc THookBinding::*AProc, const void* THookBinding::*AOwner,
                TuiHookCallback ACallback, void* AUserData) {
  THookLibraryState& state = State();
  TEnableHookProc enable = nullptr;
  {
    std::lock_guard lock(state.Lock);
    enable = state.Binding.*AProc;
    if (enable != nullptr) {
      state.Binding.*AOwner = AUserData;
    }
  }
  if (enable != nullptr) {
    enable(ACallback, AUserData, nullptr);
  }
}

void DisableHook(TDisableHookProc THookBinding::*AProc, const void* THookBinding::*AOwner) {
  THookLibraryState& state = State();
  TDisableHookProc disable = nullptr;
  {
    std::lock_guard lock(state.Lock);
    disable = state.Binding.*AProc;
    state.Binding.*AOwner = nullptr;
  }
  CallDisable(disable);
}

}  // namespace

THookLibraryLoad THookLibrary::Acquire(TDynamicLibraries& ALibraries, const std::u16string& APath) {
  THookLibraryState& state = State();
  std::lock_guard lock(state.Lock);
  if (state.Binding.Loaded) {
    ++state.Binding.Users;
    return THookLibraryLoad::Loaded;
  }
  if (!ALibraries.SystemWideHooksSupported()) {
    return THookLibraryLoad::NotSupported;
  }
  TLibraryHandle module = ALibraries.OpenLibrary(APath);
  if (module == nullptr) {
    return THookLibraryLoad::NotFound;
  }
  THookBinding binding;
  binding.EnableKeyboardHook = Bind<TEnableHookProc>(ALibraries, module, UIHOOK_ENABLE_KEYBOARD);
  binding.DisableKeyboardHook = Bind<TDisableHookProc>(ALibraries, module, UIHOOK_DISABLE_KEYBOARD);
  binding.EnableMouseHook = Bind<TEnableHookProc>(ALibraries, module, UIHOOK_ENABLE_MOUSE);
  binding.DisableMouseHook = Bind<TDisableHookProc>(ALibraries, module, UIHOOK_DISABLE_MOUSE);
  if (binding.EnableKeyboardHook == nullptr || binding.DisableKeyboardHook == nullptr ||
      binding.EnableMouseHook == nullptr || binding.DisableMouseHook == nullptr) {
    ALibraries.CloseLibrary(module);
    return THookLibraryLoad::ExportMissing;
  }
  binding.Libraries = &ALibraries;
  binding.Module = module;
  binding.Loaded = true;
  binding.Users = 1;
  state.Binding = binding;
  return THookLibraryLoad::Loaded;
}

void THookLibrary::Release(const void* AUser) {
  THookLibraryState& state = State();
  TDisableHookProc disableKeyboard = nullptr;
  TDisableHookProc disableMouse = nullptr;
  {
    std::lock_guard lock(state.Lock);
    if (!state.Binding.Loaded || state.Binding.Users <= 0) {
      return;
    }
    if (state.Binding.KeyboardOwner == AUser) {
      disableKeyboard = state.Binding.DisableKeyboardHook;
      state.Binding.KeyboardOwner = nullptr;
    }
    if (state.Binding.MouseOwner == AUser) {
      disableMouse = state.Binding.DisableMouseHook;
      state.Binding.MouseOwner = nullptr;
    }
  }
  // Outside the lock: the library waits for a callback that may be running.
  CallDisable(disableKeyboard);
  CallDisable(disableMouse);

  std::lock_guard lock(state.Lock);
  if (--state.Binding.Users > 0) {
    return;
  }
  // The last user: no callback can be installed through this binding any more.
  if (state.Binding.KeyboardOwner != nullptr) {
    state.Binding.DisableKeyboardHook();
  }
  if (state.Binding.MouseOwner != nullptr) {
    state.Binding.DisableMouseHook();
  }
  state.Binding.Libraries->CloseLibrary(state.Binding.Module);
  state.Binding = {};
}

bool THookLibrary::IsLoaded() {
  THookLibraryState& state = State();
  std::lock_guard lock(state.Lock);
  return state.Binding.Loaded;
}

void THookLibrary::EnableKeyboardHook(TuiHookCallback ACallback, void* AUserData) {
  EnableHook(&THookBinding::EnableKeyboardHook, &THookBinding::KeyboardOwner, ACallback, AUserData);
}

void THookLibrary::DisableKeyboardHook() {
  DisableHook(&THookBinding::DisableKeyboardHook, &THookBinding::KeyboardOwner);
}

void THookLibrary::EnableMouseHook(TuiHookCallback ACallback, void* AUserData) {
  EnableHook(&THookBinding::EnableMouseHook, &THookBinding::MouseOwner, ACallback, AUserData);
}

void THookLibrary::DisableMouseHook() {
  DisableHook(&THookBinding::DisableMouseHook, &THookBinding::MouseOwner);
}

}  // namespace mon
