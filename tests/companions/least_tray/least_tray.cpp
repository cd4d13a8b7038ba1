// The least a tray program can be (test companion, never shipped): one hidden window, one
// notification-area icon, a message loop. tools/measure_monitor_figures.sh measures the monitor
// side by side with it, so that every figure of the monitor is a ratio to this floor.
#include <windows.h>

#include <shellapi.h>

namespace {

LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  if (AMessage == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE AInstance, HINSTANCE, PWSTR, int) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = AInstance;
  windowClass.lpszClassName = L"LeastTrayProgram";
  ::RegisterClassW(&windowClass);
  HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"LeastTrayProgram", L"", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, AInstance, nullptr);
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP;
  icon.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  ::lstrcpyW(icon.szTip, L"least tray program");
  ::Shell_NotifyIconW(NIM_ADD, &icon);
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&message);
  }
  ::Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
