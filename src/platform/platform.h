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

// APlatform with AService in place of the service of its kind (a test or tool that runs one real
// service among fakes, or the other way round).
template <class TService>
TPlatform WithService(const TPlatform& APlatform, TService& AService) {
  const auto pick = [&AService]<class TKind>(TKind& ACurrent) -> TKind& {
    if constexpr (std::is_base_of_v<TKind, TService>) {
      return AService;
    } else {
      return ACurrent;
    }
  };
  return TPlatform{.Files = pick(APlatform.Files),
                   .Clock = pick(APlatform.Clock),
                   .Windows = pick(APlatform.Windows),
                   .Debug = pick(APlatform.Debug),
                   .MessageBox = pick(APlatform.MessageBox),
                   .Audio = pick(APlatform.Audio),
                   .Registry = pick(APlatform.Registry),
                   .Locale = pick(APlatform.Locale),
                   .Libraries = pick(APlatform.Libraries),
                   .Keyboard = pick(APlatform.Keyboard),
                   .MainThread = pick(APlatform.MainThread),
                   .HiddenWindows = pick(APlatform.HiddenWindows),
                   .Hid = pick(APlatform.Hid),
                   .Desktop = pick(APlatform.Desktop),
                   .Mutexes = pick(APlatform.Mutexes)};
}

}  // namespace mon
