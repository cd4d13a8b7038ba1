// In-memory fakes of the platform seam for native unit tests: a file system held in a map, a
// clock the test sets, a window list, recorders for debug output and message boxes, a scripted
// audio system, an in-memory registry (fake_registry.h) and a fixed set of locales.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "fake_audio.h"
#include "fake_desktop.h"
#include "fake_dynamic_library.h"
#include "fake_hid_system.h"
#include "fake_hidden_window.h"
#include "fake_input.h"
#include "fake_locale.h"
#include "fake_named_mutex.h"
#include "fake_registry.h"
#include "platform/platform.h"
#include "platform/queued_main_thread.h"

namespace mon::testing {

class TMemoryFileSystem final : public TFileSystem {
 public:
  // Paths compare without regard to case and with '/' and '\' alike, as on Windows.
  explicit TMemoryFileSystem(std::u16string AExecutableFolder = u"C:\\Program\\");

  void AddFile(const std::u16string& APath, std::vector<std::uint8_t> ABytes);
  void AddTextFile(const std::u16string& APath, const std::string& AUtf8);
  void AddDirectory(const std::u16string& APath);
  // The stored bytes, or nullopt.
  std::optional<std::vector<std::uint8_t>> FileBytes(const std::u16string& APath) const;
  // Makes every later write fail (a full disk).
  void FailWrites(bool AValue) { FFailWrites = AValue; }
  void SetDocumentsFolder(std::optional<std::u16string> AValue) { FDocuments = std::move(AValue); }

  std::u16string ExecutableFolder() override { return FExecutableFolder; }
  bool FileExists(const std::u16string& APath) override;
  bool DirectoryExists(const std::u16string& APath) override;
  bool MakeDirectory(const std::u16string& APath) override;
  std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath,
                                                         std::uint64_t AMaxBytes) override;
  bool WriteWholeFile(const std::u16string& APath, std::span<const std::uint8_t> ABytes) override;
  bool RemoveFile(const std::u16string& APath) override;
  std::optional<std::u16string> DocumentsFolder() override { return FDocuments; }

 private:
  static std::u16string Key(const std::u16string& APath);
  static std::u16string ParentKey(const std::u16string& AKey);

  mutable std::mutex FLock;
  std::u16string FExecutableFolder;
  std::map<std::u16string, std::vector<std::uint8_t>> FFiles;
  std::map<std::u16string, bool> FDirectories;
  std::optional<std::u16string> FDocuments;
  bool FFailWrites = false;
};

// Time moves only when the test sets it; sleeps return at once (unless AStop is set), are
// recorded and move the tick on.
class TManualClock final : public TClock {
 public:
  TLocalDateTime Now;
  std::atomic<std::uint32_t> Tick = 0;
  TLocalDateTime LocalNow() override { return Now; }
  std::uint32_t TickCount() override { return Tick; }
  bool SleepUnlessStopped(std::uint32_t AMilliseconds, const TStopToken& AStop) override;
  // The sleeps so far, in order. Any thread.
  std::vector<std::uint32_t> Sleeps() const;

 private:
  mutable std::mutex FLock;
  std::vector<std::uint32_t> FSleeps;
};

class TFakeWindowSystem final : public TWindowSystem {
 public:
  std::map<std::u16string, TWindowHandle> WindowsByClass;
  TWindowHandle FindTopLevelWindow(const std::u16string& AClassName) override;
};

class TRecordingDebugOutput final : public TDebugOutput {
 public:
  void Write(const std::u16string& AText) override;
  std::vector<std::u16string> Lines() const;

 private:
  mutable std::mutex FLock;
  std::vector<std::u16string> FLines;
};

class TRecordingMessageBox final : public TMessageBox {
 public:
  struct TShown {
    std::u16string Text;
    std::u16string Caption;
    TMessageBoxIcon Icon;
  };
  std::vector<TShown> Shown;
  void ShowMessageBox(const std::u16string& AText, const std::u16string& ACaption,
                      TMessageBoxIcon AIcon) override {
    Shown.push_back({AText, ACaption, AIcon});
  }
};

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
