#include "fake_hid_system.h"

#include <algorithm>
#include <cstring>

namespace mon::testing {

class TFakeHidSystem::TDevice final : public THidDevice {
 public:
  TDevice(TFakeHidSystem& ASystem, THandle* AHandle) : FSystem(ASystem), FHandle(AHandle) {}
  ~TDevice() override { FSystem.Close(FHandle); }

  std::optional<THidAttributes> Attributes() override {
    std::lock_guard lock(FSystem.FLock);
    const TInterface* hidInterface = FSystem.Find(FHandle->Path);
    if (hidInterface == nullptr || hidInterface->Setup.FailAttributes) {
      return std::nullopt;
    }
    return THidAttributes{0x1234, 0x5678, 0x0100};
  }

  std::optional<THidCaps> Capabilities() override {
    std::lock_guard lock(FSystem.FLock);
    const TInterface* hidInterface = FSystem.Find(FHandle->Path);
    if (hidInterface == nullptr || hidInterface->Setup.FailCapabilities) {
      return std::nullopt;
    }
    FHasPreparsedData = true;
    FMaxUsages = hidInterface->Setup.MaxUsages;
    FButtonUsagePage = hidInterface->Setup.ButtonUsagePage;
    return hidInterface->Setup.Caps;
  }

  THidTransfer Write(std::span<const std::uint8_t> AReport) override {
    std::lock_guard lock(FSystem.FLock);
    TInterface* hidInterface = FSystem.Find(FHandle->Path);
    if (hidInterface == nullptr || !hidInterface->Present) {
      return {false, kErrorDeviceNotConnected, 0};
    }
    if (hidInterface->Setup.WriteError != 0) {
      return {false, hidInterface->Setup.WriteError, 0};
    }
    hidInterface->Writes.emplace_back(AReport.begin(), AReport.end());
    return {true, kErrorSuccess, static_cast<std::uint32_t>(AReport.size())};
  }

  THidTransfer GetFeature(std::span<std::uint8_t> ABuffer) override {
    std::lock_guard lock(FSystem.FLock);
    TInterface* hidInterface = FSystem.Find(FHandle->Path);
    if (hidInterface == nullptr || !hidInterface->Present) {
      return {false, kErrorDeviceNotConnected, 0};
    }
    ++hidInterface->FeatureGets;
    if (hidInterface->Setup.FeatureFailsWithoutError) {
      return {false, kErrorSuccess, 0};
    }
    if (hidInterface->Setup.FeatureError != 0) {
      return {false, hidInterface->Setup.FeatureError, 0};
    }
    const auto& report = hidInterface->Setup.FeatureReport;
    const std::size_t count = std::min(report.size(), ABuffer.size());
    std::copy_n(report.begin(), count, ABuffer.begin());
    return {true, kErrorSuccess, static_cast<std::uint32_t>(ABuffer.size())};
  }

  THidTransfer SetFeature(std::span<const std::uint8_t> AReport) override {
    std::lock_guard lock(FSystem.FLock);
    TInterface* hidInterface = FSystem.Find(FHandle->Path);
    if (hidInterface == nullptr || !hidInterface->Present) {
      return {false, kErrorDeviceNotConnected, 0};
    }
    if (hidInterface->Setup.FeatureFailsWithoutError) {
      return {false, kErrorSuccess, 0};
    }
    if (hidInterface->Setup.FeatureError != 0) {
      return {false, hidInterface->Setup.FeatureError, 0};
    }
    hidInterface->FeatureSets.emplace_back(AReport.begin(), AReport.end());
    return {true, kErrorSuccess, static_cast<std::uint32_t>(AReport.size())};
  }

  std::uint32_t HandleValue() override { return FHandle->Value; }

  std::size_t MaxInputUsageListLength() override { return FHasPreparsedData ? FMaxUsages : 0; }

  std::optional<std::vector<THidUsage>> InputUsages(std::span<const std::uint8_t> AReport,
                                                    std::size_t AMaxUsages) override {
    if (!FHasPreparsedData || AReport.empty()) {
      return std::nullopt;
    }
    std::vector<THidUsage> usages;
    for (std::size_t bit = 0; bit < (AReport.size() - 1) * 8 && bit < FMaxUsages; ++bit) {
      if ((AReport[1 + bit / 8] >> (bit % 8)) & 1) {
        if (usages.size() == AMaxUsages) {
          return std::nullopt;  // HIDP_STATUS_BUFFER_TOO_SMALL
        }
        usages.push_back({static_cast<std::uint16_t>(bit + 1), FButtonUsagePage});
      }
    }
    return usages;
  }

  THidReadResult Read(std::span<std::uint8_t> ABuffer, const TStopToken& AStop) override {
    if (FHandle->Mode != THidOpenMode::Overlapped) {
      return {THidReadStatus::IssueFailed, 0, kErrorInvalidHandle};
    }
    // Before the lock: the callback takes it.
    bool stopped = false;
    const TStopCallback wake(AStop, [&] {
      {
        std::lock_guard lock(FSystem.FLock);
        stopped = true;
      }
      FSystem.FChanged.notify_all();
    });
    std::unique_lock lock(FSystem.FLock);
    if (FHandle->Gone) {
      return {THidReadStatus::IssueFailed, 0, kErrorDeviceNotConnected};
    }
    if (!FHandle->Events.empty() &&
        FHandle->Events.front().Kind == TPendingEvent::TKind::IssueError) {
      const std::uint32_t error = FHandle->Events.front().Error;
      FHandle->Events.pop_front();
      return {THidReadStatus::IssueFailed, 0, error};
    }
    FHandle->Waiting = true;
    FSystem.FChanged.notify_all();
    FSystem.FChanged.wait(lock,
                          [&] { return stopped || !FHandle->Events.empty() || FHandle->Gone; });
    FHandle->Waiting = false;
    FSystem.FChanged.notify_all();
    if (stopped) {
      return {THidReadStatus::Stopped, 0, kErrorOperationAborted};
    }
    if (FHandle->Events.empty()) {
      return {THidReadStatus::Failed, 0, kErrorDeviceNotConnected};  // removed while pending
    }
    if (FHandle->Events.front().Kind == TPendingEvent::TKind::IssueError) {
      // The read in flight ends empty; the next one fails to be issued.
      return {THidReadStatus::Completed, 0, kErrorSuccess};
    }
    TPendingEvent event = std::move(FHandle->Events.front());
    FHandle->Events.pop_front();
    if (event.Kind != TPendingEvent::TKind::Report) {
      return {THidReadStatus::Failed, 0, event.Error};
    }
    if (event.Report.size() > ABuffer.size()) {
      // Longer than the buffer: discarded whole, as the real backend does.
      return {THidReadStatus::Failed, static_cast<std::uint32_t>(ABuffer.size()), kErrorMoreData};
    }
    std::copy(event.Report.begin(), event.Report.end(), ABuffer.begin());
    const TInterface* hidInterface = FSystem.Find(FHandle->Path);
    std::uint32_t bytes = static_cast<std::uint32_t>(event.Report.size());
    if (hidInterface != nullptr && hidInterface->Setup.ClaimedReadBytes != 0) {
      bytes = hidInterface->Setup.ClaimedReadBytes;
    }
    return {THidReadStatus::Completed, bytes, kErrorSuccess};
  }

 private:
  TFakeHidSystem& FSystem;
  THandle* FHandle;
  bool FHasPreparsedData = false;
  std::size_t FMaxUsages = 0;
  std::uint16_t FButtonUsagePage = 0;
};

TFakeHidSystem::TFakeHidSystem() : FInterfaceClass(kHidInterfaceClassGuid) {}

TFakeHidSystem::~TFakeHidSystem() = default;

void TFakeHidSystem::AddInterface(TFakeHidInterfaceSetup ASetup) {
  std::lock_guard lock(FLock);
  TInterface hidInterface;
  hidInterface.Setup = std::move(ASetup);
  FInterfaces.push_back(std::move(hidInterface));
}

void TFakeHidSystem::RemoveInterface(const std::u16string& APath) {
  {
    std::lock_guard lock(FLock);
    if (TInterface* hidInterface = Find(APath)) {
      hidInterface->Present = false;
    }
    for (THandle* handle : FHandles) {
      if (handle->Path == APath) {
        handle->Gone = true;
      }
    }
  }
  FChanged.notify_all();
}

void TFakeHidSystem::SetFailEnumeration(bool AValue) {
  std::lock_guard lock(FLock);
  FFailEnumeration = AValue;
}

void TFakeHidSystem::SetInterfaceClass(std::optional<TGuid> AValue) {
  std::lock_guard lock(FLock);
  FInterfaceClass = AValue;
}

void TFakeHidSystem::SendReport(const std::u16string& APath,
                                const std::vector<std::uint8_t>& AReport) {
  {
    std::lock_guard lock(FLock);
    for (THandle* handle : FHandles) {
      if (handle->Path == APath && handle->Mode == THidOpenMode::Overlapped) {
        handle->Events.push_back({TPendingEvent::TKind::Report, AReport, 0});
      }
    }
  }
  FChanged.notify_all();
}

void TFakeHidSystem::FailNextRead(const std::u16string& APath, std::uint32_t AError) {
  {
    std::lock_guard lock(FLock);
    for (THandle* handle : FHandles) {
      if (handle->Path == APath && handle->Mode == THidOpenMode::Overlapped) {
        handle->Events.push_back({TPendingEvent::TKind::ReadError, {}, AError});
      }
    }
  }
  FChanged.notify_all();
}

void TFakeHidSystem::FailNextIssue(const std::u16string& APath, std::uint32_t AError) {
  {
    std::lock_guard lock(FLock);
    for (THandle* handle : FHandles) {
      if (handle->Path == APath && handle->Mode == THidOpenMode::Overlapped) {
        handle->Events.push_back({TPendingEvent::TKind::IssueError, {}, AError});
      }
    }
  }
  FChanged.notify_all();
}

std::size_t TFakeHidSystem::OpenHandleCount(const std::u16string& APath) const {
  std::lock_guard lock(FLock);
  return static_cast<std::size_t>(
      std::count_if(FHandles.begin(), FHandles.end(),
                    [&](const THandle* AHandle) { return AHandle->Path == APath; }));
}

std::size_t TFakeHidSystem::ReadingHandleCount(const std::u16string& APath) const {
  std::lock_guard lock(FLock);
  return static_cast<std::size_t>(
      std::count_if(FHandles.begin(), FHandles.end(), [&](const THandle* AHandle) {
        return AHandle->Path == APath && AHandle->Mode == THidOpenMode::Overlapped;
      }));
}

bool TFakeHidSystem::WaitForIdleReaders(const std::u16string& APath, std::size_t ACount,
                                        TDuration ATimeout) const {
  std::unique_lock lock(FLock);
  return FChanged.wait_for(lock, ATimeout, [&] {
    const auto idle = std::count_if(FHandles.begin(), FHandles.end(), [&](const THandle* AHandle) {
      return AHandle->Path == APath && AHandle->Waiting && AHandle->Events.empty();
    });
    return static_cast<std::size_t>(idle) == ACount;
  });
}

bool TFakeHidSystem::WaitForReadingHandles(const std::u16string& APath, std::size_t ACount,
                                           TDuration ATimeout) const {
  std::unique_lock lock(FLock);
  return FChanged.wait_for(lock, ATimeout, [&] {
    const auto open = std::count_if(FHandles.begin(), FHandles.end(), [&](const THandle* AHandle) {
      return AHandle->Path == APath && AHandle->Mode == THidOpenMode::Overlapped;
    });
    return static_cast<std::size_t>(open) == ACount;
  });
}

std::vector<std::vector<std::uint8_t>> TFakeHidSystem::Writes(const std::u16string& APath) const {
  std::lock_guard lock(FLock);
  const TInterface* hidInterface = Find(APath);
  return hidInterface != nullptr ? hidInterface->Writes : std::vector<std::vector<std::uint8_t>>{};
}

std::vector<std::vector<std::uint8_t>> TFakeHidSystem::FeatureSets(
    const std::u16string& APath) const {
  std::lock_guard lock(FLock);
  const TInterface* hidInterface = Find(APath);
  return hidInterface != nullptr ? hidInterface->FeatureSets
                                 : std::vector<std::vector<std::uint8_t>>{};
}

std::size_t TFakeHidSystem::FeatureGetCount(const std::u16string& APath) const {
  std::lock_guard lock(FLock);
  const TInterface* hidInterface = Find(APath);
  return hidInterface != nullptr ? hidInterface->FeatureGets : 0;
}

std::size_t TFakeHidSystem::EnumerationCount() const {
  std::lock_guard lock(FLock);
  return FEnumerations;
}

std::optional<TGuid> TFakeHidSystem::LastEnumeratedClass() const {
  std::lock_guard lock(FLock);
  return FLastEnumeratedClass;
}

std::uint32_t TFakeHidSystem::LastHandleValue(const std::u16string& APath) const {
  std::lock_guard lock(FLock);
  const TInterface* hidInterface = Find(APath);
  return hidInterface != nullptr ? hidInterface->LastHandleValue : 0;
}

std::optional<TGuid> TFakeHidSystem::HidInterfaceClass() {
  std::lock_guard lock(FLock);
  return FInterfaceClass;
}

std::vector<THidInterface> TFakeHidSystem::EnumerateInterfaces(const TGuid& AInterfaceClass) {
  std::lock_guard lock(FLock);
  ++FEnumerations;
  FLastEnumeratedClass = AInterfaceClass;
  std::vector<THidInterface> result;
  if (FFailEnumeration) {
    return result;
  }
  for (const TInterface& hidInterface : FInterfaces) {
    if (hidInterface.Present) {
      result.push_back({hidInterface.Setup.Path, hidInterface.Setup.HardwareIds});
    }
  }
  return result;
}

std::unique_ptr<THidDevice> TFakeHidSystem::OpenDevice(const std::u16string& APath,
                                                       THidOpenMode AMode) {
  THandle* handle = nullptr;
  {
    std::lock_guard lock(FLock);
    TInterface* hidInterface = Find(APath);
    if (hidInterface == nullptr || !hidInterface->Present || hidInterface->Setup.FailOpen) {
      return nullptr;
    }
    handle = new THandle{APath, AMode, FNextHandleValue++, {}, false, false};
    hidInterface->LastHandleValue = handle->Value;
    FHandles.push_back(handle);
  }
  FChanged.notify_all();
  return std::make_unique<TDevice>(*this, handle);
}

TFakeHidSystem::TInterface* TFakeHidSystem::Find(const std::u16string& APath) {
  for (TInterface& hidInterface : FInterfaces) {
    if (hidInterface.Setup.Path == APath) {
      return &hidInterface;
    }
  }
  return nullptr;
}

const TFakeHidSystem::TInterface* TFakeHidSystem::Find(const std::u16string& APath) const {
  return const_cast<TFakeHidSystem*>(this)->Find(APath);
}

void TFakeHidSystem::Close(THandle* AHandle) {
  {
    std::lock_guard lock(FLock);
    FHandles.erase(std::remove(FHandles.begin(), FHandles.end(), AHandle), FHandles.end());
  }
  delete AHandle;
  FChanged.notify_all();
}

}  // namespace mon::testing
