#include "hid/hid_read_thread.h"

#include <algorithm>
#include <exception>

#include "framework/application.h"
#include "hid/uiHIDData.h"

namespace mon {

namespace {

// The reader whose delivery runs on this thread right now.
thread_local const TuiHidDeviceReadThread* GDeliveringReader = nullptr;

class TDeliveringScope {
 public:
  explicit TDeliveringScope(const TuiHidDeviceReadThread* AReader) : FPrevious(GDeliveringReader) {
    GDeliveringReader = AReader;
  }
  ~TDeliveringScope() { GDeliveringReader = FPrevious; }
  TDeliveringScope(const TDeliveringScope&) = delete;
  TDeliveringScope& operator=(const TDeliveringScope&) = delete;

 private:
  const TuiHidDeviceReadThread* FPrevious;
};

// Runs one event handler; what escapes it goes to the central error handler.
template <class TCall>
void Guarded(TCall&& ACall) {
  try {
    ACall();
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
}

}  // namespace

TuiHidDeviceReadThread::TuiHidDeviceReadThread(TuiHIDData& AHIDData, std::u16string ADevicePath,
                                               std::u16string ADeviceID)
    : FHIDData(AHIDData), FDeviceID(std::move(ADeviceID)), FDevicePath(std::move(ADevicePath)) {
  FDevice = FHIDData.HidSystem().OpenDevice(FDevicePath, THidOpenMode::Overlapped);
  if (FDevice) {
    if (const auto caps = FDevice->Capabilities()) {
      FInputReportLength = caps->InputReportByteLength;
    }
  }
  FReport.assign(static_cast<std::size_t>(FInputReportLength), 0);
  FThread = std::thread([this] { Execute(FStop.Token()); });
}

TuiHidDeviceReadThread::~TuiHidDeviceReadThread() {
  FStop.RequestStop();
  if (FThread.joinable()) {
    FThread.join();
  }
}

void TuiHidDeviceReadThread::Terminate() {
  FStop.RequestStop();
}

bool TuiHidDeviceReadThread::Terminated() const {
  return FStop.StopRequested();
}

bool TuiHidDeviceReadThread::IsBusyOnCurrentThread() const {
  return GDeliveringReader == this || FThread.get_id() == std::this_thread::get_id();
}

void TuiHidDeviceReadThread::Execute(const TStopToken& AStop) {
  Guarded([&] { ReadLoop(AStop); });
  // Clean-up: Read never returns with a read outstanding, so the buffer and the device can go.
  FDevice.reset();
  FFinished.store(true);
}

void TuiHidDeviceReadThread::ReadLoop(const TStopToken& AStop) {
  if (!FDevice || FReport.empty()) {
    return;  // nothing can be read from this interface
  }
  std::uint32_t retryPauseMs = 1;
  while (!AStop.StopRequested()) {
    std::fill(FReport.begin(), FReport.end(), std::uint8_t{0});
    const THidReadResult result = FDevice->Read(FReport, AStop);
    switch (result.Status) {
      case THidReadStatus::Stopped:
        return;
      case THidReadStatus::IssueFailed:
        // No read is pending, so no completion will ever wake us: end here.
        if (result.Error == kErrorDeviceNotConnected) {
          DeviceLost(AStop);
        }
        return;
      case THidReadStatus::Failed:
        if (result.Error == kErrorOperationAborted || result.Error == kErrorDeviceNotConnected) {
          DeviceLost(AStop);
          return;
        }
        if (FHIDData.Clock().SleepUnlessStopped(retryPauseMs, AStop)) {
          return;
        }
        retryPauseMs = std::min(retryPauseMs * 2, kMaxReadRetryPauseMs);
        break;
      case THidReadStatus::Completed:
        retryPauseMs = 1;
        // An empty read has no report ID to deliver; a length beyond the buffer cannot be true.
        if (result.Bytes == 0 || result.Bytes > FReport.size()) {
          break;
        }
        NumBytesRead = result.Bytes;
        Deliver(AStop);
        break;
    }
  }
}

void TuiHidDeviceReadThread::Deliver(const TStopToken& AStop) {
  if (AStop.StopRequested()) {
    return;
  }
  if (FHIDData.FastOnData()) {
    DeliveryStep(AStop);
    return;
  }
  // The main thread runs the delivery while this thread waits; a stop withdraws it.
  FHIDData.MainThread().RunAndWait([&] { DeliveryStep(AStop); }, AStop);
}

void TuiHidDeviceReadThread::DeliveryStep(const TStopToken& AStop) {
  TDeliveringScope scope(this);
  if (AStop.StopRequested()) {
    return;
  }
  if (const TuiHIDDataReceived onData = FHIDData.OnData()) {
    Guarded([&] {
      onData(FDeviceID, FDevicePath, FReport[0], FReport.data() + 1,
             static_cast<std::uint16_t>(NumBytesRead - 1));
    });
  }
  if (AStop.StopRequested()) {
    return;  // the OnData handler stopped the readers
  }
  if (const TuiHIDParsedDataReceived onParsedData = FHIDData.OnParsedData()) {
    Guarded([&] {
      const std::uint32_t buttonData = ParseButtonData(*FDevice, FReport, FPreviousUsages);
      onParsedData(FDeviceID, FDevicePath, FReport[0], buttonData);
    });
  }
}

void TuiHidDeviceReadThread::DeviceLost(const TStopToken& AStop) {
  if (AStop.StopRequested()) {
    return;
  }
  FHIDData.Debug().Write(kDeviceNotConnectedTrace);
  // Raised on this thread, whatever FastOnData says.
  if (const TuiHIDDeviceNotConnected onDeviceNotConnected = FHIDData.OnDeviceNotConnected()) {
    Guarded([&] { onDeviceNotConnected(FDeviceID, FDevicePath); });
  }
}

}  // namespace mon
