#include "platform/win32/win32_dynamic_library.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/win32/wide.h"

namespace mon::win32 {

bool IsFullPath(const std::u16string& APath) {
  if (APath.size() >= 3 && APath[1] == u':' && IsPathSeparator(APath[2])) {
    const char16_t drive = APath[0];
    return (drive >= u'A' && drive <= u'Z') || (drive >= u'a' && drive <= u'z');
  }
  return APath.size() >= 3 && IsPathSeparator(APath[0]) && IsPathSeparator(APath[1]);
}

TLibraryHandle TWin32DynamicLibraries::OpenLibrary(const std::u16string& APath) {
  if (!IsFullPath(APath)) {
    return nullptr;
  }
  const std::wstring path = ToWide(APath);
  // The libraries the file itself imports come from its own folder and from System32 only.
  // Systems without these flags (Windows 7 before its loader update) refuse them with
  // ERROR_INVALID_PARAMETER; there the altered search order starts at the file's folder.
  HMODULE module = ::LoadLibraryExW(
      path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return module;
}

TExportAddress TWin32DynamicLibraries::FindExport(TLibraryHandle ALibrary, const char* AName) {
  if (ALibrary == nullptr || AName == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<TExportAddress>(::GetProcAddress(static_cast<HMODULE>(ALibrary), AName));
}

void TWin32DynamicLibraries::CloseLibrary(TLibraryHandle ALibrary) {
  if (ALibrary != nullptr) {
    ::FreeLibrary(static_cast<HMODULE>(ALibrary));
  }
}

}  // namespace mon::win32
