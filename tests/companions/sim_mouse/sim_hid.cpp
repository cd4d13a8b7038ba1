// Test substitute for HID.dll: attributes, preparsed data, capabilities, feature reports and
// button parsing of the simulated interfaces of MON_SIMULATED_HID (sim_config.h). A handle is
// matched to its interface by the name of the pipe it is open on. Opening the preparsed data also
// puts the pipe client into message mode, so that every read returns one report. Never shipped.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/hid_abi.h"
#include "sim_config.h"

using mon::simhid::TSimDevice;
using namespace mon::win32;

namespace {

constexpr DWORD kPreparsedMagic = 0x50505344;
std::atomic<long> GLivePreparsedData{0};
std::mutex GFeatureLock;
std::map<std::pair<std::wstring, BYTE>, std::vector<BYTE>> GFeatures;

struct TSimPreparsed {
  DWORD Magic = kPreparsedMagic;
  TSimDevice Device;
};

TSimPreparsed* AsPreparsed(THidpPreparsedData AData) {
  auto* data = static_cast<TSimPreparsed*>(AData);
  return data != nullptr && data->Magic == kPreparsedMagic ? data : nullptr;
}

// The simulated interface whose pipe AHandle is open on.
std::optional<TSimDevice> DeviceOf(HANDLE AHandle) {
  alignas(FILE_NAME_INFO) BYTE buffer[sizeof(FILE_NAME_INFO) + 512 * sizeof(wchar_t)] = {};
  if (!::GetFileInformationByHandleEx(AHandle, FileNameInfo, buffer, sizeof(buffer))) {
    return std::nullopt;
  }
  const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer);
  std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
  if (!name.empty() && name.front() == L'\\') {
    name.erase(0, 1);
  }
  for (const TSimDevice& device : mon::simhid::ReadConfig()) {
    if (mon::simhid::SameName(device.Name, name)) {
      return device;
    }
  }
  return std::nullopt;
}

}  // namespace

extern "C" {

DWORD WINAPI MonSimulatedHidMarker() {
  return 0x5E7A0002;
}

LONG WINAPI MonSimulatedHidLivePreparsedData() {
  return GLivePreparsedData.load();
}

void WINAPI HidD_GetHidGuid(GUID* HidGuid) {
  if (HidGuid != nullptr) {
    *HidGuid = mon::simhid::kHidClass;
  }
}

BOOLEAN WINAPI HidD_GetAttributes(HANDLE HidDeviceObject, THiddAttributes* Attributes) {
  if (Attributes == nullptr || Attributes->Size != sizeof(THiddAttributes)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!DeviceOf(HidDeviceObject)) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Attributes->VendorID = 0x1234;
  Attributes->ProductID = 0x5678;
  Attributes->VersionNumber = 0x0100;
  return TRUE;
}

BOOLEAN WINAPI HidD_GetPreparsedData(HANDLE HidDeviceObject, THidpPreparsedData* PreparsedData) {
  const auto device = DeviceOf(HidDeviceObject);
  if (!device || PreparsedData == nullptr) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  ::SetNamedPipeHandleState(HidDeviceObject, &mode, nullptr, nullptr);
  auto* data = new TSimPreparsed;
  data->Device = *device;
  *PreparsedData = data;
  ++GLivePreparsedData;
  return TRUE;
}

BOOLEAN WINAPI HidD_FreePreparsedData(THidpPreparsedData PreparsedData) {
  TSimPreparsed* data = AsPreparsed(PreparsedData);
  if (data == nullptr) {
    return FALSE;
  }
  data->Magic = 0;
  delete data;
  --GLivePreparsedData;
  return TRUE;
}

LONG WINAPI HidP_GetCaps(THidpPreparsedData PreparsedData, THidpCaps* Capabilities) {
  const TSimPreparsed* data = AsPreparsed(PreparsedData);
  if (data == nullptr || Capabilities == nullptr) {
    return kHidpStatusInvalidPreparsedData;
  }
  std::memset(Capabilities, 0, sizeof(*Capabilities));
  Capabilities->Usage = data->Device.Usage;
  Capabilities->UsagePage = data->Device.UsagePage;
  Capabilities->InputReportByteLength = data->Device.InputLength;
  Capabilities->OutputReportByteLength = data->Device.OutputLength;
  Capabilities->FeatureReportByteLength = data->Device.FeatureLength;
  Capabilities->NumberLinkCollectionNodes = 1;
  return kHidpStatusSuccess;
}

// A feature report set earlier, or else one made of its report ID and 0xF0, 0xF1, ...
BOOLEAN WINAPI HidD_GetFeature(HANDLE HidDeviceObject, PVOID ReportBuffer,
                               ULONG ReportBufferLength) {
  const auto device = DeviceOf(HidDeviceObject);
  if (!device || ReportBuffer == nullptr || ReportBufferLength == 0 ||
      ReportBufferLength > device->FeatureLength) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* bytes = static_cast<BYTE*>(ReportBuffer);
  std::lock_guard lock(GFeatureLock);
  const auto stored = GFeatures.find({device->Name, bytes[0]});
  for (ULONG i = 1; i < ReportBufferLength; ++i) {
    bytes[i] = static_cast<BYTE>(0xF0 + i - 1);
  }
  if (stored != GFeatures.end()) {
    std::memcpy(bytes, stored->second.data(),
                std::min<std::size_t>(stored->second.size(), ReportBufferLength));
  }
  return TRUE;
}

BOOLEAN WINAPI HidD_SetFeature(HANDLE HidDeviceObject, PVOID ReportBuffer,
                               ULONG ReportBufferLength) {
  const auto device = DeviceOf(HidDeviceObject);
  if (!device || ReportBuffer == nullptr || ReportBufferLength == 0 ||
      ReportBufferLength > device->FeatureLength) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto* bytes = static_cast<const BYTE*>(ReportBuffer);
  std::lock_guard lock(GFeatureLock);
  GFeatures[{device->Name, bytes[0]}] = std::vector<BYTE>(bytes, bytes + ReportBufferLength);
  return TRUE;
}

ULONG WINAPI HidP_MaxUsageListLength(THidpReportType ReportType, USHORT,
                                     THidpPreparsedData PreparsedData) {
  const TSimPreparsed* data = AsPreparsed(PreparsedData);
  return data != nullptr && ReportType == HidpInput ? data->Device.Buttons : 0;
}

// Buttons are the bits after the report ID: bit i is usage i + 1 on the button page.
LONG WINAPI HidP_GetUsagesEx(THidpReportType ReportType, USHORT, THidpUsageAndPage* ButtonList,
                             ULONG* UsageLength, THidpPreparsedData PreparsedData, PCHAR Report,
                             ULONG ReportLength) {
  const TSimPreparsed* data = AsPreparsed(PreparsedData);
  if (data == nullptr || ReportType != HidpInput || UsageLength == nullptr || Report == nullptr) {
    return kHidpStatusInvalidPreparsedData;
  }
  if (ReportLength != data->Device.InputLength) {
    return static_cast<LONG>(0xC0110003);  // HIDP_STATUS_INVALID_REPORT_LENGTH
  }
  ULONG count = 0;
  for (ULONG bit = 0; bit < data->Device.Buttons && 1 + bit / 8 < ReportLength; ++bit) {
    if ((static_cast<BYTE>(Report[1 + bit / 8]) >> (bit % 8)) & 1) {
      if (count < *UsageLength) {
        ButtonList[count] = {static_cast<USHORT>(bit + 1), 0x0009};
      }
      ++count;
    }
  }
  const bool fits = count <= *UsageLength;
  *UsageLength = count;
  return fits ? kHidpStatusSuccess : kHidpStatusBufferTooSmall;
}

}  // extern "C"
