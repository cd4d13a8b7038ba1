// All fakes of the platform seam in one bundle, wired into a TPlatform, for native unit tests.
// Each fake is in a file of its own (fake_<service>.h).
#pragma once

#include "fake_audio.h"
#include "fake_clock.h"
#include "fake_debug_output.h"
#include "fake_desktop.h"
#include "fake_dynamic_library.h"
#include "fake_file_system.h"
#include "fake_hid_system.h"
#include "fake_hidden_window.h"
#include "fake_keyboard_state.h"
#include "fake_locale.h"
#include "fake_message_box.h"
#include "fake_named_mutex.h"
#include "fake_registry.h"
#include "fake_window_system.h"
#include "platform/platform.h"
#include "platform/queued_main_thread.h"

namespace mon::testing {

// All fakes together, wired into a TPlatform.
class TFakePlatform {
 public:
  TFakePlatform();
  TMemoryFileSystem Files;
  TManualClock Clock;
  TFakeWindowSystem Windows;
  TRecordingDebugOutput Debug;
  TRecordingMessageBox MessageBox;
  TFakeAudioSystem Audio;
  TMemoryRegistry Registry;
  TFakeLocale Locale;
  TFakeDynamicLibraries Libraries;
  TFakeKeyboardState Keyboard;
  // The constructing thread is the main thread; the test runs its queue (RunPending).
  TQueuedMainThread MainThread;
  TFakeHiddenWindowFactory HiddenWindows;
  TFakeHidSystem Hid;
  TFakeDesktop Desktop;
  TFakeNamedMutexes Mutexes;
  TPlatform& Platform() { return FPlatform; }

 private:
  TPlatform FPlatform;
};

}  // namespace mon::testing
