// Move-only owners of Win32 handles: each frees its handle once, the way its kind is freed.
#pragma once

#include <windows.h>

#include <utility>

namespace mon::win32 {

// TRelease says which values are no handle (IsValid) and how a handle is freed (Free).
template <typename THandle, typename TRelease>
class TUniqueResource {
 public:
  TUniqueResource() = default;
  explicit TUniqueResource(THandle AHandle) : FHandle(AHandle) {}
  ~TUniqueResource() { Reset(); }

  TUniqueResource(TUniqueResource&& AOther) noexcept : FHandle(AOther.Release()) {}
  TUniqueResource& operator=(TUniqueResource&& AOther) noexcept {
    if (this != &AOther) {
      Reset(AOther.Release());
    }
    return *this;
  }
  TUniqueResource(const TUniqueResource&) = delete;
  TUniqueResource& operator=(const TUniqueResource&) = delete;

  THandle Get() const { return FHandle; }
  bool IsValid() const { return TRelease::IsValid(FHandle); }
  explicit operator bool() const { return IsValid(); }

  THandle Release() { return std::exchange(FHandle, THandle{}); }
  void Reset(THandle AHandle = THandle{}) {
    const THandle old = std::exchange(FHandle, AHandle);
    if (TRelease::IsValid(old)) {
      TRelease::Free(old);
    }
  }

 private:
  THandle FHandle{};
};

struct TKernelHandleRelease {
  // Both the null handle and INVALID_HANDLE_VALUE count as "no handle".
  static bool IsValid(HANDLE AHandle) {
    return AHandle != nullptr && AHandle != INVALID_HANDLE_VALUE;
  }
  static void Free(HANDLE AHandle) { ::CloseHandle(AHandle); }
};

struct TGdiObjectRelease {
  static bool IsValid(HGDIOBJ AObject) { return AObject != nullptr; }
  static void Free(HGDIOBJ AObject) { ::DeleteObject(AObject); }
};

// A kernel handle (file, event, mutex, thread).
using TUniqueHandle = TUniqueResource<HANDLE, TKernelHandleRelease>;
// GDI objects.
using TUniqueFont = TUniqueResource<HFONT, TGdiObjectRelease>;

}  // namespace mon::win32
