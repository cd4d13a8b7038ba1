#include "i18n/language_stream.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

namespace mon {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutInt32(Bytes& ABytes, std::int32_t AValue) {
  const auto value = static_cast<std::uint32_t>(AValue);
  for (int shift = 0; shift < 32; shift += 8) {
    ABytes.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void PutUnits(Bytes& ABytes, std::u16string_view AText) {
  for (const char16_t unit : AText) {
    ABytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    ABytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
}

void PutCounted(Bytes& ABytes, std::u16string_view AText) {
  PutInt32(ABytes, static_cast<std::int32_t>(AText.size()));
  PutUnits(ABytes, AText);
}

TLanguageStreamContent TwoLanguages() {
  return {u"Config\r\nExit\r\n",
          {{u"CH", u"Config=\u6253\u5f00\u914d\u7f6e\r\n"}, {u"US", u"OK=OK\r\n"}}};
}

TEST(LanguageStreamTest, WritesTheDocumentedLayout) {
  Bytes expected;
  PutCounted(expected, u"A\r\n");
  PutInt32(expected, 1);
  PutCounted(expected, u"X");
  PutCounted(expected, u"A=\u00e9\r\n");
  EXPECT_EQ(WriteLanguageStream({u"A\r\n", {{u"X", u"A=\u00e9\r\n"}}}), expected);

  Bytes none;
  PutCounted(none, u"A\r\n");
  PutInt32(none, 0);  // the language count is written even when 0
  EXPECT_EQ(WriteLanguageStream({u"A\r\n", {}}), none);
}

TEST(LanguageStreamTest, RoundTripKeepsOriginalsAndLanguagesInOrder) {
  const TLanguageStreamContent content = TwoLanguages();
  EXPECT_EQ(ReadLanguageStream(WriteLanguageStream(content)), content);
  const TLanguageStreamContent empty;
  EXPECT_EQ(ReadLanguageStream(WriteLanguageStream(empty)), empty);
}

TEST(LanguageStreamTest, EveryTruncationKeepsWhatWasReadAndNothingMore) {
  const Bytes full = WriteLanguageStream(TwoLanguages());
  const TLanguageStreamContent whole = TwoLanguages();
  for (std::size_t size = 0; size <= full.size(); ++size) {
    SCOPED_TRACE(size);
    const auto cut = ReadLanguageStream(std::span(full.data(), size));
    // What is read is a prefix of the stream's content: never invented, never reordered.
    EXPECT_TRUE(whole.OriginalText.starts_with(cut.OriginalText));
    ASSERT_LE(cut.Languages.size(), whole.Languages.size());
    for (std::size_t i = 0; i < cut.Languages.size(); ++i) {
      EXPECT_TRUE(whole.Languages[i].Name.starts_with(cut.Languages[i].Name));
      EXPECT_TRUE(whole.Languages[i].TableText.starts_with(cut.Languages[i].TableText));
    }
  }
  // Cut in the middle of the second language's table: the first stays whole.
  const auto cut = ReadLanguageStream(std::span(full.data(), full.size() - 3));
  ASSERT_EQ(cut.Languages.size(), 2u);
  EXPECT_EQ(cut.Languages[0], whole.Languages[0]);
  EXPECT_EQ(cut.Languages[1].TableText, u"OK=OK");  // the units present, the odd byte dropped
}

TEST(LanguageStreamTest, NegativeCountsReadAsEmptyAndNoLanguage) {
  Bytes bytes;
  PutInt32(bytes, -5);  // original text: empty
  PutInt32(bytes, 1);
  PutInt32(bytes, std::numeric_limits<std::int32_t>::min());  // name: empty
  PutCounted(bytes, u"a=b\r\n");
  auto content = ReadLanguageStream(bytes);
  EXPECT_EQ(content.OriginalText, u"");
  ASSERT_EQ(content.Languages.size(), 1u);
  EXPECT_EQ(content.Languages[0].Name, u"");
  EXPECT_EQ(content.Languages[0].TableText, u"a=b\r\n");

  Bytes negativeLanguages;
  PutCounted(negativeLanguages, u"x\r\n");
  PutInt32(negativeLanguages, -1);
  PutCounted(negativeLanguages, u"CH");
  PutCounted(negativeLanguages, u"x=y\r\n");
  content = ReadLanguageStream(negativeLanguages);
  EXPECT_EQ(content.OriginalText, u"x\r\n");
  EXPECT_TRUE(content.Languages.empty());
}

TEST(LanguageStreamTest, CountsLargerThanTheInputNeverAllocateBeyondIt) {
  Bytes bytes;
  PutInt32(bytes, std::numeric_limits<std::int32_t>::max());
  PutUnits(bytes, u"abc");
  bytes.push_back(0x41);  // odd length
  auto content = ReadLanguageStream(bytes);
  EXPECT_EQ(content.OriginalText, u"abc");
  EXPECT_TRUE(content.Languages.empty());

  // A language count far beyond the data: the languages present, none made up.
  Bytes many;
  PutCounted(many, u"");
  PutInt32(many, std::numeric_limits<std::int32_t>::max());
  PutCounted(many, u"CH");
  PutCounted(many, u"a=b\r\n");
  content = ReadLanguageStream(many);
  ASSERT_EQ(content.Languages.size(), 1u);
  EXPECT_EQ(content.Languages[0].Name, u"CH");

  // A count cut short counts as 0.
  EXPECT_EQ(ReadLanguageStream(Bytes{3, 0, 0}), TLanguageStreamContent{});
}

TEST(LanguageStreamTest, BytesAfterTheLastLanguageAreIgnored) {
  Bytes bytes = WriteLanguageStream(TwoLanguages());
  PutCounted(bytes, u"garbage");
  EXPECT_EQ(ReadLanguageStream(bytes), TwoLanguages());
}

}  // namespace
}  // namespace mon
