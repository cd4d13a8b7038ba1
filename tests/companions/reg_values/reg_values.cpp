// Plants registry values of any type and size, and prints a digest of every value under a key,
// so a test can see from outside that a program left values byte for byte as they were (`reg`
// cannot write 64 MiB, nor print binary data compactly).
//   reg_values set KEY NAME TYPE SIZE SEED   writes SIZE pseudo-random bytes (from SEED) of TYPE
//                                           (a number: 1 text, 3 binary, 4 32-bit integer, ...)
//                                           as NAME under HKEY_CURRENT_USER\KEY
//   reg_values digest KEY                   prints "NAME TYPE SIZE HASH" for each value under
//                                           HKEY_CURRENT_USER\KEY, sorted by name
// Exits with 0 on success, 1 on a registry failure, 2 on a usage error.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

class TKey {
 public:
  explicit TKey(const wchar_t* APath) {
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, APath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                          &FKey, nullptr) != ERROR_SUCCESS) {
      FKey = nullptr;
    }
  }
  ~TKey() {
    if (FKey != nullptr) {
      ::RegCloseKey(FKey);
    }
  }
  TKey(const TKey&) = delete;
  TKey& operator=(const TKey&) = delete;
  HKEY Get() const { return FKey; }

 private:
  HKEY FKey = nullptr;
};

int Set(const wchar_t* AKey, const wchar_t* AName, DWORD AType, std::size_t ASize,
        std::uint64_t ASeed) {
  const TKey key(AKey);
  if (key.Get() == nullptr) {
    return 1;
  }
  std::vector<BYTE> bytes(ASize);
  std::uint64_t state = ASeed * 0x9E3779B97F4A7C15ull + 1;
  for (BYTE& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    byte = static_cast<BYTE>(state >> 24);
  }
  return ::RegSetValueExW(key.Get(), AName, 0, AType, bytes.data(),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS
             ? 0
             : 1;
}

int Digest(const wchar_t* AKey) {
  const TKey key(AKey);
  if (key.Get() == nullptr) {
    return 1;
  }
  std::vector<std::string> lines;
  std::vector<BYTE> data;
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384] = {};
    DWORD nameLength = 16384;
    DWORD type = 0;
    DWORD size = 0;
    LONG result =
        ::RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type, nullptr, &size);
    if (result == ERROR_NO_MORE_ITEMS) {
      break;
    }
    if (result != ERROR_SUCCESS) {
      return 1;
    }
    data.assign(size, 0);
    result = ::RegQueryValueExW(key.Get(), name, nullptr, &type, data.data(), &size);
    if (result != ERROR_SUCCESS) {
      return 1;
    }
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (DWORD i = 0; i < size; ++i) {
      hash = (hash ^ data[i]) * 1099511628211ull;
    }
    char line[17000] = {};
    std::snprintf(line, sizeof line, "%ls %lu %lu %016llx", name, type, size,
                  static_cast<unsigned long long>(hash));
    lines.emplace_back(line);
  }
  std::sort(lines.begin(), lines.end());
  for (const std::string& line : lines) {
    std::printf("%s\n", line.c_str());
  }
  return 0;
}

}  // namespace

int wmain(int AArgc, wchar_t** AArgv) {
  const std::wstring command = AArgc > 1 ? AArgv[1] : L"";
  if (command == L"set" && AArgc == 7) {
    return Set(AArgv[2], AArgv[3], static_cast<DWORD>(std::wcstoul(AArgv[4], nullptr, 10)),
               static_cast<std::size_t>(std::wcstoull(AArgv[5], nullptr, 10)),
               std::wcstoull(AArgv[6], nullptr, 10));
  }
  if (command == L"digest" && AArgc == 3) {
    return Digest(AArgv[2]);
  }
  return 2;
}
