#include "i18n/language_store.h"

#include <gtest/gtest.h>

#include "i18n/language_stream.h"
#include "i18n_test_support.h"

namespace mon {
namespace {

using Lines = std::vector<std::u16string>;

class LanguageStoreTest : public testing::TranslationStateTest {
 protected:
  // A store as the host loads it: construction, then the form data, then Loaded.
  void LoadForm(TLanguageStore& AStore, const TLanguageStreamContent& AFormData) {
    AStore.BeginLoading();
    AStore.ReadResourcesBin(WriteLanguageStream(AFormData));
    AStore.EndLoading();
  }
  static TLanguageStreamContent Embedded() {
    return {u"Config\r\nExit\r\n",
            {{u"CH", u"Config=\u6253\u5f00\u914d\u7f6e\r\nExit=\u9000\u51fa\r\n"},
             {u"US", u"Exit=Quit\r\n"}}};
  }
};

TEST_F(LanguageStoreTest, StartsEmptyWithTheDocumentedDefaults) {
  TLanguageStore store(nullptr, FFake.Platform());
  EXPECT_TRUE(store.Resources().empty());
  EXPECT_TRUE(store.Original().Empty());
  EXPECT_TRUE(store.AutoSelect());
  EXPECT_TRUE(store.StoreInForm());
  EXPECT_EQ(store.FileName(), u"");
  EXPECT_EQ(store.ResourcesBinToWrite(), std::nullopt);  // no language: not written
}

TEST_F(LanguageStoreTest, AddLangIgnoresANameThereInAnyCase) {
  TLanguageStore store(nullptr, FFake.Platform());
  store.AddLang(u"CH");
  store.AddLang(u"ch");
  store.AddLang(u"US");
  ASSERT_EQ(store.Resources().size(), 2u);
  EXPECT_EQ(store.Resources()[1].Name, u"US");
  EXPECT_TRUE(store.Resources()[1].Table->Empty());
  EXPECT_EQ(store.IndexOfLanguage(u"us"), 1u);
}

TEST_F(LanguageStoreTest, ReadingAppendsLanguagesAndReplacesTheOriginals) {
  TLanguageStore store(nullptr, FFake.Platform());
  store.ReadStream(WriteLanguageStream({u"Local\r\n", {{u"CH", u"Config=FILE\r\n"}}}));
  store.ReadStream(WriteLanguageStream(Embedded()));
  EXPECT_EQ(store.Original().Lines(), (Lines{u"Config", u"Exit"}));
  ASSERT_EQ(store.Resources().size(), 3u);
  // The name occurs twice; lookups find the first.
  EXPECT_EQ(store.FindLanguageTable(u"ch")->ValueOf(u"Config"), u"FILE");
  EXPECT_EQ(store.Resources()[2].Name, u"US");
  // The tables are sorted whatever the stream's order.
  EXPECT_EQ(store.Resources()[1].Table->Lines().front(), u"Config=\u6253\u5f00\u914d\u7f6e");
}

TEST_F(LanguageStoreTest, StreamWithoutLanguagesLoadsTheOriginalsOnly) {
  TLanguageStore store(nullptr, FFake.Platform());
  store.ReadStream(WriteLanguageStream({u"b\r\na\r\n", {}}));
  EXPECT_EQ(store.Original().Lines(), (Lines{u"a", u"b"}));
  EXPECT_TRUE(store.Resources().empty());
  EXPECT_EQ(store.WriteStream(), WriteLanguageStream({u"a\r\nb\r\n", {}}));
}

TEST_F(LanguageStoreTest, SaveAndLoadRoundTrip) {
  TLanguageStore store(nullptr, FFake.Platform());
  store.ReadStream(WriteLanguageStream(Embedded()));
  ASSERT_TRUE(store.SaveToFile(u"C:\\Program\\ui.local"));
  TLanguageStore copy(nullptr, FFake.Platform());
  ASSERT_TRUE(copy.LoadFromFile(u"C:\\Program\\ui.local"));
  EXPECT_EQ(copy.Original().Lines(), store.Original().Lines());
  ASSERT_EQ(copy.Resources().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(copy.Resources()[i].Name, store.Resources()[i].Name);
    EXPECT_EQ(copy.Resources()[i].Table->Lines(), store.Resources()[i].Table->Lines());
  }
  EXPECT_EQ(store.ResourcesBinToWrite(), store.WriteStream());
  store.SetStoreInForm(false);
  EXPECT_EQ(store.ResourcesBinToWrite(), std::nullopt);
}

TEST_F(LanguageStoreTest, MissingFilesAndFailedWritesChangeNothing) {
  TLanguageStore store(nullptr, FFake.Platform());
  store.ReadStream(WriteLanguageStream(Embedded()));
  EXPECT_FALSE(store.LoadFromFile(u"C:\\Program\\missing.Local"));
  EXPECT_EQ(store.Resources().size(), 2u);
  FFake.Files.FailWrites(true);
  EXPECT_FALSE(store.SaveToFile(u"C:\\Program\\ui.local"));
  EXPECT_FALSE(FFake.Files.FileExists(u"C:\\Program\\ui.local"));
}

TEST_F(LanguageStoreTest, OversizedLanguageFilesAreIgnored) {
  TLanguageStore store(nullptr, FFake.Platform());
  std::vector<std::uint8_t> huge = WriteLanguageStream(Embedded());
  huge.resize(TLanguageStore::kMaxLanguageFileBytes + 1);
  FFake.Files.AddFile(u"C:\\Program\\ui.local", std::move(huge));
  EXPECT_FALSE(store.LoadFromFile(u"C:\\Program\\ui.local"));
  EXPECT_TRUE(store.Resources().empty());
  EXPECT_TRUE(store.Original().Empty());
}

TEST_F(LanguageStoreTest, SetLangAppliesRevertsOrKeepsTheTable) {
  TLanguageStore store(nullptr, FFake.Platform());
  store.ReadStream(WriteLanguageStream(Embedded()));
  store.SetLang(u"ch");
  EXPECT_EQ(TranslateText(u"Exit"), u"\u9000\u51fa");
  store.SetLang(u"XX");  // unknown: the table stays, the name is stored
  EXPECT_EQ(store.Lang(), u"XX");
  EXPECT_EQ(TranslateText(u"Exit"), u"\u9000\u51fa");
  store.SetLang(u"EN");  // only "en" exactly is the reserved name
  EXPECT_EQ(TranslateText(u"Exit"), u"\u9000\u51fa");
  store.SetLang(u"en");
  EXPECT_EQ(TranslateText(u"Exit"), u"Exit");
  EXPECT_EQ(CurrentLanguageTable(), nullptr);
}

TEST_F(LanguageStoreTest, SetLangWhileLoadingOnlyStoresTheName) {
  TLanguageStore store(nullptr, FFake.Platform());
  store.ReadStream(WriteLanguageStream(Embedded()));
  store.SetAutoSelect(false);
  store.BeginLoading();
  store.SetLang(u"US");
  EXPECT_EQ(CurrentLanguageTable(), nullptr);
  store.EndLoading();  // Loaded applies the stored name
  EXPECT_EQ(TranslateText(u"Exit"), u"Quit");
}

TEST_F(LanguageStoreTest, LoadedSelectsTheUsersLanguageCode) {
  FFake.Locale.UserLcid = 0x0804;  // CHS
  TLanguageStore chinese(nullptr, FFake.Platform());
  LoadForm(chinese, Embedded());
  EXPECT_EQ(chinese.Lang(), u"ch");
  EXPECT_EQ(TranslateText(u"Config"), u"\u6253\u5f00\u914d\u7f6e");

  RevertToOriginal();
  FFake.Locale.UserLcid = 0x0409;  // ENU: "en" names no language of the table
  TLanguageStore english(nullptr, FFake.Platform());
  LoadForm(english, Embedded());
  EXPECT_EQ(english.Lang(), u"en");
  EXPECT_EQ(CurrentLanguageTable(), nullptr);
}

TEST_F(LanguageStoreTest, UserLanguageCodeReadsIntoAFourUnitBuffer) {
  TLanguageStore store(nullptr, FFake.Platform());
  FFake.Locale.UserLcid = 0x0407;
  EXPECT_EQ(store.GetUserLanguageCode(), u"de");
  FFake.Locale.Find(0x0407)->AbbrevLanguageName = u"DEUT";  // does not fit
  EXPECT_EQ(store.GetUserLanguageCode(), u"");
  FFake.Locale.Find(0x0407)->AbbrevLanguageName = u"X";
  EXPECT_EQ(store.GetUserLanguageCode(), u"x");
  FFake.Locale.UserLcid = 0x7777;  // unknown locale
  EXPECT_EQ(store.GetUserLanguageCode(), u"");
}

}  // namespace
}  // namespace mon
