// The real file system of the system we run on, in a fresh temporary folder.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#else
#include <stdlib.h>

#include "platform/posix/posix_file_system.h"
#endif

#include "framework/text.h"

namespace mon {
namespace {

class NativeFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, base);
    FFolder = win32::FromWideBuffer(base, MAX_PATH + 1) + u"monfs" +
              IntToText(static_cast<std::int64_t>(::GetCurrentProcessId())) + u"\\";
    ASSERT_TRUE(FFiles.MakeDirectory(FFolder));
#else
    char pattern[] = "/tmp/monfsXXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    FFolder = Utf8ToUtf16(pattern) + u"\\";  // core texts use '\'; the backend maps it
#endif
  }
  void TearDown() override {
    for (const auto& name : FCreated) {
      FFiles.RemoveFile(FFolder + name);
    }
#ifdef _WIN32
    ::RemoveDirectoryW(win32::ToWide(FFolder + u"sub").c_str());
    ::RemoveDirectoryW(win32::ToWide(FFolder).c_str());
#else
    ::rmdir(posix::ToNativePath(FFolder + u"sub").c_str());
    ::rmdir(posix::ToNativePath(FFolder).c_str());
#endif
  }

#ifdef _WIN32
  win32::TWin32FileSystem FFiles;
#else
  posix::TPosixFileSystem FFiles;
#endif
  std::u16string FFolder;
  std::vector<std::u16string> FCreated;
};

TEST_F(NativeFileSystemTest, WriteReplacesTheWholeFileAndLeavesNoTemporaryBehind) {
  const std::u16string path = FFolder + u"profile.pfd";
  FCreated.push_back(u"profile.pfd");
  const std::vector<std::uint8_t> large(10000, 0xAB);
  const std::vector<std::uint8_t> small{1, 2, 3};
  ASSERT_TRUE(FFiles.WriteWholeFile(path, large));
  ASSERT_TRUE(FFiles.WriteWholeFile(path, small));
  EXPECT_EQ(FFiles.ReadWholeFile(path, 1 << 20), small);
  EXPECT_TRUE(FFiles.FileExists(path));
  EXPECT_FALSE(FFiles.DirectoryExists(path));
#ifdef _WIN32
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileW(win32::ToWide(FFolder + u"*.tmp").c_str(), &data);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE);
  if (find != INVALID_HANDLE_VALUE) {
    ::FindClose(find);
  }
#endif
}

TEST_F(NativeFileSystemTest, ReadRefusesFilesAboveTheLimitAndMissingFiles) {
  const std::u16string path = FFolder + u"big.bin";
  FCreated.push_back(u"big.bin");
  ASSERT_TRUE(FFiles.WriteWholeFile(path, std::vector<std::uint8_t>(100, 7)));
  EXPECT_EQ(FFiles.ReadWholeFile(path, 99), std::nullopt);
  EXPECT_EQ(FFiles.ReadWholeFile(path, 100)->size(), 100u);
  EXPECT_EQ(FFiles.ReadWholeFile(FFolder + u"none.bin", 100), std::nullopt);
}

TEST_F(NativeFileSystemTest, WriteIntoAMissingFolderFailsAndFoldersAreMadeOneLevelAtATime) {
  EXPECT_FALSE(FFiles.WriteWholeFile(FFolder + u"nowhere\\x.bin", std::vector<std::uint8_t>{1}));
  EXPECT_FALSE(FFiles.MakeDirectory(FFolder + u"sub\\deeper"));
  EXPECT_TRUE(FFiles.MakeDirectory(FFolder + u"sub"));
  EXPECT_TRUE(FFiles.MakeDirectory(FFolder + u"sub"));  // already there
  EXPECT_TRUE(FFiles.DirectoryExists(FFolder + u"sub"));
}

TEST_F(NativeFileSystemTest, ExecutableFolderEndsWithASeparatorAndExists) {
  const std::u16string folder = FFiles.ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(IsPathSeparator(folder.back()));
  EXPECT_TRUE(FFiles.DirectoryExists(folder));
}

}  // namespace
}  // namespace mon
