// Saves profile files the way the profile programs do (the profile manager's current profile
// through its store, on the Windows file system), for the tests of interrupted and failing
// saves.
//   profile_saver save FILE SEED [COUNT]   makes the current profile a pseudo-random image (from
//                                          SEED) and saves it to FILE, COUNT times (default 1)
// Prints "saved" when every save succeeded, else "failed" (and the save's number). Exits with 0
// on success, 1 on a failed save, 2 on a usage error.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/win32/win32_platform.h"
#include "profiles/DMUnit.h"

namespace {

void FillPseudoRandom(void* ABuffer, std::size_t ASize, std::uint64_t ASeed) {
  auto* bytes = static_cast<std::uint8_t*>(ABuffer);
  std::uint64_t state = ASeed * 0x9E3779B97F4A7C15ull + 1;
  for (std::size_t i = 0; i < ASize; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    bytes[i] = static_cast<std::uint8_t>(state >> 24);
  }
}

int Save(const wchar_t* AFile, std::uint64_t ASeed, unsigned long ACount) {
  mon::win32::TWin32Platform backend;
  mon::TDM profiles(nullptr, backend.Platform());
  FillPseudoRandom(&profiles.FCurrentProfileInfo, sizeof profiles.FCurrentProfileInfo, ASeed);
  profiles.SaveBackToCurrentProfileInfo();
  const std::u16string file(reinterpret_cast<const char16_t*>(AFile));
  for (unsigned long i = 1; i <= ACount; ++i) {
    if (!profiles.SaveCurrentProfileInfoToFile(file)) {
      std::printf("failed %lu\n", i);
      return 1;
    }
  }
  std::printf("saved\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 4 && std::wcscmp(argv[1], L"save") == 0) {
    const unsigned long count = argc >= 5 ? std::wcstoul(argv[4], nullptr, 10) : 1;
    return Save(argv[2], std::wcstoull(argv[3], nullptr, 10), count);
  }
  std::fprintf(stderr, "usage: profile_saver save FILE SEED [COUNT]\n");
  return 2;
}
