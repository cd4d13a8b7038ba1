// The records and constants of the HID class driver interface (hid.dll) as the binary interface
// defines them, for code that binds hid.dll at run time. Our own definitions: the SDK headers
// would also declare the functions themselves as imports.
#pragma once

#include <windows.h>

#include <cstddef>

namespace mon::win32 {

// HIDD_ATTRIBUTES.
struct THiddAttributes {
  ULONG Size;
  USHORT VendorID;
  USHORT ProductID;
  USHORT VersionNumber;
};
static_assert(sizeof(THiddAttributes) == 12);

// HIDP_CAPS.
struct THidpCaps {
  USHORT Usage;
  USHORT UsagePage;
  USHORT InputReportByteLength;
  USHORT OutputReportByteLength;
  USHORT FeatureReportByteLength;
  USHORT Reserved[17];
  USHORT NumberLinkCollectionNodes;
  USHORT NumberInputButtonCaps;
  USHORT NumberInputValueCaps;
  USHORT NumberInputDataIndices;
  USHORT NumberOutputButtonCaps;
  USHORT NumberOutputValueCaps;
  USHORT NumberOutputDataIndices;
  USHORT NumberFeatureButtonCaps;
  USHORT NumberFeatureValueCaps;
  USHORT NumberFeatureDataIndices;
};
static_assert(sizeof(THidpCaps) == 64);
static_assert(offsetof(THidpCaps, NumberLinkCollectionNodes) == 44);

// USAGE_AND_PAGE of the HID parser.
struct THidpUsageAndPage {
  USHORT Usage;
  USHORT UsagePage;
};
static_assert(sizeof(THidpUsageAndPage) == 4);

// HIDP_REPORT_TYPE.
enum THidpReportType : int { HidpInput = 0, HidpOutput = 1, HidpFeature = 2 };

// An opaque preparsed-data block.
using THidpPreparsedData = void*;

inline constexpr LONG kHidpStatusSuccess = 0x00110000;
inline constexpr LONG kHidpStatusBufferTooSmall = static_cast<LONG>(0xC0110007);
inline constexpr LONG kHidpStatusInvalidPreparsedData = static_cast<LONG>(0xC0110001);

using THidDGetHidGuid = void(WINAPI*)(GUID*);
using THidDGetAttributes = BOOLEAN(WINAPI*)(HANDLE, THiddAttributes*);
using THidDGetPreparsedData = BOOLEAN(WINAPI*)(HANDLE, THidpPreparsedData*);
using THidDFreePreparsedData = BOOLEAN(WINAPI*)(THidpPreparsedData);
using THidPGetCaps = LONG(WINAPI*)(THidpPreparsedData, THidpCaps*);
using THidDGetFeature = BOOLEAN(WINAPI*)(HANDLE, PVOID, ULONG);
using THidDSetFeature = BOOLEAN(WINAPI*)(HANDLE, PVOID, ULONG);
using THidPMaxUsageListLength = ULONG(WINAPI*)(THidpReportType, USHORT, THidpPreparsedData);
using THidPGetUsagesEx = LONG(WINAPI*)(THidpReportType, USHORT, THidpUsageAndPage*, ULONG*,
                                       THidpPreparsedData, PCHAR, ULONG);

}  // namespace mon::win32
