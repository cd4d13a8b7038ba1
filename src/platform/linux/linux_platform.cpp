#include "platform/linux/linux_platform.h"

#include "framework/text.h"

namespace mon::lnx {

namespace {

// Device arrivals without a source of them: nothing arrives.
class TNoDeviceArrivals final : public TDeviceArrivals {
 public:
  std::unique_ptr<TDeviceArrivalWatch> WatchArrivals(std::function<void()>) override {
    return nullptr;
  }
};

std::string ExecutableFolderOfProcess() {
  return posix::ToNativePath(posix::TPosixFileSystem().ExecutableFolder());
}

}  // namespace

struct TLinuxPlatform::TServices {
  TServices(TLinuxMessageLoop& ALoop, const TLinuxPlatformSetup& ASetup)
      : Files(ApplicationFolders(ASetup.Environment, ExecutableFolderOfProcess())),
        MainThread(ALoop.MainThread()),
        HiddenWindows(ALoop, Arrivals),
        Desktop(ALoop),
        Mutexes(RuntimeFolder(ASetup.Environment), ASetup.LockFileName) {}

  TNoDeviceArrivals Arrivals;
  TLinuxFileSystem Files;
  posix::TPosixClock Clock;
  posix::TPosixWindowSystem Windows;
  posix::TPosixDebugOutput Debug;
  posix::TPosixMessageBox MessageBox;
  posix::TPosixAudioSystem Audio;
  posix::TPosixRegistry Registry;
  posix::TPosixLocale Locale;
  TLinuxDynamicLibraries Libraries;
  posix::TPosixKeyboardState Keyboard;
  TQueuedMainThread& MainThread;
  TLinuxHiddenWindowFactory HiddenWindows;
  posix::TPosixHidSystem Hid;
  TLinuxDesktop Desktop;
  TLinuxNamedMutexes Mutexes;
};

TLinuxPlatform::TLinuxPlatform(const TLinuxPlatformSetup& ASetup)
    : FServices(std::make_unique<TServices>(FLoop, ASetup)), FPlatform(PlatformOf(*FServices)) {}

TLinuxPlatform::~TLinuxPlatform() = default;

}  // namespace mon::lnx
