// Runs the HID component's operations on arbitrary sets of interfaces (hardware-ID lists,
// capabilities, interfaces that fail to open or to answer), arbitrary include lists in config.ini
// and arbitrary requested IDs, and checks each operation against a model of the matching rules
// written out here on its own:
// - a write reaches exactly the interfaces the rule lets pass that have the requested collection
//   and an output report long enough, each once, with the bytes asked for;
// - a feature read asks exactly the interfaces the include list lets pass that have the
//   collection and a feature report long enough;
// - a device exists exactly when some interface passes.
// Hardware IDs are ASCII: the model compares them by ASCII letter case.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "hid/uiHIDData.h"

namespace {

using mon::testing::TFakeHidInterfaceSetup;

void Require(bool ACondition) {
  if (!ACondition) {
    std::abort();
  }
}

// Pieces of real hardware IDs, in both letter cases, so that lists and requests often meet.
constexpr const char* kIdPieces[] = {"HID\\VID_1A2B&PID_3C4D",
                                     "hid\\vid_1a2b&pid_3c4d",
                                     "HID\\VID_1A2B&PID_3C4E",
                                     "&MI_01",
                                     "&mi_01",
                                     "&Col02",
                                     "HID_DEVICE_UP:FFA0_U:0001"};

std::u16string Ascii(const std::string& AText) {
  return std::u16string(AText.begin(), AText.end());
}

// An ID made of pieces or of arbitrary printable ASCII without blanks at its ends (the INI reader
// would drop them) and without line ends.
std::u16string MakeId(FuzzedDataProvider& AInput) {
  std::string id;
  if (AInput.ConsumeBool()) {
    for (std::string text = AInput.ConsumeRandomLengthString(24); const char c : text) {
      id.push_back(c > ' ' && c < 0x7F && c != '"' && c != '\'' ? c : '_');
    }
    return Ascii(id);
  }
  const int pieces = AInput.ConsumeIntegralInRange(1, 3);
  for (int i = 0; i < pieces; ++i) {
    id += AInput.PickValueInArray(kIdPieces);
  }
  return Ascii(id);
}

bool SameAscii(std::u16string_view A, std::u16string_view B) {
  const auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
  if (A.size() != B.size()) {
    return false;
  }
  for (std::size_t i = 0; i < A.size(); ++i) {
    if (fold(A[i]) != fold(B[i])) {
      return false;
    }
  }
  return true;
}

bool Holds(const std::vector<std::u16string>& AIds, std::u16string_view AId) {
  for (const std::u16string& id : AIds) {
    if (SameAscii(id, AId)) {
      return true;
    }
  }
  return false;
}

struct TModel {
  std::vector<std::u16string> IncludeList;
  std::u16string RequestedId;
  mon::USAGE_AND_PAGE Usage;

  bool Answers(const TFakeHidInterfaceSetup& AInterface) const {
    return !AInterface.FailOpen && !AInterface.FailAttributes && !AInterface.FailCapabilities &&
           AInterface.Caps.UsagePage == Usage.UsagePage && AInterface.Caps.Usage == Usage.Usage;
  }
  bool PassesIncludeList(const TFakeHidInterfaceSetup& AInterface) const {
    if (IncludeList.empty()) {
      return true;
    }
    for (const std::u16string& entry : IncludeList) {
      if (Holds(AInterface.HardwareIds, entry)) {
        return true;
      }
    }
    return false;
  }
  bool AnyDevice() const { return RequestedId.empty() || RequestedId == u"*"; }
  bool PassesDeviceIdOrIncludeList(const TFakeHidInterfaceSetup& AInterface) const {
    return AnyDevice() ? PassesIncludeList(AInterface) : Holds(AInterface.HardwareIds, RequestedId);
  }
  bool PassesDeviceIdOnly(const TFakeHidInterfaceSetup& AInterface) const {
    return AnyDevice() || Holds(AInterface.HardwareIds, RequestedId);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  FuzzedDataProvider input(AData, ASize);
  mon::testing::TFakePlatform fakes;

  TModel model;
  std::string config = "[IncludeHIDDeviceList]\r\n";
  for (int i = 1, count = input.ConsumeIntegralInRange(0, 4); i <= count; ++i) {
    const std::u16string entry = input.ConsumeBool() ? std::u16string() : MakeId(input);
    config += "id" + std::to_string(i) + "=" + std::string(entry.begin(), entry.end()) + "\r\n";
    if (entry.empty()) {
      break;  // an empty entry ends the list
    }
    model.IncludeList.push_back(entry);
  }
  fakes.Files.AddTextFile(fakes.Files.ExecutableFolder() + u"config.ini", config);

  std::vector<TFakeHidInterfaceSetup> interfaces;
  for (int i = 0, count = input.ConsumeIntegralInRange(0, 5); i < count; ++i) {
    TFakeHidInterfaceSetup setup;
    setup.Path = u"\\\\?\\hid#" + Ascii(std::to_string(i));
    for (int k = 0, ids = input.ConsumeIntegralInRange(0, 3); k < ids; ++k) {
      setup.HardwareIds.push_back(MakeId(input));
    }
    setup.Caps.UsagePage = input.ConsumeBool() ? 0xFFA0 : input.ConsumeIntegral<std::uint16_t>();
    setup.Caps.Usage = input.ConsumeBool() ? 1 : input.ConsumeIntegral<std::uint16_t>();
    setup.Caps.OutputReportByteLength = input.ConsumeIntegralInRange<std::uint16_t>(0, 80);
    setup.Caps.FeatureReportByteLength = input.ConsumeIntegralInRange<std::uint16_t>(0, 80);
    const auto failures = input.ConsumeIntegral<std::uint8_t>();
    setup.FailOpen = (failures & 0x31) == 0x01;  // now and then, not most of the time
    setup.FailAttributes = (failures & 0x32) == 0x02;
    setup.FailCapabilities = (failures & 0x34) == 0x04;
    fakes.Hid.AddInterface(setup);
    interfaces.push_back(std::move(setup));
  }

  mon::TuiHIDData hid(nullptr, fakes.Platform());
  static auto param = std::make_unique<mon::THIDDataParam>();  // 64 KiB: made once
  model.RequestedId = input.ConsumeBool() ? (input.ConsumeBool() ? u"*" : u"") : MakeId(input);
  model.Usage.UsagePage = input.ConsumeBool() ? 0xFFA0 : input.ConsumeIntegral<std::uint16_t>();
  model.Usage.Usage = input.ConsumeBool() ? 1 : input.ConsumeIntegral<std::uint16_t>();
  param->DeviceID = model.RequestedId;
  param->UsageAndPage = model.Usage;
  param->Data.DATASIZE = input.ConsumeIntegralInRange<std::uint32_t>(0, 90);
  param->Data.ReportID = input.ConsumeIntegral<std::uint8_t>();
  for (std::uint32_t i = 0; i < param->Data.DATASIZE; ++i) {
    param->Data.DATAReally[i] = static_cast<std::uint8_t>(i * 7 + 3);
  }

  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: {  // a report, DATASIZE bytes after its ID
      const bool written = hid.HidFindAndWriteDevice(*param);
      bool expected = false;
      for (const TFakeHidInterfaceSetup& setup : interfaces) {
        const bool reaches = model.PassesDeviceIdOrIncludeList(setup) && model.Answers(setup) &&
                             setup.Caps.OutputReportByteLength >= param->Data.DATASIZE;
        const auto writes = fakes.Hid.Writes(setup.Path);
        Require(writes.size() == (reaches ? 1u : 0u));
        if (reaches) {
          Require(writes[0].size() == param->Data.DATASIZE + 1);
          Require(std::equal(writes[0].begin(), writes[0].end(), param->Data.ReportBytes()));
        }
        expected = expected || reaches;
      }
      Require(written == expected);
      break;
    }
    case 1: {  // a report of DATASIZE bytes with its ID, to a device by ID alone
      const bool written = hid.HidFindAndWriteDeviceBYHID(*param);
      bool expected = false;
      for (const TFakeHidInterfaceSetup& setup : interfaces) {
        const bool reaches = model.PassesDeviceIdOnly(setup) && model.Answers(setup) &&
                             setup.Caps.OutputReportByteLength >= param->Data.DATASIZE;
        const auto writes = fakes.Hid.Writes(setup.Path);
        Require(writes.size() == (reaches ? 1u : 0u));
        if (reaches) {
          Require(writes[0].size() == param->Data.DATASIZE);
          Require(std::equal(writes[0].begin(), writes[0].end(), param->Data.ReportBytes()));
        }
        expected = expected || reaches;
      }
      Require(written == expected);
      break;
    }
    case 2: {  // a feature report through the include list
      hid.HidFindAndGetFeatureReport(*param);
      for (const TFakeHidInterfaceSetup& setup : interfaces) {
        const bool asked = model.PassesIncludeList(setup) && model.Answers(setup) &&
                           setup.Caps.FeatureReportByteLength >= param->Data.DATASIZE;
        Require(fakes.Hid.FeatureGetCount(setup.Path) == (asked ? 1u : 0u));
      }
      break;
    }
    default: {
      bool expected = false;
      for (const TFakeHidInterfaceSetup& setup : interfaces) {
        expected = expected || (model.PassesDeviceIdOrIncludeList(setup) && model.Answers(setup));
      }
      Require(hid.IsDeviceExist(*param) == expected);
      break;
    }
  }
  return 0;
}
