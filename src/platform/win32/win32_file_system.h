#pragma once

#include "platform/file_system.h"

namespace mon::win32 {

class TWin32FileSystem final : public TFileSystem {
 public:
  std::u16string ExecutableFolder() override;
  bool FileExists(const std::u16string& APath) override;
  bool DirectoryExists(const std::u16string& APath) override;
  bool MakeDirectory(const std::u16string& APath) override;
  std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath,
                                                         std::uint64_t AMaxBytes) override;
  bool WriteWholeFile(const std::u16string& APath, std::span<const std::uint8_t> ABytes) override;
  bool RemoveFile(const std::u16string& APath) override;
  std::optional<std::u16string> DocumentsFolder() override;
};

}  // namespace mon::win32
