#include "platform/linux/linux_platform.h"

#include "framework/text.h"
#include "platform/linux/linux_audio.h"
#include "platform/linux/linux_hid_arrivals.h"
#include "platform/linux/linux_hid_system.h"
#include "platform/linux/linux_registry.h"
#include "platform/linux/linux_window_system.h"

namespace mon::lnx {

namespace {

// Arrivals of hidraw nodes, each watch a udev monitor of its own in the main loop's context.
class TUdevDeviceArrivals final : public TDeviceArrivals {
 public:
  std::unique_ptr<TDeviceArrivalWatch> WatchArrivals(std::function<void()> AOnArrival) override {
    auto watch = std::make_unique<TWatch>(std::move(AOnArrival));
    return watch->Arrivals.IsWatching() ? std::move(watch) : nullptr;
  }

 private:
  struct TWatch final : TDeviceArrivalWatch {
    explicit TWatch(std::function<void()> AOnArrival)
        : Arrivals([OnArrival = std::move(AOnArrival)](const std::string&) { OnArrival(); }) {}
    THidArrivals Arrivals;
  };
};

std::string ExecutableFolderOfProcess() {
  return posix::ToNativePath(posix::TPosixFileSystem().ExecutableFolder());
}

// The settings store: registry.sqlite3 in the user's own application folder.
std::filesystem::path StorePath(TFileSystem& AFiles) {
  return posix::ToNativePath(AFiles.ExecutableFolder()) + "registry.sqlite3";
}

}  // namespace

struct TLinuxPlatform::TServices {
  TServices(TLinuxMessageLoop& ALoop, const TLinuxPlatformSetup& ASetup)
      : Files(ApplicationFolders(ASetup.Environment, ExecutableFolderOfProcess())),
        Bus(ASetup.ConfigProgram, Debug),
        Windows(Bus),
        Audio("korvaldz314mon"),
        Registry(StorePath(Files)),
        MainThread(ALoop.MainThread()),
        HiddenWindows(ALoop, Arrivals),
        Desktop(ALoop, Bus),
        Mutexes(RuntimeFolder(ASetup.Environment), ASetup.LockFileName) {}

  TUdevDeviceArrivals Arrivals;
  TLinuxFileSystem Files;
  posix::TPosixClock Clock;
  posix::TPosixDebugOutput Debug;
  TLinuxBusLink Bus;  // before the window system and the desktop, which use it
  TLinuxWindowSystem Windows;
  posix::TPosixMessageBox MessageBox;
  TLinuxAudioSystem Audio;
  TLinuxRegistry Registry;
  posix::TPosixLocale Locale;
  TLinuxDynamicLibraries Libraries;
  posix::TPosixKeyboardState Keyboard;
  TQueuedMainThread& MainThread;
  TLinuxHiddenWindowFactory HiddenWindows;
  TLinuxHidSystem Hid;
  TLinuxDesktop Desktop;
  TLinuxNamedMutexes Mutexes;
};

TLinuxPlatform::TLinuxPlatform(const TLinuxPlatformSetup& ASetup)
    : FServices(std::make_unique<TServices>(FLoop, ASetup)), FPlatform(PlatformOf(*FServices)) {
  const std::u16string storeFailure = FServices->Registry.FailureReason();
  if (!storeFailure.empty()) {
    // The monitor still runs, on factory values; say why nothing is kept.
    FServices->Debug.Write(u"The settings store cannot be used: " + storeFailure);
  }
}

TLinuxPlatform::~TLinuxPlatform() = default;

}  // namespace mon::lnx
