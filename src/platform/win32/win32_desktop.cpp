#include "platform/win32/win32_desktop.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <map>

#include "platform/win32/dpi.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ids.h"
#include "platform/win32/win32_window.h"
#include "ui/win32/scene_view.h"

namespace mon::win32 {

namespace {

// The DPI of the monitor AWindow is on, brought into the range the layouts are made for.
int WindowDpiInRange(HWND AWindow) {
  return std::clamp(static_cast<int>(WindowDpi(AWindow)), kDesignDpi, kMaxDpi);
}

constexpr UINT kTrayRetryIntervalMs = 2000;

class TWin32TrayIcon;

class TWin32AppWindow final : public TAppWindow, public TWin32Window {
 public:
  TWin32AppWindow(TAppWindowEvents& AEvents) : FEvents(AEvents) {}

  bool Create(const TAppWindowOptions& AOptions);

  TWindowHandle Handle() const override { return reinterpret_cast<TWindowHandle>(Window()); }
  bool PostToSelf(std::uint32_t AMessage, std::uintptr_t AWParam, std::intptr_t ALParam) override {
    return ::PostMessageW(Window(), AMessage, AWParam, ALParam) != 0;
  }
  bool StartTimer(std::uintptr_t ATimerId, std::uint32_t AIntervalMs) override {
    return ::SetTimer(Window(), ATimerId, AIntervalMs, nullptr) != 0;  // re-arming restarts it
  }
  void StopTimer(std::uintptr_t ATimerId) override { ::KillTimer(Window(), ATimerId); }
  void Show() override { ::ShowWindow(Window(), SW_SHOW); }
  void Hide() override { ::ShowWindow(Window(), SW_HIDE); }
  bool IsVisible() const override { return ::IsWindowVisible(Window()) != 0; }
  void BringToForeground() override { ::SetForegroundWindow(Window()); }
  void SetTitle(const std::u16string& ATitle) override {
    ::SetWindowTextW(Window(), ToWide(ATitle).c_str());
  }
  int Dpi() const override { return FDpi; }
  void ShowScene(TVectorScene* AScene) override;

  void SetTrayIcon(TWin32TrayIcon* AIcon) { FTrayIcon = AIcon; }

 private:
  LRESULT HandleWindowMessage(UINT AMessage, WPARAM AWParam, LPARAM ALParam) override;
  // WM_DPICHANGED: the window takes the suggested rectangle and its content follows.
  void DpiChanged(int ADpi, const RECT& ASuggested);

  TAppWindowEvents& FEvents;
  int FDpi = kDesignDpi;
  TWin32TrayIcon* FTrayIcon = nullptr;
  std::unique_ptr<TSceneView> FSceneView;
};

class TWin32TrayIcon final : public TTrayIcon {
 public:
  TWin32TrayIcon(TWin32AppWindow& AOwner, TTrayIconEvents& AEvents)
      : FOwner(AOwner), FEvents(AEvents) {
    FOwner.SetTrayIcon(this);
  }
  ~TWin32TrayIcon() override {
    Hide();
    FOwner.SetTrayIcon(nullptr);
  }

  void SetIcon(const std::optional<std::u16string>& APath, TTrayIconState AState,
               TTaskbarTheme ATheme) override;
  void SetHint(const std::u16string& AHint) override;
  void ShowNotice(const std::u16string& ATitle, const std::u16string& AText) override;
  void Show() override;
  void Hide() override;
  bool IsShown() const override { return FShown; }
  std::optional<std::size_t> ShowPopupMenu(const std::vector<TPopupMenuItem>& AItems) override;

  // From the owner's window procedure.
  void Callback(LPARAM ALParam);
  void RetryTimer();
  void TaskbarCreated();
  // The resolution or the display may have changed: an icon of another size is loaded and shown
  // when the small icon's size is no longer the one loaded.
  void CheckIconSize();

 private:
  NOTIFYICONDATAW Data(UINT AFlags) const;
  bool Add();
  // Loads the icon for FFilePath, FState and FTheme at ASide x ASide into FIcon.
  void LoadIconAt(int ASide);
  int WantedIconSide() const;

  TWin32AppWindow& FOwner;
  TTrayIconEvents& FEvents;
  TUniqueIcon FIcon;  // the file's icon, else the program's own; null: the system's
  int FIconSide = 0;  // the side FIcon was loaded at
  std::optional<std::u16string> FFilePath;
  TTrayIconState FState = TTrayIconState::Normal;
  TTaskbarTheme FTheme = TTaskbarTheme::Dark;
  std::wstring FHint;
  bool FWanted = false;
  bool FShown = false;
};

UINT TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

// The lParam of WM_SETTINGCHANGE: the name of the changed part, or null. Read up to a length no
// area name comes near, as another program put it there.
std::u16string SettingArea(LPARAM ALParam) {
  constexpr std::size_t kMaxAreaLength = 256;
  const auto* text = reinterpret_cast<const wchar_t*>(ALParam);
  return text != nullptr ? FromWide(std::wstring(text, ::wcsnlen(text, kMaxAreaLength)))
                         : std::u16string();
}

bool TWin32AppWindow::Create(const TAppWindowOptions& AOptions) {
  TWin32WindowParams params;
  params.ClassName = ToWide(AOptions.ClassName);
  params.Title = ToWide(AOptions.Title);
  params.Style = AOptions.Borderless ? WS_POPUP : WS_OVERLAPPEDWINDOW;
  RECT frame{0, 0, AOptions.ClientWidth, AOptions.ClientHeight};
  ::AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
  params.Width = frame.right - frame.left;
  params.Height = frame.bottom - frame.top;
  params.Left = (::GetSystemMetrics(SM_CXSCREEN) - params.Width) / 2;
  params.Top = (::GetSystemMetrics(SM_CYSCREEN) - params.Height) / 2;
  if (!CreateWindowFromParams(params)) {
    return false;
  }
  // Made at 96 DPI first: only the window knows the resolution of the monitor it is on.
  FDpi = WindowDpiInRange(Window());
  if (FDpi != kDesignDpi) {
    frame = RECT{0, 0, ScaledToDpi(AOptions.ClientWidth, FDpi),
                 ScaledToDpi(AOptions.ClientHeight, FDpi)};
    ::AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(Window(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

void TWin32AppWindow::DpiChanged(int ADpi, const RECT& ASuggested) {
  FDpi = std::clamp(ADpi, kDesignDpi, kMaxDpi);
  ::SetWindowPos(Window(), nullptr, ASuggested.left, ASuggested.top,
                 ASuggested.right - ASuggested.left, ASuggested.bottom - ASuggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (FTrayIcon != nullptr) {
    FTrayIcon->CheckIconSize();
  }
  FEvents.DpiChanged(FDpi);
}

void TWin32AppWindow::ShowScene(TVectorScene* AScene) {
  if (FSceneView) {
    FSceneView->Detach();
    FSceneView.reset();
  }
  if (AScene != nullptr) {
    FSceneView = std::make_unique<TSceneView>(*AScene);
    FSceneView->Attach(Window());
  }
  ::InvalidateRect(Window(), nullptr, TRUE);
}

LRESULT TWin32AppWindow::HandleWindowMessage(UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  // The scene's view draws the client area and takes the mouse. A click may hide the window or
  // show another scene: the view is not used after it has handled the message.
  if (FSceneView) {
    LRESULT result = 0;
    if (FSceneView->HandleMessage(Window(), AMessage, AWParam, ALParam, result)) {
      return result;
    }
  }
  if (AMessage == kTrayCallbackMessage) {
    if (FTrayIcon != nullptr) {
      FTrayIcon->Callback(ALParam);
    }
    return 0;
  }
  if (AMessage == TaskbarCreatedMessage() && AMessage != 0) {
    if (FTrayIcon != nullptr) {
      FTrayIcon->TaskbarCreated();
    }
    return 0;
  }
  switch (AMessage) {
    case WM_TIMER:
      if (AWParam == kTrayRetryTimer) {
        if (FTrayIcon != nullptr) {
          FTrayIcon->RetryTimer();
        }
      } else {
        FEvents.TimerFired(static_cast<std::uintptr_t>(AWParam));
      }
      return 0;
    case WM_CLOSE:
      Hide();  // the panel only hides; the monitor ends through its menu
      return 0;
    case WM_SHOWWINDOW:
      FEvents.VisibleChanged(AWParam != FALSE);
      return DefaultHandling(AMessage, AWParam, ALParam);
    case WM_QUERYENDSESSION:
      return TRUE;  // nothing to ask the user: the logon may end
    case WM_ENDSESSION:
      if (AWParam != FALSE) {
        FEvents.SessionEnding();
      }
      return 0;
    case WM_DPICHANGED:
      // The system sends it to a window of a process aware of each monitor's resolution once the
      // window's resolution has changed, with the suggested place and size (lParam). Another
      // program may send it with anything in lParam: the rectangle is read only when the
      // window's resolution confirms the message.
      if (ALParam != 0 && WindowIsAtDpi(Window(), LOWORD(AWParam))) {
        DpiChanged(LOWORD(AWParam), *reinterpret_cast<const RECT*>(ALParam));
      }
      return 0;
    case WM_DISPLAYCHANGE:
      // Without WM_DPICHANGED (a process the system scales, an older system) this and the
      // setting change below are the signs that the icon size may be another now.
      if (FTrayIcon != nullptr) {
        FTrayIcon->CheckIconSize();
      }
      return DefaultHandling(AMessage, AWParam, ALParam);
    case WM_SETTINGCHANGE:
      if (FTrayIcon != nullptr) {
        FTrayIcon->CheckIconSize();
      }
      FEvents.SystemSettingChanged(SettingArea(ALParam));
      return DefaultHandling(AMessage, AWParam, ALParam);
    default:
      break;
  }
  // The program's own range and the registered messages (0xC000 and above).
  if (AMessage >= WM_USER && FEvents.HandleAppMessage(AMessage, AWParam, ALParam)) {
    return 0;
  }
  return DefaultHandling(AMessage, AWParam, ALParam);
}

NOTIFYICONDATAW TWin32TrayIcon::Data(UINT AFlags) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = FOwner.Window();
  data.uID = kTrayIconId;
  data.uFlags = AFlags;
  data.uCallbackMessage = kTrayCallbackMessage;
  // The file's icon or the program's own (LoadIconAt), else the system's application icon.
  data.hIcon = FIcon ? FIcon.Get() : ::LoadIconW(nullptr, IDI_APPLICATION);
  const std::size_t length = std::min<std::size_t>(FHint.size(), std::size(data.szTip) - 1);
  FHint.copy(data.szTip, length);
  data.szTip[length] = L'\0';
  return data;
}

void TWin32TrayIcon::SetIcon(const std::optional<std::u16string>& APath, TTrayIconState AState,
                             TTaskbarTheme ATheme) {
  if (!FIcon || APath != FFilePath || AState != FState || ATheme != FTheme) {
    FFilePath = APath;
    FState = AState;
    FTheme = ATheme;
    LoadIconAt(WantedIconSide());
  }
  if (FShown) {
    NOTIFYICONDATAW data = Data(NIF_ICON);
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
  }
}

int TWin32TrayIcon::WantedIconSide() const {
  return SmallIconSideForDpi(static_cast<UINT>(WindowDpiInRange(FOwner.Window())));
}

void TWin32TrayIcon::LoadIconAt(int ASide) {
  FIconSide = ASide;
  // From the icons in the file or the resource, the one of this size, else one the system
  // scales to it.
  if (FFilePath) {
    FIcon.Reset(static_cast<HICON>(::LoadImageW(nullptr, ToWide(*FFilePath).c_str(), IMAGE_ICON,
                                                ASide, ASide, LR_LOADFROMFILE)));
    if (FIcon) {
      return;
    }
  }
  int resource = kAppIconResourceId;
  if (FTheme == TTaskbarTheme::Light) {
    resource = FState == TTrayIconState::Muted ? kAppMutedLightTaskbarIconResourceId
                                               : kAppLightTaskbarIconResourceId;
  } else if (FState == TTrayIconState::Muted) {
    resource = kAppMutedIconResourceId;
  }
  FIcon.Reset(static_cast<HICON>(::LoadImageW(
      ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, ASide, ASide, 0)));
}

void TWin32TrayIcon::CheckIconSize() {
  const int side = WantedIconSide();
  if (!FIcon || side == FIconSide) {
    return;  // nothing loaded yet (SetIcon loads at the right size), or the size is right
  }
  LoadIconAt(side);
  if (FShown) {
    NOTIFYICONDATAW data = Data(NIF_ICON);
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
  }
}

void TWin32TrayIcon::SetHint(const std::u16string& AHint) {
  FHint = ToWide(AHint);
  if (FShown) {
    NOTIFYICONDATAW data = Data(NIF_TIP);
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
  }
}

void TWin32TrayIcon::ShowNotice(const std::u16string& ATitle, const std::u16string& AText) {
  if (!FShown) {
    return;
  }
  // An empty text takes down a balloon still shown, so the new one does not queue behind it.
  NOTIFYICONDATAW data = Data(NIF_INFO);
  ::Shell_NotifyIconW(NIM_MODIFY, &data);
  const std::wstring title = ToWide(ATitle);
  const std::wstring text = ToWide(AText);
  title.copy(data.szInfoTitle, std::min(title.size(), std::size(data.szInfoTitle) - 1));
  text.copy(data.szInfo, std::min(text.size(), std::size(data.szInfo) - 1));
  data.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND | NIIF_RESPECT_QUIET_TIME;
  ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

bool TWin32TrayIcon::Add() {
  if (!FIcon) {
    LoadIconAt(WantedIconSide());  // shown before any SetIcon: the program's own
  }
  NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  // An icon the notification area still holds (a "TaskbarCreated" without a new taskbar) cannot
  // be added again; brought up to date, it counts as shown, or the retries would go on for ever.
  if (!::Shell_NotifyIconW(NIM_ADD, &data) && !::Shell_NotifyIconW(NIM_MODIFY, &data)) {
    return false;
  }
  data.uVersion = NOTIFYICON_VERSION_4;
  ::Shell_NotifyIconW(NIM_SETVERSION, &data);
  FShown = true;
  return true;
}

void TWin32TrayIcon::Show() {
  FWanted = true;
  if (!FShown && !Add()) {
    // At logon the notification area may not exist yet: try again until it does.
    ::SetTimer(FOwner.Window(), kTrayRetryTimer, kTrayRetryIntervalMs, nullptr);
  }
}

void TWin32TrayIcon::Hide() {
  FWanted = false;
  ::KillTimer(FOwner.Window(), kTrayRetryTimer);
  if (FShown) {
    NOTIFYICONDATAW data = Data(0);
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    FShown = false;
  }
}

void TWin32TrayIcon::RetryTimer() {
  if (!FWanted || FShown || Add()) {
    ::KillTimer(FOwner.Window(), kTrayRetryTimer);
  }
}

void TWin32TrayIcon::TaskbarCreated() {
  // A new notification area (Explorer restarted) has none of the old icons.
  FShown = false;
  if (FWanted) {
    Show();
  }
}

void TWin32TrayIcon::Callback(LPARAM ALParam) {
  // Version 4: the event is in the low word.
  switch (LOWORD(ALParam)) {
    case NIN_SELECT:
    case NIN_KEYSELECT:
      FEvents.TrayClicked();
      break;
    case WM_CONTEXTMENU:
      FEvents.TrayMenuRequested();
      break;
    default:
      break;
  }
}

std::optional<std::size_t> TWin32TrayIcon::ShowPopupMenu(
    const std::vector<TPopupMenuItem>& AItems) {
  const TUniqueMenu menu(::CreatePopupMenu());
  if (!menu) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < AItems.size(); ++i) {
    if (AItems[i].Visible) {
      ::AppendMenuW(menu.Get(), MF_STRING, i + 1, ToWide(AItems[i].Caption).c_str());
    }
  }
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // The menu closes when the user clicks elsewhere only if the owner is in the foreground.
  ::SetForegroundWindow(FOwner.Window());
  const UINT chosen =
      static_cast<UINT>(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                         cursor.x, cursor.y, 0, FOwner.Window(), nullptr));
  ::PostMessageW(FOwner.Window(), WM_NULL, 0, 0);
  if (chosen == 0) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(chosen - 1);
}

}  // namespace

std::unique_ptr<TAppWindow> TWin32Desktop::CreateAppWindow(const TAppWindowOptions& AOptions,
                                                           TAppWindowEvents& AEvents) {
  auto window = std::make_unique<TWin32AppWindow>(AEvents);
  if (!window->Create(AOptions)) {
    return nullptr;
  }
  return window;
}

std::unique_ptr<TTrayIcon> TWin32Desktop::CreateTrayIcon(TAppWindow& AOwner,
                                                         TTrayIconEvents& AEvents) {
  return std::make_unique<TWin32TrayIcon>(static_cast<TWin32AppWindow&>(AOwner), AEvents);
}

int TWin32Desktop::RunMessageLoop() {
  MSG message{};
  BOOL result = 0;
  while ((result = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (result == -1) {
      return 1;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void TWin32Desktop::Terminate() {
  ::PostQuitMessage(0);
}

void TWin32Desktop::ProcessPendingMessages() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));  // leave it for the loop
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void TWin32Desktop::Sleep(std::uint32_t AMilliseconds) {
  ::Sleep(AMilliseconds);
}

bool TWin32Desktop::PostToWindow(TWindowHandle AWindow, std::uint32_t AMessage,
                                 std::uintptr_t AWParam, std::intptr_t ALParam) {
  return AWindow != 0 &&
         ::PostMessageW(reinterpret_cast<HWND>(AWindow), AMessage, AWParam, ALParam) != 0;
}

bool TWin32Desktop::SendToWindow(TWindowHandle AWindow, std::uint32_t AMessage,
                                 std::uintptr_t AWParam, std::intptr_t ALParam,
                                 std::uint32_t ATimeoutMs) {
  DWORD_PTR result = 0;
  return AWindow != 0 &&
         ::SendMessageTimeoutW(reinterpret_cast<HWND>(AWindow), AMessage, AWParam, ALParam,
                               SMTO_ABORTIFHUNG | SMTO_NORMAL, ATimeoutMs, &result) != 0;
}

void TWin32Desktop::ShowAndForeground(TWindowHandle AWindow) {
  const HWND window = reinterpret_cast<HWND>(AWindow);
  // The window belongs to another program, which may be hung: ShowWindow would wait for it to
  // handle the change, ShowWindowAsync only queues it.
  ::ShowWindowAsync(window, SW_SHOW);
  ::SetForegroundWindow(window);
}

bool TWin32Desktop::UserIsBusy() {
  QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
  if (FAILED(::SHQueryUserNotificationState(&state))) {
    return false;
  }
  return state == QUNS_NOT_PRESENT || state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN ||
         state == QUNS_PRESENTATION_MODE;
}

std::uint32_t TWin32Desktop::RegisteredMessage(const std::u16string& AName) {
  return ::RegisterWindowMessageW(ToWide(AName).c_str());
}

void TWin32Desktop::ShellOpen(const std::u16string& AFile, const std::u16string& AWorkingFolder,
                              TWindowHandle AOwner, TShowCommand AShow) {
  ::ShellExecuteW(reinterpret_cast<HWND>(AOwner), L"open", ToWide(AFile).c_str(), nullptr,
                  AWorkingFolder.empty() ? nullptr : ToWide(AWorkingFolder).c_str(),
                  AShow == TShowCommand::Show ? SW_SHOW : SW_SHOWNORMAL);
}

}  // namespace mon::win32
