#include "platform/win32/win32_hidden_window.h"

#include <windows.h>

#include <dbt.h>

#include <cstring>
#include <exception>
#include <vector>

#include "framework/application.h"
#include "platform/win32/wide.h"

namespace mon::win32 {

namespace {

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);

class TWin32HiddenWindow final : public THiddenWindow {
 public:
  explicit TWin32HiddenWindow(TMessageHandler& AHandler) : FHandler(AHandler) {}

  ~TWin32HiddenWindow() override {
    for (HDEVNOTIFY notification : FNotifications) {
      ::UnregisterDeviceNotification(notification);
    }
    if (FWindow != nullptr) {
      // Nothing reaches the handler from here on, not even the destruction messages.
      ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
      ::DestroyWindow(FWindow);
    }
  }

  bool Create(const std::wstring& AClassName) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TWin32HiddenWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = AClassName.c_str();
    ::RegisterClassExW(&windowClass);  // registered before: fine
    FWindow = ::CreateWindowExW(WS_EX_TOOLWINDOW, AClassName.c_str(), L"", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, instance, this);
    return FWindow != nullptr;
  }

  TWindowHandle Handle() const override { return reinterpret_cast<TWindowHandle>(FWindow); }

  bool PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) override {
    return ::PostMessageW(FWindow, AMsg, AWParam, ALParam) != FALSE;
  }

  bool StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) override {
    return AId != 0 && ::SetTimer(FWindow, AId, AIntervalMs, nullptr) != 0;
  }

  void StopTimer(std::uintptr_t AId) override { ::KillTimer(FWindow, AId); }

  bool RegisterDeviceInterfaceNotification(const TGuid& AInterfaceClass) override {
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    std::memset(&filter, 0, sizeof(filter));
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid.Data1 = AInterfaceClass.Data1;
    filter.dbcc_classguid.Data2 = AInterfaceClass.Data2;
    filter.dbcc_classguid.Data3 = AInterfaceClass.Data3;
    std::memcpy(filter.dbcc_classguid.Data4, AInterfaceClass.Data4.data(), 8);
    const HDEVNOTIFY notification =
        ::RegisterDeviceNotificationW(FWindow, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (notification == nullptr) {
      return false;
    }
    FNotifications.push_back(notification);
    return true;
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
    if (AMessage == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
      ::SetWindowLongPtrW(AWindow, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TWin32HiddenWindow*>(::GetWindowLongPtrW(AWindow, GWLP_USERDATA));
    if (self == nullptr || AMessage == WM_NCCREATE) {
      return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
    }
    TWindowMessage message;
    message.Msg = AMessage;
    message.WParam = AWParam;
    message.LParam = ALParam;
    // Only the events that come with a broadcast header have one to read; the lParam of any
    // other device change (such as "device nodes changed") is not a pointer.
    if (AMessage == WM_DEVICECHANGE && AWParam >= DBT_DEVICEARRIVAL && AWParam <= DBT_CUSTOMEVENT &&
        ALParam != 0) {
      message.DeviceType = reinterpret_cast<const DEV_BROADCAST_HDR*>(ALParam)->dbch_devicetype;
    }
    try {
      if (self->FHandler.HandleMessage(message)) {
        return message.Result;
      }
    } catch (...) {
      HandleApplicationException(std::current_exception());
      return 0;
    }
    return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
  }

  TMessageHandler& FHandler;
  HWND FWindow = nullptr;
  std::vector<HDEVNOTIFY> FNotifications;
};

}  // namespace

std::unique_ptr<THiddenWindow> TWin32HiddenWindowFactory::CreateHiddenWindow(
    const std::u16string& AClassName, TMessageHandler& AHandler) {
  auto window = std::make_unique<TWin32HiddenWindow>(AHandler);
  if (!window->Create(ToWide(AClassName))) {
    return nullptr;
  }
  return window;
}

}  // namespace mon::win32
