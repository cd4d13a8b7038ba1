// Move-only owners of Win32 handles.
#pragma once

#include <windows.h>

#include <utility>

namespace mon::win32 {

// Owns a kernel handle (file, event, mutex, thread) and closes it once.
class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(HANDLE AHandle) : FHandle(AHandle) {}
  ~TUniqueHandle() { Reset(); }

  TUniqueHandle(TUniqueHandle&& AOther) noexcept : FHandle(AOther.Release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& AOther) noexcept {
    if (this != &AOther) {
      Reset(AOther.Release());
    }
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;

  HANDLE Get() const { return FHandle; }
  // Both the null handle and INVALID_HANDLE_VALUE count as "no handle".
  bool IsValid() const { return FHandle != nullptr && FHandle != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return IsValid(); }

  HANDLE Release() { return std::exchange(FHandle, nullptr); }
  void Reset(HANDLE AHandle = nullptr) {
    if (IsValid()) {
      ::CloseHandle(FHandle);
    }
    FHandle = AHandle;
  }

 private:
  HANDLE FHandle = nullptr;
};

}  // namespace mon::win32
