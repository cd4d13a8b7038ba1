#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "framework/text.h"
#include "platform/file_system.h"
#include "platform/posix/posix_dynamic_library.h"

namespace mon {
namespace {

// The C library's file, as the loader found it for this process.
std::u16string CLibraryPath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&std::puts), &info) == 0 || info.dli_fname == nullptr) {
    return std::u16string();
  }
  return Utf8ToUtf16(info.dli_fname);
}

TEST(TPosixDynamicLibrariesTest, OpensByAbsolutePathOnlyAndFindsExports) {
  posix::TPosixDynamicLibraries libraries;
  const std::u16string path = CLibraryPath();
  ASSERT_FALSE(path.empty());
  ASSERT_EQ(path.front(), u'/');

  TLibraryHandle library = libraries.OpenLibrary(path);
  ASSERT_NE(library, nullptr);
  EXPECT_NE(libraries.FindExport(library, "puts"), nullptr);
  EXPECT_EQ(libraries.FindExport(library, "NoSuchExportAnywhere"), nullptr);
  EXPECT_EQ(libraries.FindExport(nullptr, "puts"), nullptr);
  libraries.CloseLibrary(library);
  libraries.CloseLibrary(nullptr);

  // A bare name would be looked up along the search path: refused.
  const std::u16string name = SplitPath(path).Name;
  EXPECT_EQ(libraries.OpenLibrary(name), nullptr);
  EXPECT_EQ(libraries.OpenLibrary(u""), nullptr);
  EXPECT_EQ(libraries.OpenLibrary(u"/nonexistent/folder/uiHook.dll"), nullptr);
}

}  // namespace
}  // namespace mon
