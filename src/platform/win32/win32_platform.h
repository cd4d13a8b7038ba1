// The Win32 backend, whole: owns one instance of every Win32 service and hands them out as a
// TPlatform.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_audio.h"
#include "platform/win32/win32_basic_services.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_dynamic_library.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_hid_system.h"
#include "platform/win32/win32_hidden_window.h"
#include "platform/win32/win32_input_services.h"
#include "platform/win32/win32_locale.h"
#include "platform/win32/win32_main_thread.h"
#include "platform/win32/win32_named_mutex.h"
#include "platform/win32/win32_registry.h"

namespace mon::win32 {

// Construct it on the main thread (the main-thread hand-over belongs to the constructing thread).
class TWin32Platform {
 public:
  TPlatform& Platform() { return FPlatform; }

 private:
  struct TServices {
    TWin32FileSystem Files;
    TWin32Clock Clock;
    TWin32WindowSystem Windows;
    TWin32DebugOutput Debug;
    TWin32MessageBox MessageBox;
    TWin32AudioSystem Audio;
    TWin32Registry Registry;
    TWin32Locale Locale;
    TWin32DynamicLibraries Libraries;
    TWin32KeyboardState Keyboard;
    TWin32MainThread MainThread;  // created on the thread that creates the platform
    TWin32HiddenWindowFactory HiddenWindows;
    TWin32HidSystem Hid;
    TWin32Desktop Desktop;
    TWin32NamedMutexes Mutexes;
  };
  TServices FServices;
  TPlatform FPlatform = PlatformOf(FServices);
};

}  // namespace mon::win32
