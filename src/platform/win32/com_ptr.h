// Owners of COM references and of the calling thread's COM initialisation.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <utility>

#include "platform/win32/late_bound_system.h"

namespace mon::win32 {

// Holds one reference to a COM object and releases it once. Copies add a reference.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }

  TComPtr(const TComPtr& AOther) : FPointer(AOther.FPointer) {
    if (FPointer != nullptr) {
      FPointer->AddRef();
    }
  }
  TComPtr(TComPtr&& AOther) noexcept : FPointer(std::exchange(AOther.FPointer, nullptr)) {}
  TComPtr& operator=(TComPtr AOther) noexcept {
    std::swap(FPointer, AOther.FPointer);
    return *this;
  }

  // Takes over a reference the caller owns (as a creating call returns it).
  static TComPtr Attach(T* APointer) {
    TComPtr result;
    result.FPointer = APointer;
    return result;
  }
  // Adds a reference of its own to an object the caller merely points to.
  static TComPtr Share(T* APointer) {
    if (APointer != nullptr) {
      APointer->AddRef();
    }
    return Attach(APointer);
  }

  T* Get() const { return FPointer; }
  T* operator->() const { return FPointer; }
  explicit operator bool() const { return FPointer != nullptr; }

  // The slot for an out-parameter; the reference held before is released first.
  T** Put() {
    Reset();
    return &FPointer;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Reset() {
    if (FPointer != nullptr) {
      std::exchange(FPointer, nullptr)->Release();
    }
  }

 private:
  T* FPointer = nullptr;
};

// The calling thread's COM initialisation, balanced: leaving undoes an entry that took effect
// (also the "already initialised" one, which counts as well). An entry refused because the thread
// is already in another apartment leaves nothing to undo; COM is usable then all the same.
// Must be destroyed on the thread that created it.
class TComApartment {
 public:
  TComApartment() = default;
  static TComApartment EnterSingleThreaded() {
    TComApartment result;
    const TComFunctions& com = ComFunctions();
    result.FEntered = com.Bound && SUCCEEDED(com.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    return result;
  }
  ~TComApartment() { Leave(); }

  TComApartment(TComApartment&& AOther) noexcept
      : FEntered(std::exchange(AOther.FEntered, false)) {}
  TComApartment& operator=(TComApartment&& AOther) noexcept {
    if (this != &AOther) {
      Leave();
      FEntered = std::exchange(AOther.FEntered, false);
    }
    return *this;
  }
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;

  bool Entered() const { return FEntered; }

 private:
  void Leave() {
    if (std::exchange(FEntered, false)) {
      ComFunctions().CoUninitialize();  // bound: the entry needed it
    }
  }

  bool FEntered = false;
};

}  // namespace mon::win32
