// TuiHIDData: finds the mouse among the HID interfaces of the PC and talks to it. Every
// operation is a fresh walk over the present interfaces that filters them by the include list of
// config.ini, by hardware ID and by the top-level collection's usage page and usage, and acts on
// every interface that matches: it starts an input-report reader, writes an output report, gets or
// sets a feature report, or only says whether such an interface exists. No device handle is kept
// between calls; only the readers keep their own.
//
// Threads: every operation runs on the caller's thread (the main thread in the monitor). The
// readers are threads of their own; with FastOnData false they run OnData and OnParsedData on the
// main thread (through TMainThread) and wait for them, with FastOnData true on their own thread.
// OnDeviceNotConnected always runs on the reader's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/component.h"
#include "hid/hid_matching.h"
#include "hid/hid_read_thread.h"
#include "hid/hid_types.h"
#include "platform/guid.h"
#include "platform/platform.h"

namespace mon {

// The result of the feature operations when no interface matches.
inline constexpr std::uint32_t kFeatureNoDeviceResult = kErrorDeviceNotConnected;

class TuiHIDData : public TComponent {
 public:
  // Needs the platform's Files, Hid, MainThread and Debug services (std::invalid_argument when
  // one is missing). Reads the include list of config.ini once, here.
  TuiHIDData(TComponent* AOwner, const TPlatform& APlatform);
  // Stops every reader this component started and waits for them to end, so none of them can
  // touch the component afterwards. Must not run inside one of its own report handlers.
  ~TuiHIDData() override;

  std::u16string ClassName() const override { return u"TuiHIDData"; }

  // Published properties. The event properties may be read and written from any thread; readers
  // read them at each use.
  bool FastOnData() const { return FFastOnData.load(); }
  void SetFastOnData(bool AValue) { FFastOnData.store(AValue); }
  // The events; readers read them at each use, from their own threads.
  TuiHIDDataReceived OnData() const { return ReadEvent(FOnData); }
  void SetOnData(TuiHIDDataReceived AValue) { WriteEvent(FOnData, std::move(AValue)); }
  TuiHIDParsedDataReceived OnParsedData() const { return ReadEvent(FOnParsedData); }
  void SetOnParsedData(TuiHIDParsedDataReceived AValue) {
    WriteEvent(FOnParsedData, std::move(AValue));
  }
  TuiHIDDeviceNotConnected OnDeviceNotConnected() const { return ReadEvent(FOnDeviceNotConnected); }
  void SetOnDeviceNotConnected(TuiHIDDeviceNotConnected AValue) {
    WriteEvent(FOnDeviceNotConnected, std::move(AValue));
  }

  // Starts one reader per matching interface (device-ID rule with HIDID). Readers of earlier
  // calls keep running: a second call without HidStopRead reads every report twice.
  void HidFindAndReadDevice(USAGE_AND_PAGE UsageAndPage, const std::u16string& HIDID);
  // Writes DATASIZE + 1 bytes (report ID and DATASIZE data bytes) to every matching interface
  // whose output report holds DATASIZE bytes. True when a write succeeded.
  bool HidFindAndWriteDevice(const THIDDataParam& ReportData);
  // As HidFindAndWriteDevice, but DATASIZE counts the report-ID byte and the include list is not
  // consulted.
  bool HidFindAndWriteDeviceBYHID(const THIDDataParam& ReportData);
  // Gets a feature report of DATASIZE bytes (report ID included) from every matching interface
  // whose feature report is long enough, copying it over ReportData.Data. 0 on success, else the
  // system error of the last attempt; kFeatureNoDeviceResult when nothing matches.
  std::uint32_t HidFindAndGetFeatureReport(THIDDataParam& ReportData);
  // Sets a feature report of DATASIZE bytes (report ID included); DeviceHandle receives the
  // handle used. Results as HidFindAndGetFeatureReport.
  std::uint32_t HidFindAndSetFeatureReport(THIDDataParam& ReportData);
  // Stops every reader this component started and waits until each has ended, except one whose
  // handler is running on the calling thread right now (that one delivers nothing more and is
  // cleaned up later). When it returns, no report of those readers is delivered any more.
  void HidStopRead();
  // True when a matching interface is present (device-ID rule with DeviceID).
  bool IsDeviceExist(const THIDDataParam& ReportData);

  // The include list as read at creation, and the interface class walked.
  const std::vector<std::u16string>& HidDeviceList() const { return FHidDeviceList; }
  const TGuid& HidGuid() const { return FHidGuid; }
  // Readers started by this component that have not ended yet.
  std::size_t ReaderCount() const;

  // The services the readers use.
  THidSystem& HidSystem() const { return FHid; }
  TMainThread& MainThread() const { return FMainThread; }
  TDebugOutput& Debug() const { return FDebug; }
  TClock& Clock() const { return FClock; }

 private:
  struct TMatch {
    const THidInterface& Interface;
    THidDevice& Device;
    const THidCaps& Caps;
  };
  // The device walk: every present interface that passes ARule with ARequestedId, opens in
  // AMode, answers its attribute and capability queries and has the usage page and usage of
  // AUsage is handed to AOnMatch.
  template <class TOnMatch>
  void WalkDevices(THidIdRule ARule, const std::u16string& ARequestedId, USAGE_AND_PAGE AUsage,
                   THidOpenMode AMode, TOnMatch&& AOnMatch);
  bool WriteToDevices(const THIDDataParam& AReportData, THidIdRule ARule, std::uint32_t ALength);
  // Ends and forgets readers that have finished by themselves.
  void ReapFinishedReaders();

  THidSystem& FHid;
  TMainThread& FMainThread;
  TDebugOutput& FDebug;
  TClock& FClock;
  TGuid FHidGuid;
  std::vector<std::u16string> FHidDeviceList;

  template <class TEvent>
  TEvent ReadEvent(const TEvent& AEvent) const {
    std::lock_guard lock(FEventsLock);
    return AEvent;
  }
  template <class TEvent>
  void WriteEvent(TEvent& AEvent, TEvent AValue) {
    std::lock_guard lock(FEventsLock);
    AEvent = std::move(AValue);
  }

  mutable std::mutex FEventsLock;
  TuiHIDDataReceived FOnData;
  TuiHIDParsedDataReceived FOnParsedData;
  TuiHIDDeviceNotConnected FOnDeviceNotConnected;
  std::atomic<bool> FFastOnData{false};

  mutable std::mutex FReadersLock;
  std::vector<std::unique_ptr<TuiHidDeviceReadThread>> FReaders;
};

}  // namespace mon
