// The POSIX (Linux-native) backend as far as it exists: files, clock, debug output. Services a
// desktop session provides (windows, tray, HID, audio) come with the Linux monitor.
#pragma once

#include "platform/platform.h"
#include "platform/posix/posix_file_system.h"
#include "platform/queued_main_thread.h"

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

// No HID interfaces yet: the hidraw/udev backend comes with the Linux monitor.
class TPosixHidSystem final : public THidSystem {
 public:
  std::optional<TGuid> HidInterfaceClass() override { return std::nullopt; }
  std::vector<THidInterface> EnumerateInterfaces(const TGuid&) override { return {}; }
  std::unique_ptr<THidDevice> OpenDevice(const std::u16string&, THidOpenMode) override {
    return nullptr;
  }
};

// MainThread: the constructing thread; its loop (to come) runs TQueuedMainThread::RunPending.
// HiddenWindows stays empty until that loop exists.
class TPosixPlatform {
 public:
  TPosixPlatform();
  TPlatform& Platform() { return FPlatform; }

 private:
  TPosixFileSystem FFiles;
  TPosixClock FClock;
  TPosixWindowSystem FWindows;
  TPosixDebugOutput FDebug;
  TPosixMessageBox FMessageBox;
  TQueuedMainThread FMainThread;
  TPosixHidSystem FHid;
  TPlatform FPlatform;
};

}  // namespace mon::posix
