// Libraries loaded by full path with LoadLibraryExW, never through a search of folders.
#pragma once

#include "platform/dynamic_library.h"

namespace mon::win32 {

class TWin32DynamicLibraries final : public TDynamicLibraries {
 public:
  TLibraryHandle OpenLibrary(const std::u16string& APath) override;
  TExportAddress FindExport(TLibraryHandle ALibrary, const char* AName) override;
  void CloseLibrary(TLibraryHandle ALibrary) override;
};

// True for "X:\..." (or "X:/...") and for network paths "\\server\...".
bool IsFullPath(const std::u16string& APath);

}  // namespace mon::win32
