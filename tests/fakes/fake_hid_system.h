// A scripted HID system for native tests: interfaces with paths, hardware IDs and capabilities;
// input reports pushed to every open reading handle; removal; recorded writes and feature
// transfers. Thread-safe: readers block in Read on their own threads while the test drives them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid_system.h"

namespace mon::testing {

struct TFakeHidInterfaceSetup {
  std::u16string Path;
  std::vector<std::u16string> HardwareIds;
  THidCaps Caps;
  bool FailOpen = false;
  bool FailAttributes = false;
  bool FailCapabilities = false;
  // Button parser: bit i of the bytes after the report ID is usage i + 1 on ButtonUsagePage;
  // MaxUsages is what MaxInputUsageListLength reports.
  std::size_t MaxUsages = 0;
  std::uint16_t ButtonUsagePage = 9;
  // Transfers fail (Ok false) with this error when non-zero.
  std::uint32_t WriteError = 0;
  std::uint32_t FeatureError = 0;
  // Feature transfers fail without setting any error code.
  bool FeatureFailsWithoutError = false;
  // Feature report returned by GetFeature (copied over the buffer, at most its length).
  std::vector<std::uint8_t> FeatureReport;
  // A broken backend: Read reports this many bytes whatever it stored (0: the truth).
  std::uint32_t ClaimedReadBytes = 0;
};

class TFakeHidSystem final : public THidSystem {
 public:
  using TDuration = std::chrono::milliseconds;

  TFakeHidSystem();
  ~TFakeHidSystem() override;

  // Script.
  void AddInterface(TFakeHidInterfaceSetup ASetup);
  // The interface disappears from the enumeration and cannot be opened any more; every read of
  // its open handles (pending or next) fails with kErrorDeviceNotConnected.
  void RemoveInterface(const std::u16string& APath);
  void SetFailEnumeration(bool AValue);
  void SetInterfaceClass(std::optional<TGuid> AValue);
  // Queues AReport for every handle of APath that is open for reading right now.
  void SendReport(const std::u16string& APath, const std::vector<std::uint8_t>& AReport);
  // The next read of every reading handle of APath completes with AError.
  void FailNextRead(const std::u16string& APath, std::uint32_t AError);
  // The next read of every reading handle of APath cannot even be issued (AError); a read in
  // flight completes empty first.
  void FailNextIssue(const std::u16string& APath, std::uint32_t AError);

  // Observation.
  std::size_t OpenHandleCount(const std::u16string& APath) const;
  std::size_t ReadingHandleCount(const std::u16string& APath) const;
  // Waits until exactly ACount reading handles of APath are blocked in Read with nothing queued.
  bool WaitForIdleReaders(const std::u16string& APath, std::size_t ACount,
                          TDuration ATimeout = TDuration(5000)) const;
  // Waits until APath has exactly ACount reading handles open.
  bool WaitForReadingHandles(const std::u16string& APath, std::size_t ACount,
                             TDuration ATimeout = TDuration(5000)) const;
  std::vector<std::vector<std::uint8_t>> Writes(const std::u16string& APath) const;
  std::vector<std::vector<std::uint8_t>> FeatureSets(const std::u16string& APath) const;
  std::size_t FeatureGetCount(const std::u16string& APath) const;
  std::size_t EnumerationCount() const;
  std::optional<TGuid> LastEnumeratedClass() const;
  // The value HandleValue gave for the last handle opened on APath.
  std::uint32_t LastHandleValue(const std::u16string& APath) const;

  // THidSystem.
  std::optional<TGuid> HidInterfaceClass() override;
  std::vector<THidInterface> EnumerateInterfaces(const TGuid& AInterfaceClass) override;
  std::unique_ptr<THidDevice> OpenDevice(const std::u16string& APath, THidOpenMode AMode) override;

 private:
  class TDevice;
  struct TPendingEvent {
    enum class TKind { Report, ReadError, IssueError } Kind = TKind::Report;
    std::vector<std::uint8_t> Report;
    std::uint32_t Error = 0;
  };
  struct THandle {
    std::u16string Path;
    THidOpenMode Mode = THidOpenMode::Synchronous;
    std::uint32_t Value = 0;
    std::deque<TPendingEvent> Events;
    bool Waiting = false;
    bool Gone = false;
  };
  struct TInterface {
    TFakeHidInterfaceSetup Setup;
    bool Present = true;
    std::vector<std::vector<std::uint8_t>> Writes;
    std::vector<std::vector<std::uint8_t>> FeatureSets;
    std::size_t FeatureGets = 0;
    std::uint32_t LastHandleValue = 0;
  };

  TInterface* Find(const std::u16string& APath);
  const TInterface* Find(const std::u16string& APath) const;
  void Close(THandle* AHandle);

  mutable std::mutex FLock;
  mutable std::condition_variable FChanged;
  std::vector<TInterface> FInterfaces;
  std::vector<THandle*> FHandles;
  bool FFailEnumeration = false;
  std::optional<TGuid> FInterfaceClass;
  std::optional<TGuid> FLastEnumeratedClass;
  std::size_t FEnumerations = 0;
  std::uint32_t FNextHandleValue = 0x100;
};

}  // namespace mon::testing
