// Start-up of the profile manager on a populated in-memory registry: five 121408-byte profiles,
// the profile-group record and the all-settings record. The second benchmark does only the
// seven registry reads, as the floor start-up cannot go below.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "fake_platform.h"
#include "framework/text.h"
#include "profiles/DMUnit.h"

namespace mon {
namespace {

constexpr char16_t kFolder[] = u"software\\software\\KORVALDZ314GM";

template <class T>
std::vector<std::uint8_t> ImageOf(const T& ARecord) {
  std::vector<std::uint8_t> bytes(sizeof(T));
  std::memcpy(bytes.data(), &ARecord, sizeof(T));
  return bytes;
}

std::u16string ProfileName(int AIndex) {
  std::u16string name(u"Profile");
  name += IntToText(AIndex + 1);
  name += u".pfd";
  return name;
}

void Populate(testing::TFakePlatform& APlatform) {
  auto group = std::make_unique<TProfileSettingGroup>();
  for (int i = 0; i < kGameProfileCount; ++i) {
    WriteFixedText(group->ProfileSettingList[i].szProfileFileName, ProfileName(i));
  }
  APlatform.Registry.SetValue(kRegistryCurrentUser, kFolder, kProfileSettingGroupValueName,
                              kRegistryBinary, ImageOf(*group));
  auto all = std::make_unique<TALLGAMESINFO>();
  all->CurrentGame = 2;
  APlatform.Registry.SetValue(kRegistryCurrentUser, kFolder, kAllSettingsValueName, kRegistryBinary,
                              ImageOf(*all));
  for (int i = 0; i < kGameProfileCount; ++i) {
    auto profile = std::make_unique<TMouseProfileInfo>();
    std::memset(profile.get(), 0x40 + i, sizeof(TMouseProfileInfo));
    APlatform.Registry.SetValue(kRegistryCurrentUser, kFolder, ProfileName(i), kRegistryBinary,
                                ImageOf(*profile));
  }
}

void BM_DataModuleCreate(benchmark::State& AState) {
  testing::TFakePlatform platform;
  Populate(platform);
  auto dm = std::make_unique<TDM>(nullptr, platform.Platform());
  for (auto _ : AState) {
    dm->DataModuleCreate(*dm);
    benchmark::DoNotOptimize(dm->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[0].nFunctionCode);
  }
  AState.SetBytesProcessed(
      static_cast<std::int64_t>(AState.iterations()) *
      (5 * sizeof(TMouseProfileInfo) + sizeof(TProfileSettingGroup) + sizeof(TALLGAMESINFO)));
}
BENCHMARK(BM_DataModuleCreate)->Unit(benchmark::kMicrosecond);

// The whole object: allocation, wiring and DataModuleCreate.
void BM_TDMConstruction(benchmark::State& AState) {
  testing::TFakePlatform platform;
  Populate(platform);
  for (auto _ : AState) {
    auto dm = std::make_unique<TDM>(nullptr, platform.Platform());
    benchmark::DoNotOptimize(dm.get());
  }
}
BENCHMARK(BM_TDMConstruction)->Unit(benchmark::kMicrosecond);

// Only the seven reads from the in-memory registry, into buffers of their own.
void BM_RegistryReadsOnly(benchmark::State& AState) {
  testing::TFakePlatform platform;
  Populate(platform);
  std::vector<std::u16string> names{kProfileSettingGroupValueName, kAllSettingsValueName};
  for (int i = 0; i < kGameProfileCount; ++i) {
    names.push_back(ProfileName(i));
  }
  for (auto _ : AState) {
    auto key =
        platform.Registry.OpenKey(kRegistryCurrentUser, kFolder, true, TRegistryAccess::Read);
    for (const auto& name : names) {
      const auto info = key->QueryValue(name);
      std::vector<std::uint8_t> bytes(info->Size);
      benchmark::DoNotOptimize(key->ReadValue(name, bytes));
      benchmark::DoNotOptimize(bytes.data());
    }
  }
}
BENCHMARK(BM_RegistryReadsOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mon

BENCHMARK_MAIN();
