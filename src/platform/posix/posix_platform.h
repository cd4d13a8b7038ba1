// The POSIX (Linux-native) backend as far as it exists: files, clock, debug output. Services a
// desktop session provides (windows, tray, HID, audio) come with the Linux monitor.
#pragma once

#include "platform/platform.h"
#include "platform/posix/posix_dynamic_library.h"
#include "platform/posix/posix_file_system.h"

namespace mon::posix {

class TPosixClock final : public TClock {
 public:
  TLocalDateTime LocalNow() override;
  std::uint32_t TickCount() override;
};

// Debug traces go to standard error.
class TPosixDebugOutput final : public TDebugOutput {
 public:
  void Write(const std::u16string& AText) override;
};

// Without a desktop toolkit a message box is a line on standard error.
class TPosixMessageBox final : public TMessageBox {
 public:
  void ShowMessageBox(const std::u16string& AText, const std::u16string& ACaption,
                      TMessageBoxIcon AIcon) override;
};

// No other program's windows can be found yet.
class TPosixWindowSystem final : public TWindowSystem {
 public:
  TWindowHandle FindTopLevelWindow(const std::u16string&) override { return 0; }
};

// Without a desktop session there is no keyboard to read: every key reads as up.
class TPosixKeyboardState final : public TKeyboardState {
 public:
  bool IsKeyDown(std::uint8_t) override { return false; }
};

class TPosixPlatform {
 public:
  TPosixPlatform();
  TPlatform& Platform() { return FPlatform; }
  // The main loop runs the work other threads hand to the main thread with RunPending.
  TQueuedMainThread& MainThread() { return FMainThread; }

 private:
  TPosixFileSystem FFiles;
  TPosixClock FClock;
  TPosixWindowSystem FWindows;
  TPosixDebugOutput FDebug;
  TPosixMessageBox FMessageBox;
  TPosixDynamicLibraries FLibraries;
  TPosixKeyboardState FKeyboard;
  TQueuedMainThread FMainThread;
  TPlatform FPlatform;
};

}  // namespace mon::posix
