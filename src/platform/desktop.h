// The desktop as the monitor's main window needs it: an application window of its own with
// messages and timers, a notification-area icon with a popup menu, the message loop, messages
// to other programs' windows, and starting programs through the shell.
//
// Everything here runs on the main thread (the thread that runs the message loop), except
// TAppWindow::PostToSelf, which any thread may call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "ui/geometry.h"

namespace mon {

class TVectorScene;

// What the system tells an application window. Handlers run on the main thread from the
// message loop.
class TAppWindowEvents {
 public:
  virtual ~TAppWindowEvents() = default;
  // A message of the program's own range (WM_USER and above, other than the tray's): true when
  // handled (the result is then 0). Unhandled messages get the system's default handling.
  virtual bool HandleAppMessage(std::uint32_t AMessage, std::uintptr_t AWParam,
                                std::intptr_t ALParam) = 0;
  // A timer started with StartTimer fired.
  virtual void TimerFired(std::uintptr_t ATimerId) = 0;
  // The window is about to be shown (before it paints), or it was hidden; by this program or by
  // another one.
  virtual void VisibleChanged(bool /*AVisible*/) {}
  // The system ends the user's session (log-off, shut-down): the program should take its normal
  // way out now. A request to end the session is always agreed to.
  virtual void SessionEnding() {}
  // The user or the system asks the program to end (on Linux SIGTERM or SIGINT): the program
  // takes the same way out as its own Exit command.
  virtual void QuitRequested() {}
  // The window is now on a screen of another resolution (moved to another monitor, or the
  // monitor's scale changed): it already has the size and place the system suggests, and
  // TAppWindow::Dpi gives ADpi. The content should lay itself out anew.
  virtual void DpiChanged(int /*ADpi*/) {}
  // A setting of the system changed; AArea names the part when the system says which (empty
  // when it does not), as kColorSetSettingArea for the colours of the taskbar and of apps.
  virtual void SystemSettingChanged(const std::u16string& /*AArea*/) {}
};

// The SystemSettingChanged area of a change between light and dark colours.
inline constexpr char16_t kColorSetSettingArea[] = u"ImmersiveColorSet";

struct TAppWindowOptions {
  std::u16string ClassName;
  std::u16string Title;
  // The client area at 96 DPI (kDesignDpi); on a screen of another resolution the window is made
  // that size scaled by its DPI (ScaledToDpi), and follows when the resolution changes.
  int ClientWidth = 0;
  int ClientHeight = 0;
  // Borderless, centred on the screen, hidden at creation, no taskbar button.
  bool Borderless = true;
};

class TAppWindow : public TMessageWindow {
 public:
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsVisible() const = 0;
  virtual void BringToForeground() = 0;
  virtual void SetTitle(const std::u16string& ATitle) = 0;
  // The resolution of the screen the window is on, as the window sees it: kDesignDpi (96) when
  // the system cannot tell or scales the window itself (a program it does not take as aware of
  // resolutions).
  virtual int Dpi() const = 0;
  // Makes AScene the window's whole client area: the backend draws it and turns the mouse into
  // the scene's hover, press and click (its buttons' OnClick run from the message loop).
  // nullptr shows nothing. The scene must outlive its showing; not to be called from the shown
  // scene's own click handlers.
  virtual void ShowScene(TVectorScene* AScene) = 0;
};

struct TPopupMenuItem {
  std::u16string Caption;
  bool Visible = true;
};

// What the notification-area icon tells its owner.
class TTrayIconEvents {
 public:
  virtual ~TTrayIconEvents() = default;
  virtual void TrayClicked() = 0;
  // A right click: the owner shows its popup menu. An icon whose menu the desktop's shell shows
  // (Linux) asks for it when the icon is made and whenever its hint changes, to keep the menu up
  // to date: its ShowPopupMenu then takes the items and returns nullopt at once.
  virtual void TrayMenuRequested() = 0;
  // An item of such a menu was chosen, later, from the loop: AIndex counts the items
  // ShowPopupMenu was last given. Windows' menu answers ShowPopupMenu itself and never calls this.
  virtual void TrayMenuItemChosen(std::size_t /*AIndex*/) {}
};

// Which of the program's own icons the tray shows when it has no icon file.
enum class TTrayIconState {
  Normal,
  Muted,  // the same icon with the muted mark
};

// The colours of the taskbar the icon sits on: the program's own icons have a white mouse for a
// dark taskbar and a dark mouse for a light one.
enum class TTaskbarTheme {
  Dark,  // also every system that does not say (before Windows 10)
  Light,
};

class TTrayIcon {
 public:
  virtual ~TTrayIcon() = default;
  // The icon file to show (an .ico), loaded at the size of a small icon on the screen's
  // resolution, and again when that changes; nullopt or an unloadable file shows the program's
  // own icon for AState and ATheme.
  virtual void SetIcon(const std::optional<std::u16string>& APath, TTrayIconState AState,
                       TTaskbarTheme ATheme) = 0;
  // The hint; a line break starts a second line.
  virtual void SetHint(const std::u16string& AHint) = 0;
  // A short notice beside the icon (a balloon), without sound. A newer notice replaces one still
  // shown rather than waiting behind it. Nothing while the icon is not shown.
  virtual void ShowNotice(const std::u16string& ATitle, const std::u16string& AText) = 0;
  // Puts the icon up (retrying later when the notification area is not there yet, and again
  // whenever the notification area is re-created); Hide removes it.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual bool IsShown() const = 0;
  // Shows the menu at the pointer and returns the index of the chosen item, or nullopt. An icon
  // whose menu the shell shows keeps AItems as its menu and returns nullopt (see
  // TTrayIconEvents::TrayMenuRequested).
  virtual std::optional<std::size_t> ShowPopupMenu(const std::vector<TPopupMenuItem>& AItems) = 0;
};

enum class TShowCommand { Show, ShowNormal };

class TDesktop {
 public:
  virtual ~TDesktop() = default;

  // Creates the window; AEvents must outlive it. nullptr when the system refuses (or has no
  // desktop).
  virtual std::unique_ptr<TAppWindow> CreateAppWindow(const TAppWindowOptions& AOptions,
                                                      TAppWindowEvents& AEvents) = 0;
  // The icon of AOwner's notification area presence, never nullptr; AEvents must outlive it.
  virtual std::unique_ptr<TTrayIcon> CreateTrayIcon(TAppWindow& AOwner,
                                                    TTrayIconEvents& AEvents) = 0;

  // Runs the message loop until Terminate; returns the exit code.
  virtual int RunMessageLoop() = 0;
  virtual void Terminate() = 0;
  // Dispatches every message already queued for this thread, then returns.
  virtual void ProcessPendingMessages() = 0;
  virtual void Sleep(std::uint32_t AMilliseconds) = 0;

  // Messages to another program's window. Post queues and returns; Send waits until the
  // receiver has handled the message, at most ATimeoutMs and not at all when the receiver is
  // hung. Both return false when nothing was delivered.
  virtual bool PostToWindow(TWindowHandle AWindow, std::uint32_t AMessage, std::uintptr_t AWParam,
                            std::intptr_t ALParam) = 0;
  virtual bool SendToWindow(TWindowHandle AWindow, std::uint32_t AMessage, std::uintptr_t AWParam,
                            std::intptr_t ALParam, std::uint32_t ATimeoutMs) = 0;
  // Shows a (possibly hidden) window of another program in its current state and brings it to
  // the foreground, without waiting for that program (it may be hung).
  virtual void ShowAndForeground(TWindowHandle AWindow) = 0;

  // True while notices would disturb: a full-screen program or game, a presentation, the session
  // locked or the screen saver on (SHQueryUserNotificationState). False when the system cannot
  // tell.
  virtual bool UserIsBusy() = 0;

  // The number of the message registered system-wide under AName: every program that asks for
  // the same name gets the same number, at or above 0xC000 (RegisterWindowMessageW). 0 when the
  // system refuses. Such messages reach TAppWindowEvents::HandleAppMessage like the program's
  // own.
  virtual std::uint32_t RegisteredMessage(const std::u16string& AName) = 0;

  // Opens AFile with the shell verb "open" (a program is started, an address shown in the
  // browser). The result is not reported.
  virtual void ShellOpen(const std::u16string& AFile, const std::u16string& AWorkingFolder,
                         TWindowHandle AOwner, TShowCommand AShow) = 0;
};

}  // namespace mon
