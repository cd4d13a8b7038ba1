// Shared objects loaded by absolute path with dlopen.
#pragma once

#include "platform/dynamic_library.h"

namespace mon::posix {

class TPosixDynamicLibraries final : public TDynamicLibraries {
 public:
  TLibraryHandle OpenLibrary(const std::u16string& APath) override;
  TExportAddress FindExport(TLibraryHandle ALibrary, const char* AName) override;
  void CloseLibrary(TLibraryHandle ALibrary) override;
};

}  // namespace mon::posix
