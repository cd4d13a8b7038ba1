#include "profiles/uiProfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <vector>

#include "fake_platform.h"
#include "record_bytes.h"
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_file_system.h"
using TNativeFileSystem = mon::win32::TWin32FileSystem;
static unsigned long ProcessId() {
  return ::GetCurrentProcessId();
}
#else
#include <unistd.h>

#include "platform/posix/posix_file_system.h"
using TNativeFileSystem = mon::posix::TPosixFileSystem;
static long ProcessId() {
  return ::getpid();
}
#endif

namespace mon {
namespace {

using testing::TFakePlatform;

constexpr char16_t kKey[] = u"software\\Test";
constexpr char16_t kValue[] = u"record.pfd";

using testing::Image;
using testing::Pattern;

// A store with a registry place and a folder, and counters for every event.
class ProfileStoreTest : public ::testing::Test {
 protected:
  ProfileStoreTest() : Store(nullptr, Platform.Files, Platform.Registry) {
    Store.SetRootKey(kRegistryCurrentUser);
    Store.SetKeyPath(kKey);
    Store.SetFileName(kValue);
    Platform.Files.AddDirectory(u"C:\\Data");
    Store.OnAfterLoadFromRegistry = [this](TMemoryStream&) { ++AfterLoads; };
    Store.OnAfterLoadFromFile = [this](TMemoryStream&) { ++AfterLoads; };
    Store.OnAfterSaveToRegistry = [this](TMemoryStream&) { ++AfterSaves; };
    Store.OnAfterSaveToFile = [this](TMemoryStream&) { ++AfterSaves; };
  }

  void WriteImage(const std::vector<std::uint8_t>& ABytes) {
    Store.Write(ABytes.data(), static_cast<std::int32_t>(ABytes.size()));
  }

  TFakePlatform Platform;
  TuiProfile Store;
  int AfterLoads = 0;
  int AfterSaves = 0;
};

TEST_F(ProfileStoreTest, WriteNeverTruncatesAndReadLeavesTheTailOfTheBuffer) {
  WriteImage(Pattern(100));
  const std::vector<std::uint8_t> ten(10, 0xEE);
  EXPECT_EQ(Store.Write(ten.data(), 10), 10);
  EXPECT_EQ(Store.Stream().Size(), 100);
  EXPECT_EQ(Store.Size(), 100);
  auto image = Image(Store);
  EXPECT_EQ(image[9], 0xEE);
  EXPECT_EQ(image[10], 11);  // the old bytes after the write stay

  std::vector<std::uint8_t> buffer(150, 0x55);
  EXPECT_EQ(Store.Read(buffer.data(), 150), 100);
  EXPECT_EQ(buffer[99], 100);
  EXPECT_EQ(buffer[100], 0x55);  // beyond the image: untouched
  EXPECT_EQ(Store.Read(buffer.data(), 0), 0);
}

TEST_F(ProfileStoreTest, SizeAssignmentResizesAndRefusesNonsense) {
  WriteImage(Pattern(8));
  Store.SetSize(4);
  EXPECT_EQ(Store.Stream().Size(), 4);
  Store.SetSize(6);
  EXPECT_EQ(Image(Store), (std::vector<std::uint8_t>{1, 2, 3, 4, 0, 0}));
  Store.SetSize(-1);
  Store.SetSize(static_cast<std::int64_t>(kMaxStoredImageBytes) + 1);
  EXPECT_EQ(Store.Size(), 6);
  EXPECT_EQ(Store.Stream().Size(), 6);
}

TEST_F(ProfileStoreTest, FilePathTakesOnlyExistingFoldersAndKeepsATrailingBackslash) {
  Store.SetFilePath(u"C:\\Data");
  EXPECT_EQ(Store.FilePath(), u"C:\\Data\\");
  Store.SetFilePath(u"C:\\Missing");
  EXPECT_EQ(Store.FilePath(), u"C:\\Data\\");
  Store.SetFilePath(u"");
  EXPECT_EQ(Store.FilePath(), u"C:\\Data\\");
  // The same through the published text properties.
  EXPECT_TRUE(Store.SetTextProperty(u"FilePath", u"C:\\Data\\"));
  EXPECT_EQ(Store.GetTextProperty(u"FilePath"), u"C:\\Data\\");
  EXPECT_TRUE(Store.SetTextProperty(u"KeyPath", u"software\\Other"));
  EXPECT_EQ(Store.KeyPath(), u"software\\Other");
  EXPECT_FALSE(Store.SetTextProperty(u"Caption", u"x"));
}

// Registry -------------------------------------------------------------------------------------

TEST_F(ProfileStoreTest, RegistryRoundTripKeepsTheExactBytesAsABinaryValue) {
  WriteImage(Pattern(300));
  ASSERT_TRUE(Store.SaveStreamToRegistry());
  EXPECT_EQ(AfterSaves, 1);
  const auto stored =
      Platform.Registry.Value(kRegistryCurrentUser, u"SOFTWARE\\test", u"RECORD.pfd");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->Type, kRegistryBinary);
  EXPECT_EQ(stored->Bytes, Pattern(300));

  WriteImage(std::vector<std::uint8_t>(300, 0));
  ASSERT_TRUE(Store.LoadStreamFromRegistry());
  EXPECT_EQ(Image(Store), Pattern(300));
  EXPECT_EQ(AfterLoads, 1);
}

TEST_F(ProfileStoreTest, ShortRegistryValueLoadsAndReadReturnsItsLength) {
  Platform.Registry.SetValue(kRegistryCurrentUser, kKey, kValue, kRegistryBinary, Pattern(40));
  WriteImage(std::vector<std::uint8_t>(100, 0));
  ASSERT_TRUE(Store.LoadStreamFromRegistry());
  EXPECT_EQ(Store.Stream().Size(), 40);
  EXPECT_EQ(Store.Size(), 100);  // loads do not change the recorded size
  std::vector<std::uint8_t> record(100, 0xAA);
  EXPECT_EQ(Store.Read(record.data(), 100), 40);
  EXPECT_EQ(record[39], 40);
  EXPECT_EQ(record[40], 0xAA);
}

TEST_F(ProfileStoreTest, MissingValueFailsQuietlyAndEmptyValueEmptiesTheImage) {
  WriteImage(Pattern(16));
  EXPECT_FALSE(Store.LoadStreamFromRegistry());
  EXPECT_EQ(AfterLoads, 0);
  EXPECT_EQ(Image(Store), Pattern(16));
  EXPECT_TRUE(Platform.Registry.KeyExists(kRegistryCurrentUser, kKey));  // the key was created

  Platform.Registry.SetValue(kRegistryCurrentUser, kKey, kValue, kRegistryBinary, {});
  EXPECT_TRUE(Store.LoadStreamFromRegistry());
  EXPECT_EQ(Store.Stream().Size(), 0);
  EXPECT_EQ(AfterLoads, 1);
}

TEST_F(ProfileStoreTest, ValueOfAnotherTypeCountsAsAbsentAndStaysAsItIs) {
  const std::vector<std::uint8_t> text{'a', 0, 'b', 0, 0, 0};
  for (const TRegistryValueType type : {kRegistryString, kRegistryDWord, kRegistryNone}) {
    Platform.Registry.SetValue(kRegistryCurrentUser, kKey, kValue, type, text);
    WriteImage(Pattern(16));
    EXPECT_FALSE(Store.LoadStreamFromRegistry()) << "type " << type;
    EXPECT_EQ(Image(Store), Pattern(16));
    const auto stored = Platform.Registry.Value(kRegistryCurrentUser, kKey, kValue);
    EXPECT_EQ(stored->Type, type);
    EXPECT_EQ(stored->Bytes, text);
  }
  EXPECT_EQ(AfterLoads, 0);
}

TEST_F(ProfileStoreTest, OversizedValueIsNotTakenIn) {
  Platform.Registry.SetValue(kRegistryCurrentUser, kKey, kValue, kRegistryBinary,
                             std::vector<std::uint8_t>(kMaxStoredImageBytes + 1));
  WriteImage(Pattern(16));
  EXPECT_FALSE(Store.LoadStreamFromRegistry());
  EXPECT_EQ(Image(Store), Pattern(16));
}

TEST_F(ProfileStoreTest, UnusableRegistryPlacesAreRefused) {
  WriteImage(Pattern(16));
  Platform.Registry.SetValue(kRegistryCurrentUser, kKey, kValue, kRegistryBinary, Pattern(4));
  Store.SetRootKey(0);
  EXPECT_FALSE(Store.LoadStreamFromRegistry());
  EXPECT_FALSE(Store.SaveStreamToRegistry());
  Store.SetRootKey(0x80000003);  // HKEY_USERS is not one of ours
  EXPECT_FALSE(Store.LoadStreamFromRegistry());
  Store.SetRootKey(kRegistryCurrentUser);
  Store.SetKeyPath(u"");
  EXPECT_FALSE(Store.LoadStreamFromRegistry());
  EXPECT_FALSE(Store.SaveStreamToRegistry());
  Store.SetKeyPath(kKey);
  Store.SetFileName(u"");
  EXPECT_FALSE(Store.LoadStreamFromRegistry());
  EXPECT_FALSE(Store.SaveStreamToRegistry());
  EXPECT_EQ(Image(Store), Pattern(16));
  EXPECT_EQ(AfterLoads + AfterSaves, 0);
}

TEST_F(ProfileStoreTest, KeyThatCannotBeOpenedIsAFailureNotASuccess) {
  Platform.Registry.SetValue(kRegistryCurrentUser, kKey, kValue, kRegistryBinary, Pattern(4));
  Platform.Registry.FailOpen(true);
  WriteImage(Pattern(16));
  EXPECT_FALSE(Store.LoadStreamFromRegistry());
  EXPECT_FALSE(Store.SaveStreamToRegistry());
  EXPECT_EQ(AfterLoads + AfterSaves, 0);
  EXPECT_EQ(Image(Store), Pattern(16));
}

TEST_F(ProfileStoreTest, FailedRegistryWriteIsReported) {
  Platform.Registry.SetValue(kRegistryCurrentUser, kKey, kValue, kRegistryBinary, Pattern(4));
  Platform.Registry.FailWrites(true);
  WriteImage(Pattern(16));
  EXPECT_FALSE(Store.SaveStreamToRegistry());
  EXPECT_EQ(AfterSaves, 0);
  EXPECT_EQ(Platform.Registry.Value(kRegistryCurrentUser, kKey, kValue)->Bytes, Pattern(4));
}

// Before-events ----------------------------------------------------------------------------------

TEST_F(ProfileStoreTest, CancellingBeforeEventsTouchesNothing) {
  Platform.Registry.SetValue(kRegistryCurrentUser, kKey, kValue, kRegistryBinary, Pattern(4));
  Platform.Files.AddFile(u"C:\\Data\\record.pfd", Pattern(5));
  Store.SetFilePath(u"C:\\Data");
  int asked = 0;
  const TuiProfileEvent cancel = [&](TMemoryStream&, bool& bContinue) {
    EXPECT_TRUE(bContinue);  // set before the call
    ++asked;
    bContinue = false;
  };
  Store.OnBeforeLoadFromRegistry = cancel;
  Store.OnBeforeSaveToRegistry = cancel;
  Store.OnBeforeLoadFromFile = cancel;
  Store.OnBeforeSaveToFile = cancel;
  WriteImage(Pattern(16, 100));

  EXPECT_FALSE(Store.LoadStreamFromRegistry());
  EXPECT_FALSE(Store.SaveStreamToRegistry());
  EXPECT_FALSE(Store.LoadStreamFromFile());
  EXPECT_FALSE(Store.LoadStreamFromFile(u"C:\\Data\\record.pfd"));
  EXPECT_FALSE(Store.SaveStreamToFile());
  EXPECT_FALSE(Store.SaveStreamToFile(u"C:\\Data\\other.pfd"));

  EXPECT_EQ(asked, 6);
  EXPECT_EQ(AfterLoads + AfterSaves, 0);
  EXPECT_EQ(Image(Store), Pattern(16, 100));
  EXPECT_EQ(Platform.Registry.Value(kRegistryCurrentUser, kKey, kValue)->Bytes, Pattern(4));
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Data\\record.pfd"), Pattern(5));
  EXPECT_FALSE(Platform.Files.FileExists(u"C:\\Data\\other.pfd"));
}

// Files ----------------------------------------------------------------------------------------

TEST_F(ProfileStoreTest, FileLoadTakesTheFileWholeWhateverItsSize) {
  Platform.Files.AddFile(u"C:\\Data\\record.pfd", Pattern(250));
  Store.SetFilePath(u"C:\\Data");
  WriteImage(std::vector<std::uint8_t>(100, 0));
  ASSERT_TRUE(Store.LoadStreamFromFile());
  EXPECT_EQ(Image(Store), Pattern(250));
  EXPECT_EQ(AfterLoads, 1);

  Platform.Files.AddFile(u"C:\\Else\\small.pfd", Pattern(3));
  ASSERT_TRUE(Store.LoadStreamFromFile(u"C:\\Else\\small.pfd"));
  EXPECT_EQ(Image(Store), Pattern(3));
  EXPECT_EQ(Store.FilePath(), u"C:\\Data\\");  // the full-path form leaves the place alone
  EXPECT_EQ(Store.FileName(), kValue);
}

TEST_F(ProfileStoreTest, FileLoadFailuresLeaveTheImage) {
  WriteImage(Pattern(8));
  EXPECT_FALSE(Store.LoadStreamFromFile());  // no FilePath yet
  Store.SetFilePath(u"C:\\Data");
  EXPECT_FALSE(Store.LoadStreamFromFile());  // no such file

  int asked = 0;
  Store.OnBeforeLoadFromFile = [&](TMemoryStream&, bool&) { ++asked; };
  EXPECT_FALSE(Store.LoadStreamFromFile(u"C:\\Data\\missing.pfd"));
  EXPECT_EQ(asked, 0);  // a missing file raises no event

  Platform.Files.AddFile(u"C:\\Data\\record.pfd",
                         std::vector<std::uint8_t>(kMaxStoredImageBytes + 1));
  EXPECT_FALSE(Store.LoadStreamFromFile());
  EXPECT_EQ(Image(Store), Pattern(8));
  EXPECT_EQ(AfterLoads, 0);
}

TEST_F(ProfileStoreTest, SaveToFileWritesExactlyTheImage) {
  WriteImage(Pattern(64));
  Store.SetFilePath(u"C:\\Data");
  ASSERT_TRUE(Store.SaveStreamToFile());
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Data\\record.pfd"), Pattern(64));
  ASSERT_TRUE(Store.SaveStreamToFile(u"C:\\Data\\copy.pfd"));
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Data\\copy.pfd"), Pattern(64));
  EXPECT_EQ(AfterSaves, 2);
  EXPECT_EQ(Store.FileName(), kValue);
}

TEST_F(ProfileStoreTest, SaveToAFullPathCreatesOneMissingFolderLevelOnly) {
  WriteImage(Pattern(4));
  EXPECT_TRUE(Store.SaveStreamToFile(u"C:\\Data\\New\\p.pfd"));
  EXPECT_TRUE(Platform.Files.DirectoryExists(u"C:\\Data\\New"));
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Data\\New\\p.pfd"), Pattern(4));
  EXPECT_FALSE(Store.SaveStreamToFile(u"C:\\Data\\Gone\\Deeper\\p.pfd"));
  EXPECT_FALSE(Platform.Files.DirectoryExists(u"C:\\Data\\Gone"));
  EXPECT_FALSE(Store.SaveStreamToFile(u"nofolder.pfd"));
}

TEST_F(ProfileStoreTest, FailedFileWriteIsReportedAndKeepsTheOldFile) {
  Platform.Files.AddFile(u"C:\\Data\\record.pfd", Pattern(5));
  Store.SetFilePath(u"C:\\Data");
  WriteImage(Pattern(64));
  Platform.Files.FailWrites(true);
  EXPECT_FALSE(Store.SaveStreamToFile());
  EXPECT_FALSE(Store.SaveStreamToFile(u"C:\\Data\\record.pfd"));
  EXPECT_EQ(AfterSaves, 0);
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Data\\record.pfd"), Pattern(5));
}

TEST_F(ProfileStoreTest, PreSaveTakesFolderAndNameForTheNextSave) {
  WriteImage(Pattern(6));
  ASSERT_TRUE(Store.PreSaveStreamToFile(u"C:\\Data\\Fresh\\game.pfd"));
  EXPECT_EQ(Store.FilePath(), u"C:\\Data\\Fresh\\");
  EXPECT_EQ(Store.FileName(), u"game.pfd");
  EXPECT_EQ(AfterSaves, 0);
  ASSERT_TRUE(Store.SaveStreamToFile());
  EXPECT_EQ(Platform.Files.FileBytes(u"C:\\Data\\Fresh\\game.pfd"), Pattern(6));

  EXPECT_FALSE(Store.PreSaveStreamToFile(u"C:\\No\\Such\\game.pfd"));
  EXPECT_EQ(Store.FilePath(), u"C:\\Data\\Fresh\\");
}

// The real file system: the file holds exactly the image after every save, a shorter image
// included, and no temporary file is left beside it.
TEST(ProfileStoreFileTest, SavesOnTheRealFileSystemLeaveExactlyTheImage) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("monstore" + std::to_string(ProcessId()));
  fs::create_directories(folder);
  TNativeFileSystem files;
  testing::TMemoryRegistry registry;
  TuiProfile store(nullptr, files, registry);
  const std::u16string path = (folder / "game.pfd").u16string();

  const auto image = Pattern(121408);
  store.Write(image.data(), static_cast<std::int32_t>(image.size()));
  ASSERT_TRUE(store.SaveStreamToFile(path));
  store.SetSize(10);
  ASSERT_TRUE(store.SaveStreamToFile(path));

  std::ifstream in(folder / "game.pfd", std::ios::binary);
  const std::vector<std::uint8_t> onDisk{std::istreambuf_iterator<char>(in), {}};
  in.close();
  EXPECT_EQ(onDisk, Pattern(10));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

  ASSERT_TRUE(store.LoadStreamFromFile(path));
  EXPECT_EQ(Image(store), Pattern(10));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace mon
