#include "i18n/language_table.h"

#include <gtest/gtest.h>

#include "fake_locale.h"

namespace mon {
namespace {

using Lines = std::vector<std::u16string>;

TEST(SplitLinesTest, EveryLineEndAndCrLfAsOne) {
  EXPECT_EQ(SplitLines(u"a\r\nb\rc\nd\ve\ff\u2028g\u2029h"),
            (Lines{u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h"}));
  // LF CR is two line ends; so are two CRs.
  EXPECT_EQ(SplitLines(u"a\n\rb\r\rc"), (Lines{u"a", u"", u"b", u"", u"c"}));
}

TEST(SplitLinesTest, NoTrailingEmptyLineButEmptyLinesInside) {
  EXPECT_EQ(SplitLines(u"a\r\n"), (Lines{u"a"}));
  EXPECT_EQ(SplitLines(u"a"), (Lines{u"a"}));
  EXPECT_EQ(SplitLines(u""), Lines{});
  EXPECT_EQ(SplitLines(u"\r\n"), (Lines{u""}));
  EXPECT_EQ(SplitLines(u"\r\n\r\na\r\n\r\n"), (Lines{u"", u"", u"a", u""}));
  EXPECT_EQ(SplitLines(u"  lead\r\n"), (Lines{u"  lead"}));
}

TEST(SplitLinesTest, JoinLinesEndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinLines({u"a", u"", u"b"}), u"a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLines({}), u"");
  EXPECT_EQ(SplitLines(JoinLines({u"x", u"", u" y"})), (Lines{u"x", u"", u" y"}));
}

TEST(SortedTextListTest, KeepsLinguisticOrderAndIgnoresDuplicates) {
  testing::TFakeLocale locale;
  TSortedTextList list(locale);
  for (const char16_t* text : {u"b", u"B", u"a", u"A", u" CLOSE", u"CLOSE", u"Close Window"}) {
    EXPECT_TRUE(list.Add(text));
  }
  EXPECT_FALSE(list.Add(u"B"));
  EXPECT_FALSE(list.Add(u"a"));
  EXPECT_EQ(list.Lines(), (Lines{u" CLOSE", u"a", u"A", u"b", u"B", u"CLOSE", u"Close Window"}));
  EXPECT_EQ(list.IndexOf(u"b"), 3u);
  EXPECT_EQ(list.IndexOf(u"c"), std::nullopt);
  EXPECT_TRUE(list.Remove(u"A"));
  EXPECT_FALSE(list.Remove(u"A"));
  EXPECT_FALSE(list.Contains(u"A"));
  EXPECT_EQ(list.Count(), 6u);
}

TEST(SortedTextListTest, SetTextReplacesTheContentSorted) {
  testing::TFakeLocale locale;
  TSortedTextList list(locale);
  list.Add(u"old");
  list.SetText(u"z\r\ny\r\nz\r\n");
  EXPECT_EQ(list.Lines(), (Lines{u"y", u"z"}));
  EXPECT_EQ(list.Text(), u"y\r\nz\r\n");
}

TEST(LanguageTableTest, NameAndValueLookupsReturnTheFirstMatchInListOrder) {
  testing::TFakeLocale locale;
  TLanguageTable table(locale);
  table.SetText(u"Config=A\r\nConfig=B\r\nOK=OK\r\nX=B\r\nno separator\r\n");
  EXPECT_EQ(table.ValueOf(u"Config"), u"A");
  EXPECT_EQ(table.NameOf(u"B"), u"Config");
  EXPECT_EQ(table.ValueOf(u"config"), std::nullopt);  // case-sensitive
  EXPECT_EQ(table.ValueOf(u"no separator"), std::nullopt);
  EXPECT_EQ(table.NameOf(u"no separator"), std::nullopt);
  EXPECT_EQ(table.ValueOf(u"Missing"), std::nullopt);
}

TEST(LanguageTableTest, TheNameEndsAtTheFirstEqualsSign) {
  testing::TFakeLocale locale;
  TLanguageTable table(locale);
  table.SetText(u"a=b=c\r\nempty=\r\n=lonely\r\n");
  EXPECT_EQ(table.ValueOf(u"a"), u"b=c");
  EXPECT_EQ(table.ValueOf(u"a=b"), std::nullopt);  // an original holding "=" never matches
  EXPECT_EQ(table.ValueOf(u"empty"), u"");
  EXPECT_EQ(table.NameOf(u"lonely"), u"");
  EXPECT_EQ(LineName(u"x"), std::nullopt);
  EXPECT_EQ(LineValue(u"x="), u"");
}

}  // namespace
}  // namespace mon
