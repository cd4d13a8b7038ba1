// Shared set-up of the HID component tests: a fake platform, an application object that records
// what reaches the central error handler, and scripted interfaces of the mouse.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fake_platform.h"
#include "framework/application.h"
#include "hid/uiHIDData.h"
#include "main_thread_pump.h"

namespace mon::testing {

using namespace std::chrono_literals;

inline constexpr USAGE_AND_PAGE kVendorCollection{0x0001, 0xFFA0};
inline const std::u16string kPathA = u"\\\\?\\hid#vid_1234&pid_5678&mi_01&col02#a";
inline const std::u16string kPathB = u"\\\\?\\hid#vid_1234&pid_5678&mi_02&col01#b";
inline const std::u16string kPathMouse = u"\\\\?\\hid#vid_1234&pid_5678&mi_00#m";
inline const std::u16string kIdA = u"HID\\VID_1234&PID_5678&MI_01&Col02";
inline const std::u16string kIdB = u"HID\\VID_1234&PID_5678&MI_02&Col01";

// The mouse's vendor collection on one interface: 8-byte input reports (report ID included),
// 9-byte output reports, 65-byte feature reports, 16 buttons.
inline TFakeHidInterfaceSetup VendorInterface(const std::u16string& APath,
                                              const std::u16string& AId) {
  TFakeHidInterfaceSetup setup;
  setup.Path = APath;
  setup.HardwareIds = {AId, u"HID\\VID_1234&PID_5678", u"HID_DEVICE"};
  setup.Caps = {kVendorCollection.Usage, kVendorCollection.UsagePage, 8, 9, 65};
  setup.MaxUsages = 16;
  return setup;
}

// The same device's ordinary mouse collection: usage page 1, usage 2.
inline TFakeHidInterfaceSetup MouseInterface() {
  TFakeHidInterfaceSetup setup;
  setup.Path = kPathMouse;
  setup.HardwareIds = {u"HID\\VID_1234&PID_5678&MI_00", u"HID_DEVICE_SYSTEM_MOUSE"};
  setup.Caps = {0x0002, 0x0001, 5, 0, 0};
  return setup;
}

// One OnData call as seen by the handler.
struct TReceived {
  std::u16string DeviceID;
  std::u16string DevicePath;
  std::uint8_t ReportID = 0;
  std::vector<std::uint8_t> Data;
  std::thread::id Thread;
};

class HidComponentTest : public ::testing::Test {
 protected:
  HidComponentTest() {
    App.OnException = [this](const std::u16string& AMessage) {
      std::lock_guard lock(Lock);
      Errors.push_back(AMessage);
    };
  }

  // Runs the main thread's queue until ADone holds; false after the time-out.
  template <class TDone>
  bool PumpUntil(TDone ADone, std::chrono::milliseconds ATimeout = 5000ms) {
    return PumpMainThreadUntil(Platform.MainThread, ADone, ATimeout);
  }

  // An OnData handler that records every report.
  TuiHIDDataReceived Recorder() {
    return [this](const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                  std::uint8_t AReportID, const std::uint8_t* AData, std::uint16_t ASize) {
      {
        std::lock_guard lock(Lock);
        Received.push_back({ADeviceID, ADevicePath, AReportID,
                            std::vector<std::uint8_t>(AData, AData + ASize),
                            std::this_thread::get_id()});
      }
      Changed.notify_all();
    };
  }

  // Waits (without pumping the main thread) until ADone holds, checked whenever a recording
  // handler has run; false after the time-out.
  template <class TDone>
  bool WaitUntil(TDone ADone, std::chrono::milliseconds ATimeout = 5000ms) {
    std::unique_lock lock(Lock);
    return Changed.wait_for(lock, ATimeout, ADone);
  }

  std::size_t ReceivedCount() {
    std::lock_guard lock(Lock);
    return Received.size();
  }

  std::vector<std::u16string> ErrorsSeen() {
    std::lock_guard lock(Lock);
    return Errors;
  }

  TFakePlatform Platform;
  TApplication App;
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<TReceived> Received;
  std::vector<std::u16string> Errors;
};

}  // namespace mon::testing
