// The process's binding of the hook library: its module handle, its four functions and the
// loaded flag, shared by every hook component of the process.
//
// The library is loaded once per process and stays loaded while at least one component uses it
// (each component that found it loaded holds one use), so one component going away never pulls
// the functions from under another. The binding also remembers whose callback is installed for
// each hook kind, so that a component going away removes its own callback before the library
// can be unloaded: a hook left installed would call into freed code or a freed component.
#pragma once

#include <string>

#include "hook/hook_abi.h"
#include "platform/dynamic_library.h"

namespace mon {

enum class THookLibraryLoad {
  Loaded,         // the library and all four functions are bound
  NotFound,       // the file is missing or cannot be loaded
  ExportMissing,  // loaded, but one of the four exports is missing: unloaded again
  NotSupported,   // the system has no system-wide hooks: nothing was looked for
};

class THookLibrary {
 public:
  // Takes one use of the library, loading it from the full path APath through ALibraries when
  // it is not loaded yet. Only a Loaded result holds a use, to be given back with Release.
  // Main thread.
  static THookLibraryLoad Acquire(TDynamicLibraries& ALibraries, const std::u16string& APath);

  // Gives back AUser's use. Callbacks AUser installed and that are still installed are removed
  // first; the last use unloads the library and clears the binding. Main thread.
  static void Release(const void* AUser);

  // True while the library is bound.
  static bool IsLoaded();

  // The four functions; each does nothing while the library is not bound. Enabling records
  // AUserData as the owner of that kind's callback; disabling clears it. Main thread (the hook
  // callbacks run on the thread that enables them).
  static void EnableKeyboardHook(TuiHookCallback ACallback, void* AUserData);
  static void DisableKeyboardHook();
  static void EnableMouseHook(TuiHookCallback ACallback, void* AUserData);
  static void DisableMouseHook();
};

}  // namespace mon
