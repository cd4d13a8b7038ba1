#include "hid/uiHIDData.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "framework/application.h"
#include "hid/hid_matching.h"

namespace mon {

namespace {

// A feature transfer as the operation's result: 0, or the error (never 0 for a failure).
std::uint32_t FeatureResult(const THidTransfer& ATransfer) {
  if (ATransfer.Ok) {
    return kErrorSuccess;
  }
  return ATransfer.Error != kErrorSuccess ? ATransfer.Error : kErrorGenFailure;
}

}  // namespace

TuiHIDData::TuiHIDData(TComponent* AOwner, const TPlatform& APlatform)
    : TComponent(AOwner),
      FHid(APlatform.Hid),
      FMainThread(APlatform.MainThread),
      FDebug(APlatform.Debug),
      FClock(APlatform.Clock) {
  FHidGuid = FHid.HidInterfaceClass().value_or(kHidInterfaceClassGuid);
  FHidDeviceList = LoadIncludeHIDDeviceList(APlatform.Files, APlatform.Locale);
}

TuiHIDData::~TuiHIDData() {
  HidStopRead();
}

template <class TOnMatch>
void TuiHIDData::WalkDevices(THidIdRule ARule, const std::u16string& ARequestedId,
                             USAGE_AND_PAGE AUsage, THidOpenMode AMode, TOnMatch&& AOnMatch) {
  for (const THidInterface& hidInterface : FHid.EnumerateInterfaces(FHidGuid)) {
    if (!PassesIdRule(ARule, FHidDeviceList, ARequestedId, hidInterface.HardwareIds)) {
      continue;
    }
    const std::unique_ptr<THidDevice> device = FHid.OpenDevice(hidInterface.Path, AMode);
    if (!device || !device->Attributes()) {
      continue;
    }
    const std::optional<THidCaps> caps = device->Capabilities();
    if (!caps || caps->UsagePage != AUsage.UsagePage || caps->Usage != AUsage.Usage) {
      continue;
    }
    AOnMatch(TMatch{hidInterface, *device, *caps});
  }
}

void TuiHIDData::HidFindAndReadDevice(USAGE_AND_PAGE UsageAndPage, const std::u16string& HIDID) {
  ReapFinishedReaders();
  WalkDevices(THidIdRule::DeviceIdOrIncludeList, HIDID, UsageAndPage, THidOpenMode::Overlapped,
              [&](const TMatch& AMatch) {
                const std::u16string deviceId = AMatch.Interface.HardwareIds.empty()
                                                    ? std::u16string()
                                                    : AMatch.Interface.HardwareIds.front();
                try {
                  std::lock_guard lock(FReadersLock);
                  FReaders.push_back(std::make_unique<TuiHidDeviceReadThread>(
                      *this, AMatch.Interface.Path, deviceId));
                } catch (const std::system_error&) {
                  // No thread to be had: this interface goes unread, like one that fails to open.
                }
              });
}

bool TuiHIDData::WriteToDevices(const THIDDataParam& AReportData, THidIdRule ARule,
                                std::uint32_t ALength) {
  const std::uint32_t dataSize = AReportData.Data.DATASIZE;
  if (ALength > THidReallyData::kReportBufferSize) {
    return false;  // more than the buffer holds
  }
  bool written = false;
  WalkDevices(
      ARule, AReportData.DeviceID, AReportData.UsageAndPage, THidOpenMode::Synchronous,
      [&](const TMatch& AMatch) {
        if (AMatch.Caps.OutputReportByteLength < dataSize) {
          return;  // too short a report: skipped, never truncated
        }
        const THidTransfer transfer = AMatch.Device.Write(
            std::span<const std::uint8_t>(AReportData.Data.ReportBytes(), ALength));
        if (transfer.Ok && transfer.Error == kErrorSuccess && transfer.Transferred == ALength) {
          written = true;
        }
      });
  return written;
}

bool TuiHIDData::HidFindAndWriteDevice(const THIDDataParam& ReportData) {
  // DATASIZE counts the bytes after the report ID.
  const std::uint64_t length = std::uint64_t{ReportData.Data.DATASIZE} + 1;
  if (length > THidReallyData::kReportBufferSize) {
    return false;
  }
  return WriteToDevices(ReportData, THidIdRule::DeviceIdOrIncludeList,
                        static_cast<std::uint32_t>(length));
}

bool TuiHIDData::HidFindAndWriteDeviceBYHID(const THIDDataParam& ReportData) {
  // DATASIZE counts the report-ID byte.
  return WriteToDevices(ReportData, THidIdRule::DeviceIdOnly, ReportData.Data.DATASIZE);
}

std::uint32_t TuiHIDData::HidFindAndGetFeatureReport(THIDDataParam& ReportData) {
  const std::uint32_t dataSize = ReportData.Data.DATASIZE;
  std::uint32_t result = kFeatureNoDeviceResult;
  if (dataSize > THidReallyData::kReportBufferSize) {
    return result;
  }
  std::vector<std::uint8_t> buffer;
  WalkDevices(THidIdRule::IncludeListOnly, ReportData.DeviceID, ReportData.UsageAndPage,
              THidOpenMode::Synchronous, [&](const TMatch& AMatch) {
                if (AMatch.Caps.FeatureReportByteLength < dataSize) {
                  return;
                }
                buffer.assign(THidReallyData::kReportBufferSize, 0);
                buffer[0] = ReportData.Data.ReportID;
                const THidTransfer transfer =
                    AMatch.Device.GetFeature(std::span<std::uint8_t>(buffer.data(), dataSize));
                result = FeatureResult(transfer);
                if (transfer.Ok) {
                  std::memcpy(ReportData.Data.ReportBytes(), buffer.data(), dataSize);
                }
              });
  return result;
}

std::uint32_t TuiHIDData::HidFindAndSetFeatureReport(THIDDataParam& ReportData) {
  const std::uint32_t dataSize = ReportData.Data.DATASIZE;
  std::uint32_t result = kFeatureNoDeviceResult;
  if (dataSize > THidReallyData::kReportBufferSize) {
    return result;
  }
  WalkDevices(THidIdRule::IncludeListOnly, ReportData.DeviceID, ReportData.UsageAndPage,
              THidOpenMode::Synchronous, [&](const TMatch& AMatch) {
                if (AMatch.Caps.FeatureReportByteLength < dataSize) {
                  return;
                }
                ReportData.DeviceHandle = AMatch.Device.HandleValue();
                result = FeatureResult(AMatch.Device.SetFeature(
                    std::span<const std::uint8_t>(ReportData.Data.ReportBytes(), dataSize)));
              });
  return result;
}

bool TuiHIDData::IsDeviceExist(const THIDDataParam& ReportData) {
  bool found = false;
  WalkDevices(THidIdRule::DeviceIdOrIncludeList, ReportData.DeviceID, ReportData.UsageAndPage,
              THidOpenMode::Synchronous, [&](const TMatch&) { found = true; });
  return found;
}

void TuiHIDData::HidStopRead() {
  std::vector<std::unique_ptr<TuiHidDeviceReadThread>> stopping;
  {
    std::lock_guard lock(FReadersLock);
    stopping.swap(FReaders);
  }
  // First tell every reader, so that all of them wind down at once; then wait for each.
  for (const auto& reader : stopping) {
    reader->Terminate();
  }
  std::vector<std::unique_ptr<TuiHidDeviceReadThread>> busy;
  for (auto& reader : stopping) {
    if (reader->IsBusyOnCurrentThread()) {
      busy.push_back(std::move(reader));  // cannot wait for ourselves; it delivers nothing more
    } else {
      reader.reset();  // waits for the thread to end
    }
  }
  if (!busy.empty()) {
    std::lock_guard lock(FReadersLock);
    for (auto& reader : busy) {
      FReaders.push_back(std::move(reader));
    }
  }
}

void TuiHIDData::ReapFinishedReaders() {
  std::vector<std::unique_ptr<TuiHidDeviceReadThread>> finished;
  {
    std::lock_guard lock(FReadersLock);
    auto firstFinished = std::stable_partition(
        FReaders.begin(), FReaders.end(), [](const auto& AReader) { return !AReader->Finished(); });
    for (auto it = firstFinished; it != FReaders.end(); ++it) {
      if ((*it)->IsBusyOnCurrentThread()) {
        continue;
      }
      finished.push_back(std::move(*it));
    }
    FReaders.erase(std::remove(FReaders.begin(), FReaders.end(), nullptr), FReaders.end());
  }
  // Their threads have ended or are about to; joining them happens outside the lock.
  finished.clear();
}

std::size_t TuiHIDData::ReaderCount() const {
  std::lock_guard lock(FReadersLock);
  return static_cast<std::size_t>(std::count_if(
      FReaders.begin(), FReaders.end(), [](const auto& AReader) { return !AReader->Finished(); }));
}

}  // namespace mon
