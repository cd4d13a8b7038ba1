// The simulated HID interfaces of the test substitutes for SetupApi.dll and HID.dll, read from
// the environment variable MON_SIMULATED_HID at each use:
//
//   name|hardware-id,hardware-id,...|PAGE:USAGE|input:output:feature|buttons;name|...
//
// PAGE and USAGE in hex, the report byte lengths (report ID included) and the number of buttons
// in decimal. Each interface's device path is the named pipe \\.\pipe\<name>, which a test process
// serves. Test code only; never shipped.
#pragma once

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace mon::simhid {

inline constexpr wchar_t kConfigVariable[] = L"MON_SIMULATED_HID";

struct TSimDevice {
  std::wstring Name;
  std::vector<std::wstring> HardwareIds;
  USHORT UsagePage = 0;
  USHORT Usage = 0;
  USHORT InputLength = 0;
  USHORT OutputLength = 0;
  USHORT FeatureLength = 0;
  USHORT Buttons = 0;

  std::wstring Path() const { return L"\\\\.\\pipe\\" + Name; }
};

inline std::vector<std::wstring> Split(const std::wstring& AText, wchar_t ASeparator) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = AText.find(ASeparator, start);
    parts.push_back(
        AText.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) {
      return parts;
    }
    start = end + 1;
  }
}

inline USHORT Number(const std::wstring& AText, int ABase) {
  return static_cast<USHORT>(std::wcstoul(AText.c_str(), nullptr, ABase));
}

inline std::vector<TSimDevice> ReadConfig() {
  std::vector<TSimDevice> devices;
  wchar_t buffer[8192];
  const DWORD length = ::GetEnvironmentVariableW(kConfigVariable, buffer, 8192);
  if (length == 0 || length >= 8192) {
    return devices;
  }
  for (const std::wstring& entry : Split(std::wstring(buffer, length), L';')) {
    const auto fields = Split(entry, L'|');
    if (fields.size() != 5) {
      continue;
    }
    TSimDevice device;
    device.Name = fields[0];
    if (!fields[1].empty()) {
      device.HardwareIds = Split(fields[1], L',');
    }
    const auto usage = Split(fields[2], L':');
    const auto lengths = Split(fields[3], L':');
    if (usage.size() != 2 || lengths.size() != 3) {
      continue;
    }
    device.UsagePage = Number(usage[0], 16);
    device.Usage = Number(usage[1], 16);
    device.InputLength = Number(lengths[0], 10);
    device.OutputLength = Number(lengths[1], 10);
    device.FeatureLength = Number(lengths[2], 10);
    device.Buttons = Number(fields[4], 10);
    devices.push_back(device);
  }
  return devices;
}

inline bool SameName(const std::wstring& A, const std::wstring& B) {
  if (A.size() != B.size()) {
    return false;
  }
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (std::towlower(A[i]) != std::towlower(B[i])) {
      return false;
    }
  }
  return true;
}

// {4D1E55B2-F16F-11CF-88CB-001111000030}
inline constexpr GUID kHidClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

}  // namespace mon::simhid
