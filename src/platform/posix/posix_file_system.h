#pragma once

#include <string>

#include "platform/file_system.h"

namespace mon::posix {

// A path text of the core as a POSIX path: UTF-8, every '\' turned into '/'.
std::string ToNativePath(const std::u16string& APath);

class TPosixFileSystem final : public TFileSystem {
 public:
  std::u16string ExecutableFolder() override;
  bool FileExists(const std::u16string& APath) override;
  bool DirectoryExists(const std::u16string& APath) override;
  bool MakeDirectory(const std::u16string& APath) override;
  std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath,
                                                         std::uint64_t AMaxBytes) override;
  bool WriteWholeFile(const std::u16string& APath, std::span<const std::uint8_t> ABytes) override;
  bool RemoveFile(const std::u16string& APath) override;
  // The XDG documents folder (XDG_DOCUMENTS_DIR of user-dirs.dirs) when it exists, else
  // ~/Documents (made when missing), else $HOME.
  std::optional<std::u16string> DocumentsFolder() override;
};

}  // namespace mon::posix
