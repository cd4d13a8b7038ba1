// The application manifest as the built programs carry it: resource 1 of type RT_MANIFEST, read
// back from each program given on the command line (the ctest entry names KORVALDZ314MON.EXE
// and LanguageTranslate.exe), checked element by element, and read once more the way the loader
// reads it (an activation context made from the program's resource).
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace mon {
namespace {

// The arguments of this process that are not GoogleTest's own.
std::vector<std::wstring> ProgramsFromCommandLine() {
  std::vector<std::wstring> programs;
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (arguments == nullptr) {
    return programs;
  }
  for (int i = 1; i < count; ++i) {
    const std::wstring argument = arguments[i];
    if (argument.rfind(L"--gtest", 0) != 0) {
      programs.push_back(argument);
    }
  }
  ::LocalFree(arguments);
  return programs;
}

std::string Narrow(const std::wstring& AText) {
  std::string text;
  for (wchar_t c : AText) {
    text += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return text;
}

std::string Lower(std::string AText) {
  std::transform(AText.begin(), AText.end(), AText.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return AText;
}

// The manifest resource of a program, loaded as data only (none of its code runs).
std::optional<std::string> ReadManifest(const std::wstring& AProgram) {
  const HMODULE module = ::LoadLibraryExW(
      AProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) {
    return std::nullopt;
  }
  std::optional<std::string> text;
  if (const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
    const DWORD size = ::SizeofResource(module, resource);
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes != nullptr) {
      text.emplace(static_cast<const char*>(bytes), size);
    }
  }
  ::FreeLibrary(module);
  return text;
}

// Every start tag <AName ...> (or <AName .../>) of the text, whole.
std::vector<std::string> StartTags(const std::string& AXml, std::string_view AName) {
  std::vector<std::string> tags;
  const std::string open = "<" + std::string(AName);
  for (std::size_t at = AXml.find(open); at != std::string::npos; at = AXml.find(open, at + 1)) {
    const std::size_t after = at + open.size();
    if (after >= AXml.size() || (std::isspace(static_cast<unsigned char>(AXml[after])) == 0 &&
                                 AXml[after] != '>' && AXml[after] != '/')) {
      continue;  // a longer name that begins the same
    }
    const std::size_t end = AXml.find('>', after);
    if (end != std::string::npos) {
      tags.push_back(AXml.substr(at, end + 1 - at));
    }
  }
  return tags;
}

std::string StartTag(const std::string& AXml, std::string_view AName) {
  const auto tags = StartTags(AXml, AName);
  return tags.size() == 1 ? tags.front() : std::string();
}

// The value of an attribute of a start tag; nullopt when it has none of that name.
std::optional<std::string> Attribute(const std::string& ATag, std::string_view AName) {
  const std::string key = std::string(AName) + "=\"";
  for (std::size_t at = ATag.find(key); at != std::string::npos; at = ATag.find(key, at + 1)) {
    if (at > 0 && std::isspace(static_cast<unsigned char>(ATag[at - 1])) != 0) {
      const std::size_t begin = at + key.size();
      const std::size_t end = ATag.find('"', begin);
      if (end != std::string::npos) {
        return ATag.substr(begin, end - begin);
      }
    }
  }
  return std::nullopt;
}

// The text between the one element's start and end tags.
std::string Content(const std::string& AXml, std::string_view AName) {
  const std::string tag = StartTag(AXml, AName);
  const std::size_t start = tag.empty() ? std::string::npos : AXml.find(tag);
  const std::size_t end = AXml.find("</" + std::string(AName) + ">");
  if (start == std::string::npos || end == std::string::npos) {
    return {};
  }
  return AXml.substr(start + tag.size(), end - start - tag.size());
}

constexpr char kWindowsSettings2005[] = "http://schemas.microsoft.com/SMI/2005/WindowsSettings";
constexpr char kWindowsSettings2016[] = "http://schemas.microsoft.com/SMI/2016/WindowsSettings";

// The documented IDs of Windows 10 and 11, 8.1, 8 and 7.
const std::set<std::string> kSupportedOs{
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"};

void CheckManifestText(const std::string& AXml) {
  EXPECT_EQ(AXml.rfind("<?xml", 0), 0u);
  const std::string assembly = StartTag(AXml, "assembly");
  EXPECT_EQ(Attribute(assembly, "xmlns"), "urn:schemas-microsoft-com:asm.v1");
  EXPECT_EQ(Attribute(assembly, "manifestVersion"), "1.0");

  // Run as the invoker.
  EXPECT_EQ(Attribute(StartTag(AXml, "trustInfo"), "xmlns"), "urn:schemas-microsoft-com:asm.v3");
  const std::string level = StartTag(AXml, "requestedExecutionLevel");
  EXPECT_EQ(Attribute(level, "level"), "asInvoker");
  EXPECT_EQ(Attribute(level, "uiAccess"), "false");

  // The supported systems, each once.
  EXPECT_EQ(Attribute(StartTag(AXml, "compatibility"), "xmlns"),
            "urn:schemas-microsoft-com:compatibility.v1");
  std::multiset<std::string> ids;
  for (const std::string& tag : StartTags(AXml, "supportedOS")) {
    ids.insert(Lower(Attribute(tag, "Id").value_or("")));
  }
  EXPECT_EQ(ids, std::multiset<std::string>(kSupportedOs.begin(), kSupportedOs.end()));

  // Per-monitor v2 with per-monitor as its fall-back; per-monitor on Windows 8.1, system-aware
  // on 7 and 8.
  // (The other <application> is the compatibility section's.)
  const auto applications = StartTags(AXml, "application");
  EXPECT_EQ(std::count_if(applications.begin(), applications.end(),
                          [](const std::string& ATag) {
                            return Attribute(ATag, "xmlns") == "urn:schemas-microsoft-com:asm.v3";
                          }),
            1);
  EXPECT_EQ(Attribute(StartTag(AXml, "dpiAwareness"), "xmlns"), kWindowsSettings2016);
  EXPECT_EQ(Content(AXml, "dpiAwareness"), "PerMonitorV2, PerMonitor");
  EXPECT_EQ(Attribute(StartTag(AXml, "dpiAware"), "xmlns"), kWindowsSettings2005);
  EXPECT_EQ(Content(AXml, "dpiAware"), "true/pm");
  EXPECT_EQ(Attribute(StartTag(AXml, "longPathAware"), "xmlns"), kWindowsSettings2016);
  EXPECT_EQ(Content(AXml, "longPathAware"), "true");
  // The programs are UTF-16 throughout: no UTF-8 code page.
  EXPECT_EQ(AXml.find("activeCodePage"), std::string::npos);

  // Common Controls 6, the one dependency.
  const auto identities = StartTags(AXml, "assemblyIdentity");
  ASSERT_EQ(identities.size(), 1u);
  const std::string& controls = identities.front();
  EXPECT_EQ(Attribute(controls, "type"), "win32");
  EXPECT_EQ(Attribute(controls, "name"), "Microsoft.Windows.Common-Controls");
  EXPECT_EQ(Attribute(controls, "version"), "6.0.0.0");
  const auto architecture = Attribute(controls, "processorArchitecture");
  EXPECT_TRUE(architecture == "*" || architecture == "amd64") << architecture.value_or("none");
  EXPECT_EQ(Attribute(controls, "publicKeyToken"), "6595b64144ccf1df");
  EXPECT_EQ(Attribute(controls, "language"), "*");
  EXPECT_EQ(StartTags(AXml, "dependentAssembly").size(), 1u);
}

// A setting of the program's manifest as the system reads it into an activation context.
std::optional<std::wstring> SystemSetting(HANDLE AContext, const wchar_t* ANamespace,
                                          const wchar_t* AName) {
  wchar_t value[128] = {};
  SIZE_T written = 0;
  if (::QueryActCtxSettingsW(0, AContext, ANamespace, AName, value, std::size(value), &written) ==
      0) {
    return std::nullopt;
  }
  return std::wstring(value);
}

TEST(AppManifest, EveryProgramCarriesTheManifestWithEachElement) {
  const auto programs = ProgramsFromCommandLine();
  ASSERT_EQ(programs.size(), 2u) << "give the paths of KORVALDZ314MON.EXE and "
                                    "LanguageTranslate.exe";
  std::optional<std::string> first;
  for (const std::wstring& program : programs) {
    SCOPED_TRACE(Narrow(program));
    const auto manifest = ReadManifest(program);
    ASSERT_TRUE(manifest.has_value()) << "no manifest resource";
    CheckManifestText(*manifest);
    // One source file for both programs.
    if (first) {
      EXPECT_EQ(*manifest, *first);
    } else {
      first = manifest;
    }
  }
}

TEST(AppManifest, TheSystemReadsItsSettings) {
  const auto programs = ProgramsFromCommandLine();
  ASSERT_EQ(programs.size(), 2u);
  for (const std::wstring& program : programs) {
    SCOPED_TRACE(Narrow(program));
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    const HANDLE context = ::CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE)
        << "the system rejects the manifest, error " << ::GetLastError();
    const wchar_t* const settings2005 = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
    const wchar_t* const settings2016 = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    EXPECT_EQ(SystemSetting(context, settings2016, L"dpiAwareness"), L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(SystemSetting(context, settings2005, L"dpiAware"), L"true/pm");
    EXPECT_EQ(SystemSetting(context, settings2016, L"longPathAware"), L"true");
    ::ReleaseActCtx(context);
  }
}

}  // namespace
}  // namespace mon
