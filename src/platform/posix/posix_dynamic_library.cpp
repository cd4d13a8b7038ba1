#include "platform/posix/posix_dynamic_library.h"

#include <dlfcn.h>

#include "platform/posix/posix_file_system.h"

namespace mon::posix {

TLibraryHandle TPosixDynamicLibraries::OpenLibrary(const std::u16string& APath) {
  const std::string path = ToNativePath(APath);
  // dlopen searches only for names without a '/'; an absolute path is taken as it is.
  if (path.empty() || path.front() != '/') {
    return nullptr;
  }
  return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

TExportAddress TPosixDynamicLibraries::FindExport(TLibraryHandle ALibrary, const char* AName) {
  if (ALibrary == nullptr || AName == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<TExportAddress>(::dlsym(ALibrary, AName));
}

void TPosixDynamicLibraries::CloseLibrary(TLibraryHandle ALibrary) {
  if (ALibrary != nullptr) {
    ::dlclose(ALibrary);
  }
}

}  // namespace mon::posix
