#include "platform/win32/win32_hidden_window.h"

#include <windows.h>

#include <dbt.h>

#include <cstring>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_window.h"

namespace mon::win32 {

namespace {

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);

class TWin32HiddenWindow final : public THiddenWindow, private TWin32Window {
 public:
  explicit TWin32HiddenWindow(TMessageHandler& AHandler) : FHandler(AHandler) {}

  bool Create(const std::wstring& AClassName) {
    TWin32WindowParams params;
    params.ClassName = AClassName;
    return CreateWindowFromParams(params);
  }

  TWindowHandle Handle() const override { return reinterpret_cast<TWindowHandle>(Window()); }

  bool PostToSelf(std::uint32_t AMsg, std::uintptr_t AWParam, std::intptr_t ALParam) override {
    return ::PostMessageW(Window(), AMsg, AWParam, ALParam) != FALSE;
  }

  bool StartTimer(std::uintptr_t AId, std::uint32_t AIntervalMs) override {
    return AId != 0 && ::SetTimer(Window(), AId, AIntervalMs, nullptr) != 0;
  }

  void StopTimer(std::uintptr_t AId) override { ::KillTimer(Window(), AId); }

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
        ::RegisterDeviceNotificationW(Window(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (notification == nullptr) {
      return false;
    }
    FNotifications.emplace_back(notification);
    return true;
  }

 private:
  LRESULT HandleWindowMessage(UINT AMessage, WPARAM AWParam, LPARAM ALParam) override {
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
    if (FHandler.HandleMessage(message)) {
      return message.Result;
    }
    return DefaultHandling(AMessage, AWParam, ALParam);
  }

  TMessageHandler& FHandler;
  std::vector<TUniqueDeviceNotification> FNotifications;
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
