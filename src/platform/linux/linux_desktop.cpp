#include "platform/linux/linux_desktop.h"

#include <glib-unix.h>
#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <exception>

#include "framework/application.h"
#include "platform/posix/posix_platform.h"

namespace mon::lnx {

namespace {

constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;

}  // namespace

// An application window the desktop knows of while it lives, to tell it of the end the system
// asks for.
class TLinuxDesktop::TTrackedAppWindow final : public TLinuxAppWindow {
 public:
  TTrackedAppWindow(TLinuxDesktop& ADesktop, const TAppWindowOptions& AOptions,
                    TAppWindowEvents& AEvents)
      : TLinuxAppWindow(ADesktop.FLoop, AOptions, AEvents), FDesktop(ADesktop) {
    FDesktop.FAppWindows.push_back(this);
  }
  ~TTrackedAppWindow() override { std::erase(FDesktop.FAppWindows, this); }

 private:
  TLinuxDesktop& FDesktop;
};

TLinuxDesktop::TLinuxDesktop(TLinuxMessageLoop& ALoop) : FLoop(ALoop) {
  for (const int signal : {SIGTERM, SIGINT}) {
    FSignalSources.push_back(g_unix_signal_add(signal, &TLinuxDesktop::OnQuitSignal, this));
  }
}

TLinuxDesktop::~TLinuxDesktop() {
  for (const unsigned source : FSignalSources) {
    g_source_remove(source);
  }
}

std::unique_ptr<TAppWindow> TLinuxDesktop::CreateAppWindow(const TAppWindowOptions& AOptions,
                                                           TAppWindowEvents& AEvents) {
  return std::make_unique<TTrackedAppWindow>(*this, AOptions, AEvents);
}

std::unique_ptr<TTrayIcon> TLinuxDesktop::CreateTrayIcon(TAppWindow&, TTrayIconEvents&) {
  return std::make_unique<posix::TPosixTrayIcon>();
}

void TLinuxDesktop::Sleep(std::uint32_t AMilliseconds) {
  timespec duration{static_cast<std::time_t>(AMilliseconds / 1000),
                    static_cast<long>(AMilliseconds % 1000) * 1000000L};
  while (::nanosleep(&duration, &duration) != 0 && errno == EINTR) {
  }
}

std::uint32_t TLinuxDesktop::RegisteredMessage(const std::u16string& AName) {
  const auto [entry, added] = FRegisteredMessages.try_emplace(
      AName, kFirstRegisteredMessage + static_cast<std::uint32_t>(FRegisteredMessages.size()));
  return entry->second;
}

gboolean TLinuxDesktop::OnQuitSignal(gpointer AData) {
  auto& desktop = *static_cast<TLinuxDesktop*>(AData);
  if (desktop.FAppWindows.empty()) {
    desktop.FLoop.Quit(0);
    return G_SOURCE_CONTINUE;
  }
  // A copy: a window may go while it ends the program.
  const std::vector<TLinuxAppWindow*> windows = desktop.FAppWindows;
  for (TLinuxAppWindow* window : windows) {
    if (std::find(desktop.FAppWindows.begin(), desktop.FAppWindows.end(), window) ==
        desktop.FAppWindows.end()) {
      continue;
    }
    try {
      window->Events().QuitRequested();
    } catch (...) {
      HandleApplicationException(std::current_exception());
    }
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace mon::lnx
