// report_latency: how long an input report takes from the mouse to the monitor's handler on the
// Linux backend, measured side by side with a bare read of the same node in one run. Runs under
// umockdev-wrapper: it makes the simulated mouse (sim_hidraw_mouse's device) in a testbed and
// writes one report every few milliseconds, its sequence number in the report.
//
//   bare     a thread that polls and reads the node itself (the floor: the emulation's cost)
//   monitor  the monitor's path: the HID component's reader (poll with an eventfd stop, one read
//            per report), the hand-over to the main thread through the GLib loop, the handler
//
// Prints p50, p99 and the largest latency of each in microseconds.
//   umockdev-wrapper report_latency [REPORTS]
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/shared_definitions.h"
#include "hid/uiHIDData.h"
#include "hidraw_testbed.h"
#include "mouse_descriptor.h"
#include "platform/linux/linux_platform.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr auto kReportInterval = std::chrono::milliseconds(4);

std::int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(TClock::now().time_since_epoch())
      .count();
}

// The send times of the reports, by sequence number; written by the writer, read by a reader.
class TSendTimes {
 public:
  explicit TSendTimes(std::size_t ACount) : FTimes(ACount) {}
  void Sent(std::size_t ASequence, std::int64_t AUs) { FTimes[ASequence].store(AUs); }
  std::int64_t SentAt(std::size_t ASequence) const { return FTimes[ASequence].load(); }
  std::size_t Count() const { return FTimes.size(); }

 private:
  std::vector<std::atomic<std::int64_t>> FTimes;
};

// Report 7 of the vendor collection: no key down, the sequence number in its last four bytes.
std::array<std::uint8_t, 8> Report(std::uint32_t ASequence) {
  return {7,
          0,
          0,
          0,
          static_cast<std::uint8_t>(ASequence),
          static_cast<std::uint8_t>(ASequence >> 8),
          static_cast<std::uint8_t>(ASequence >> 16),
          static_cast<std::uint8_t>(ASequence >> 24)};
}

std::uint32_t SequenceOf(const std::uint8_t* AData) {  // the data after the report ID
  return static_cast<std::uint32_t>(AData[3]) | static_cast<std::uint32_t>(AData[4]) << 8 |
         static_cast<std::uint32_t>(AData[5]) << 16 | static_cast<std::uint32_t>(AData[6]) << 24;
}

void WriteReports(mon::testing::THidrawTestbed& ATestbed, const std::string& ANode,
                  TSendTimes& ATimes) {
  // Paced: the emulated node is a byte stream, and a reader asks for one report per read.
  auto next = TClock::now();
  for (std::uint32_t sequence = 0; sequence < ATimes.Count(); ++sequence) {
    next += kReportInterval;
    std::this_thread::sleep_until(next);
    ATimes.Sent(sequence, NowUs());
    const auto report = Report(sequence);
    ATestbed.SendReport(ANode, report);
  }
}

void Print(const char* AName, std::vector<std::int64_t> ALatencies, std::size_t AExpected) {
  if (ALatencies.empty()) {
    std::printf("%-8s no report arrived\n", AName);
    return;
  }
  std::sort(ALatencies.begin(), ALatencies.end());
  auto at = [&](double AShare) {
    return ALatencies[std::min(ALatencies.size() - 1,
                               static_cast<std::size_t>(AShare * ALatencies.size()))];
  };
  std::printf("%-8s reports %zu/%zu  p50 %lld us  p99 %lld us  max %lld us\n", AName,
              ALatencies.size(), AExpected, static_cast<long long>(at(0.50)),
              static_cast<long long>(at(0.99)), static_cast<long long>(ALatencies.back()));
}

std::vector<std::int64_t> BareReads(mon::testing::THidrawTestbed& ATestbed,
                                    const std::string& ANode, std::size_t ACount) {
  TSendTimes times(ACount);
  std::vector<std::int64_t> latencies;
  const int fd = ::open(ANode.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return latencies;
  }
  std::thread writer([&] { WriteReports(ATestbed, ANode, times); });
  std::array<std::uint8_t, 8> report{};
  pollfd readable{fd, POLLIN, 0};
  while (latencies.size() < ACount && ::poll(&readable, 1, 2000) > 0) {
    if (::read(fd, report.data(), report.size()) == static_cast<ssize_t>(report.size())) {
      const std::uint32_t sequence = SequenceOf(report.data() + 1);
      if (sequence < ACount) {
        latencies.push_back(NowUs() - times.SentAt(sequence));
      }
    }
  }
  writer.join();
  ::close(fd);
  return latencies;
}

std::vector<std::int64_t> MonitorReads(mon::testing::THidrawTestbed& ATestbed,
                                       const std::string& ANode, std::size_t ACount) {
  TSendTimes times(ACount);
  std::vector<std::int64_t> latencies;
  mon::lnx::TLinuxPlatform backend;
  mon::TuiHIDData hid(nullptr, backend.Platform());
  hid.SetOnData([&](const std::u16string&, const std::u16string&, std::uint8_t AReportID,
                    const std::uint8_t* AData, std::uint16_t ASize) {
    if (AReportID == 7 && ASize >= 7) {
      const std::uint32_t sequence = SequenceOf(AData);
      if (sequence < ACount) {
        latencies.push_back(NowUs() - times.SentAt(sequence));
      }
    }
  });
  hid.HidFindAndReadDevice(mon::kMouseVendorCollection, u"*");
  std::thread writer([&] {
    WriteReports(ATestbed, ANode, times);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the last ones arrive
    mon::TStopSource never;
    backend.Loop().MainThread().RunAndWait([&] { backend.Loop().Quit(); }, never.Token());
  });
  backend.Loop().Run();
  writer.join();
  return latencies;
}

}  // namespace

int main(int AArgCount, char** AArgs) {
  const std::size_t count = AArgCount > 1 ? std::strtoul(AArgs[1], nullptr, 10) : 2000;
  mon::testing::THidrawTestbed testbed;
  const std::string node =
      testbed.Add({0x0003, mon::testing::kSimMouseVendor, mon::testing::kSimMouseProduct,
                   mon::testing::kSimMouseInterface, mon::testing::SimMouseDescriptor()});
  if (node.empty()) {
    std::fprintf(stderr, "report_latency: no testbed (run it under umockdev-wrapper)\n");
    return 1;
  }
  Print("bare", BareReads(testbed, node, count), count);
  Print("monitor", MonitorReads(testbed, node, count), count);
  return 0;
}
