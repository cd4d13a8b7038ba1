// The one move-only owner of Win32 resources: kernel handles, modules, registry keys, icons,
// menus, GDI objects and device contexts, device notifications, and the handles of libraries
// bound at run time. Each frees its resource once, the way its kind is freed.
#pragma once

#include <windows.h>

#include <utility>

namespace mon::win32 {

// TRelease says which values are no resource (IsValid) and how one is freed (Free). It may carry
// what freeing needs (the window of a window DC, a function bound at run time); most kinds need
// nothing and take no room.
template <typename THandle, typename TRelease>
class TUniqueResource {
 public:
  TUniqueResource() = default;
  explicit TUniqueResource(THandle AHandle, TRelease ARelease = {})
      : FHandle(AHandle), FRelease(std::move(ARelease)) {}
  ~TUniqueResource() { Reset(); }

  TUniqueResource(TUniqueResource&& AOther) noexcept
      : FHandle(AOther.Release()), FRelease(std::move(AOther.FRelease)) {}
  TUniqueResource& operator=(TUniqueResource&& AOther) noexcept {
    if (this != &AOther) {
      Reset(AOther.Release());
      FRelease = std::move(AOther.FRelease);
    }
    return *this;
  }
  TUniqueResource(const TUniqueResource&) = delete;
  TUniqueResource& operator=(const TUniqueResource&) = delete;

  THandle Get() const { return FHandle; }
  bool IsValid() const { return FRelease.IsValid(FHandle); }
  explicit operator bool() const { return IsValid(); }

  // Gives the resource up without freeing it.
  THandle Release() { return std::exchange(FHandle, THandle{}); }
  // Frees the resource held (if any) and holds AHandle instead.
  void Reset(THandle AHandle = THandle{}) {
    const THandle old = std::exchange(FHandle, AHandle);
    if (FRelease.IsValid(old)) {
      FRelease.Free(old);
    }
  }

 private:
  THandle FHandle{};
  [[no_unique_address]] TRelease FRelease{};
};

// A release whose resources are non-null and freed by one function of the system.
template <typename THandle, auto AFree>
struct TReleaseWith {
  static bool IsValid(THandle AHandle) { return AHandle != nullptr; }
  static void Free(THandle AHandle) { AFree(AHandle); }
};

struct TKernelHandleRelease {
  // Both the null handle and INVALID_HANDLE_VALUE count as "no handle".
  static bool IsValid(HANDLE AHandle) {
    return AHandle != nullptr && AHandle != INVALID_HANDLE_VALUE;
  }
  static void Free(HANDLE AHandle) { ::CloseHandle(AHandle); }
};

// A DC of a window (GetDC) goes back to that window.
struct TWindowDCRelease {
  HWND Window = nullptr;
  static bool IsValid(HDC ADC) { return ADC != nullptr; }
  void Free(HDC ADC) const { ::ReleaseDC(Window, ADC); }
};

// A kernel handle (file, event, mutex, thread).
using TUniqueHandle = TUniqueResource<HANDLE, TKernelHandleRelease>;
using TUniqueModule = TUniqueResource<HMODULE, TReleaseWith<HMODULE, ::FreeLibrary>>;
using TUniqueRegistryKey = TUniqueResource<HKEY, TReleaseWith<HKEY, ::RegCloseKey>>;
using TUniqueIcon = TUniqueResource<HICON, TReleaseWith<HICON, ::DestroyIcon>>;
using TUniqueMenu = TUniqueResource<HMENU, TReleaseWith<HMENU, ::DestroyMenu>>;
using TUniqueDeviceNotification =
    TUniqueResource<HDEVNOTIFY, TReleaseWith<HDEVNOTIFY, ::UnregisterDeviceNotification>>;
// GDI objects: fonts, bitmaps, brushes, pens.
template <typename TObject>
using TUniqueGdiObject = TUniqueResource<TObject, TReleaseWith<HGDIOBJ, ::DeleteObject>>;
using TUniqueFont = TUniqueGdiObject<HFONT>;
using TUniqueBitmap = TUniqueGdiObject<HBITMAP>;
// A memory DC (CreateCompatibleDC) and a window's DC (GetDC).
using TUniqueMemoryDC = TUniqueResource<HDC, TReleaseWith<HDC, ::DeleteDC>>;
using TUniqueWindowDC = TUniqueResource<HDC, TWindowDCRelease>;

}  // namespace mon::win32
