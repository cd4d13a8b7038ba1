#include "about_panel_window.h"

#include "platform/win32/win32_ids.h"

namespace mon::testing {
namespace {

constexpr wchar_t kClassName[] = L"TMonAboutPanelWindow";

}  // namespace

TAboutPanelWindow::TAboutPanelWindow() : FPanel(nullptr, LoadAboutPanelImages()), FView(FPanel) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(win32::kAppIconResourceId));
  windowClass.lpszClassName = kClassName;
  // A second window of the same class finds the class registered already.
  ::RegisterClassExW(&windowClass);

  const int width = FPanel.Width();
  const int height = FPanel.Height();
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  FWindow = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"About", WS_POPUP, left, top, width,
                              height, nullptr, nullptr, instance, this);
  if (FWindow != nullptr) {
    FView.Attach(FWindow);
  }
}

TAboutPanelWindow::~TAboutPanelWindow() {
  if (FWindow != nullptr) {
    ::DestroyWindow(FWindow);
  }
}

void TAboutPanelWindow::Show() {
  // Not activated: under Wine without a window manager, hiding or destroying a window that was
  // activated waits two seconds for a window manager's answer.
  ::ShowWindow(FWindow, SW_SHOWNOACTIVATE);
  ::UpdateWindow(FWindow);
  PumpMessages();
}

void TAboutPanelWindow::PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

LRESULT CALLBACK TAboutPanelWindow::WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam,
                                               LPARAM ALParam) {
  if (AMessage == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
    ::SetWindowLongPtrW(AWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TAboutPanelWindow*>(::GetWindowLongPtrW(AWindow, GWLP_USERDATA));
  if (AMessage == WM_NCDESTROY && self != nullptr) {
    self->FView.Detach();
    self->FWindow = nullptr;
    ::SetWindowLongPtrW(AWindow, GWLP_USERDATA, 0);
  } else if (self != nullptr) {
    LRESULT result = 0;
    if (self->FView.HandleMessage(AWindow, AMessage, AWParam, ALParam, result)) {
      return result;
    }
  }
  return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
}

}  // namespace mon::testing
