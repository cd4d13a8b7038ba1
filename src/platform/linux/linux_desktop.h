// The desktop of the Linux monitor: its application window on the GLib loop, the loop itself,
// and the end asked for by the system (SIGTERM, SIGINT) or over the bus (Quit), which takes the
// program's own way out (TAppWindowEvents::QuitRequested), as the Exit command does. With a
// display the notification-area icon is a StatusNotifierItem with desktop notifications
// (linux_tray_icon.h); without one (headless) the icon is never shown. The only other program's
// window it talks to is the configuration program's, over the session bus (linux_bus_link.h): the
// messages of the two programs' table become the link's signals and calls, and the link's
// incoming calls become messages posted to the application windows.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/linux/linux_bus_link.h"
#include "platform/linux/linux_message_loop.h"
#include "platform/linux/linux_windows.h"

namespace mon::lnx {

class TLinuxDesktop final : public TDesktop, private TBusLinkCalls {
 public:
  TLinuxDesktop(TLinuxMessageLoop& ALoop, TLinuxBusLink& ALink);
  ~TLinuxDesktop() override;
  TLinuxDesktop(const TLinuxDesktop&) = delete;
  TLinuxDesktop& operator=(const TLinuxDesktop&) = delete;

  std::unique_ptr<TAppWindow> CreateAppWindow(const TAppWindowOptions& AOptions,
                                              TAppWindowEvents& AEvents) override;
  std::unique_ptr<TTrayIcon> CreateTrayIcon(TAppWindow& AOwner, TTrayIconEvents& AEvents) override;
  int RunMessageLoop() override { return FLoop.Run(); }
  void Terminate() override { FLoop.Quit(0); }
  void ProcessPendingMessages() override { FLoop.DispatchPending(); }
  void Sleep(std::uint32_t AMilliseconds) override;
  // To the configuration program's handle: Exiting (7036) and StatusValue (7042, 7043) posted,
  // ProfileSelected (7040) sent; a signal never waits, so a send never hangs. Nothing else is
  // delivered.
  bool PostToWindow(TWindowHandle AWindow, std::uint32_t AMessage, std::uintptr_t AWParam,
                    std::intptr_t ALParam) override;
  bool SendToWindow(TWindowHandle AWindow, std::uint32_t AMessage, std::uintptr_t AWParam,
                    std::intptr_t ALParam, std::uint32_t ATimeoutMs) override;
  // The configuration program is asked to show its window; no answer is awaited.
  void ShowAndForeground(TWindowHandle AWindow) override;
  // False: there is no portable signal for a full-screen program or a presentation (the
  // notification server itself holds notices back in do-not-disturb modes).
  bool UserIsBusy() override { return false; }
  // Numbers of this process only (at or above 0xC000, one per name): there is no system-wide
  // table of message names.
  std::uint32_t RegisteredMessage(const std::u16string& AName) override;
  // The configuration program's executable (any folder, its file name in any case) is started by
  // bus activation, without waiting. Nothing else is opened: the headless desktop shows no
  // About panel whose web address could be asked for.
  void ShellOpen(const std::u16string& AFile, const std::u16string& AWorkingFolder,
                 TWindowHandle AOwner, TShowCommand AShow) override;

 private:
  class TTrackedAppWindow;
  static gboolean OnQuitSignal(gpointer AData);
  static gboolean OnQuitAsked(gpointer AData);
  void AskWindowsToQuit();
  void PostToAppWindows(std::uint32_t AMessage, std::intptr_t ALParam);
  bool IsConfigProgram(TWindowHandle AWindow) const;

  // The link's calls, on the main thread from the loop.
  void ProfileChanged(std::int32_t ALParam) override;
  void SettingsChanged() override;
  void QuitAsked() override;

  TLinuxMessageLoop& FLoop;
  TLinuxBusLink& FLink;
  unsigned FQuitAskedSource = 0;              // an idle source while a Quit call waits for the loop
  bool FQuitAsked = false;                    // a Quit call came: the program is on its way out
  std::vector<TLinuxAppWindow*> FAppWindows;  // the live ones, in creation order
  std::map<std::u16string, std::uint32_t> FRegisteredMessages;
  std::vector<unsigned> FSignalSources;
};

}  // namespace mon::lnx
