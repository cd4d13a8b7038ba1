// Our INI reader against the system's own private-profile functions, on the same files.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "framework/ini_file.h"
#include "platform/win32/wide.h"

namespace mon {
namespace {

std::wstring TempIniPath() {
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"mon_ini_" + std::to_wstring(::GetCurrentProcessId()) + L".ini";
}

std::u16string SystemRead(const std::wstring& APath, const wchar_t* ASection, const wchar_t* AKey,
                          const wchar_t* ADefault) {
  wchar_t buffer[1024] = {};
  ::GetPrivateProfileStringW(ASection, AKey, ADefault, buffer, 1024, APath.c_str());
  return win32::FromWideBuffer(buffer, 1024);
}

void ExpectSameAsSystem(const std::vector<std::uint8_t>& ABytes) {
  const std::wstring path = TempIniPath();
  {
    std::ofstream file(path.c_str(), std::ios::binary);
    file.write(reinterpret_cast<const char*>(ABytes.data()),
               static_cast<std::streamsize>(ABytes.size()));
  }
  const TIniFile ini = TIniFile::Parse(ABytes);
  const wchar_t* const keys[][2] = {
      {L"options", L"ProfileRegFolder"},
      {L"OPTIONS", L"profilefolder"},
      {L"options", L"quoted"},
      {L"options", L"single"},
      {L"options", L"empty"},
      {L"options", L"missing"},
      {L"Other", L"k"},
      {L"other", L"dup"},
      {L"none", L"k"},
  };
  for (const auto& key : keys) {
    EXPECT_EQ(ini.ReadString(win32::FromWide(key[0]), win32::FromWide(key[1]), u"(default)"),
              SystemRead(path, key[0], key[1], L"(default)"))
        << "[" << win32::FromWide(key[0]).size() << "] key of length "
        << win32::FromWide(key[1]).size();
  }
  ::DeleteFileW(path.c_str());
}

const char kSample[] =
    "; comment\r\n[ options ]\r\nProfileRegFolder = KORVALDZ314GM \r\nprofileFolder=Profiles\r\n"
    "quoted=\" a b \"\r\nsingle='x'\r\nempty=\r\n\r\n[Other]\r\nk=1\r\ndup=first\r\ndup=second\r\n";

TEST(IniFileWin32Test, AnsiFileReadsAsTheSystemReadsIt) {
  ExpectSameAsSystem(std::vector<std::uint8_t>(kSample, kSample + sizeof kSample - 1));
}

TEST(IniFileWin32Test, Utf16FileWithByteOrderMarkReadsAsTheSystemReadsIt) {
  std::vector<std::uint8_t> bytes{0xFF, 0xFE};
  for (const char* c = kSample; *c != '\0'; ++c) {
    bytes.push_back(static_cast<std::uint8_t>(*c));
    bytes.push_back(0);
  }
  ExpectSameAsSystem(bytes);
}

}  // namespace
}  // namespace mon
