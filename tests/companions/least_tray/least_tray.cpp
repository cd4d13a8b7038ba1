// The least a tray program can be (test companion, never shipped): one hidden window, one
// notification-area icon, a message loop. tools/measure_monitor_figures.sh measures the monitor
// side by side with it, so that every figure of the monitor is a ratio to this floor.
//
// With /services it also takes the system services the monitor cannot do without, in the least
// way: notification of HID device arrivals, and the default microphone's endpoint with its mute
// state, its volume notifications and the default-device notifications. What this costs over the
// plain program is the system's own price of those services (under Wine: its audio driver and
// the threads of its notification services), whatever program takes them.
#include <windows.h>

#include <dbt.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  if (AMessage == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
}

// A COM object that only answers: both notification interfaces, never freed (lives as long as
// the process).
class TIgnoringSink : public IAudioEndpointVolumeCallback, public IMMNotificationClient {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID AId, void** AObject) override {
    if (AId == __uuidof(IUnknown) || AId == __uuidof(IAudioEndpointVolumeCallback)) {
      *AObject = static_cast<IAudioEndpointVolumeCallback*>(this);
    } else if (AId == __uuidof(IMMNotificationClient)) {
      *AObject = static_cast<IMMNotificationClient*>(this);
    } else {
      *AObject = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole, LPCWSTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
    return S_OK;
  }
};

void TakeServices(HWND AWindow) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = {
      0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
  ::RegisterDeviceNotificationW(AWindow, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);

  // COM's library is bound here, not imported: the plain program must not pay for it at start.
  const HMODULE ole32 = ::LoadLibraryW(L"ole32.dll");
  const auto initialize = reinterpret_cast<decltype(&::CoInitializeEx)>(
      reinterpret_cast<void*>(::GetProcAddress(ole32, "CoInitializeEx")));
  const auto createInstance = reinterpret_cast<decltype(&::CoCreateInstance)>(
      reinterpret_cast<void*>(::GetProcAddress(ole32, "CoCreateInstance")));
  if (initialize == nullptr || createInstance == nullptr) {
    return;
  }
  static TIgnoringSink sink;
  initialize(nullptr, COINIT_APARTMENTTHREADED);
  IMMDeviceEnumerator* enumerator = nullptr;
  IMMDevice* device = nullptr;
  IAudioEndpointVolume* volume = nullptr;
  BOOL muted = FALSE;
  if (createInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                     __uuidof(IMMDeviceEnumerator),
                     reinterpret_cast<void**>(&enumerator)) != S_OK) {
    return;
  }
  enumerator->RegisterEndpointNotificationCallback(&sink);
  if (enumerator->GetDefaultAudioEndpoint(eCapture, eMultimedia, &device) == S_OK &&
      device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                       reinterpret_cast<void**>(&volume)) == S_OK) {
    volume->RegisterControlChangeNotify(&sink);
    volume->GetMute(&muted);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE AInstance, HINSTANCE, PWSTR ACommandLine, int) {
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
  if (::lstrcmpiW(ACommandLine, L"/services") == 0) {
    TakeServices(window);
  }
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::DispatchMessageW(&message);
  }
  ::Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
