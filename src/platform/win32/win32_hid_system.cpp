#include "platform/win32/win32_hid_system.h"

#include <windows.h>

#include <setupapi.h>

#include <cstddef>
#include <cstring>

#include "platform/win32/dynamic_library.h"
#include "platform/win32/hid_abi.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace mon::win32 {

using TSetupDiGetClassDevsW = HDEVINFO(WINAPI*)(const GUID*, PCWSTR, HWND, DWORD);
using TSetupDiEnumDeviceInterfaces = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD,
                                                   PSP_DEVICE_INTERFACE_DATA);
using TSetupDiGetDeviceInterfaceDetailW = BOOL(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                                        PSP_DEVICE_INTERFACE_DETAIL_DATA_W, DWORD,
                                                        PDWORD, PSP_DEVINFO_DATA);
using TSetupDiGetDeviceRegistryPropertyW = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD,
                                                         PBYTE, DWORD, PDWORD);
using TSetupDiDestroyDeviceInfoList = BOOL(WINAPI*)(HDEVINFO);

struct TWin32HidSystem::TApi {
  TDynamicLibrary SetupApi;
  TDynamicLibrary Hid;
  TSetupDiGetClassDevsW SetupDiGetClassDevsW = nullptr;
  TSetupDiEnumDeviceInterfaces SetupDiEnumDeviceInterfaces = nullptr;
  TSetupDiGetDeviceInterfaceDetailW SetupDiGetDeviceInterfaceDetailW = nullptr;
  TSetupDiGetDeviceRegistryPropertyW SetupDiGetDeviceRegistryPropertyW = nullptr;
  TSetupDiDestroyDeviceInfoList SetupDiDestroyDeviceInfoList = nullptr;
  THidDGetHidGuid HidD_GetHidGuid = nullptr;
  THidDGetAttributes HidD_GetAttributes = nullptr;
  THidDGetPreparsedData HidD_GetPreparsedData = nullptr;
  THidDFreePreparsedData HidD_FreePreparsedData = nullptr;
  THidPGetCaps HidP_GetCaps = nullptr;
  THidDGetFeature HidD_GetFeature = nullptr;
  THidDSetFeature HidD_SetFeature = nullptr;
  THidPMaxUsageListLength HidP_MaxUsageListLength = nullptr;
  THidPGetUsagesEx HidP_GetUsagesEx = nullptr;

  bool CanWalk() const {
    return SetupDiGetClassDevsW != nullptr && SetupDiEnumDeviceInterfaces != nullptr &&
           SetupDiGetDeviceInterfaceDetailW != nullptr &&
           SetupDiGetDeviceRegistryPropertyW != nullptr && SetupDiDestroyDeviceInfoList != nullptr;
  }
};

namespace {

// The hardware-ID query reads into a buffer of this many bytes.
constexpr DWORD kHardwareIdBufferBytes = 32768;
// An interface detail larger than this is not a device path.
constexpr DWORD kMaxInterfaceDetailBytes = 1u << 20;

GUID ToWindowsGuid(const TGuid& AGuid) {
  GUID guid{};
  guid.Data1 = AGuid.Data1;
  guid.Data2 = AGuid.Data2;
  guid.Data3 = AGuid.Data3;
  std::memcpy(guid.Data4, AGuid.Data4.data(), sizeof(guid.Data4));
  return guid;
}

TGuid FromWindowsGuid(const GUID& AGuid) {
  TGuid guid;
  guid.Data1 = AGuid.Data1;
  guid.Data2 = AGuid.Data2;
  guid.Data3 = AGuid.Data3;
  std::memcpy(guid.Data4.data(), AGuid.Data4, sizeof(AGuid.Data4));
  return guid;
}

// A device-information set, destroyed by the bound SetupAPI.
struct TDeviceInfoSetRelease {
  TSetupDiDestroyDeviceInfoList Destroy = nullptr;
  static bool IsValid(HDEVINFO ASet) { return ASet != nullptr && ASet != INVALID_HANDLE_VALUE; }
  void Free(HDEVINFO ASet) const { Destroy(ASet); }
};
using TDeviceInfoSet = TUniqueResource<HDEVINFO, TDeviceInfoSetRelease>;

// A collection's preparsed data, freed by the bound HID library.
struct TPreparsedDataRelease {
  THidDFreePreparsedData FreeData = nullptr;
  static bool IsValid(THidpPreparsedData AData) { return AData != nullptr; }
  void Free(THidpPreparsedData AData) const { FreeData(AData); }
};
using TPreparsedData = TUniqueResource<THidpPreparsedData, TPreparsedDataRelease>;

// The state of one read in flight. The completion routine finds it through the OVERLAPPED
// record, which comes first.
struct TPendingRead {
  OVERLAPPED Overlapped{};
  bool Done = false;
};
static_assert(offsetof(TPendingRead, Overlapped) == 0);

// Runs in an alertable wait of the thread that issued the read; it only marks the read done (the
// result is read with GetOverlappedResult afterwards).
VOID CALLBACK ReadCompleted(DWORD, DWORD, LPOVERLAPPED AOverlapped) {
  reinterpret_cast<TPendingRead*>(AOverlapped)->Done = true;
}

struct TReadOutcome {
  bool Issued = false;
  bool Stopped = false;
  DWORD Bytes = 0;
  DWORD Error = ERROR_SUCCESS;
};

class TWin32HidDevice final : public THidDevice {
 public:
  TWin32HidDevice(const TWin32HidSystem::TApi& AApi, TUniqueHandle AHandle, THidOpenMode AMode)
      : FApi(AApi), FHandle(std::move(AHandle)), FMode(AMode) {
    if (FMode == THidOpenMode::Overlapped) {
      FStopEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    }
  }

  // No read is outstanding at destruction (Read never returns with one), so closing is safe; the
  // preparsed data goes first.

  std::optional<THidAttributes> Attributes() override {
    if (FApi.HidD_GetAttributes == nullptr) {
      return std::nullopt;
    }
    THiddAttributes attributes{};
    attributes.Size = sizeof(attributes);
    if (!FApi.HidD_GetAttributes(FHandle.Get(), &attributes)) {
      return std::nullopt;
    }
    return THidAttributes{attributes.VendorID, attributes.ProductID, attributes.VersionNumber};
  }

  std::optional<THidCaps> Capabilities() override {
    FPreparsedData.Reset();
    if (FApi.HidD_GetPreparsedData == nullptr || FApi.HidP_GetCaps == nullptr ||
        FApi.HidD_FreePreparsedData == nullptr) {
      return std::nullopt;
    }
    THidpPreparsedData data = nullptr;
    if (!FApi.HidD_GetPreparsedData(FHandle.Get(), &data) || data == nullptr) {
      return std::nullopt;
    }
    FPreparsedData = TPreparsedData(data, {FApi.HidD_FreePreparsedData});
    THidpCaps caps{};
    if (FApi.HidP_GetCaps(FPreparsedData.Get(), &caps) != kHidpStatusSuccess) {
      return std::nullopt;
    }
    return THidCaps{caps.Usage, caps.UsagePage, caps.InputReportByteLength,
                    caps.OutputReportByteLength, caps.FeatureReportByteLength};
  }

  THidTransfer Write(std::span<const std::uint8_t> AReport) override {
    if (FMode != THidOpenMode::Synchronous) {
      return {false, ERROR_INVALID_HANDLE, 0};
    }
    DWORD written = 0;
    ::SetLastError(ERROR_SUCCESS);
    const BOOL ok = ::WriteFile(FHandle.Get(), AReport.data(), static_cast<DWORD>(AReport.size()),
                                &written, nullptr);
    return {ok != FALSE, ::GetLastError(), written};
  }

  THidTransfer GetFeature(std::span<std::uint8_t> ABuffer) override {
    if (FApi.HidD_GetFeature == nullptr) {
      return {false, ERROR_PROC_NOT_FOUND, 0};
    }
    ::SetLastError(ERROR_SUCCESS);
    const BOOLEAN ok =
        FApi.HidD_GetFeature(FHandle.Get(), ABuffer.data(), static_cast<ULONG>(ABuffer.size()));
    return {ok != FALSE, ::GetLastError(), ok ? static_cast<std::uint32_t>(ABuffer.size()) : 0};
  }

  THidTransfer SetFeature(std::span<const std::uint8_t> AReport) override {
    if (FApi.HidD_SetFeature == nullptr) {
      return {false, ERROR_PROC_NOT_FOUND, 0};
    }
    ::SetLastError(ERROR_SUCCESS);
    const BOOLEAN ok =
        FApi.HidD_SetFeature(FHandle.Get(), const_cast<std::uint8_t*>(AReport.data()),
                             static_cast<ULONG>(AReport.size()));
    return {ok != FALSE, ::GetLastError(), ok ? static_cast<std::uint32_t>(AReport.size()) : 0};
  }

  std::uint32_t HandleValue() override {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(FHandle.Get()));
  }

  std::size_t MaxInputUsageListLength() override {
    if (!FPreparsedData || FApi.HidP_MaxUsageListLength == nullptr) {
      return 0;
    }
    return FApi.HidP_MaxUsageListLength(HidpInput, 0, FPreparsedData.Get());
  }

  std::optional<std::vector<THidUsage>> InputUsages(std::span<const std::uint8_t> AReport,
                                                    std::size_t AMaxUsages) override {
    if (!FPreparsedData || FApi.HidP_GetUsagesEx == nullptr || AMaxUsages == 0) {
      return std::nullopt;
    }
    std::vector<THidpUsageAndPage> list(AMaxUsages);
    ULONG length = static_cast<ULONG>(list.size());
    const LONG status =
        FApi.HidP_GetUsagesEx(HidpInput, 0, list.data(), &length, FPreparsedData.Get(),
                              reinterpret_cast<PCHAR>(const_cast<std::uint8_t*>(AReport.data())),
                              static_cast<ULONG>(AReport.size()));
    if (status != kHidpStatusSuccess || length > list.size()) {
      return std::nullopt;
    }
    std::vector<THidUsage> usages;
    usages.reserve(length);
    for (ULONG i = 0; i < length; ++i) {
      usages.push_back({list[i].Usage, list[i].UsagePage});
    }
    return usages;
  }

  THidReadResult Read(std::span<std::uint8_t> ABuffer, const TStopToken& AStop) override {
    if (FMode != THidOpenMode::Overlapped || !FStopEvent || ABuffer.empty()) {
      return {THidReadStatus::IssueFailed, 0, ERROR_INVALID_HANDLE};
    }
    if (AStop.StopRequested()) {
      return {THidReadStatus::Stopped, 0, ERROR_OPERATION_ABORTED};
    }
    ::ResetEvent(FStopEvent.Get());
    // Set at once when the stop was requested in between.
    const TStopCallback wake(AStop, [this] { ::SetEvent(FStopEvent.Get()); });

    const TReadOutcome outcome = ReadOnce(ABuffer.data(), static_cast<DWORD>(ABuffer.size()));
    if (outcome.Stopped) {
      return {THidReadStatus::Stopped, 0, ERROR_OPERATION_ABORTED};
    }
    if (!outcome.Issued) {
      return {THidReadStatus::IssueFailed, 0, outcome.Error};
    }
    if (outcome.Error == ERROR_MORE_DATA) {
      // A report longer than the buffer (a message pipe, a misbehaving driver): drop the rest of
      // it, so the next read starts with the next report rather than with its tail.
      std::vector<std::uint8_t> rest(4096);
      for (;;) {
        const TReadOutcome drained = ReadOnce(rest.data(), static_cast<DWORD>(rest.size()));
        if (drained.Stopped) {
          return {THidReadStatus::Stopped, 0, ERROR_OPERATION_ABORTED};
        }
        if (!drained.Issued || drained.Error != ERROR_MORE_DATA) {
          break;
        }
      }
      return {THidReadStatus::Failed, outcome.Bytes, ERROR_MORE_DATA};
    }
    if (outcome.Error != ERROR_SUCCESS) {
      return {THidReadStatus::Failed, outcome.Bytes, outcome.Error};
    }
    return {THidReadStatus::Completed, outcome.Bytes, ERROR_SUCCESS};
  }

 private:
  // Issues one read and waits until it has completed or the stop event is set. The wait is
  // alertable and has no time-out: the thread sleeps until the completion routine runs or the
  // stop comes. On a stop the read is cancelled and its completion awaited, so the buffer is free
  // again when this returns, whatever happened.
  TReadOutcome ReadOnce(void* ABuffer, DWORD ALength) {
    TReadOutcome outcome;
    TPendingRead pending;
    ::SetLastError(ERROR_SUCCESS);
    if (!::ReadFileEx(FHandle.Get(), ABuffer, ALength, &pending.Overlapped, &ReadCompleted)) {
      outcome.Error = ::GetLastError();
      // A read that completes at once with a report longer than the buffer: Windows returns
      // TRUE with ERROR_MORE_DATA, Wine FALSE. Either way the routine is queued and will write
      // to `pending`, so the read counts as issued and is waited for like any other.
      if (outcome.Error != ERROR_MORE_DATA) {
        return outcome;
      }
    }
    outcome.Issued = true;
    while (!pending.Done) {
      const DWORD wait = ::WaitForSingleObjectEx(FStopEvent.Get(), INFINITE, TRUE);
      if (wait == WAIT_IO_COMPLETION) {
        continue;  // our routine (then Done is set) or another one queued to this thread
      }
      // The stop event (or a wait that cannot be done at all): end this read here.
      outcome.Stopped = true;
      if (!pending.Done) {
        ::CancelIoEx(FHandle.Get(), &pending.Overlapped);
        while (!pending.Done) {
          ::SleepEx(INFINITE, TRUE);
        }
      }
    }
    DWORD bytes = 0;
    if (::GetOverlappedResult(FHandle.Get(), &pending.Overlapped, &bytes, FALSE)) {
      outcome.Error = ERROR_SUCCESS;
    } else {
      outcome.Error = ::GetLastError();
    }
    outcome.Bytes = bytes;
    return outcome;
  }

  const TWin32HidSystem::TApi& FApi;
  TUniqueHandle FHandle;
  THidOpenMode FMode;
  TUniqueHandle FStopEvent;
  TPreparsedData FPreparsedData;  // after the handle: freed before it is closed
};

}  // namespace

TWin32HidSystem::TWin32HidSystem() = default;

TWin32HidSystem::~TWin32HidSystem() = default;

const TWin32HidSystem::TApi& TWin32HidSystem::Api() {
  std::call_once(FBindOnce, [this] {
    auto api = std::make_unique<TApi>();
    api->SetupApi = TDynamicLibrary::LoadSafely(L"SetupApi.dll");
    api->Hid = TDynamicLibrary::LoadSafely(L"HID.dll");
    const TDynamicLibrary& setup = api->SetupApi;
    const TDynamicLibrary& hid = api->Hid;
    api->SetupDiGetClassDevsW = setup.Function<TSetupDiGetClassDevsW>("SetupDiGetClassDevsW");
    api->SetupDiEnumDeviceInterfaces =
        setup.Function<TSetupDiEnumDeviceInterfaces>("SetupDiEnumDeviceInterfaces");
    api->SetupDiGetDeviceInterfaceDetailW =
        setup.Function<TSetupDiGetDeviceInterfaceDetailW>("SetupDiGetDeviceInterfaceDetailW");
    api->SetupDiGetDeviceRegistryPropertyW =
        setup.Function<TSetupDiGetDeviceRegistryPropertyW>("SetupDiGetDeviceRegistryPropertyW");
    api->SetupDiDestroyDeviceInfoList =
        setup.Function<TSetupDiDestroyDeviceInfoList>("SetupDiDestroyDeviceInfoList");
    api->HidD_GetHidGuid = hid.Function<THidDGetHidGuid>("HidD_GetHidGuid");
    api->HidD_GetAttributes = hid.Function<THidDGetAttributes>("HidD_GetAttributes");
    api->HidD_GetPreparsedData = hid.Function<THidDGetPreparsedData>("HidD_GetPreparsedData");
    api->HidD_FreePreparsedData = hid.Function<THidDFreePreparsedData>("HidD_FreePreparsedData");
    api->HidP_GetCaps = hid.Function<THidPGetCaps>("HidP_GetCaps");
    api->HidD_GetFeature = hid.Function<THidDGetFeature>("HidD_GetFeature");
    api->HidD_SetFeature = hid.Function<THidDSetFeature>("HidD_SetFeature");
    api->HidP_MaxUsageListLength = hid.Function<THidPMaxUsageListLength>("HidP_MaxUsageListLength");
    api->HidP_GetUsagesEx = hid.Function<THidPGetUsagesEx>("HidP_GetUsagesEx");
    FApi = std::move(api);
  });
  return *FApi;
}

bool TWin32HidSystem::IsBound() {
  const TApi& api = Api();
  return api.CanWalk() && api.HidD_GetAttributes != nullptr &&
         api.HidD_GetPreparsedData != nullptr && api.HidD_FreePreparsedData != nullptr &&
         api.HidP_GetCaps != nullptr;
}

std::optional<TGuid> TWin32HidSystem::HidInterfaceClass() {
  const TApi& api = Api();
  if (api.HidD_GetHidGuid == nullptr) {
    return std::nullopt;
  }
  GUID guid{};
  api.HidD_GetHidGuid(&guid);
  return FromWindowsGuid(guid);
}

std::vector<THidInterface> TWin32HidSystem::EnumerateInterfaces(const TGuid& AInterfaceClass) {
  std::vector<THidInterface> result;
  const TApi& api = Api();
  if (!api.CanWalk()) {
    return result;
  }
  const GUID interfaceClass = ToWindowsGuid(AInterfaceClass);
  const TDeviceInfoSet set(api.SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr,
                                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE),
                           {api.SetupDiDestroyDeviceInfoList});
  if (!set.IsValid()) {
    return result;
  }
  std::vector<wchar_t> hardwareIds(kHardwareIdBufferBytes / sizeof(wchar_t));
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof(interfaceData);
    if (!api.SetupDiEnumDeviceInterfaces(set.Get(), nullptr, &interfaceClass, index,
                                         &interfaceData)) {
      break;
    }
    // The size of the detail record, asked without a buffer.
    DWORD required = 0;
    ::SetLastError(ERROR_SUCCESS);
    const BOOL sized = api.SetupDiGetDeviceInterfaceDetailW(set.Get(), &interfaceData, nullptr, 0,
                                                            &required, nullptr);
    if (sized || required == 0 || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) ||
        required > kMaxInterfaceDetailBytes) {
      continue;
    }
    // The record with room for one more terminator than asked for; DWORD storage keeps it
    // aligned for its size field.
    std::vector<DWORD> storage((required + sizeof(wchar_t)) / sizeof(DWORD) + 1, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    // The size field holds the size of the record's fixed part as this process lays it out: 8 in
    // 64-bit code (a 32-bit process, where the record is packed, passes 6).
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    SP_DEVINFO_DATA deviceInfo{};
    deviceInfo.cbSize = sizeof(deviceInfo);
    if (!api.SetupDiGetDeviceInterfaceDetailW(set.Get(), &interfaceData, detail, required, nullptr,
                                              &deviceInfo)) {
      continue;
    }
    const std::size_t pathCapacity =
        (required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
    THidInterface hidInterface;
    hidInterface.Path = FromWideBuffer(detail->DevicePath, pathCapacity);
    if (hidInterface.Path.empty()) {
      continue;
    }
    // The hardware IDs; a failed query leaves the first character 0, an empty list.
    std::fill(hardwareIds.begin(), hardwareIds.end(), L'\0');
    api.SetupDiGetDeviceRegistryPropertyW(set.Get(), &deviceInfo, SPDRP_HARDWAREID, nullptr,
                                          reinterpret_cast<PBYTE>(hardwareIds.data()),
                                          kHardwareIdBufferBytes, nullptr);
    hidInterface.HardwareIds = SplitMultiString(std::u16string_view(
        reinterpret_cast<const char16_t*>(hardwareIds.data()), hardwareIds.size()));
    result.push_back(std::move(hidInterface));
  }
  return result;
}

std::unique_ptr<THidDevice> TWin32HidSystem::OpenDevice(const std::u16string& APath,
                                                        THidOpenMode AMode) {
  const TApi& api = Api();
  const DWORD attributes =
      FILE_ATTRIBUTE_NORMAL | (AMode == THidOpenMode::Overlapped ? FILE_FLAG_OVERLAPPED : 0);
  TUniqueHandle handle(::CreateFileW(ToWide(APath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     attributes, nullptr));
  if (!handle) {
    return nullptr;
  }
  return std::make_unique<TWin32HidDevice>(api, std::move(handle), AMode);
}

}  // namespace mon::win32
