#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace mon::win32 {

namespace {

class TWin32RegistryKey final : public TRegistryKey {
 public:
  TWin32RegistryKey(HKEY AKey, bool AWritable) : FKey(AKey), FWritable(AWritable) {}

  std::optional<TRegistryValueInfo> QueryValue(const std::u16string& AName) override {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (::RegQueryValueExW(FKey.Get(), ToWide(AName).c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return TRegistryValueInfo{type, size};
  }

  std::optional<TRegistryValueInfo> ReadValue(const std::u16string& AName,
                                              std::span<std::uint8_t> ABuffer) override {
    // A null data pointer would make the call report the size instead of failing, so an empty
    // buffer still passes a real (zero-length) one.
    BYTE empty = 0;
    BYTE* data = ABuffer.empty() ? &empty : ABuffer.data();
    DWORD size = static_cast<DWORD>(
        std::min<std::size_t>(ABuffer.size(), std::numeric_limits<DWORD>::max()));
    DWORD type = REG_NONE;
    if (::RegQueryValueExW(FKey.Get(), ToWide(AName).c_str(), nullptr, &type, data, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;  // missing, ERROR_MORE_DATA (grew meanwhile) or unreadable
    }
    return TRegistryValueInfo{type, size};
  }

  bool WriteValue(const std::u16string& AName, TRegistryValueType AType,
                  std::span<const std::uint8_t> AData) override {
    if (!FWritable || AData.size() > std::numeric_limits<DWORD>::max()) {
      return false;
    }
    return ::RegSetValueExW(FKey.Get(), ToWide(AName).c_str(), 0, AType,
                            AData.empty() ? nullptr : AData.data(),
                            static_cast<DWORD>(AData.size())) == ERROR_SUCCESS;
  }

 private:
  TUniqueRegistryKey FKey;
  bool FWritable;
};

HKEY PredefinedKey(TRegistryRoot ARoot) {
  switch (ARoot) {
    case kRegistryCurrentUser:
      return HKEY_CURRENT_USER;
    case kRegistryLocalMachine:
      return HKEY_LOCAL_MACHINE;
    default:
      return nullptr;
  }
}

}  // namespace

std::unique_ptr<TRegistryKey> TWin32Registry::OpenKey(TRegistryRoot ARoot,
                                                      const std::u16string& APath, bool ACreate,
                                                      TRegistryAccess AAccess) {
  const HKEY root = PredefinedKey(ARoot);
  if (root == nullptr) {
    return nullptr;
  }
  const bool writable = AAccess == TRegistryAccess::ReadWrite;
  const REGSAM access = writable ? KEY_READ | KEY_WRITE : KEY_READ;
  const std::wstring path = ToWide(APath);
  HKEY key = nullptr;
  const LONG result =
      ACreate ? ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                  nullptr, &key, nullptr)
              : ::RegOpenKeyExW(root, path.c_str(), 0, access, &key);
  if (result != ERROR_SUCCESS || key == nullptr) {
    return nullptr;
  }
  return std::make_unique<TWin32RegistryKey>(key, writable);
}

}  // namespace mon::win32
