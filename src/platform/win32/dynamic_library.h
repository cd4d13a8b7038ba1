// Libraries bound at run time: a move-only owner of a module handle, loaded from the safe search
// path (the application's folder and the system folders, never the current directory).
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/unique_resource.h"

namespace mon::win32 {

class TDynamicLibrary {
 public:
  TDynamicLibrary() = default;

  // Loads AName with LOAD_LIBRARY_SEARCH_DEFAULT_DIRS. Where the system does not know that flag
  // (Windows 7 without its loader update) the library is loaded by its full path in the system
  // folder instead. An empty library when neither works.
  static TDynamicLibrary LoadSafely(const wchar_t* AName);

  bool IsLoaded() const { return FModule.IsValid(); }
  HMODULE Get() const { return FModule.Get(); }

  // The exported function AName as the function pointer type T; nullptr when it is missing.
  template <class T>
  T Function(const char* AName) const {
    if (!FModule) {
      return nullptr;
    }
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(FModule.Get(), AName)));
  }

 private:
  explicit TDynamicLibrary(HMODULE AModule) : FModule(AModule) {}

  TUniqueModule FModule;
};

inline TDynamicLibrary TDynamicLibrary::LoadSafely(const wchar_t* AName) {
  HMODULE module = ::LoadLibraryExW(AName, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      std::wstring path(folder, length);
      path += L'\\';
      path += AName;
      module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
  }
  return TDynamicLibrary(module);
}

}  // namespace mon::win32
