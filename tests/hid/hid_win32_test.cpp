// The Win32 backend end to end under Wine. With the substitute SetupApi.dll and HID.dll beside
// this program (WINEDLLOVERRIDES="hid,setupapi=n,b"), the SimulatedHid tests drive the real
// device walk, the real overlapped reads with their completion routine, the main-thread
// hand-over through the message loop, and stop, against pipes that hid_pipe_feeder.exe serves.
// Without the override, WineOwnHid walks Wine's own devices. The main-thread and hidden-window
// tests need neither.
#include <windows.h>

#include <dbt.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "framework/application.h"
#include "framework/text.h"
#include "hid/uiHIDData.h"
#include "hid/uiHIDEvent.h"
#include "hid_param.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace mon::win32 {
namespace {

constexpr USAGE_AND_PAGE kVendorCollection{0x0001, 0xFFA0};

std::wstring ExecutableFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// Runs the message loop until ADone holds; false after ATimeoutMs.
template <class TDone>
bool PumpUntil(TDone ADone, DWORD ATimeoutMs = 5000) {
  const ULONGLONG deadline = ::GetTickCount64() + ATimeoutMs;
  while (!ADone()) {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) {
      return false;
    }
    ::MsgWaitForMultipleObjectsEx(0, nullptr,
                                  static_cast<DWORD>(std::min<ULONGLONG>(20, deadline - now)),
                                  QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return true;
}

// Waits for a condition other threads change, without a message loop; false after ATimeoutMs.
template <class TDone>
bool WaitUntil(TDone ADone, DWORD ATimeoutMs = 5000) {
  const ULONGLONG deadline = ::GetTickCount64() + ATimeoutMs;
  while (!ADone()) {
    if (::GetTickCount64() >= deadline) {
      return false;
    }
    ::Sleep(1);
  }
  return true;
}

// The exported function AMarker of the module AName loaded in this process, if any.
FARPROC Export(const wchar_t* AName, const char* AMarker) {
  const HMODULE module = ::GetModuleHandleW(AName);
  return module != nullptr ? ::GetProcAddress(module, AMarker) : nullptr;
}

LONG Counter(const wchar_t* AModule, const char* AName) {
  const auto function =
      reinterpret_cast<LONG(WINAPI*)()>(reinterpret_cast<void*>(Export(AModule, AName)));
  return function != nullptr ? function() : -1;
}

// The Win32 services a HID component needs (the whole Win32 backend), with its HID system and
// main thread at hand.
struct TServices {
  win32::TWin32Platform Backend;
  TPlatform& Platform = Backend.Platform();
  TWin32HidSystem& Hid = static_cast<TWin32HidSystem&>(Platform.Hid);
  TWin32MainThread& MainThread = static_cast<TWin32MainThread&>(Platform.MainThread);
};

// hid_pipe_feeder.exe with its standard input and output connected to us.
class TFeeder {
 public:
  TFeeder() {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE childInput = nullptr;
    HANDLE childOutput = nullptr;
    ::CreatePipe(&childInput, &FToChild, &inheritable, 0);
    ::SetHandleInformation(FToChild, HANDLE_FLAG_INHERIT, 0);
    ::CreatePipe(&FFromChild, &childOutput, &inheritable, 0);
    ::SetHandleInformation(FFromChild, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command = L"\"" + ExecutableFolder() + L"hid_pipe_feeder.exe\"";
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &process)) {
      FProcess = process.hProcess;
      ::CloseHandle(process.hThread);
    }
    ::CloseHandle(childInput);
    ::CloseHandle(childOutput);
  }

  ~TFeeder() {
    if (FProcess != nullptr) {
      Write("quit\n");
      if (::WaitForSingleObject(FProcess, 5000) != WAIT_OBJECT_0) {
        ::TerminateProcess(FProcess, 1);  // our own child, by its handle
      }
      ::CloseHandle(FProcess);
    }
    ::CloseHandle(FToChild);
    ::CloseHandle(FFromChild);
  }

  bool Started() const { return FProcess != nullptr; }

  // Sends one command line and returns the reply line.
  std::string Command(const std::string& ALine) {
    Write(ALine + "\n");
    std::string reply;
    char c = 0;
    DWORD read = 0;
    while (::ReadFile(FFromChild, &c, 1, &read, nullptr) && read == 1 && c != '\n') {
      reply += c;
    }
    return reply;
  }

 private:
  void Write(const std::string& AText) {
    DWORD written = 0;
    ::WriteFile(FToChild, AText.data(), static_cast<DWORD>(AText.size()), &written, nullptr);
  }

  HANDLE FToChild = nullptr;
  HANDLE FFromChild = nullptr;
  HANDLE FProcess = nullptr;
};

std::string UniqueName(const char* ATag) {
  static int counter = 0;
  return "monsim-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter) +
         "-" + ATag;
}

std::u16string PipePath(const std::string& AName) {
  return u"\\\\.\\pipe\\" + std::u16string(AName.begin(), AName.end());
}

struct TReceived {
  std::u16string DevicePath;
  std::uint8_t ReportID = 0;
  std::vector<std::uint8_t> Data;
  DWORD Thread = 0;
};

class SimulatedHid : public ::testing::Test {
 protected:
  void SetUp() override {
    App.OnException = [this](const std::u16string& AMessage) {
      std::lock_guard lock(Lock);
      Errors.push_back(AMessage);
    };
    A = UniqueName("a");
    B = UniqueName("b");
    Mouse = UniqueName("m");
    Unserved = UniqueName("x");
    const std::string config =
        A + "|HID\\VID_1234&PID_5678&MI_01&Col02,HID\\VID_1234&PID_5678&MI_01|FFA0:1|8:9:65|16;" +
        B + "|HID\\VID_1234&PID_5678&MI_02|FFA0:1|8:4:65|16;" + Mouse +
        "|HID\\VID_1234&PID_5678&MI_00|1:2|5:0:0|3;" + Unserved +
        "|HID\\VID_1234&PID_9999|FFA0:1|8:9:65|16";
    ::SetEnvironmentVariableW(L"MON_SIMULATED_HID",
                              std::wstring(config.begin(), config.end()).c_str());
    ASSERT_TRUE(Feeder.Started());
    for (const auto& name : {A, B, Mouse}) {
      ASSERT_EQ(Feeder.Command("serve " + name), "ok");
    }
    ASSERT_TRUE(Services.Hid.IsBound());
    // Proof that the substitutes, not Wine's own libraries, were loaded.
    ASSERT_NE(Export(L"setupapi.dll", "MonSimulatedSetupApiMarker"), nullptr)
        << "run with WINEDLLOVERRIDES=hid,setupapi=n,b";
    ASSERT_NE(Export(L"hid.dll", "MonSimulatedHidMarker"), nullptr);
  }

  TuiHIDDataReceived Recorder() {
    return [this](const std::u16string&, const std::u16string& ADevicePath, std::uint8_t AReportID,
                  const std::uint8_t* AData, std::uint16_t ASize) {
      std::lock_guard lock(Lock);
      Received.push_back({ADevicePath, AReportID, std::vector<std::uint8_t>(AData, AData + ASize),
                          ::GetCurrentThreadId()});
    };
  }

  std::size_t ReceivedCount() {
    std::lock_guard lock(Lock);
    return Received.size();
  }

  static THIDDataParam Param(USAGE_AND_PAGE AUsage, std::u16string ADeviceId, std::uint32_t ASize) {
    return testing::NumberedParam(AUsage, std::move(ADeviceId), ASize);
  }

  static LONG LivePreparsedData() {
    return Counter(L"hid.dll", "MonSimulatedHidLivePreparsedData");
  }

  TApplication App;
  TServices Services;
  TFeeder Feeder;
  std::string A;
  std::string B;
  std::string Mouse;
  std::string Unserved;
  std::mutex Lock;
  std::vector<TReceived> Received;
  std::vector<std::u16string> Errors;
};

TEST_F(SimulatedHid, TheWalkReadsPathsAndHardwareIdsAndReleasesItsSet) {
  EXPECT_EQ(Services.Hid.HidInterfaceClass(), kHidInterfaceClassGuid);
  const auto interfaces = Services.Hid.EnumerateInterfaces(kHidInterfaceClassGuid);
  ASSERT_EQ(interfaces.size(), 4u);
  EXPECT_EQ(interfaces[0].Path, PipePath(A));
  EXPECT_EQ(interfaces[0].HardwareIds,
            (std::vector<std::u16string>{u"HID\\VID_1234&PID_5678&MI_01&Col02",
                                         u"HID\\VID_1234&PID_5678&MI_01"}));
  EXPECT_EQ(interfaces[3].Path, PipePath(Unserved));
  EXPECT_EQ(Counter(L"setupapi.dll", "MonSimulatedSetupApiLiveSets"), 0);
  // Another class has no interfaces here.
  EXPECT_TRUE(Services.Hid.EnumerateInterfaces(TGuid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}).empty());
}

TEST_F(SimulatedHid, WritesFeaturesAndExistenceOverTheRealWalk) {
  TuiHIDData hid(nullptr, Services.Platform);
  EXPECT_TRUE(hid.IsDeviceExist(Param(kVendorCollection, u"*", 0)));
  EXPECT_FALSE(hid.IsDeviceExist(Param({0x0002, 0xFFA0}, u"*", 0)));
  EXPECT_TRUE(hid.IsDeviceExist(Param({0x0002, 0x0001}, u"*", 0)));
  EXPECT_TRUE(hid.IsDeviceExist(Param(kVendorCollection, u"hid\\vid_1234&pid_5678&mi_02", 0)));
  // Listed, but its path does not open: skipped.
  EXPECT_FALSE(hid.IsDeviceExist(Param(kVendorCollection, u"HID\\VID_1234&PID_9999", 0)));

  const auto param = Param(kVendorCollection, u"*", 8);
  EXPECT_TRUE(hid.HidFindAndWriteDevice(param));       // 9 bytes to A; B's 4-byte reports skipped
  EXPECT_TRUE(hid.HidFindAndWriteDeviceBYHID(param));  // 8 bytes to A; B skipped again
  // Each write walks anew, over a new handle: the feeder may see them in either order.
  const std::string writes = Feeder.Command("writes " + A + " 2");
  EXPECT_TRUE(writes == "ok 051011121314151617 0510111213141516" ||
              writes == "ok 0510111213141516 051011121314151617")
      << writes;
  EXPECT_EQ(Feeder.Command("writes " + B + " 0"), "ok");

  auto feature = Param(kVendorCollection, u"*", 6);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(feature), 0u);
  EXPECT_NE(feature.DeviceHandle, 0u);
  auto readBack = Param(kVendorCollection, u"*", 6);
  std::fill(std::begin(readBack.Data.DATAReally), std::begin(readBack.Data.DATAReally) + 6, 0);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(readBack), 0u);
  EXPECT_EQ(std::vector<std::uint8_t>(readBack.Data.ReportBytes(), readBack.Data.ReportBytes() + 6),
            (std::vector<std::uint8_t>{0x05, 0x10, 0x11, 0x12, 0x13, 0x14}));
  // Longer than the 65-byte feature reports: skipped.
  auto tooLong = Param(kVendorCollection, u"*", 66);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(tooLong), kFeatureNoDeviceResult);
  EXPECT_EQ(LivePreparsedData(), 0);  // every walk freed what it fetched
}

TEST_F(SimulatedHid, ReportsReachOnDataOnTheMainThreadThroughTheMessageLoop) {
  TuiHIDData hid(nullptr, Services.Platform);
  hid.SetOnData(Recorder());
  std::vector<std::uint32_t> parsed;
  hid.SetOnParsedData([&](const std::u16string&, const std::u16string&, std::uint8_t,
                          std::uint32_t AButtonData) { parsed.push_back(AButtonData); });
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  EXPECT_EQ(hid.ReaderCount(), 2u);  // A and B; the unserved one cannot be opened
  // One handle of the walk came and went, the reader's stays.
  ASSERT_EQ(Feeder.Command("wait " + A + " 1 2"), "ok");
  ASSERT_EQ(Feeder.Command("wait " + B + " 1 2"), "ok");

  ASSERT_EQ(Feeder.Command("send " + A + " 0704000000000000"), "ok 1");
  ASSERT_TRUE(PumpUntil([&] { return ReceivedCount() == 1; }));
  EXPECT_EQ(Received[0].Thread, ::GetCurrentThreadId());
  EXPECT_EQ(Received[0].DevicePath, PipePath(A));
  EXPECT_EQ(Received[0].ReportID, 0x07);
  EXPECT_EQ(Received[0].Data, (std::vector<std::uint8_t>{0x04, 0, 0, 0, 0, 0, 0}));

  // An empty report and one longer than the declared 8 bytes are dropped whole; the next one
  // arrives intact.
  ASSERT_EQ(Feeder.Command("send " + A + " -"), "ok 1");
  ASSERT_EQ(Feeder.Command("send " + A + " 07FFFFFFFFFFFFFFEEEEEEEE"), "ok 1");
  ASSERT_EQ(Feeder.Command("send " + A + " 0700000000000001"), "ok 1");
  ASSERT_TRUE(PumpUntil([&] { return ReceivedCount() == 2; }));
  EXPECT_EQ(Received[1].Data, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 1}));
  ASSERT_EQ(Feeder.Command("send " + B + " 0801000000000000"), "ok 1");
  ASSERT_TRUE(PumpUntil([&] { return ReceivedCount() == 3; }));
  EXPECT_EQ(Received[2].DevicePath, PipePath(B));
  EXPECT_EQ(Received[2].ReportID, 0x08);
  EXPECT_EQ(parsed, (std::vector<std::uint32_t>{0x00030000, 3, 0x00010000}));

  hid.HidStopRead();
  EXPECT_EQ(hid.ReaderCount(), 0u);
  EXPECT_EQ(Feeder.Command("wait " + A + " 0 2"), "ok");
  EXPECT_EQ(Feeder.Command("wait " + B + " 0 2"), "ok");
  EXPECT_EQ(LivePreparsedData(), 0);
  EXPECT_EQ(ReceivedCount(), 3u);
}

TEST_F(SimulatedHid, StopEndsAReaderWaitingForTheMainThreadAndFindStartsAFreshOne) {
  TuiHIDData hid(nullptr, Services.Platform);
  hid.SetOnData(Recorder());
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  ASSERT_EQ(Feeder.Command("wait " + A + " 1 2"), "ok");
  ASSERT_EQ(Feeder.Command("send " + A + " 0701000000000000"), "ok 1");
  ASSERT_TRUE(WaitUntil([&] { return Services.MainThread.PendingCount() == 1; }));
  // Stop and find again on the main thread while that report waits for it.
  hid.HidStopRead();
  EXPECT_EQ(Services.MainThread.PendingCount(), 0u);
  EXPECT_EQ(Feeder.Command("wait " + A + " 0 2"), "ok");
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  ASSERT_EQ(Feeder.Command("wait " + A + " 1 4"), "ok");
  ASSERT_EQ(Feeder.Command("send " + A + " 0702000000000000"), "ok 1");
  ASSERT_TRUE(PumpUntil([&] { return ReceivedCount() == 1; }));
  ASSERT_EQ(Feeder.Command("send " + A + " 0703000000000000"), "ok 1");
  ASSERT_TRUE(PumpUntil([&] { return ReceivedCount() == 2; }));
  EXPECT_EQ(Received[0].Data[0], 0x02);  // the withdrawn report never arrives
  EXPECT_EQ(Received[1].Data[0], 0x03);
  hid.HidStopRead();
}

TEST_F(SimulatedHid, FastOnDataRunsOnTheReaderThreadAndStopIsPrompt) {
  TuiHIDData hid(nullptr, Services.Platform);
  hid.SetFastOnData(true);
  hid.SetOnData(Recorder());
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  ASSERT_EQ(Feeder.Command("wait " + A + " 1 2"), "ok");
  ASSERT_EQ(Feeder.Command("send " + A + " 0701000000000000"), "ok 1");
  ASSERT_TRUE(WaitUntil([&] { return ReceivedCount() == 1; }));
  EXPECT_NE(Received[0].Thread, ::GetCurrentThreadId());
  // Idle readers wait without a time-out; the stop still ends them at once.
  const auto started = std::chrono::steady_clock::now();
  hid.HidStopRead();
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
  EXPECT_EQ(Feeder.Command("wait " + A + " 0 2"), "ok");
  EXPECT_EQ(Feeder.Command("wait " + B + " 0 2"), "ok");
}

TEST_F(SimulatedHid, AReaderWhoseDeviceGoesAwayEndsAndFreesItsDevice) {
  TuiHIDData hid(nullptr, Services.Platform);
  hid.SetOnData(Recorder());
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  ASSERT_EQ(Feeder.Command("wait " + A + " 1 2"), "ok");
  ASSERT_EQ(hid.ReaderCount(), 2u);
  ASSERT_EQ(Feeder.Command("close " + A), "ok");
  EXPECT_TRUE(PumpUntil([&] { return hid.ReaderCount() == 1; }));
  EXPECT_EQ(LivePreparsedData(), 1);  // only B's reader holds one now
  EXPECT_EQ(ReceivedCount(), 0u);
  hid.HidStopRead();
  EXPECT_EQ(LivePreparsedData(), 0);
}

TEST(WineOwnHid, TheRealWalkOverWinesDevicesFindsNoVendorCollection) {
  TServices services;
  ASSERT_TRUE(services.Hid.IsBound());
  EXPECT_EQ(Export(L"setupapi.dll", "MonSimulatedSetupApiMarker"), nullptr);
  EXPECT_EQ(Export(L"hid.dll", "MonSimulatedHidMarker"), nullptr);
  const auto interfaces = services.Hid.EnumerateInterfaces(kHidInterfaceClassGuid);
  for (const auto& hidInterface : interfaces) {
    std::printf("  wine HID interface: %s (%zu hardware IDs)\n",
                Utf16ToUtf8(hidInterface.Path).c_str(), hidInterface.HardwareIds.size());
  }
  EXPECT_FALSE(interfaces.empty());
  TuiHIDData hid(nullptr, services.Platform);
  THIDDataParam param;
  param.UsageAndPage = kVendorCollection;
  param.DeviceID = u"*";
  param.Data.DATASIZE = 8;
  EXPECT_FALSE(hid.IsDeviceExist(param));
  EXPECT_FALSE(hid.HidFindAndWriteDevice(param));
  hid.HidFindAndReadDevice(kVendorCollection, u"*");
  EXPECT_EQ(hid.ReaderCount(), 0u);
}

TEST(Win32MainThread, QueuedCallsRunFromTheMessageLoopAndAStopWithdrawsThem) {
  TWin32MainThread main;
  ASSERT_NE(main.Window(), nullptr);
  EXPECT_TRUE(main.IsCurrentThread());
  std::atomic<DWORD> ranOn{0};
  std::atomic<bool> returned{false};
  std::thread caller([&] {
    EXPECT_FALSE(main.IsCurrentThread());
    EXPECT_TRUE(main.RunAndWait([&] { ranOn = ::GetCurrentThreadId(); }, {}));
    returned = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return returned.load(); }));
  caller.join();
  EXPECT_EQ(ranOn.load(), ::GetCurrentThreadId());

  TStopSource stop;
  bool ran = false;
  std::atomic<int> result{-1};
  std::thread withdrawn([&] { result = main.RunAndWait([&] { ran = true; }, stop.Token()); });
  ASSERT_TRUE(WaitUntil([&] { return main.PendingCount() == 1; }));
  stop.RequestStop();
  withdrawn.join();
  EXPECT_EQ(result.load(), 0);
  PumpUntil([] { return false; }, 50);  // the wake-up message finds nothing to run
  EXPECT_FALSE(ran);
}

TEST(Win32HidEvent, StartUpEventsAndDeviceChangeMessages) {
  TApplication app;
  std::vector<std::u16string> errors;
  app.OnException = [&](const std::u16string& AMessage) { errors.push_back(AMessage); };
  TWin32HiddenWindowFactory windows;
  const ULONGLONG created = ::GetTickCount64();
  auto event = std::make_unique<TuiHIDEvent>(nullptr, windows);
  const HWND window = reinterpret_cast<HWND>(event->WindowHandle());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(event->Registered());
  EXPECT_FALSE(::IsWindowVisible(window));
  wchar_t className[64] = {};
  ::GetClassNameW(window, className, 64);
  EXPECT_EQ(FromWide(className), TuiHIDEvent::kWindowClassName);

  std::vector<std::string> log;
  ULONGLONG arrivalAt = 0;
  event->OnDeviceChange = [&](TComponent&) { log.push_back("change"); };
  event->OnDeviceArrival = [&](TComponent&) {
    log.push_back("arrival");
    arrivalAt = ::GetTickCount64();
  };
  event->OnDeviceRemove = [&](TComponent&) { log.push_back("remove"); };
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }, 5000));
  EXPECT_EQ(log, (std::vector<std::string>{"change", "arrival"}));
  EXPECT_GE(arrivalAt - created, 1400u);

  DEV_BROADCAST_DEVICEINTERFACE_W hidInterface{};
  hidInterface.dbcc_size = sizeof(hidInterface);
  hidInterface.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  DEV_BROADCAST_VOLUME volume{};
  volume.dbcv_size = sizeof(volume);
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  EXPECT_EQ(::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                           reinterpret_cast<LPARAM>(&hidInterface)),
            0);
  EXPECT_EQ(
      ::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume)),
      0);
  EXPECT_EQ(::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                           reinterpret_cast<LPARAM>(&hidInterface)),
            0);
  EXPECT_EQ(::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0xFFFFFFFF), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"change", "arrival", "arrival", "remove", "change"}));

  event->OnDeviceArrival = [](TComponent&) { throw std::runtime_error("arrival failed"); };
  EXPECT_EQ(::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                           reinterpret_cast<LPARAM>(&hidInterface)),
            0);
  EXPECT_EQ(errors, (std::vector<std::u16string>{u"arrival failed"}));

  event.reset();
  EXPECT_FALSE(::IsWindow(window));
}

}  // namespace
}  // namespace mon::win32
