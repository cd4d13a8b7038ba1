// Measures what an idle HID reader costs while no report comes: one reader waits on a pipe that
// never receives anything, for the given number of seconds. Modes:
//   none   no reader (the baseline of the process)
//   poll   the 1 ms polling wait: ReadFileEx pending, then passes of SleepEx(1, alertable) and a
//          1 ms wait on the stop event (the wait the monitor's reader used to do)
//   ours   the reader's wait of the Win32 backend: THidDevice::Read, alertable and without a
//          time-out on its stop event
// Prints "ready" when the reader waits and, at the end, the loop passes it counted (poll mode).
// tools/measure_hid_idle_wakeups.sh counts the process's context switches meanwhile. Test
// companion; never shipped.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/stop_token.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/win32_hid_system.h"

namespace {

VOID CALLBACK Ignore(DWORD, DWORD, LPOVERLAPPED) {}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: hid_idle_wakeups none|poll|ours SECONDS\n");
    return 2;
  }
  const std::string mode = argv[1];
  const DWORD seconds = static_cast<DWORD>(std::atoi(argv[2]));
  const std::wstring path = L"\\\\.\\pipe\\mon-idle-" + std::to_wstring(::GetCurrentProcessId());
  const mon::win32::TUniqueHandle server(
      ::CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX,
                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 4096, 4096, 0, nullptr));
  if (!server) {
    return 1;
  }
  unsigned long long passes = 0;
  std::thread reader;
  const mon::win32::TUniqueHandle stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  mon::TStopSource stop;
  mon::win32::TWin32HidSystem hid;
  std::unique_ptr<mon::THidDevice> device;

  if (mode == "poll") {
    reader = std::thread([&] {
      const mon::win32::TUniqueHandle clientHandle(::CreateFileW(
          path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
          OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
      const HANDLE client = clientHandle.Get();
      std::vector<BYTE> buffer(8);
      OVERLAPPED overlapped{};
      ::ReadFileEx(client, buffer.data(), 8, &overlapped, &Ignore);
      for (;;) {
        ++passes;
        if (::SleepEx(1, TRUE) == WAIT_IO_COMPLETION) {
          break;
        }
        if (::WaitForSingleObject(stopEvent.Get(), 1) != WAIT_TIMEOUT) {
          break;
        }
      }
      ::CancelIoEx(client, &overlapped);
      ::SleepEx(100, TRUE);
    });
  } else if (mode == "ours") {
    device =
        hid.OpenDevice(std::u16string(path.begin(), path.end()), mon::THidOpenMode::Overlapped);
    if (!device) {
      return 1;
    }
    reader = std::thread([&] {
      std::vector<std::uint8_t> buffer(8);
      device->Read(buffer, stop.Token());
    });
  }
  std::printf("ready\n");
  std::fflush(stdout);
  ::Sleep(seconds * 1000);
  ::SetEvent(stopEvent.Get());
  stop.RequestStop();
  if (reader.joinable()) {
    reader.join();
  }
  std::printf("done passes=%llu per_second=%.0f\n", passes,
              seconds ? passes / double(seconds) : 0.0);
  std::fflush(stdout);
  return 0;
}
