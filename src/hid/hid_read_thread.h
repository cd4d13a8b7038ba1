// The input-report reader of one HID interface: a thread of its own that reads reports for as
// long as the device is there and nobody stops it, and hands each report to the events of the
// TuiHIDData that started it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "hid/hid_usages.h"
#include "platform/hid_system.h"
#include "platform/stop_token.h"

namespace mon {

class TuiHIDData;

// A read that completes with an error is issued again after a pause that doubles with every
// failure in a row, from 1 ms up to this much, so a device whose reads keep failing is still
// read (a later report gets through) without spinning; a completed read starts over at 1 ms.
inline constexpr std::uint32_t kMaxReadRetryPauseMs = 1000;

// The debug text of a reader that lost its device.
inline constexpr char16_t kDeviceNotConnectedTrace[] =
    u"ERROR_DEVICE_NOT_CONNECTED++++++++++++++++";

class TuiHidDeviceReadThread {
 public:
  // Opens ADevicePath for overlapped reading, reads its input report length and starts the
  // thread at once. A device that cannot be opened or has no readable capabilities gives a
  // reader that ends at once without delivering anything. Throws std::system_error when no
  // thread can be started.
  TuiHidDeviceReadThread(TuiHIDData& AHIDData, std::u16string ADevicePath,
                         std::u16string ADeviceID);
  // Stops the thread and waits for it to end (its read cancelled and completed, its device
  // closed). Must not run on the reader's own thread or inside its delivery.
  ~TuiHidDeviceReadThread();

  TuiHidDeviceReadThread(const TuiHidDeviceReadThread&) = delete;
  TuiHidDeviceReadThread& operator=(const TuiHidDeviceReadThread&) = delete;

  // Asks the thread to end. Any thread. From this moment on the reader delivers nothing: a
  // report handed to the main thread but not yet taken is withdrawn, a pending read is
  // cancelled, and the check before each callback sees it.
  void Terminate();
  bool Terminated() const;
  // True once the loop has ended and the device is closed.
  bool Finished() const { return FFinished.load(); }

  // True when the calling thread is this reader's thread, or is running this reader's delivery
  // (the main thread during a report handler). Such a caller cannot wait for the reader.
  bool IsBusyOnCurrentThread() const;

  const std::u16string& DeviceID() const { return FDeviceID; }
  const std::u16string& DevicePath() const { return FDevicePath; }
  std::int32_t InputReportLength() const { return FInputReportLength; }

 private:
  void Execute(const TStopToken& AStop);
  void ReadLoop(const TStopToken& AStop);
  void Deliver(const TStopToken& AStop);
  void DeliveryStep(const TStopToken& AStop);
  void DeviceLost(const TStopToken& AStop);

  TuiHIDData& FHIDData;
  std::u16string FDeviceID;
  std::u16string FDevicePath;
  // The reader's own open device (handle and preparsed data); released at clean-up.
  std::unique_ptr<THidDevice> FDevice;
  // InputReportByteLength, report-ID byte included; 0 when the capabilities cannot be read.
  std::int32_t FInputReportLength = 0;
  std::uint32_t NumBytesRead = 0;
  // Allocated once, FInputReportLength bytes; byte 0 receives the report ID.
  std::vector<std::uint8_t> FReport;
  // The button usages of the previous report of this interface.
  TUsageList FPreviousUsages{};
  std::atomic<bool> FFinished{false};
  TStopSource FStop;
  // Last member: the thread starts once everything above is in place.
  std::thread FThread;
};

}  // namespace mon
