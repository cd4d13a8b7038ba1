// The desktop of the headless Linux monitor: its application window on the GLib loop, the loop
// itself, and the end asked for by the system (SIGTERM, SIGINT), which takes the program's own
// way out (TAppWindowEvents::QuitRequested), as the Exit command does. It has no notification
// area and no other program's windows to talk to: the icon is never shown and messages to other
// windows are not delivered.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/linux/linux_message_loop.h"
#include "platform/linux/linux_windows.h"

namespace mon::lnx {

class TLinuxDesktop final : public TDesktop {
 public:
  explicit TLinuxDesktop(TLinuxMessageLoop& ALoop);
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
  bool PostToWindow(TWindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
    return false;
  }
  bool SendToWindow(TWindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t,
                    std::uint32_t) override {
    return false;
  }
  void ShowAndForeground(TWindowHandle) override {}
  bool UserIsBusy() override { return false; }
  // Numbers of this process only (at or above 0xC000, one per name): there is no system-wide
  // table of message names.
  std::uint32_t RegisteredMessage(const std::u16string& AName) override;
  void ShellOpen(const std::u16string&, const std::u16string&, TWindowHandle,
                 TShowCommand) override {}

 private:
  class TTrackedAppWindow;
  static gboolean OnQuitSignal(gpointer AData);

  TLinuxMessageLoop& FLoop;
  std::vector<TLinuxAppWindow*> FAppWindows;  // the live ones, in creation order
  std::map<std::u16string, std::uint32_t> FRegisteredMessages;
  std::vector<unsigned> FSignalSources;
};

}  // namespace mon::lnx
