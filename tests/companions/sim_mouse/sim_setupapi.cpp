// Test substitute for SetupApi.dll: the device walk over the simulated interfaces of
// MON_SIMULATED_HID (sim_config.h). It checks what the real one checks: the class and flags, and
// the size fields of the records it is given. Never shipped.
#define _SETUPAPI_
#include <windows.h>

#include <setupapi.h>

#include <atomic>
#include <cstddef>
#include <cstring>

#include "sim_config.h"

using mon::simhid::TSimDevice;

namespace {

constexpr DWORD kSetMagic = 0x53455431;
std::atomic<long> GLiveSets{0};

struct TSimSet {
  DWORD Magic = kSetMagic;
  std::vector<TSimDevice> Devices;
};

TSimSet* AsSet(HDEVINFO ASet) {
  auto* set = static_cast<TSimSet*>(ASet);
  if (set == nullptr || ASet == INVALID_HANDLE_VALUE || set->Magic != kSetMagic) {
    return nullptr;
  }
  return set;
}

// The interface behind an interface or device record (its index + 1 is kept in Reserved).
const TSimDevice* Device(TSimSet* ASet, ULONG_PTR AReserved) {
  if (ASet == nullptr || AReserved == 0 || AReserved > ASet->Devices.size()) {
    return nullptr;
  }
  return &ASet->Devices[AReserved - 1];
}

BOOL Fail(DWORD AError) {
  ::SetLastError(AError);
  return FALSE;
}

}  // namespace

extern "C" {

DWORD WINAPI MonSimulatedSetupApiMarker() {
  return 0x5E7A0001;
}

LONG WINAPI MonSimulatedSetupApiLiveSets() {
  return GLiveSets.load();
}

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR, HWND, DWORD Flags) {
  if (ClassGuid == nullptr || std::memcmp(ClassGuid, &mon::simhid::kHidClass, sizeof(GUID)) != 0 ||
      Flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  auto* set = new TSimSet;
  set->Devices = mon::simhid::ReadConfig();
  ++GLiveSets;
  return set;
}

WINBOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
  TSimSet* set = AsSet(DeviceInfoSet);
  if (set == nullptr) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  set->Magic = 0;
  delete set;
  --GLiveSets;
  return TRUE;
}

WINBOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA,
                                           const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                           PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData) {
  TSimSet* set = AsSet(DeviceInfoSet);
  if (set == nullptr) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (DeviceInterfaceData == nullptr || InterfaceClassGuid == nullptr ||
      DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
    return Fail(ERROR_INVALID_USER_BUFFER);
  }
  if (MemberIndex >= set->Devices.size()) {
    return Fail(ERROR_NO_MORE_ITEMS);
  }
  DeviceInterfaceData->InterfaceClassGuid = *InterfaceClassGuid;
  DeviceInterfaceData->Flags = SPINT_ACTIVE;
  DeviceInterfaceData->Reserved = MemberIndex + 1;
  return TRUE;
}

WINBOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet,
                                                PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                                PSP_DEVICE_INTERFACE_DETAIL_DATA_W Detail,
                                                DWORD DetailSize, PDWORD RequiredSize,
                                                PSP_DEVINFO_DATA DeviceInfoData) {
  TSimSet* set = AsSet(DeviceInfoSet);
  if (set == nullptr) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  const TSimDevice* device =
      DeviceInterfaceData != nullptr ? Device(set, DeviceInterfaceData->Reserved) : nullptr;
  if (device == nullptr) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const std::wstring path = device->Path();
  const DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                          (path.size() + 1) * sizeof(wchar_t));
  if (RequiredSize != nullptr) {
    *RequiredSize = needed;
  }
  if (Detail == nullptr) {
    return Fail(DetailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
  }
  // The real function insists on the structure's own size (8 in a 64-bit process).
  if (Detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
    return Fail(ERROR_INVALID_USER_BUFFER);
  }
  if (DetailSize < needed) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(Detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  if (DeviceInfoData != nullptr) {
    if (DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) {
      return Fail(ERROR_INVALID_USER_BUFFER);
    }
    DeviceInfoData->ClassGuid = mon::simhid::kHidClass;
    DeviceInfoData->DevInst = static_cast<DWORD>(DeviceInterfaceData->Reserved);
    DeviceInfoData->Reserved = DeviceInterfaceData->Reserved;
  }
  return TRUE;
}

WINBOOL WINAPI SetupDiGetDeviceRegistryPropertyW(HDEVINFO DeviceInfoSet,
                                                 PSP_DEVINFO_DATA DeviceInfoData, DWORD Property,
                                                 PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                                 DWORD PropertyBufferSize, PDWORD RequiredSize) {
  TSimSet* set = AsSet(DeviceInfoSet);
  if (set == nullptr) {
    return Fail(ERROR_INVALID_HANDLE);
  }
  if (DeviceInfoData == nullptr || DeviceInfoData->cbSize != sizeof(SP_DEVINFO_DATA)) {
    return Fail(ERROR_INVALID_USER_BUFFER);
  }
  const TSimDevice* device = Device(set, DeviceInfoData->Reserved);
  if (device == nullptr) {
    return Fail(ERROR_NO_SUCH_DEVINST);
  }
  if (Property != SPDRP_HARDWAREID || device->HardwareIds.empty()) {
    return Fail(ERROR_INVALID_DATA);
  }
  std::wstring multi;
  for (const auto& id : device->HardwareIds) {
    multi += id;
    multi += L'\0';
  }
  multi += L'\0';
  const DWORD needed = static_cast<DWORD>(multi.size() * sizeof(wchar_t));
  if (RequiredSize != nullptr) {
    *RequiredSize = needed;
  }
  if (PropertyRegDataType != nullptr) {
    *PropertyRegDataType = REG_MULTI_SZ;
  }
  if (PropertyBuffer == nullptr || PropertyBufferSize < needed) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(PropertyBuffer, multi.data(), needed);
  return TRUE;
}

}  // extern "C"
