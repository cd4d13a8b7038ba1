// Figures of the monitor under Wine (test companion, never shipped):
//
//   monitor_figures startup PROGRAM IDLE [ARGUMENT]
//                                         starts a tray program (the monitor, or the least tray
//                                         program of tests/companions, with ARGUMENT if given)
//                                         in C:\ and prints
//                                         "tray <ms>" when its icon is in the notification area;
//                                         after IDLE seconds prints "idle" (Wine reports no
//                                         private memory of its own: the script reads /proc
//                                         then), then "cpu <ms>" used over the next 5 s; ends it
//   monitor_figures latency COUNT         COUNT reports through the real reader (the substitute
//                                         HID libraries beside this program, a pipe served here)
//                                         to a handler on the main thread, one every 5 ms;
//                                         prints the percentiles of write-to-handler time
//
// tools/measure_monitor_figures.sh runs both in a private Wine environment.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hid/uiHIDData.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/win32_platform.h"

namespace {

double Seconds(LONGLONG ATicks) {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER value{};
    ::QueryPerformanceFrequency(&value);
    return value.QuadPart;
  }();
  return static_cast<double>(ATicks) / static_cast<double>(frequency);
}

LONGLONG Now() {
  LARGE_INTEGER value{};
  ::QueryPerformanceCounter(&value);
  return value.QuadPart;
}

unsigned TrayIconCount() {
  unsigned count = 0;
  HWND tray = nullptr;
  while ((tray = ::FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)) !=
         nullptr) {
    for (HWND icon = ::GetWindow(tray, GW_CHILD); icon != nullptr;
         icon = ::GetWindow(icon, GW_HWNDNEXT)) {
      count += ::IsWindowVisible(icon) ? 1 : 0;
    }
  }
  return count;
}

ULONGLONG CpuTime100ns(HANDLE AProcess) {
  FILETIME created{}, exited{}, kernel{}, user{};
  ::GetProcessTimes(AProcess, &created, &exited, &kernel, &user);
  const auto value = [](const FILETIME& ATime) {
    return (static_cast<ULONGLONG>(ATime.dwHighDateTime) << 32) | ATime.dwLowDateTime;
  };
  return value(kernel) + value(user);
}

// Starts AProgram (working folder C:\), prints the time until its tray icon is in the notification
// area, idles AIdleSeconds, prints "idle" (the script reads the process's memory and wake-ups from
// /proc then), prints the CPU time the program used over the next 5 s, and ends it.
int Startup(const std::wstring& AProgram, int AIdleSeconds, const std::wstring& AArgument) {
  const unsigned traysBefore = TrayIconCount();
  std::wstring commandLine = L"\"" + AProgram + L"\"";
  if (!AArgument.empty()) {
    commandLine += L" " + AArgument;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  const LONGLONG start = Now();
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\",
                        &startup, &started)) {
    std::fprintf(stderr, "the program cannot be started (%lu)\n", ::GetLastError());
    return 1;
  }
  const mon::win32::TUniqueHandle process(started.hProcess);
  const mon::win32::TUniqueHandle thread(started.hThread);
  double tray = -1;
  while (tray < 0 && Seconds(Now() - start) < 20) {
    if (TrayIconCount() > traysBefore) {
      tray = Seconds(Now() - start);
    }
    ::Sleep(1);
  }
  int result = 0;
  if (tray < 0) {
    std::fprintf(stderr, "no tray icon within 20 s\n");
    result = 1;
  } else {
    std::printf("tray %.0f\n", tray * 1000);
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(AIdleSeconds) * 1000);
    std::printf("idle\n");
    std::fflush(stdout);
    const ULONGLONG cpuBefore = CpuTime100ns(process.Get());
    ::Sleep(5000);
    const ULONGLONG cpuAfter = CpuTime100ns(process.Get());
    std::printf("cpu %.2f\n", static_cast<double>(cpuAfter - cpuBefore) / 10000.0);
  }
  ::TerminateProcess(process.Get(), 0);
  ::WaitForSingleObject(process.Get(), 10000);
  return result;
}

// The device's end of the simulated interface: every handle the reader side opens gets its own
// pipe instance; reports go to every connected one.
class TPipeDevice {
 public:
  explicit TPipeDevice(std::wstring APath) : FPath(std::move(APath)) {
    FServer = std::thread([this] { Serve(); });
  }
  ~TPipeDevice() {
    FStopping = true;
    // Unblocks the waiting ConnectNamedPipe.
    const mon::win32::TUniqueHandle wake(
        ::CreateFileW(FPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    FServer.join();
  }

  std::size_t ConnectionCount() {
    std::lock_guard lock(FLock);
    return FConnected.size();
  }

  void Send(const std::vector<BYTE>& AReport) {
    std::lock_guard lock(FLock);
    for (auto it = FConnected.begin(); it != FConnected.end();) {
      DWORD written = 0;
      if (::WriteFile(it->Get(), AReport.data(), static_cast<DWORD>(AReport.size()), &written,
                      nullptr)) {
        ++it;
      } else {
        it = FConnected.erase(it);  // that handle was closed by the reader side
      }
    }
  }

 private:
  void Serve() {
    while (!FStopping) {
      mon::win32::TUniqueHandle pipe(::CreateNamedPipeW(
          FPath.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
          PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr));
      if (!pipe) {
        return;
      }
      const bool connected =
          ::ConnectNamedPipe(pipe.Get(), nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED;
      if (!connected || FStopping) {
        continue;
      }
      std::lock_guard lock(FLock);
      FConnected.push_back(std::move(pipe));
    }
  }

  std::wstring FPath;
  std::atomic<bool> FStopping{false};
  std::mutex FLock;
  std::vector<mon::win32::TUniqueHandle> FConnected;
  std::thread FServer;
};

void PumpMessagesFor(DWORD AMilliseconds) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < AMilliseconds) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&message);
    }
  }
}

int Latency(int ACount) {
  if (ACount < 1 || ACount > 100000) {
    return 2;
  }
  ::SetEnvironmentVariableW(L"MON_SIMULATED_HID",
                            L"latency|HID\\VID_1234&PID_5678&MI_01&Col02|FFA0:1|8:9:65|16");
  TPipeDevice device(L"\\\\.\\pipe\\latency");
  mon::win32::TWin32Platform backend;
  std::vector<LONGLONG> sent(static_cast<std::size_t>(ACount), 0);
  std::vector<LONGLONG> received(static_cast<std::size_t>(ACount), 0);
  int receivedCount = 0;
  {
    mon::TuiHIDData hid(nullptr, backend.Platform());
    hid.SetFastOnData(false);  // handed to the main thread, as in the monitor
    hid.SetOnData([&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t* AData, std::uint16_t ASize) {
      const LONGLONG now = Now();
      if (ASize < 2) {
        return;
      }
      const int sequence = AData[0] | (AData[1] << 8);
      if (sequence < ACount && received[static_cast<std::size_t>(sequence)] == 0) {
        received[static_cast<std::size_t>(sequence)] = now;
        ++receivedCount;
      }
    });
    hid.HidFindAndReadDevice(mon::USAGE_AND_PAGE{0x0001, 0xFFA0}, u"*");
    const DWORD start = ::GetTickCount();
    while (device.ConnectionCount() == 0 && ::GetTickCount() - start < 10000) {
      PumpMessagesFor(10);
    }
    PumpMessagesFor(200);  // the walk's own handle is closed by now
    if (device.ConnectionCount() == 0) {
      std::fprintf(stderr, "the reader did not open the device\n");
      return 1;
    }
    std::thread sender([&] {
      for (int i = 0; i < ACount; ++i) {
        std::vector<BYTE> report = {
            0x08, static_cast<BYTE>(i & 0xFF), static_cast<BYTE>((i >> 8) & 0xFF), 0, 0, 0, 0, 0};
        sent[static_cast<std::size_t>(i)] = Now();
        device.Send(report);
        ::Sleep(5);
      }
    });
    const DWORD sendStart = ::GetTickCount();
    while (receivedCount < ACount && ::GetTickCount() - sendStart < 60000) {
      PumpMessagesFor(10);
    }
    sender.join();
    hid.HidStopRead();
  }
  std::vector<double> microseconds;
  for (int i = 0; i < ACount; ++i) {
    if (received[static_cast<std::size_t>(i)] != 0) {
      microseconds.push_back(
          Seconds(received[static_cast<std::size_t>(i)] - sent[static_cast<std::size_t>(i)]) * 1e6);
    }
  }
  if (microseconds.empty()) {
    std::fprintf(stderr, "no report reached the handler\n");
    return 1;
  }
  std::sort(microseconds.begin(), microseconds.end());
  const auto at = [&](double AFraction) {
    return microseconds[std::min(microseconds.size() - 1,
                                 static_cast<std::size_t>(AFraction * microseconds.size()))];
  };
  std::printf(
      "%zu of %d reports reached the handler; write to handler: p50 %.0f us, p90 %.0f us, "
      "p99 %.0f us, max %.0f us\n",
      microseconds.size(), ACount, at(0.5), at(0.9), at(0.99), microseconds.back());
  return microseconds.size() == static_cast<std::size_t>(ACount) ? 0 : 1;
}

}  // namespace

int wmain(int AArgc, wchar_t** AArgv) {
  if ((AArgc == 4 || AArgc == 5) && std::wstring(AArgv[1]) == L"startup") {
    return Startup(AArgv[2], static_cast<int>(std::wcstol(AArgv[3], nullptr, 10)),
                   AArgc == 5 ? AArgv[4] : L"");
  }
  if (AArgc == 3 && std::wstring(AArgv[1]) == L"latency") {
    return Latency(static_cast<int>(std::wcstol(AArgv[2], nullptr, 10)));
  }
  std::fprintf(stderr,
               "usage: monitor_figures startup PROGRAM IDLE_SECONDS [ARGUMENT] | latency COUNT\n");
  return 2;
}
