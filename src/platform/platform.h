// The one seam between the core and the operating system: a bundle of narrow interfaces, each
// implemented once per system (src/platform/win32, src/platform/posix) and by the test fakes
// (tests/fakes).
//
// Every service is always there: the bundle holds references, so a platform cannot be assembled
// with one missing. A backend that has no real service of a kind provides a documented one that
// does nothing or reports "not supported" (see posix_platform.h). Core components take the
// platform (or the services they need) by reference and never check for absence.
#pragma once

#include <type_traits>

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
  TFileSystem& Files;
  TClock& Clock;
  TWindowSystem& Windows;
  TDebugOutput& Debug;
  TMessageBox& MessageBox;
  TAudioSystem& Audio;
  TRegistry& Registry;
  TLocale& Locale;
  TDynamicLibraries& Libraries;
  TKeyboardState& Keyboard;
  TMainThread& MainThread;
  THiddenWindowFactory& HiddenWindows;
  THidSystem& Hid;
  TDesktop& Desktop;
  TNamedMutexes& Mutexes;
};

// The platform of a backend that keeps its services as members named after them (Files, Clock,
// ...), as every backend, the fakes and TPlatform itself do; APick may put another service of the
// same kind in place of each (see WithService).
template <class TServices, class TPick>
TPlatform PlatformOf(TServices& AServices, TPick APick) {
  return TPlatform{.Files = APick(AServices.Files),
                   .Clock = APick(AServices.Clock),
                   .Windows = APick(AServices.Windows),
                   .Debug = APick(AServices.Debug),
                   .MessageBox = APick(AServices.MessageBox),
                   .Audio = APick(AServices.Audio),
                   .Registry = APick(AServices.Registry),
                   .Locale = APick(AServices.Locale),
                   .Libraries = APick(AServices.Libraries),
                   .Keyboard = APick(AServices.Keyboard),
                   .MainThread = APick(AServices.MainThread),
                   .HiddenWindows = APick(AServices.HiddenWindows),
                   .Hid = APick(AServices.Hid),
                   .Desktop = APick(AServices.Desktop),
                   .Mutexes = APick(AServices.Mutexes)};
}

template <class TServices>
TPlatform PlatformOf(TServices& AServices) {
  return PlatformOf(AServices, []<class TKind>(TKind& AService) -> TKind& { return AService; });
}

// APlatform with AService in place of the service of its kind (a test or tool that runs one real
// service among fakes, or the other way round).
template <class TService>
TPlatform WithService(const TPlatform& APlatform, TService& AService) {
  return PlatformOf(APlatform, [&AService]<class TKind>(TKind& ACurrent) -> TKind& {
    if constexpr (std::is_base_of_v<TKind, TService>) {
      return AService;
    } else {
      return ACurrent;
    }
  });
}

}  // namespace mon
