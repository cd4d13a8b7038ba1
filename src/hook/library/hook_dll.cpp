// uiHook.dll: system-wide low-level keyboard and mouse hooks for the hook component.
//
// Each Enable installs WH_KEYBOARD_LL or WH_MOUSE_LL on the calling thread (that thread must
// pump messages: the system calls low-level hooks through its message queue) and replaces any
// earlier callback of the same kind. For each event with hook code HC_ACTION the callback gets
// the user data, the hook code, the message, the address of the system's event record and the
// address of a one-byte blocked flag; a flag left non-zero swallows the event. One lock per
// library guards the two slots and is held while a callback runs, so a Disable from another
// thread returns only once no callback of the library is running; the lock is recursive, so a
// callback may itself enable or disable hooks.
#include <windows.h>

#include <cstddef>
#include <type_traits>

#include "hook/hook_abi.h"
#include "hook/hook_types.h"

// The component reads the system's records through its own portable declarations.
static_assert(sizeof(mon::TKBDLLHOOKSTRUCT) == sizeof(KBDLLHOOKSTRUCT));
static_assert(offsetof(mon::TKBDLLHOOKSTRUCT, vkCode) == offsetof(KBDLLHOOKSTRUCT, vkCode));
static_assert(offsetof(mon::TKBDLLHOOKSTRUCT, scanCode) == offsetof(KBDLLHOOKSTRUCT, scanCode));
static_assert(offsetof(mon::TKBDLLHOOKSTRUCT, flags) == offsetof(KBDLLHOOKSTRUCT, flags));
static_assert(offsetof(mon::TKBDLLHOOKSTRUCT, time) == offsetof(KBDLLHOOKSTRUCT, time));
static_assert(offsetof(mon::TKBDLLHOOKSTRUCT, dwExtraInfo) ==
              offsetof(KBDLLHOOKSTRUCT, dwExtraInfo));
static_assert(sizeof(mon::TMSLLHOOKSTRUCT) == sizeof(MSLLHOOKSTRUCT));
static_assert(offsetof(mon::TMSLLHOOKSTRUCT, pt) == offsetof(MSLLHOOKSTRUCT, pt));
static_assert(offsetof(mon::TMSLLHOOKSTRUCT, mouseData) == offsetof(MSLLHOOKSTRUCT, mouseData));
static_assert(offsetof(mon::TMSLLHOOKSTRUCT, flags) == offsetof(MSLLHOOKSTRUCT, flags));
static_assert(offsetof(mon::TMSLLHOOKSTRUCT, time) == offsetof(MSLLHOOKSTRUCT, time));
static_assert(offsetof(mon::TMSLLHOOKSTRUCT, dwExtraInfo) == offsetof(MSLLHOOKSTRUCT, dwExtraInfo));
static_assert(mon::kKeyFlagExtended == LLKHF_EXTENDED && mon::kKeyFlagInjected == LLKHF_INJECTED &&
              mon::kKeyFlagReleased == LLKHF_UP && mon::kMouseFlagInjected == LLMHF_INJECTED);

namespace {

struct THookSlot {
  HHOOK Hook = nullptr;
  TuiHookCallback Callback = nullptr;
  void* UserData = nullptr;
};

HINSTANCE GInstance = nullptr;
CRITICAL_SECTION GLock;
THookSlot GKeyboard;
THookSlot GMouse;

class TLockGuard {
 public:
  TLockGuard() { ::EnterCriticalSection(&GLock); }
  ~TLockGuard() { ::LeaveCriticalSection(&GLock); }
  TLockGuard(const TLockGuard&) = delete;
  TLockGuard& operator=(const TLockGuard&) = delete;
};

// Caller holds the lock.
void RemoveHook(THookSlot& ASlot) {
  if (ASlot.Hook != nullptr) {
    ::UnhookWindowsHookEx(ASlot.Hook);
  }
  ASlot = THookSlot();
}

LRESULT CallSlot(THookSlot& ASlot, int ACode, WPARAM AWParam, LPARAM ALParam) {
  if (ACode == HC_ACTION) {
    std::uint8_t blocked = 0;
    {
      TLockGuard lock;
      if (ASlot.Callback != nullptr) {
        try {
          ASlot.Callback(ASlot.UserData, ACode, static_cast<uintptr_t>(AWParam),
                         reinterpret_cast<void*>(ALParam), &blocked);
        } catch (...) {
          // Nothing may unwind into the system's hook dispatch; the event passes on.
          blocked = 0;
        }
      }
    }
    if (blocked != 0) {
      return 1;
    }
  }
  return ::CallNextHookEx(nullptr, ACode, AWParam, ALParam);
}

LRESULT CALLBACK KeyboardProc(int ACode, WPARAM AWParam, LPARAM ALParam) {
  return CallSlot(GKeyboard, ACode, AWParam, ALParam);
}

LRESULT CALLBACK MouseProc(int ACode, WPARAM AWParam, LPARAM ALParam) {
  return CallSlot(GMouse, ACode, AWParam, ALParam);
}

int32_t Enable(THookSlot& ASlot, int AHookKind, HOOKPROC AProc, TuiHookCallback ACallback,
               void* AUserData) {
  TLockGuard lock;
  RemoveHook(ASlot);
  if (ACallback == nullptr) {
    return 0;
  }
  HHOOK hook = ::SetWindowsHookExW(AHookKind, AProc, GInstance, 0);
  if (hook == nullptr) {
    return 0;
  }
  ASlot.Hook = hook;
  ASlot.Callback = ACallback;
  ASlot.UserData = AUserData;
  return 1;
}

int32_t Disable(THookSlot& ASlot) {
  TLockGuard lock;
  const bool had = ASlot.Hook != nullptr;
  RemoveHook(ASlot);
  return had ? 1 : 0;
}

}  // namespace

extern "C" {

int32_t EnableKeyboardHook(TuiHookCallback ACallback, void* AUserData, void*) {
  return Enable(GKeyboard, WH_KEYBOARD_LL, &KeyboardProc, ACallback, AUserData);
}

int32_t DisableKeyboardHook(void) {
  return Disable(GKeyboard);
}

int32_t EnableMouseHook(TuiHookCallback ACallback, void* AUserData, void*) {
  return Enable(GMouse, WH_MOUSE_LL, &MouseProc, ACallback, AUserData);
}

int32_t DisableMouseHook(void) {
  return Disable(GMouse);
}

BOOL WINAPI DllMain(HINSTANCE AInstance, DWORD AReason, LPVOID AReserved) {
  switch (AReason) {
    case DLL_PROCESS_ATTACH:
      GInstance = AInstance;
      ::InitializeCriticalSection(&GLock);
      ::DisableThreadLibraryCalls(AInstance);
      break;
    case DLL_PROCESS_DETACH:
      // Unloaded while hooks are installed (FreeLibrary, not process exit): remove them, the
      // system would otherwise call into code that is gone.
      if (AReserved == nullptr) {
        TLockGuard lock;
        RemoveHook(GKeyboard);
        RemoveHook(GMouse);
      }
      ::DeleteCriticalSection(&GLock);
      break;
    default:
      break;
  }
  return TRUE;
}

}  // extern "C"

// The exports have exactly the types the component binds them to.
static_assert(std::is_same_v<decltype(&EnableKeyboardHook), TEnableHookProc>);
static_assert(std::is_same_v<decltype(&DisableKeyboardHook), TDisableHookProc>);
static_assert(std::is_same_v<decltype(&EnableMouseHook), TEnableHookProc>);
static_assert(std::is_same_v<decltype(&DisableMouseHook), TDisableHookProc>);
