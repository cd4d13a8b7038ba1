// Latency from an input report arriving at the device to OnData running: on the main thread
// (FastOnData false: the reader hands the report over and waits) and on the reader thread
// (FastOnData true). Native, over the scripted fake device; the main thread is pumped the way a
// message loop would, waking on the hand-over. Reports p50 and p99 in microseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

#include "fake_platform.h"
#include "hid/uiHIDData.h"

namespace mon {
namespace {

using TClock = std::chrono::steady_clock;

const std::u16string kPath = u"\\\\?\\hid#vid_1234&pid_5678&mi_01&col02#bench";

void Percentiles(benchmark::State& AState, std::vector<double>& ALatencies) {
  if (ALatencies.empty()) {
    return;
  }
  std::sort(ALatencies.begin(), ALatencies.end());
  auto at = [&](double AFraction) {
    return ALatencies[std::min(ALatencies.size() - 1,
                               static_cast<std::size_t>(AFraction * ALatencies.size()))];
  };
  AState.counters["p50_us"] = at(0.50);
  AState.counters["p99_us"] = at(0.99);
}

void ReportToOnData(benchmark::State& AState, bool AFastOnData) {
  testing::TFakePlatform platform;
  testing::TFakeHidInterfaceSetup setup;
  setup.Path = kPath;
  setup.HardwareIds = {u"HID\\VID_1234&PID_5678&MI_01&Col02"};
  setup.Caps = {0x0001, 0xFFA0, 8, 9, 65};
  platform.Hid.AddInterface(setup);

  TuiHIDData hid(nullptr, platform.Platform());
  hid.SetFastOnData(AFastOnData);
  std::atomic<std::uint64_t> delivered{0};
  std::atomic<TClock::rep> receivedAt{0};
  hid.SetOnData([&](const std::u16string&, const std::u16string&, std::uint8_t, const std::uint8_t*,
                    std::uint16_t) {
    receivedAt.store(TClock::now().time_since_epoch().count());
    delivered.fetch_add(1);
  });
  hid.HidFindAndReadDevice({0x0001, 0xFFA0}, u"*");
  platform.Hid.WaitForIdleReaders(kPath, 1);

  const std::vector<std::uint8_t> report = {0x07, 0x00, 0x00, 0x01, 0, 0, 0, 0};
  std::vector<double> latencies;
  for (auto _ : AState) {
    const std::uint64_t before = delivered.load();
    const TClock::time_point sent = TClock::now();
    platform.Hid.SendReport(kPath, report);
    while (delivered.load() == before) {
      if (!AFastOnData) {
        platform.MainThread.WaitForPending(std::chrono::seconds(1));
        platform.MainThread.RunPending();
      }
    }
    const TClock::time_point received{TClock::duration(receivedAt.load())};
    const double seconds = std::chrono::duration<double>(received - sent).count();
    AState.SetIterationTime(seconds);
    latencies.push_back(seconds * 1e6);
    // Until the reader waits again (not measured).
    platform.Hid.WaitForIdleReaders(kPath, 1);
  }
  Percentiles(AState, latencies);
  hid.HidStopRead();
}

void BM_ReportToOnDataOnMainThread(benchmark::State& AState) {
  ReportToOnData(AState, false);
}
BENCHMARK(BM_ReportToOnDataOnMainThread)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_ReportToOnDataOnReaderThread(benchmark::State& AState) {
  ReportToOnData(AState, true);
}
BENCHMARK(BM_ReportToOnDataOnReaderThread)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mon

BENCHMARK_MAIN();
