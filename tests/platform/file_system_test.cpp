#include "platform/file_system.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace mon {
namespace {

TEST(PathTest, TrailingBackslashAndSplitting) {
  EXPECT_EQ(IncludeTrailingBackslash(u"C:\\Data"), u"C:\\Data\\");
  EXPECT_EQ(IncludeTrailingBackslash(u"C:\\Data\\"), u"C:\\Data\\");
  EXPECT_EQ(IncludeTrailingBackslash(u"/home/u/"), u"/home/u/");
  EXPECT_EQ(IncludeTrailingBackslash(u""), u"");
  const TPathParts parts = SplitPath(u"C:\\Users\\me\\Profile1.pfd");
  EXPECT_EQ(parts.Folder, u"C:\\Users\\me\\");
  EXPECT_EQ(parts.Name, u"Profile1.pfd");
  EXPECT_EQ(SplitPath(u"name.pfd").Folder, u"");
  EXPECT_EQ(SplitPath(u"/tmp/x").Folder, u"/tmp/");
}

TEST(MemoryFileSystemTest, BehavesLikeADiskWithCaseInsensitivePaths) {
  testing::TMemoryFileSystem files(u"C:\\App\\");
  EXPECT_TRUE(files.DirectoryExists(u"C:\\App"));
  EXPECT_TRUE(files.DirectoryExists(u"c:\\"));
  EXPECT_FALSE(files.MakeDirectory(u"C:\\App\\a\\b"));  // one level only
  EXPECT_TRUE(files.MakeDirectory(u"C:\\App\\a"));
  const std::vector<std::uint8_t> bytes{1, 2, 3};
  EXPECT_TRUE(files.WriteWholeFile(u"C:\\app\\A\\x.bin", bytes));
  EXPECT_FALSE(files.WriteWholeFile(u"C:\\App\\missing\\x.bin", bytes));
  EXPECT_TRUE(files.FileExists(u"C:/App/a/X.BIN"));
  EXPECT_EQ(files.ReadWholeFile(u"C:\\App\\a\\x.bin", 3), bytes);
  EXPECT_EQ(files.ReadWholeFile(u"C:\\App\\a\\x.bin", 2), std::nullopt);
}

}  // namespace
}  // namespace mon
