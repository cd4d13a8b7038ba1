// What every registry backend must do, checked on the in-memory fake and, in the Windows build,
// on the real registry, so that the fake keeps the semantics the components rely on. On Linux the
// SQLite store in place of the registry keeps them too.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fake_registry.h"
#include "framework/text.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide.h"
#include "platform/win32/win32_registry.h"
#endif

#ifdef __linux__
#include "platform/linux/linux_registry.h"
#include "temporary_folder.h"
#endif

namespace mon {
namespace {

struct TBackend {
  const char* Name;
  std::function<std::unique_ptr<TRegistry>()> Make;
};

// A key of its own per process, removed afterwards where the backend is persistent.
std::u16string TestRoot() {
  static const std::u16string root = [] {
#ifdef _WIN32
    return u"Software\\MonRegistryContract" + IntToText(::GetCurrentProcessId());
#else
    return std::u16string(u"Software\\MonRegistryContract");
#endif
  }();
  return root;
}

#ifdef __linux__
// The SQLite store on a fresh file of its own, removed after the test.
class TTemporaryLinuxRegistry final : public TRegistry {
 public:
  std::unique_ptr<TRegistryKey> OpenKey(TRegistryRoot ARoot, const std::u16string& APath,
                                        bool ACreate, TRegistryAccess AAccess) override {
    return FStore.OpenKey(ARoot, APath, ACreate, AAccess);
  }

 private:
  testing::TTemporaryFolder FFolder;  // declared first: removed after the store is closed
  lnx::TLinuxRegistry FStore{FFolder.Path() / "registry.sqlite3"};
};
#endif

class RegistryContractTest : public ::testing::TestWithParam<TBackend> {
 protected:
  void SetUp() override { Registry = GetParam().Make(); }
  void TearDown() override {
#ifdef _WIN32
    ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(TestRoot()).c_str());
#endif
  }

  std::unique_ptr<TRegistryKey> Create(const std::u16string& ASubKey) {
    return Registry->OpenKey(kRegistryCurrentUser, TestRoot() + u"\\" + ASubKey, true,
                             TRegistryAccess::ReadWrite);
  }

  std::unique_ptr<TRegistry> Registry;
};

TEST_P(RegistryContractTest, KeysOpenOnlyWhenTheyExistUnlessCreated) {
  const std::u16string path = TestRoot() + u"\\A\\B";
  EXPECT_EQ(Registry->OpenKey(kRegistryCurrentUser, path, false, TRegistryAccess::Read), nullptr);
  EXPECT_NE(Create(u"A\\B"), nullptr);
  EXPECT_NE(Registry->OpenKey(kRegistryCurrentUser, path, false, TRegistryAccess::Read), nullptr);
  // Paths and value names compare without regard to case.
  EXPECT_NE(Registry->OpenKey(kRegistryCurrentUser, FoldCase(path), false, TRegistryAccess::Read),
            nullptr);
  EXPECT_NE(
      Registry->OpenKey(kRegistryCurrentUser, TestRoot() + u"\\a", false, TRegistryAccess::Read),
      nullptr);
  EXPECT_EQ(Registry->OpenKey(0x12345678, path, true, TRegistryAccess::ReadWrite), nullptr);
}

TEST_P(RegistryContractTest, PathsIgnoreRepeatedAndTrailingBackslashesButNotALeadingOne) {
  auto key = Create(u"P\\\\Q\\");
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->WriteDWord(u"v", 7));
  auto same =
      Registry->OpenKey(kRegistryCurrentUser, TestRoot() + u"\\P\\Q", false, TRegistryAccess::Read);
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(same->ReadDWord(u"v"), 7u);
  std::u16string leading = TestRoot();
  leading.insert(leading.begin(), u'\\');
  EXPECT_EQ(Registry->OpenKey(kRegistryCurrentUser, leading, true, TRegistryAccess::ReadWrite),
            nullptr);
}

TEST_P(RegistryContractTest, BinaryValuesKeepTypeSizeAndBytes) {
  auto key = Create(u"Values");
  ASSERT_NE(key, nullptr);
  const std::vector<std::uint8_t> bytes{1, 2, 3, 0, 250};
  ASSERT_TRUE(key->WriteBinary(u"Data.pfd", bytes));

  auto again = Registry->OpenKey(kRegistryCurrentUser, TestRoot() + u"\\VALUES", false,
                                 TRegistryAccess::Read);
  ASSERT_NE(again, nullptr);
  const auto info = again->QueryValue(u"data.PFD");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->Type, kRegistryBinary);
  EXPECT_EQ(info->Size, 5u);
  std::vector<std::uint8_t> buffer(8, 0xCC);
  const auto read = again->ReadValue(u"Data.pfd", buffer);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->Size, 5u);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 5), bytes);

  // Too small a buffer is a failure, not a partial read.
  std::vector<std::uint8_t> small(4);
  EXPECT_FALSE(again->ReadValue(u"Data.pfd", small));
  EXPECT_FALSE(again->QueryValue(u"Missing"));
  EXPECT_FALSE(again->ReadValue(u"Missing", buffer));

  // A rewrite replaces the whole value.
  ASSERT_TRUE(key->WriteBinary(u"Data.pfd", std::vector<std::uint8_t>{9}));
  EXPECT_EQ(again->QueryValue(u"Data.pfd")->Size, 1u);
}

TEST_P(RegistryContractTest, EmptyValuesAndOtherTypes) {
  auto key = Create(u"Types");
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->WriteBinary(u"Empty", {}));
  const auto empty = key->QueryValue(u"Empty");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->Type, kRegistryBinary);
  EXPECT_EQ(empty->Size, 0u);
  const auto readEmpty = key->ReadValue(u"Empty", {});
  ASSERT_TRUE(readEmpty);
  EXPECT_EQ(readEmpty->Size, 0u);

  const std::vector<std::uint8_t> text{'h', 0, 'i', 0, 0, 0};
  ASSERT_TRUE(key->WriteValue(u"Text", kRegistryString, text));
  EXPECT_EQ(key->QueryValue(u"Text")->Type, kRegistryString);
  EXPECT_EQ(key->QueryValue(u"Text")->Size, 6u);
  EXPECT_FALSE(key->ReadDWord(u"Text"));

  ASSERT_TRUE(key->WriteDWord(u"ProfileID", 3));
  EXPECT_EQ(key->ReadDWord(u"ProfileID"), 3u);
  EXPECT_EQ(key->QueryValue(u"ProfileID")->Type, kRegistryDWord);
  EXPECT_FALSE(key->ReadDWord(u"Empty"));
}

TEST_P(RegistryContractTest, KeysOpenedForReadingRefuseWrites) {
  ASSERT_NE(Create(u"ReadOnly"), nullptr);
  auto key = Registry->OpenKey(kRegistryCurrentUser, TestRoot() + u"\\ReadOnly", false,
                               TRegistryAccess::Read);
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(key->WriteBinary(u"v", std::vector<std::uint8_t>{1}));
  EXPECT_FALSE(key->QueryValue(u"v"));
}

TEST_P(RegistryContractTest, CreatingWithReadAccessCreatesTheKey) {
  auto key = Registry->OpenKey(kRegistryCurrentUser, TestRoot() + u"\\Made\\ForReading", true,
                               TRegistryAccess::Read);
  ASSERT_NE(key, nullptr);
  EXPECT_NE(Registry->OpenKey(kRegistryCurrentUser, TestRoot() + u"\\Made\\ForReading", false,
                              TRegistryAccess::Read),
            nullptr);
}

std::vector<TBackend> Backends() {
  std::vector<TBackend> backends{
      {"Memory", [] { return std::make_unique<testing::TMemoryRegistry>(); }}};
#ifdef _WIN32
  backends.push_back({"Win32", [] { return std::make_unique<win32::TWin32Registry>(); }});
#endif
#ifdef __linux__
  backends.push_back({"Sqlite", [] { return std::make_unique<TTemporaryLinuxRegistry>(); }});
#endif
  return backends;
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContractTest, ::testing::ValuesIn(Backends()),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// The fake alone: a run that starts again from a known registry (the fuzz targets) gets exactly
// what Content gave, whatever was written, made or removed since.
TEST(MemoryRegistryTest, ReplaceContentRestoresKeysAndValuesAsTheyWere) {
  testing::TMemoryRegistry registry;
  registry.SetValue(kRegistryCurrentUser, u"Software\\Kept", u"Value", kRegistryDWord,
                    {1, 0, 0, 0});
  registry.SetValue(kRegistryCurrentUser, u"Software\\Removed", u"Other", kRegistryBinary, {7});
  const testing::TMemoryRegistry::TContent saved = registry.Content();

  registry.SetValue(kRegistryCurrentUser, u"Software\\Kept", u"Value", kRegistryString, {2});
  registry.SetValue(kRegistryCurrentUser, u"Software\\Kept", u"Added", kRegistryBinary, {3});
  registry.SetValue(kRegistryCurrentUser, u"Software\\New", u"Value", kRegistryBinary, {4});
  registry.DeleteKey(kRegistryCurrentUser, u"Software\\Removed");
  registry.ReplaceContent(saved);

  EXPECT_EQ(registry.Content(), saved);
  EXPECT_FALSE(registry.KeyExists(kRegistryCurrentUser, u"Software\\New"));
  EXPECT_EQ(registry.ValueCount(kRegistryCurrentUser, u"Software\\Kept"), 1u);
  const std::map<std::u16string, testing::TMemoryRegistry::TValue> kept{
      {u"value", {kRegistryDWord, {1, 0, 0, 0}}}};
  EXPECT_EQ(registry.Values(kRegistryCurrentUser, u"software\\KEPT"), kept);
  EXPECT_TRUE(registry.Values(kRegistryCurrentUser, u"Software\\New").empty());
  const auto removed = registry.Value(kRegistryCurrentUser, u"Software\\Removed", u"Other");
  ASSERT_TRUE(removed.has_value());
  EXPECT_EQ(removed->Bytes, std::vector<std::uint8_t>{7});
  // Keys opened afterwards work on the restored content.
  const auto key =
      registry.OpenKey(kRegistryCurrentUser, u"Software\\Kept", false, TRegistryAccess::ReadWrite);
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(key->WriteValue(u"Value", kRegistryDWord, std::vector<std::uint8_t>{5, 0, 0, 0}));
}

}  // namespace
}  // namespace mon
