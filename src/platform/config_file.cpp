#include "platform/config_file.h"

namespace mon {

TIniFile LoadConfigFile(TFileSystem& AFiles, TLocale& ALocale) {
  const std::u16string folder = AFiles.ExecutableFolder();
  if (folder.empty()) {
    return {};
  }
  const auto bytes =
      AFiles.ReadWholeFile(IncludeTrailingBackslash(folder) + kConfigFileName, kMaxConfigFileBytes);
  if (!bytes) {
    return {};
  }
  return TIniFile::Parse(*bytes, [&ALocale](std::span<const std::uint8_t> AAnsi) {
    return ALocale.DecodeAnsiText(AAnsi);
  });
}

}  // namespace mon
