#include "framework/text.h"

#include <gtest/gtest.h>

namespace mon {
namespace {

TEST(TextTest, Utf8RoundTripKeepsEveryPlane) {
  const std::u16string text = u"abc \u00e9 \u6e38\u620f \U0001F600";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

TEST(TextTest, BrokenUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");                    // cut short
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

TEST(TextTest, CaseFoldingCoversAsciiAndLatin1Only) {
  EXPECT_TRUE(SameTextIgnoreCase(u"HID\\VID_046D&PID_C52F", u"hid\\vid_046d&pid_c52f"));
  EXPECT_TRUE(SameTextIgnoreCase(u"\u00c9t\u00c9", u"\u00e9t\u00e9"));
  EXPECT_FALSE(SameTextIgnoreCase(u"\u00d7", u"\u00f7"));  // multiplication vs division sign
  EXPECT_FALSE(SameTextIgnoreCase(u"abc", u"abcd"));
}

TEST(TextTest, IntToTextAndTrim) {
  EXPECT_EQ(IntToText(-42), u"-42");
  EXPECT_EQ(IntToText(0), u"0");
  EXPECT_EQ(TrimBlanks(u" \t a b \t"), u"a b");
  EXPECT_EQ(TrimBlanks(u"   "), u"");
}

}  // namespace
}  // namespace mon
