// The POSIX (Linux-native) backend as far as it exists: files, clock, debug output, locales and
// dynamic libraries are real; every other service is there but does nothing, as documented at
// each class below (no desktop session, no devices, no sound, no store yet).
#pragma once

#include "platform/platform.h"
#include "platform/posix/posix_dynamic_library.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_locale.h"
#include "platform/queued_main_thread.h"

namespace mon::posix {

class TPosixClock final : public TClock {
 public:
  TLocalDateTime LocalNow() override;
  std::uint32_t TickCount() override;
  bool SleepUnlessStopped(std::uint32_t AMilliseconds, const TStopToken& AStop) override {
    return WaitForStopOrTimeout(AStop, AMilliseconds);
  }
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

// No audio service yet (it comes with the Linux monitor): no capture endpoint and no mixer, so
// the mute key does nothing.
class TPosixAudioSystem final : public TAudioSystem {
 public:
  bool IsEndpointAudioSystem() override { return true; }
  std::unique_ptr<TAudioEndpoint> OpenDefaultCaptureEndpoint() override { return nullptr; }
  std::unique_ptr<TAudioDeviceWatch> WatchDefaultCaptureDevice(
      std::shared_ptr<TDefaultCaptureDeviceCallback>) override {
    return nullptr;
  }
  std::uint32_t MixerDeviceCount() override { return 0; }
  std::unique_ptr<TAudioMixer> OpenMixer(std::uint32_t) override { return nullptr; }
};

// Not yet: the Linux monitor will keep the registry's keys and values in a store of its own
// (same key paths, value names, types and bytes). Until then no key can be opened, so every
// load reports "nothing stored" and every save fails; the profile manager then works on
// factory values in memory.
class TPosixRegistry final : public TRegistry {
 public:
  std::unique_ptr<TRegistryKey> OpenKey(TRegistryRoot, const std::u16string&, bool,
                                        TRegistryAccess) override {
    return nullptr;
  }
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

// An icon for a desktop that has no notification area: it is never shown.
class TPosixTrayIcon final : public TTrayIcon {
 public:
  void SetIcon(const std::optional<std::u16string>&, TTrayIconState, TTaskbarTheme) override {}
  void SetHint(const std::u16string&) override {}
  void ShowNotice(const std::u16string&, const std::u16string&) override {}
  void Show() override {}
  void Hide() override {}
  bool IsShown() const override { return false; }
  std::optional<std::size_t> ShowPopupMenu(const std::vector<TPopupMenuItem>&) override {
    return std::nullopt;
  }
};

// No desktop session: no window can be created (a program that needs one ends with the error of
// its start), no other program's window receives anything, the loop ends at once with 1, and the
// shell starts nothing. Sleep does sleep.
class TPosixDesktop final : public TDesktop {
 public:
  std::unique_ptr<TAppWindow> CreateAppWindow(const TAppWindowOptions&,
                                              TAppWindowEvents&) override {
    return nullptr;
  }
  std::unique_ptr<TTrayIcon> CreateTrayIcon(TAppWindow&, TTrayIconEvents&) override;
  int RunMessageLoop() override { return 1; }
  void Terminate() override {}
  void ProcessPendingMessages() override {}
  void Sleep(std::uint32_t AMilliseconds) override;
  bool PostToWindow(TWindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
    return false;
  }
  bool SendToWindow(TWindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t,
                    std::uint32_t) override {
    return false;
  }
  void ShowAndForeground(TWindowHandle) override {}
  bool UserIsBusy() override { return false; }
  std::uint32_t RegisteredMessage(const std::u16string&) override { return 0; }
  void ShellOpen(const std::u16string&, const std::u16string&, TWindowHandle,
                 TShowCommand) override {}
};

// No main loop to deliver their messages: no hidden window can be created.
class TPosixHiddenWindowFactory final : public THiddenWindowFactory {
 public:
  std::unique_ptr<THiddenWindow> CreateHiddenWindow(const std::u16string&,
                                                    TMessageHandler&) override {
    return nullptr;
  }
};

// No guard between processes: no mutex exists and none can be created.
class TPosixNamedMutexes final : public TNamedMutexes {
 public:
  bool MutexExists(const std::u16string&) override { return false; }
  std::unique_ptr<TOwnedMutex> CreateOwnedMutex(const std::u16string&,
                                                bool& AAlreadyExisted) override {
    AAlreadyExisted = false;
    return nullptr;
  }
};

// Without a desktop session there is no keyboard to read: every key reads as up.
class TPosixKeyboardState final : public TKeyboardState {
 public:
  bool IsKeyDown(std::uint8_t) override { return false; }
};

// MainThread: the constructing thread; its loop (to come) runs TQueuedMainThread::RunPending.
class TPosixPlatform {
 public:
  TPlatform& Platform() { return FPlatform; }
  // The main loop runs the work other threads hand to the main thread with RunPending.
  TQueuedMainThread& MainThread() { return FServices.MainThread; }

 private:
  struct TServices {
    TPosixFileSystem Files;
    TPosixClock Clock;
    TPosixWindowSystem Windows;
    TPosixDebugOutput Debug;
    TPosixMessageBox MessageBox;
    TPosixAudioSystem Audio;
    TPosixRegistry Registry;
    TPosixLocale Locale;
    TPosixDynamicLibraries Libraries;
    TPosixKeyboardState Keyboard;
    TQueuedMainThread MainThread;
    TPosixHidSystem Hid;
    TPosixHiddenWindowFactory HiddenWindows;
    TPosixDesktop Desktop;
    TPosixNamedMutexes Mutexes;
  };
  TServices FServices;
  TPlatform FPlatform = PlatformOf(FServices);
};

}  // namespace mon::posix
