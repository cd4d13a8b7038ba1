#include "framework/ini_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mon {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& AText) {
  return std::vector<std::uint8_t>(AText.begin(), AText.end());
}

std::vector<std::uint8_t> Utf16LeWithBom(const std::u16string& AText) {
  std::vector<std::uint8_t> bytes{0xFF, 0xFE};
  for (const char16_t c : AText) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

TEST(IniFileTest, NamesIgnoreCaseAndBlanksAroundNamesAndValuesAreDropped) {
  const auto ini = TIniFile::Parse(Bytes("[ Options ]\r\n  ProfileFolder =  My Profiles  \r\n"));
  EXPECT_EQ(ini.ReadString(u"options", u"PROFILEFOLDER", u"x"), u"My Profiles");
}

TEST(IniFileTest, MissingSectionOrKeyGivesTheDefault) {
  const auto ini = TIniFile::Parse(Bytes("[options]\nA=1\n"));
  EXPECT_EQ(ini.ReadString(u"options", u"B", u"dflt"), u"dflt");
  EXPECT_EQ(ini.ReadString(u"other", u"A", u"dflt"), u"dflt");
  EXPECT_EQ(TIniFile().ReadString(u"options", u"A", u"dflt"), u"dflt");
}

TEST(IniFileTest, PresentButEmptyValueIsEmptyNotTheDefault) {
  const auto ini = TIniFile::Parse(Bytes("[s]\nkey=\nbare\n"));
  EXPECT_EQ(ini.ReadString(u"s", u"key", u"dflt"), u"");
  EXPECT_EQ(ini.ReadString(u"s", u"bare", u"dflt"), u"");
}

TEST(IniFileTest, MatchingQuotesAreRemovedOnlyInPairs) {
  const auto ini = TIniFile::Parse(Bytes("[s]\na=\" spaced \"\nb='x'\nc=\"open\nd=\"\ne=\"a'\n"));
  EXPECT_EQ(ini.ReadString(u"s", u"a", u""), u" spaced ");
  EXPECT_EQ(ini.ReadString(u"s", u"b", u""), u"x");
  EXPECT_EQ(ini.ReadString(u"s", u"c", u""), u"\"open");
  EXPECT_EQ(ini.ReadString(u"s", u"d", u""), u"\"");
  EXPECT_EQ(ini.ReadString(u"s", u"e", u""), u"\"a'");
}

TEST(IniFileTest, FirstSectionAndFirstKeyOfANameWin) {
  const auto ini = TIniFile::Parse(Bytes("[s]\nk=1\nK=2\n[S]\nk=3\nonly=4\n"));
  EXPECT_EQ(ini.ReadString(u"s", u"k", u""), u"1");
  EXPECT_EQ(ini.ReadString(u"s", u"only", u"none"), u"none");
}

TEST(IniFileTest, CommentsKeysBeforeAnySectionAndValuesWithEqualsSigns) {
  const auto ini = TIniFile::Parse(Bytes("orphan=1\n[s]\n;k=commented\nurl=http://x/?a=b\n=x\n"));
  EXPECT_EQ(ini.ReadString(u"s", u"k", u"none"), u"none");
  EXPECT_EQ(ini.ReadString(u"s", u"url", u""), u"http://x/?a=b");
  EXPECT_EQ(ini.ReadString(u"", u"orphan", u"none"), u"none");
  EXPECT_EQ(ini.ReadSectionKeys(u"s"), std::vector<std::u16string>{u"url"});
}

TEST(IniFileTest, ReadsUtf16Utf8AndAnsiFiles) {
  const std::u16string text = u"[OtherConfig]\r\nOfficialWebsite=http://\u00e9\u6e38.example\r\n";
  EXPECT_EQ(
      TIniFile::Parse(Utf16LeWithBom(text)).ReadString(u"otherconfig", u"officialwebsite", u""),
      u"http://\u00e9\u6e38.example");
  const std::string utf8 = "[s]\nv=caf\xC3\xA9\n";
  EXPECT_EQ(TIniFile::Parse(Bytes(utf8)).ReadString(u"s", u"v", u""), u"caf\u00e9");
  EXPECT_EQ(TIniFile::Parse(Bytes("\xEF\xBB\xBF" + utf8)).ReadString(u"s", u"v", u""),
            u"caf\u00e9");
  // Not valid UTF-8: read as Windows-1252 (0xE9 e-acute, 0x80 euro sign).
  EXPECT_EQ(TIniFile::Parse(Bytes("[s]\nv=caf\xE9 \x80\n")).ReadString(u"s", u"v", u""),
            u"caf\u00e9 \u20ac");
}

TEST(IniFileTest, IntegersInDecimalAndHexWithDefaultsForJunk) {
  const auto ini =
      TIniFile::Parse(Bytes("[s]\na=12\nb=-7\nc=0x1F\nd=$10\ne=12abc\nf=\ng=99999999999\nh= 5 \n"));
  EXPECT_EQ(ini.ReadInteger(u"s", u"a", 0), 12);
  EXPECT_EQ(ini.ReadInteger(u"s", u"b", 0), -7);
  EXPECT_EQ(ini.ReadInteger(u"s", u"c", 0), 31);
  EXPECT_EQ(ini.ReadInteger(u"s", u"d", 0), 16);
  EXPECT_EQ(ini.ReadInteger(u"s", u"e", 3), 3);
  EXPECT_EQ(ini.ReadInteger(u"s", u"f", 3), 3);
  EXPECT_EQ(ini.ReadInteger(u"s", u"g", 3), 3);
  EXPECT_EQ(ini.ReadInteger(u"s", u"h", 3), 5);
  EXPECT_EQ(ini.ReadInteger(u"s", u"missing", 9), 9);
}

TEST(IniFileTest, SectionKeysInFileOrderEachOnce) {
  const auto ini = TIniFile::Parse(Bytes("[HelpFiles]\nb=y\na=x\nB=z\n"));
  EXPECT_EQ(ini.ReadSectionKeys(u"helpfiles"), (std::vector<std::u16string>{u"b", u"a"}));
  EXPECT_TRUE(ini.ReadSectionKeys(u"none").empty());
}

TEST(IniFileTest, LinesEndInCrLfOrEitherAloneAndEncodingsKeepEveryUnit) {
  const auto ini = TIniFile::Parse(Bytes("[s]\ra=1\nb=2\r\n\r\nc=3"));
  EXPECT_EQ(ini.ReadSectionKeys(u"s"), (std::vector<std::u16string>{u"a", u"b", u"c"}));
  EXPECT_EQ(ini.ReadString(u"s", u"c", u""), u"3");
  // UTF-16 big-endian with an odd last byte: every whole unit read, the odd byte dropped.
  std::vector<std::uint8_t> bigEndian{0xFE, 0xFF};
  for (const char16_t c : std::u16string(u"[s]\nk=v\u6e38")) {
    bigEndian.push_back(static_cast<std::uint8_t>(c >> 8));
    bigEndian.push_back(static_cast<std::uint8_t>(c & 0xFF));
  }
  bigEndian.push_back(0x41);
  EXPECT_EQ(TIniFile::Parse(bigEndian).ReadString(u"s", u"k", u""), u"v\u6e38");
  // Windows-1252 at the edges of its own range 0x80..0x9F, and an unassigned byte kept as is.
  EXPECT_EQ(TIniFile::Parse(Bytes("[s]\nv=\x7F\x80\x81\x9F\xA0\xFF\n")).ReadString(u"s", u"v", u""),
            u"\u007F\u20AC\u0081\u0178\u00A0\u00FF");
}

TEST(IniFileTest, BinaryGarbageDoesNotCrash) {
  std::vector<std::uint8_t> junk;
  for (int i = 0; i < 4096; ++i) {
    junk.push_back(static_cast<std::uint8_t>((i * 131) ^ (i >> 3)));
  }
  const auto ini = TIniFile::Parse(junk);
  EXPECT_EQ(ini.ReadString(u"s", u"k", u"d"), u"d");
  const std::vector<std::uint8_t> oddUtf16{0xFF, 0xFE, 0x5B};
  EXPECT_EQ(TIniFile::Parse(oddUtf16).ReadString(u"s", u"k", u"d"), u"d");
}

}  // namespace
}  // namespace mon
