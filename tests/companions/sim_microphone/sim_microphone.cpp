// Test substitute for the system's audio device enumerator (never shipped). Registered in a test
// prefix as the in-process server of the MMDeviceEnumerator class, it offers two capture devices
// whose states are files, so that a test in another process can read and change them:
//   MON_SIMULATED_MICROPHONE = PATH   the microphone's mute state: "1" muted, anything else or no
//                                     file not muted; every SetMute appends "SetMute <0|1>" to
//                                     PATH.log
//   PATH.headset, PATH.headset.log    the same for the headset
//   PATH.default                      "headset" makes the headset the default capture device
// Like the system it calls back: a registered volume callback when its device's state changes
// (by SetMute at once, or in the file by "another program"), and registered notification clients
// when the default device changes; a thread looks at the files every 10 ms for that. The render
// flow has no endpoint.
#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

std::atomic<long> GLiveObjects{0};

std::wstring BasePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"MON_SIMULATED_MICROPHONE", path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

// The devices: 0 the microphone, 1 the headset.
constexpr int kDeviceCount = 2;
const wchar_t* const kDeviceIds[kDeviceCount] = {L"{0.0.1.00000000}.{simulated-microphone}",
                                                 L"{0.0.1.00000000}.{simulated-headset}"};

std::wstring StatePath(int ADevice) {
  const std::wstring base = BasePath();
  return base.empty() || ADevice == 0 ? base : base + L".headset";
}

// The first byte of a file; 0 when it cannot be read.
int FirstByte(const std::wstring& APath) {
  std::FILE* file = APath.empty() ? nullptr : _wfopen(APath.c_str(), L"rb");
  if (file == nullptr) {
    return 0;
  }
  const int first = std::fgetc(file);
  std::fclose(file);
  return first;
}

bool ReadMuted(int ADevice) {
  return FirstByte(StatePath(ADevice)) == '1';
}

int DefaultDevice() {
  const std::wstring base = BasePath();
  return !base.empty() && FirstByte(base + L".default") == 'h' ? 1 : 0;
}

bool WriteMuted(int ADevice, bool AMuted) {
  const std::wstring path = StatePath(ADevice);
  if (path.empty()) {
    return false;
  }
  std::FILE* state = _wfopen(path.c_str(), L"wb");
  if (state == nullptr) {
    return false;
  }
  std::fputc(AMuted ? '1' : '0', state);
  std::fclose(state);
  if (std::FILE* log = _wfopen((path + L".log").c_str(), L"ab")) {
    std::fprintf(log, "SetMute %d\r\n", AMuted ? 1 : 0);
    std::fclose(log);
  }
  return true;
}

// Reference counting shared by the objects below; each answers IUnknown and its own interface.
template <typename TInterface>
class TComObject : public TInterface {
 public:
  TComObject() { ++GLiveObjects; }
  virtual ~TComObject() { --GLiveObjects; }
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID AIid, void** AObject) override {
    if (AObject == nullptr) {
      return E_POINTER;
    }
    if (AIid == __uuidof(IUnknown) || AIid == __uuidof(TInterface)) {
      *AObject = static_cast<TInterface*>(this);
      AddRef();
      return S_OK;
    }
    *AObject = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++FReferences); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --FReferences;
    if (left == 0) {
      delete this;
    }
    return static_cast<ULONG>(left);
  }

 private:
  std::atomic<long> FReferences{1};
};

// What the watcher calls back: the registered volume callbacks with their device, and the
// registered notification clients. Each holds a reference while registered.
class TCallbacks {
 public:
  static TCallbacks& Instance() {
    static TCallbacks callbacks;
    return callbacks;
  }

  void AddVolume(IAudioEndpointVolumeCallback* ACallback, int ADevice) {
    ACallback->AddRef();
    std::lock_guard lock(FLock);
    FVolumes.push_back({ACallback, ADevice, ReadMuted(ADevice)});
    StartWatching();
  }
  bool RemoveVolume(IAudioEndpointVolumeCallback* ACallback) { return Remove(FVolumes, ACallback); }
  void AddClient(IMMNotificationClient* AClient) {
    AClient->AddRef();
    std::lock_guard lock(FLock);
    FClients.push_back({AClient, 0, false});
    FDefault = DefaultDevice();
    StartWatching();
  }
  bool RemoveClient(IMMNotificationClient* AClient) { return Remove(FClients, AClient); }
  // After a SetMute: the device's callbacks hear of it now, the watcher not again.
  void Changed(int ADevice, bool AMuted, LPCGUID AContext) { Notify(ADevice, AMuted, AContext); }

 private:
  template <class T>
  struct TEntry {
    T* Object;
    int Device;
    bool Muted;
  };

  template <class T>
  bool Remove(std::vector<TEntry<T>>& AList, T* AObject) {
    std::lock_guard lock(FLock);
    for (auto it = AList.begin(); it != AList.end(); ++it) {
      if (it->Object == AObject) {
        AObject->Release();
        AList.erase(it);
        return true;
      }
    }
    return false;
  }

  // The system calls on threads of its own: so does this substitute, never on the caller's.
  void Notify(int ADevice, bool AMuted, LPCGUID AContext) {
    std::vector<IAudioEndpointVolumeCallback*> callbacks;
    {
      std::lock_guard lock(FLock);
      for (auto& entry : FVolumes) {
        if (entry.Device == ADevice) {
          entry.Muted = AMuted;
          entry.Object->AddRef();
          callbacks.push_back(entry.Object);
        }
      }
    }
    AUDIO_VOLUME_NOTIFICATION_DATA data{};
    data.guidEventContext = AContext != nullptr ? *AContext : GUID{};
    data.bMuted = AMuted ? TRUE : FALSE;
    data.fMasterVolume = 1.0F;
    data.nChannels = 1;
    data.afChannelVolumes[0] = 1.0F;
    for (IAudioEndpointVolumeCallback* callback : callbacks) {
      std::thread([callback, &data] { callback->OnNotify(&data); }).join();
      callback->Release();
    }
  }

  void StartWatching() {
    if (!FWatching) {
      FWatching = true;
      ++GLiveObjects;  // the library stays loaded while its thread runs
      std::thread([this] { Watch(); }).detach();
    }
  }

  // Looks at the files every 10 ms while anything is registered.
  void Watch() {
    for (;;) {
      ::Sleep(10);
      std::vector<std::pair<int, bool>> changed;
      std::vector<IMMNotificationClient*> clients;
      int newDefault = -1;
      {
        std::lock_guard lock(FLock);
        if (FVolumes.empty() && FClients.empty()) {
          FWatching = false;
          break;
        }
        for (const auto& entry : FVolumes) {
          const bool muted = ReadMuted(entry.Device);
          if (muted != entry.Muted) {
            changed.emplace_back(entry.Device, muted);
          }
        }
        if (!FClients.empty() && DefaultDevice() != FDefault) {
          FDefault = newDefault = DefaultDevice();
          for (auto& entry : FClients) {
            entry.Object->AddRef();
            clients.push_back(entry.Object);
          }
        }
      }
      for (const auto& [device, muted] : changed) {
        Notify(device, muted, nullptr);
      }
      for (IMMNotificationClient* client : clients) {
        for (const ERole role : {eConsole, eMultimedia, eCommunications}) {
          client->OnDefaultDeviceChanged(eCapture, role, kDeviceIds[newDefault]);
        }
        client->Release();
      }
    }
    --GLiveObjects;
  }

  std::mutex FLock;
  std::vector<TEntry<IAudioEndpointVolumeCallback>> FVolumes;
  std::vector<TEntry<IMMNotificationClient>> FClients;
  int FDefault = 0;
  bool FWatching = false;
};

class TEndpointVolume final : public TComObject<IAudioEndpointVolume> {
 public:
  explicit TEndpointVolume(int ADevice) : FDevice(ADevice) {}
  ~TEndpointVolume() override {
    if (FCallback != nullptr) {
      TCallbacks::Instance().RemoveVolume(FCallback);
    }
  }

  HRESULT STDMETHODCALLTYPE
  RegisterControlChangeNotify(IAudioEndpointVolumeCallback* ACallback) override {
    if (ACallback == nullptr) {
      return E_POINTER;
    }
    if (FCallback != nullptr) {
      TCallbacks::Instance().RemoveVolume(FCallback);
    }
    FCallback = ACallback;
    TCallbacks::Instance().AddVolume(ACallback, FDevice);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE
  UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* ACallback) override {
    if (ACallback == nullptr || ACallback != FCallback) {
      return E_INVALIDARG;
    }
    TCallbacks::Instance().RemoveVolume(FCallback);
    FCallback = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetMute(BOOL AMuted, LPCGUID AContext) override {
    if (!WriteMuted(FDevice, AMuted != FALSE)) {
      return E_FAIL;
    }
    TCallbacks::Instance().Changed(FDevice, AMuted != FALSE, AContext);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetMute(BOOL* AMuted) override {
    if (AMuted == nullptr) {
      return E_POINTER;
    }
    *AMuted = ReadMuted(FDevice) ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetChannelCount(UINT* ACount) override {
    if (ACount == nullptr) {
      return E_POINTER;
    }
    *ACount = 1;
    return S_OK;
  }

  // Volume levels are of no interest to the monitor.
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(float, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, float, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, float, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVolumeRange(float*, float*, float*) override { return E_NOTIMPL; }

 private:
  const int FDevice;
  IAudioEndpointVolumeCallback* FCallback = nullptr;
};

class TCaptureDevice final : public TComObject<IMMDevice> {
 public:
  explicit TCaptureDevice(int ADevice) : FDevice(ADevice) {}
  HRESULT STDMETHODCALLTYPE Activate(REFIID AIid, DWORD, PROPVARIANT*, void** AObject) override {
    if (AObject == nullptr) {
      return E_POINTER;
    }
    *AObject = nullptr;
    if (AIid != __uuidof(IAudioEndpointVolume)) {
      return E_NOINTERFACE;
    }
    *AObject = static_cast<IAudioEndpointVolume*>(new TEndpointVolume(FDevice));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetId(LPWSTR* AId) override {
    if (AId == nullptr) {
      return E_POINTER;
    }
    const std::size_t bytes = (std::wcslen(kDeviceIds[FDevice]) + 1) * sizeof(wchar_t);
    *AId = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
    if (*AId == nullptr) {
      return E_OUTOFMEMORY;
    }
    std::memcpy(*AId, kDeviceIds[FDevice], bytes);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetState(DWORD* AState) override {
    if (AState == nullptr) {
      return E_POINTER;
    }
    *AState = DEVICE_STATE_ACTIVE;
    return S_OK;
  }

 private:
  const int FDevice;
};

class TDeviceEnumerator final : public TComObject<IMMDeviceEnumerator> {
 public:
  ~TDeviceEnumerator() override {
    for (IMMNotificationClient* client : FClients) {
      TCallbacks::Instance().RemoveClient(client);
    }
  }
  HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow AFlow, ERole,
                                                    IMMDevice** ADevice) override {
    if (ADevice == nullptr) {
      return E_POINTER;
    }
    *ADevice = nullptr;
    if (AFlow != eCapture) {
      return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    *ADevice = new TCaptureDevice(DefaultDevice());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE
  RegisterEndpointNotificationCallback(IMMNotificationClient* AClient) override {
    if (AClient == nullptr) {
      return E_POINTER;
    }
    FClients.push_back(AClient);
    TCallbacks::Instance().AddClient(AClient);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE
  UnregisterEndpointNotificationCallback(IMMNotificationClient* AClient) override {
    for (auto it = FClients.begin(); it != FClients.end(); ++it) {
      if (*it == AClient) {
        FClients.erase(it);
        TCallbacks::Instance().RemoveClient(AClient);
        return S_OK;
      }
    }
    return E_INVALIDARG;
  }

 private:
  std::vector<IMMNotificationClient*> FClients;
};

class TEnumeratorFactory final : public TComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* AOuter, REFIID AIid, void** AObject) override {
    if (AObject == nullptr) {
      return E_POINTER;
    }
    *AObject = nullptr;
    if (AOuter != nullptr) {
      return CLASS_E_NOAGGREGATION;
    }
    auto* enumerator = new TDeviceEnumerator();
    const HRESULT result = enumerator->QueryInterface(AIid, AObject);
    enumerator->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL ALock) override {
    GLiveObjects += ALock ? 1 : -1;
    return S_OK;
  }
};

}  // namespace

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID AClass, REFIID AIid, void** AObject) {
  if (AObject == nullptr) {
    return E_POINTER;
  }
  *AObject = nullptr;
  if (AClass != __uuidof(MMDeviceEnumerator)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new TEnumeratorFactory();
  const HRESULT result = factory->QueryInterface(AIid, AObject);
  factory->Release();
  return result;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return GLiveObjects == 0 ? S_OK : S_FALSE;
}

}  // extern "C"
