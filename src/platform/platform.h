// The one seam between the core and the operating system: a bundle of narrow interfaces, each
// implemented once per system (src/platform/win32, src/platform/posix) and by test fakes.
// Core components take the interfaces they need by reference; the program wires a backend.
#pragma once

#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/desktop.h"
#include "platform/dynamic_library.h"
#include "platform/file_system.h"
#include "platform/hid_system.h"
#include "platform/hidden_window.h"
#include "platform/keyboard_state.h"
#include "platform/locale.h"
#include "platform/main_thread.h"
#include "platform/message_box.h"
#include "platform/named_mutex.h"
#include "platform/registry.h"
#include "platform/window_system.h"

namespace mon {

struct TPlatform {
  TFileSystem* Files = nullptr;
  TClock* Clock = nullptr;
  TWindowSystem* Windows = nullptr;
  TDebugOutput* Debug = nullptr;
  TMessageBox* MessageBox = nullptr;
  TAudioSystem* Audio = nullptr;
  TRegistry* Registry = nullptr;
  TLocale* Locale = nullptr;
  TDynamicLibraries* Libraries = nullptr;
  TKeyboardState* Keyboard = nullptr;
  TMainThread* MainThread = nullptr;
  THiddenWindowFactory* HiddenWindows = nullptr;
  THidSystem* Hid = nullptr;
  TDesktop* Desktop = nullptr;
  TNamedMutexes* Mutexes = nullptr;
};

}  // namespace mon
