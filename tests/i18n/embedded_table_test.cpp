#include "i18n/embedded_table.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "framework/text.h"
#include "i18n/embedded_table_text.h"
#include "i18n/language_store.h"
#include "i18n/language_stream.h"
#include "i18n/translation.h"
#include "i18n_test_support.h"

namespace mon {
namespace {

namespace text = embedded_table_text;

class EmbeddedTableTest : public testing::TranslationStateTest {
 protected:
  void SetUp() override {
    TranslationStateTest::SetUp();
    FStore.ReadResourcesBin(EmbeddedResourcesBin());
  }
  const TLanguageTable& Table(std::u16string_view AName) {
    const TLanguageTable* table = FStore.FindLanguageTable(AName);
    if (table == nullptr) {
      throw std::logic_error("language missing");
    }
    return *table;
  }
  TLanguageStore FStore{nullptr, FFake.Platform()};
};

TEST_F(EmbeddedTableTest, HoldsTheOriginalsInStoredOrderThenChineseAndEnglish) {
  const TLanguageStreamContent content = ReadLanguageStream(EmbeddedResourcesBin());
  const auto originals = SplitLines(content.OriginalText);
  ASSERT_EQ(originals.size(), testing::kEmbeddedOriginalCount);
  EXPECT_EQ(originals[0], u"       Only 2 DPI Mode switching");  // leading blanks kept
  EXPECT_EQ(originals[5], u" CLOSE");
  EXPECT_EQ(originals[9], u"- STRIKE");
  EXPECT_EQ(originals[39], u"TALVENIRTM Driver V1.07 \u2013 Firmware V1.14");
  EXPECT_EQ(originals.back(), u"Y-AXIS");
  EXPECT_EQ(FStore.Original().Count(),
            testing::kEmbeddedOriginalCount);  // no two originals are equal
  ASSERT_EQ(content.Languages.size(), 2u);
  EXPECT_EQ(content.Languages[0].Name, u"CH");
  EXPECT_EQ(content.Languages[1].Name, u"US");
  // Re-writing what was read gives a stream of the same size.
  EXPECT_EQ(FStore.WriteStream().size(), EmbeddedResourcesBin().size());
}

TEST_F(EmbeddedTableTest, HasTheRowsTheMonitorShows) {
  const std::map<std::u16string, std::pair<std::u16string, std::u16string>> rows = {
      {u"Gaming Mouse Driver", {u"\u6e38\u620f\u9f20\u6807\u9a71\u52a8", u""}},
      {u"Config", {u"\u6253\u5f00\u914d\u7f6e", u""}},
      {u"About", {u"\u5173\u4e8e\u8f6f\u4ef6", u""}},
      {u"Exit", {u"\u9000\u51fa\u8f6f\u4ef6", u""}},
      {u"OK", {u"\u786e\u5b9a", u"OK"}},
      {u"Hardware & Software Information:",
       {u"\u786c\u4ef6\u4e0e\u8f6f\u4ef6\u4fe1\u606f\uff1a", u"Hardware & Software Information:"}},
      {u"Hardware Core:1.00.00",
       {u"\u786c\u4ef6\u7248\u672c\uff1a1.00.00", u"Hardware Core:1.00.00"}},
      {u"Software Core:1.00.00",
       {u"\u8f6f\u4ef6\u7248\u672c\uff1a1.00.00", u"Software Core:1.00.00"}},
      {u"Software Update Website:",
       {u"\u8f6f\u4ef6\u66f4\u65b0\u7f51\u7ad9\uff1a", u"Software Update Website:"}},
      {u"Company Website:", {u"\u516c\u53f8\u7f51\u7ad9\uff1a", u"Company Website:"}},
      {u"Help & Support:", {u"\u5e2e\u52a9\u4e0e\u652f\u6301", u"Help & Support"}},
      {u"Service Call:", {u"\u670d\u52a1\u7535\u8bdd\uff1a", u"Service Call"}},
      {u"Chinese", {u"\u4e2d\u6587", u""}},
      {u"English", {u"\u82f1\u6587", u""}},
  };
  for (const auto& [original, translations] : rows) {
    SCOPED_TRACE(Utf16ToUtf8(original));
    EXPECT_EQ(Table(u"CH").ValueOf(original), translations.first);
    if (translations.second.empty()) {
      EXPECT_EQ(Table(u"US").ValueOf(original), std::nullopt);
    } else {
      EXPECT_EQ(Table(u"US").ValueOf(original), translations.second);
    }
  }
  for (const char16_t* title : {u"GAMING MOUSE MONITOR", u"GAMING MOUSE DRIVER"}) {
    EXPECT_EQ(Table(u"CH").ValueOf(title), std::nullopt);
    EXPECT_EQ(Table(u"US").ValueOf(title), std::nullopt);
  }
  FStore.SetLang(u"CH");
  EXPECT_EQ(TranslateText(u" CLOSE"), u" \u5173\u95ed");
  EXPECT_EQ(TranslateText(u"CLOSE"), u"\u5173\u95ed");
}

// Collapses runs of blanks: "Mouse Left  Click" and "Mouse Left Click" are the same text.
std::u16string WithSingleBlanks(std::u16string_view AText) {
  std::u16string result;
  for (const char16_t c : AText) {
    if (c != u' ' || result.empty() || result.back() != u' ') {
      result.push_back(c);
    }
  }
  return result;
}

TEST_F(EmbeddedTableTest, EveryLineNamesAnOriginalAndTranslationsMapBackToTheirOwn) {
  for (const char16_t* language : {u"CH", u"US"}) {
    const TLanguageTable& table = Table(language);
    EXPECT_GT(table.Count(), 40u);
    for (const auto& line : table.Lines()) {
      SCOPED_TRACE(Utf16ToUtf8(line));
      const auto name = LineName(line);
      ASSERT_TRUE(name.has_value());
      EXPECT_TRUE(FStore.Original().Contains(*name));
      EXPECT_FALSE(LineValue(line)->empty());
      // A scene reverting this translation must land on this original (or one that reads the
      // same), or switching languages would change what the scene says.
      const auto back = table.NameOf(*LineValue(line));
      ASSERT_TRUE(back.has_value());
      EXPECT_EQ(WithSingleBlanks(*back), WithSingleBlanks(*name));
    }
  }
}

TEST(EmbeddedTableTextTest, BuildsTheSameBytesAsTheStreamWriter) {
  constexpr std::u8string_view table =
      u8"# comment\n[Original]\n  Lead\r\nB\n\n[Language CH]\nB=\u4e59\n[Language US]\n";
  constexpr std::size_t size = text::LanguageStreamSize(table);
  constexpr auto bytes = text::LanguageStreamBytes<size>(table);
  const auto written =
      WriteLanguageStream({u"  Lead\r\nB\r\n", {{u"CH", u"B=\u4e59\r\n"}, {u"US", u""}}});
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), written);

  text::TCountingSink sink;
  text::BuildLanguageStream(u8"[Original]\nA\n", sink);
  EXPECT_EQ(sink.Size, WriteLanguageStream({u"A\r\n", {}}).size());
}

TEST(EmbeddedTableTextTest, RefusesMalformedTables) {
  const std::u8string_view bad[] = {
      u8"A\n[Original]\n",                                // entry before the first section
      u8"[Language CH]\n",                                // no [Original] before it
      u8"# nothing\n",                                    // no [Original] at all
      u8"[Original]\nA\n[Original]\n",                    // [Original] twice
      u8"[Original]\nA\n[Lang CH]\n",                     // unknown header
      u8"[Original]\nA\n[Language ]\n",                   // empty language name
      u8"[Original]\nA\n[Language CH]\nA\n",              // language line without "="
      u8"[Original]\nA\n[Language CH]\nB=x\n",            // not an original
      u8"[Original]\nA\nA\n",                             // original twice
      u8"[Original]\nA\n[Language CH]\n[Language CH]\n",  // language twice
      u8"[Original]\nA \n",                               // trailing blank
      u8"[Original]\nA\u2028B\n",                         // line break inside an entry
      u8"[Original]\nA\rB\n",                             // lone CR inside an entry
      u8"[Original]\n\xC3\n",                             // invalid UTF-8
      u8"[Original]\n\xED\xA0\x80\n",                     // an encoded surrogate
  };
  for (const auto table : bad) {
    SCOPED_TRACE(std::string(table.begin(), table.end()));
    text::TCountingSink sink;
    EXPECT_THROW(text::BuildLanguageStream(table, sink), std::invalid_argument);
  }
}

}  // namespace
}  // namespace mon
