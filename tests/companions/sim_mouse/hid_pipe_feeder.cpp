// The simulated devices' other end: serves each simulated interface as a message-mode named pipe
// (one pipe instance per open handle, so every handle receives every report, as with HID) and
// takes commands line by line on standard input, answering each with one line on standard output:
//
//   serve NAME              start serving \\.\pipe\NAME          -> ok
//   wait NAME LIVE TOTAL    until LIVE handles are open and TOTAL have been opened in all
//                                                                -> ok | timeout live=L total=T
//   send NAME HEX|-         one report (- for an empty one) to every open handle -> ok N
//   writes NAME COUNT       until COUNT output reports have arrived -> ok HEX HEX ... | timeout
//   close NAME              the device goes away: every handle breaks, no new ones open -> ok
//                           (serve NAME again brings it back, with counts from zero)
//   quit
//
// Several pipe instances always stand ready, so a client never finds the pipe busy between two
// opens. Test companion only; never shipped.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kStandingInstances = 6;
constexpr DWORD kBufferSize = 65536;
constexpr auto kWaitTimeout = std::chrono::seconds(10);

struct TDevice;

struct TConnection {
  HANDLE Pipe = INVALID_HANDLE_VALUE;
  bool Connected = false;
  bool Broken = false;
};

struct TDevice {
  std::wstring Path;
  HANDLE Closed = nullptr;  // manual-reset event: the device went away
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<std::shared_ptr<TConnection>> Connections;
  std::size_t Live = 0;
  std::size_t Total = 0;
  std::vector<std::string> Received;
  bool IsClosed = false;
};

std::map<std::string, std::shared_ptr<TDevice>> GDevices;

std::string Hex(const BYTE* AData, DWORD ALength) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (DWORD i = 0; i < ALength; ++i) {
    text += kDigits[AData[i] >> 4];
    text += kDigits[AData[i] & 15];
  }
  return text.empty() ? "-" : text;
}

std::vector<BYTE> FromHex(const std::string& AText) {
  std::vector<BYTE> bytes;
  if (AText == "-") {
    return bytes;
  }
  for (std::size_t i = 0; i + 1 < AText.size(); i += 2) {
    bytes.push_back(static_cast<BYTE>(std::stoul(AText.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Waits for an overlapped operation or for the device to go away; false when it went away (the
// operation is then cancelled and finished).
bool Await(TDevice& ADevice, HANDLE APipe, OVERLAPPED& AOverlapped) {
  HANDLE handles[2] = {AOverlapped.hEvent, ADevice.Closed};
  const DWORD wait = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (wait == WAIT_OBJECT_0) {
    return true;
  }
  ::CancelIoEx(APipe, &AOverlapped);
  DWORD ignored = 0;
  ::GetOverlappedResult(APipe, &AOverlapped, &ignored, TRUE);
  return false;
}

void StartInstance(const std::shared_ptr<TDevice>& ADevice);

// One pipe instance: waits for its client, then records every message the client writes until
// the client closes it or the device goes away.
void ServeInstance(std::shared_ptr<TDevice> ADevice, std::shared_ptr<TConnection> AConnection) {
  TDevice& device = *ADevice;
  HANDLE pipe = AConnection->Pipe;
  OVERLAPPED overlapped{};
  overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool connected = false;
  if (::ConnectNamedPipe(pipe, &overlapped)) {
    connected = true;
  } else if (::GetLastError() == ERROR_PIPE_CONNECTED) {
    connected = true;
  } else if (::GetLastError() == ERROR_IO_PENDING) {
    DWORD ignored = 0;
    connected = Await(device, pipe, overlapped) &&
                ::GetOverlappedResult(pipe, &overlapped, &ignored, FALSE);
  }
  if (connected) {
    {
      std::lock_guard lock(device.Lock);
      AConnection->Connected = true;
      ++device.Live;
      ++device.Total;
    }
    device.Changed.notify_all();
    StartInstance(ADevice);  // keep the standing instances
    std::vector<BYTE> buffer(kBufferSize);
    for (;;) {
      ::ResetEvent(overlapped.hEvent);
      DWORD read = 0;
      BOOL ok = ::ReadFile(pipe, buffer.data(), kBufferSize, &read, &overlapped);
      if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        if (!Await(device, pipe, overlapped)) {
          break;
        }
        ok = ::GetOverlappedResult(pipe, &overlapped, &read, FALSE);
      }
      if (!ok) {
        break;  // the client closed its handle
      }
      {
        std::lock_guard lock(device.Lock);
        device.Received.push_back(Hex(buffer.data(), read));
      }
      device.Changed.notify_all();
    }
    {
      std::lock_guard lock(device.Lock);
      AConnection->Broken = true;
      --device.Live;
    }
    device.Changed.notify_all();
  }
  {
    std::lock_guard lock(device.Lock);
    ::CloseHandle(pipe);
    AConnection->Pipe = INVALID_HANDLE_VALUE;
    AConnection->Broken = true;
  }
  ::CloseHandle(overlapped.hEvent);
}

void StartInstance(const std::shared_ptr<TDevice>& ADevice) {
  auto connection = std::make_shared<TConnection>();
  {
    std::lock_guard lock(ADevice->Lock);
    if (ADevice->IsClosed) {
      return;
    }
    connection->Pipe =
        ::CreateNamedPipeW(ADevice->Path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                           PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                           PIPE_UNLIMITED_INSTANCES, kBufferSize, kBufferSize, 0, nullptr);
    if (connection->Pipe == INVALID_HANDLE_VALUE) {
      std::fprintf(stderr, "CreateNamedPipeW failed: %lu\n", ::GetLastError());
      return;
    }
    ADevice->Connections.push_back(connection);
  }
  std::thread(ServeInstance, ADevice, connection).detach();
}

std::string Serve(const std::string& AName) {
  if (const auto found = GDevices.find(AName); found != GDevices.end()) {
    std::lock_guard lock(found->second->Lock);
    if (!found->second->IsClosed) {
      return "error already served";
    }
    // A closed device comes back as a new one: fresh counts, fresh pipe instances.
  }
  auto device = std::make_shared<TDevice>();
  device->Path = L"\\\\.\\pipe\\" + std::wstring(AName.begin(), AName.end());
  device->Closed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  GDevices[AName] = device;
  for (int i = 0; i < kStandingInstances; ++i) {
    StartInstance(device);
  }
  return "ok";
}

std::shared_ptr<TDevice> Find(const std::string& AName) {
  const auto found = GDevices.find(AName);
  return found == GDevices.end() ? nullptr : found->second;
}

std::string Wait(TDevice& ADevice, std::size_t ALive, std::size_t ATotal) {
  std::unique_lock lock(ADevice.Lock);
  const bool reached = ADevice.Changed.wait_for(
      lock, kWaitTimeout, [&] { return ADevice.Live == ALive && ADevice.Total == ATotal; });
  if (reached) {
    return "ok";
  }
  return "timeout live=" + std::to_string(ADevice.Live) + " total=" + std::to_string(ADevice.Total);
}

std::string Send(TDevice& ADevice, const std::vector<BYTE>& AReport) {
  // Duplicates, so that an instance closing its pipe meanwhile cannot pull a handle from under us.
  std::vector<HANDLE> pipes;
  {
    std::lock_guard lock(ADevice.Lock);
    for (const auto& connection : ADevice.Connections) {
      HANDLE duplicate = nullptr;
      if (connection->Connected && !connection->Broken &&
          ::DuplicateHandle(::GetCurrentProcess(), connection->Pipe, ::GetCurrentProcess(),
                            &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        pipes.push_back(duplicate);
      }
    }
  }
  int written = 0;
  for (HANDLE pipe : pipes) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD count = 0;
    BOOL ok =
        ::WriteFile(pipe, AReport.data(), static_cast<DWORD>(AReport.size()), &count, &overlapped);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
      ok = ::GetOverlappedResult(pipe, &overlapped, &count, TRUE);
    }
    ::CloseHandle(overlapped.hEvent);
    ::CloseHandle(pipe);
    if (ok) {
      ++written;
    }
  }
  return "ok " + std::to_string(written);
}

std::string Writes(TDevice& ADevice, std::size_t ACount) {
  std::unique_lock lock(ADevice.Lock);
  if (!ADevice.Changed.wait_for(lock, kWaitTimeout,
                                [&] { return ADevice.Received.size() >= ACount; })) {
    return "timeout " + std::to_string(ADevice.Received.size());
  }
  std::string reply = "ok";
  for (const auto& report : ADevice.Received) {
    reply += " " + report;
  }
  return reply;
}

std::string Close(TDevice& ADevice) {
  {
    std::lock_guard lock(ADevice.Lock);
    ADevice.IsClosed = true;
  }
  ::SetEvent(ADevice.Closed);
  // Every instance thread closes its pipe; wait until they have.
  std::unique_lock lock(ADevice.Lock);
  ADevice.Changed.wait_for(lock, kWaitTimeout, [&] { return ADevice.Live == 0; });
  return "ok";
}

std::string Run(const std::string& ALine) {
  std::istringstream words(ALine);
  std::string command;
  std::string name;
  words >> command >> name;
  if (command == "serve") {
    return Serve(name);
  }
  const auto device = Find(name);
  if (!device) {
    return "error unknown device";
  }
  if (command == "wait") {
    std::size_t live = 0;
    std::size_t total = 0;
    words >> live >> total;
    return Wait(*device, live, total);
  }
  if (command == "send") {
    std::string hex;
    words >> hex;
    return Send(*device, FromHex(hex));
  }
  if (command == "writes") {
    std::size_t count = 0;
    words >> count;
    return Writes(*device, count);
  }
  if (command == "close") {
    return Close(*device);
  }
  return "error unknown command";
}

}  // namespace

int main() {
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  std::string pending;
  char buffer[4096];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(input, buffer, sizeof(buffer), &read, nullptr) || read == 0) {
      return 0;  // the test went away
    }
    pending.append(buffer, read);
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      if (line == "quit") {
        return 0;
      }
      const std::string reply = Run(line) + "\n";
      DWORD written = 0;
      ::WriteFile(output, reply.data(), static_cast<DWORD>(reply.size()), &written, nullptr);
    }
  }
}
