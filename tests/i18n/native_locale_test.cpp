// The locale service of the system we run on (Win32, or the POSIX stand-in), and the embedded
// language table ordered by it.
#include <gtest/gtest.h>

#include <algorithm>

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/posix/posix_platform.h"
#endif

#include "embedded_table_counts.h"
#include "i18n/embedded_table.h"
#include "i18n/language_store.h"
#include "i18n/locale_index.h"
#include "i18n/translation.h"

namespace mon {
namespace {

#ifdef _WIN32
using TNativePlatform = win32::TWin32Platform;
#else
using TNativePlatform = posix::TPosixPlatform;
#endif

class NativeLocaleTest : public ::testing::Test {
 protected:
  void TearDown() override { RevertToOriginal(); }
  TNativePlatform FNative;
  TLocale& Locale() { return FNative.Platform().Locale; }
};

TEST_F(NativeLocaleTest, ComparesInALinguisticOrder) {
  TLocale& locale = Locale();
  const auto sign = [&](std::u16string_view A, std::u16string_view B, TCompareCase ACase) {
    const int result = locale.CompareUserLocale(A, B, ACase);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
  };
  EXPECT_EQ(sign(u"a", u"b", TCompareCase::Sensitive), -1);
  EXPECT_EQ(sign(u"B", u"a", TCompareCase::Sensitive), 1);   // letters before case
  EXPECT_EQ(sign(u"a", u"A", TCompareCase::Sensitive), -1);  // lower case first
  EXPECT_EQ(sign(u"a", u"A", TCompareCase::IgnoreCase), 0);
  EXPECT_EQ(sign(u"CH", u"ch", TCompareCase::IgnoreCase), 0);
  EXPECT_EQ(sign(u"Config", u"Config", TCompareCase::Sensitive), 0);
  EXPECT_NE(sign(u" CLOSE", u"CLOSE", TCompareCase::Sensitive), 0);
  EXPECT_NE(sign(u"Mouse Left  Click", u"Mouse Left Click", TCompareCase::Sensitive), 0);
  EXPECT_EQ(sign(u"Button", u"BUTTON ASSIGNMENT", TCompareCase::Sensitive), -1);
  EXPECT_EQ(sign(u"", u"a", TCompareCase::Sensitive), -1);
  // Texts are passed with their lengths: an embedded U+0000 is no terminator.
  EXPECT_NE(sign(std::u16string_view(u"a\0b", 3), u"a", TCompareCase::Sensitive), 0);
}

TEST_F(NativeLocaleTest, KnowsEnglishAndChineseLocales) {
  TLocale& locale = Locale();
  EXPECT_NE(locale.UserDefaultLcid(), 0u);
  EXPECT_NE(locale.SystemDefaultLangId(), 0u);
  EXPECT_EQ(locale.LocaleInfo(0x0409, TLocaleInfoType::LanguageId), u"0409");
  EXPECT_EQ(locale.LocaleInfo(0x0409, TLocaleInfoType::AbbrevLanguageName), u"ENU");
  EXPECT_EQ(locale.LocaleInfo(0x0409, TLocaleInfoType::AbbrevCountryName), u"USA");
  EXPECT_EQ(locale.LocaleInfo(0x0804, TLocaleInfoType::AbbrevLanguageName), u"CHS");
  EXPECT_FALSE(locale.LocaleInfo(0x0409, TLocaleInfoType::LanguageName).value_or(u"").empty());

  const auto locales = locale.SupportedLocales();
  EXPECT_GE(locales.size(), 10u);
  EXPECT_NE(std::find(locales.begin(), locales.end(), 0x0409u), locales.end());
  EXPECT_NE(std::find(locales.begin(), locales.end(), 0x0804u), locales.end());

  const TLocaleIndexes indexes = BuildLocaleIndexes(locale);
  EXPECT_EQ(indexes.LanguageIDIndex.size(), locales.size());
  const TLocaleIndexEntry* english = FindLocaleIndexEntry(indexes.ShortIDIndex, u"0409", locale);
  ASSERT_NE(english, nullptr);
  EXPECT_FALSE(english->LanguageName.empty());
}

TEST_F(NativeLocaleTest, EmbeddedTableLoadsWhole) {
  TLanguageStore store(nullptr, FNative.Platform());
  store.ReadResourcesBin(EmbeddedResourcesBin());
  EXPECT_EQ(store.Original().Count(),
            testing::kEmbeddedOriginalCount);  // no two originals compare equal
  ASSERT_EQ(store.Resources().size(), 2u);
  EXPECT_EQ(store.Resources()[0].Table->Count(), testing::kEmbeddedChineseLineCount);
  EXPECT_EQ(store.Resources()[1].Table->Count(), 44u);
  // The sorted lists are ordered by this locale and found again by binary search.
  for (const auto& text : store.Original().Lines()) {
    EXPECT_TRUE(store.Original().Contains(text));
  }
  store.SetLang(u"ch");
  EXPECT_EQ(TranslateText(u"Config"), u"\u6253\u5f00\u914d\u7f6e");
  EXPECT_EQ(TranslateText(u" CLOSE"), u" \u5173\u95ed");
  EXPECT_EQ(TranslateText(u"CLOSE"), u"\u5173\u95ed");
  EXPECT_EQ(TranslateText(u"GAMING MOUSE MONITOR"), u"GAMING MOUSE MONITOR");
}

#ifndef _WIN32
TEST(PosixLocaleTest, UserLocaleFromTheLocaleName) {
  EXPECT_EQ(posix::TPosixLocale::LcidOfLocaleName("zh_CN.UTF-8"), 0x0804u);
  EXPECT_EQ(posix::TPosixLocale::LcidOfLocaleName("zh_TW"), 0x0404u);
  EXPECT_EQ(posix::TPosixLocale::LcidOfLocaleName("zh"), 0x0804u);
  EXPECT_EQ(posix::TPosixLocale::LcidOfLocaleName("pt_AO"), 0x0416u);  // the usual one
  EXPECT_EQ(posix::TPosixLocale::LcidOfLocaleName("de_AT.UTF-8@euro"), 0x0407u);
  EXPECT_EQ(posix::TPosixLocale::LcidOfLocaleName("en_GB"), 0x0809u);
  EXPECT_EQ(posix::TPosixLocale::LcidOfLocaleName("C"), 0x0409u);
  EXPECT_EQ(posix::TPosixLocale::LcidOfLocaleName(""), 0x0409u);
  posix::TPosixLocale chinese("zh_CN.UTF-8");
  EXPECT_EQ(chinese.UserDefaultLcid(), 0x0804u);
  EXPECT_EQ(chinese.SystemDefaultLangId(), 0x0804u);
}
#endif

}  // namespace
}  // namespace mon
