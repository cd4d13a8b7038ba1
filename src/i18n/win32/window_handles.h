// Move-only owners of the user-interface objects of the translation editor's windows.
#pragma once

#include <windows.h>

#include <utility>

namespace mon::win32 {

// Owns a GDI object (font, brush, bitmap) and deletes it once.
template <typename THandle>
class TUniqueGdiObject {
 public:
  TUniqueGdiObject() = default;
  explicit TUniqueGdiObject(THandle AHandle) : FHandle(AHandle) {}
  ~TUniqueGdiObject() { Reset(); }

  TUniqueGdiObject(TUniqueGdiObject&& AOther) noexcept : FHandle(AOther.Release()) {}
  TUniqueGdiObject& operator=(TUniqueGdiObject&& AOther) noexcept {
    if (this != &AOther) {
      Reset(AOther.Release());
    }
    return *this;
  }
  TUniqueGdiObject(const TUniqueGdiObject&) = delete;
  TUniqueGdiObject& operator=(const TUniqueGdiObject&) = delete;

  THandle Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != nullptr; }
  THandle Release() { return std::exchange(FHandle, nullptr); }
  void Reset(THandle AHandle = nullptr) {
    if (FHandle != nullptr) {
      ::DeleteObject(FHandle);
    }
    FHandle = AHandle;
  }

 private:
  THandle FHandle = nullptr;
};

using TUniqueFont = TUniqueGdiObject<HFONT>;

// Owns a window and destroys it (with its children) once. A window that is destroyed otherwise
// (by the user closing it) must be let go with Release from its WM_NCDESTROY.
class TUniqueWindow {
 public:
  TUniqueWindow() = default;
  explicit TUniqueWindow(HWND AWindow) : FWindow(AWindow) {}
  ~TUniqueWindow() { Reset(); }

  TUniqueWindow(TUniqueWindow&& AOther) noexcept : FWindow(AOther.Release()) {}
  TUniqueWindow& operator=(TUniqueWindow&& AOther) noexcept {
    if (this != &AOther) {
      Reset(AOther.Release());
    }
    return *this;
  }
  TUniqueWindow(const TUniqueWindow&) = delete;
  TUniqueWindow& operator=(const TUniqueWindow&) = delete;

  HWND Get() const { return FWindow; }
  explicit operator bool() const { return FWindow != nullptr; }
  HWND Release() { return std::exchange(FWindow, nullptr); }
  void Reset(HWND AWindow = nullptr) {
    const HWND old = std::exchange(FWindow, AWindow);
    if (old != nullptr && ::IsWindow(old)) {
      ::DestroyWindow(old);
    }
  }

 private:
  HWND FWindow = nullptr;
};

// The font of message boxes and dialogs on this system (what a dialog's controls would use),
// or the stock GUI font when the system does not say.
TUniqueFont CreateMessageFont();

}  // namespace mon::win32
