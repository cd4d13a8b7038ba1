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
  TWin32Platform();
  TPlatform& Platform() { return FPlatform; }

 private:
  TWin32FileSystem FFiles;
  TWin32Clock FClock;
  TWin32WindowSystem FWindows;
  TWin32DebugOutput FDebug;
  TWin32MessageBox FMessageBox;
  TWin32AudioSystem FAudio;
  TWin32Registry FRegistry;
  TWin32Locale FLocale;
  TWin32DynamicLibraries FLibraries;
  TWin32KeyboardState FKeyboard;
  TWin32MainThread FMainThread;  // created on the thread that creates the platform
  TWin32HiddenWindowFactory FHiddenWindows;
  TWin32HidSystem FHid;
  TWin32Desktop FDesktop;
  TWin32NamedMutexes FMutexes;
  TPlatform FPlatform;
};

}  // namespace mon::win32
