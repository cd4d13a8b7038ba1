#include "platform/linux/linux_desktop.h"

#include <glib-unix.h>
#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <exception>
#include <string_view>

#include "framework/application.h"
#include "platform/linux/linux_tray_icon.h"
#include "platform/posix/posix_platform.h"

namespace mon::lnx {

namespace {

constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;

// The file name of APath (after its last slash or backslash).
std::u16string_view FileNameOf(std::u16string_view APath) {
  const std::size_t separator = APath.find_last_of(u"/\\");
  return separator == std::u16string_view::npos ? APath : APath.substr(separator + 1);
}

char16_t AsciiUpper(char16_t ACharacter) {
  return ACharacter >= u'a' && ACharacter <= u'z' ? static_cast<char16_t>(ACharacter - u'a' + u'A')
                                                  : ACharacter;
}

bool SameIgnoringAsciiCase(std::u16string_view ALeft, std::u16string_view ARight) {
  return std::equal(ALeft.begin(), ALeft.end(), ARight.begin(), ARight.end(),
                    [](char16_t A, char16_t B) { return AsciiUpper(A) == AsciiUpper(B); });
}

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

TLinuxDesktop::TLinuxDesktop(TLinuxMessageLoop& ALoop, TLinuxBusLink& ALink)
    : FLoop(ALoop), FLink(ALink) {
  for (const int signal : {SIGTERM, SIGINT}) {
    FSignalSources.push_back(g_unix_signal_add(signal, &TLinuxDesktop::OnQuitSignal, this));
  }
  FLink.SetCalls(this);
}

TLinuxDesktop::~TLinuxDesktop() {
  FLink.SetCalls(nullptr);
  if (FQuitAskedSource != 0) {
    g_source_remove(FQuitAskedSource);
  }
  for (const unsigned source : FSignalSources) {
    g_source_remove(source);
  }
}

std::unique_ptr<TAppWindow> TLinuxDesktop::CreateAppWindow(const TAppWindowOptions& AOptions,
                                                           TAppWindowEvents& AEvents) {
  return std::make_unique<TTrackedAppWindow>(*this, AOptions, AEvents);
}

std::unique_ptr<TTrayIcon> TLinuxDesktop::CreateTrayIcon(TAppWindow&, TTrayIconEvents& AEvents) {
  if (std::unique_ptr<TLinuxTrayIcon> icon = TLinuxTrayIcon::CreateIfDesktop(AEvents)) {
    return icon;
  }
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

bool TLinuxDesktop::IsConfigProgram(TWindowHandle AWindow) const {
  return AWindow != 0 && AWindow == FLink.ConfigProgram();
}

bool TLinuxDesktop::PostToWindow(TWindowHandle AWindow, std::uint32_t AMessage,
                                 std::uintptr_t AWParam, std::intptr_t) {
  if (!IsConfigProgram(AWindow)) {
    return false;
  }
  switch (AMessage) {
    case kBusMsgExiting:
      return FLink.EmitExiting();
    case kBusMsgStatus2:
    case kBusMsgStatus6:
      return FLink.EmitStatusValue(AMessage, static_cast<std::uint32_t>(AWParam));
    default:
      return false;
  }
}

bool TLinuxDesktop::SendToWindow(TWindowHandle AWindow, std::uint32_t AMessage,
                                 std::uintptr_t AWParam, std::intptr_t, std::uint32_t) {
  if (!IsConfigProgram(AWindow) || AMessage != kBusMsgProfileSelected) {
    return false;
  }
  return FLink.EmitProfileSelected(static_cast<std::int32_t>(AWParam));
}

void TLinuxDesktop::ShowAndForeground(TWindowHandle AWindow) {
  if (IsConfigProgram(AWindow)) {
    FLink.ShowConfigProgram();
  }
}

void TLinuxDesktop::ShellOpen(const std::u16string& AFile, const std::u16string&, TWindowHandle,
                              TShowCommand) {
  const std::u16string& configExe = FLink.Names().ExeName;
  if (!configExe.empty() && SameIgnoringAsciiCase(FileNameOf(AFile), configExe)) {
    FLink.StartConfigProgram();
  }
}

void TLinuxDesktop::PostToAppWindows(std::uint32_t AMessage, std::intptr_t ALParam) {
  for (TLinuxAppWindow* window : FAppWindows) {
    window->PostToSelf(AMessage, 0, ALParam);
  }
}

void TLinuxDesktop::ProfileChanged(std::int32_t ALParam) {
  PostToAppWindows(kBusMsgProfileChanged, ALParam);
}

void TLinuxDesktop::SettingsChanged() {
  PostToAppWindows(kBusMsgSettingsChanged, 0);
}

void TLinuxDesktop::QuitAsked() {
  // From the loop, after the caller has had its answer. The program ends once: a later call,
  // however late it comes, finds it on its way out already.
  if (!FQuitAsked) {
    FQuitAsked = true;
    FQuitAskedSource = g_idle_add(&TLinuxDesktop::OnQuitAsked, this);
  }
}

gboolean TLinuxDesktop::OnQuitAsked(gpointer AData) {
  auto& desktop = *static_cast<TLinuxDesktop*>(AData);
  desktop.FQuitAskedSource = 0;
  desktop.AskWindowsToQuit();
  return G_SOURCE_REMOVE;
}

gboolean TLinuxDesktop::OnQuitSignal(gpointer AData) {
  static_cast<TLinuxDesktop*>(AData)->AskWindowsToQuit();
  return G_SOURCE_CONTINUE;
}

void TLinuxDesktop::AskWindowsToQuit() {
  if (FAppWindows.empty()) {
    FLoop.Quit(0);
    return;
  }
  // A copy: a window may go while it ends the program.
  const std::vector<TLinuxAppWindow*> windows = FAppWindows;
  for (TLinuxAppWindow* window : windows) {
    if (std::find(FAppWindows.begin(), FAppWindows.end(), window) == FAppWindows.end()) {
      continue;
    }
    try {
      window->Events().QuitRequested();
    } catch (...) {
      HandleApplicationException(std::current_exception());
    }
  }
}

}  // namespace mon::lnx
