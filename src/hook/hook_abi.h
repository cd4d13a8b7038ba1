// The binary interface between the hook component and the hook library uiHook.dll: the four
// exports, bound by name, and the callback the library calls for each low-level event.
//
// Plain C types only: the library and its users may be built apart.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Called for each keyboard (or mouse) event on the thread that enabled the hook, one event at a
// time, with: the user data given when enabling, the hook code, the event's window message,
// the address of the system's low-level event record (keyboard or mouse) and the address of the
// blocked flag. The flag starts at 0; left non-zero, the event is swallowed: it does not reach
// the rest of the system.
typedef void (*TuiHookCallback)(void* AUserData, int32_t ACode, uintptr_t AMessage, void* ARecord,
                                uint8_t* ABlocked);

// "EnableKeyboardHook" / "EnableMouseHook": install the hook of that kind on the calling thread,
// replacing any earlier callback of the same kind. AReserved is 0. The result (non-zero when
// the hook is installed) is not examined by the component.
typedef int32_t (*TEnableHookProc)(TuiHookCallback ACallback, void* AUserData, void* AReserved);

// "DisableKeyboardHook" / "DisableMouseHook": remove the hook of that kind; no callback of that
// kind runs after the call returns. Without a hook it does nothing.
typedef int32_t (*TDisableHookProc)(void);

#ifdef __cplusplus
}
#endif

#define UIHOOK_LIBRARY_NAME "uiHook.dll"
#define UIHOOK_ENABLE_KEYBOARD "EnableKeyboardHook"
#define UIHOOK_DISABLE_KEYBOARD "DisableKeyboardHook"
#define UIHOOK_ENABLE_MOUSE "EnableMouseHook"
#define UIHOOK_DISABLE_MOUSE "DisableMouseHook"
