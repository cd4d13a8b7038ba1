// Files of the Linux monitor: the POSIX file system, with the application's folder spread over
// the XDG places (linux_places.h). The core sees one folder, the user's settings folder, as its
// "executable folder"; a file the core reads there that the user does not have is read from the
// first of the other places that has it. Writes, removals and new folders go where the core says.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/posix_file_system.h"

namespace mon::lnx {

class TLinuxFileSystem final : public TFileSystem {
 public:
  // AFolders: the application's folders in search order, each ending with '/'; the first is the
  // user's own (made when missing, readable by the user only).
  explicit TLinuxFileSystem(std::vector<std::string> AFolders);

  std::u16string ExecutableFolder() override;
  bool FileExists(const std::u16string& APath) override;
  bool DirectoryExists(const std::u16string& APath) override;
  bool MakeDirectory(const std::u16string& APath) override { return FFiles.MakeDirectory(APath); }
  std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath,
                                                         std::uint64_t AMaxBytes) override;
  bool WriteWholeFile(const std::u16string& APath, std::span<const std::uint8_t> ABytes) override {
    return FFiles.WriteWholeFile(APath, ABytes);
  }
  bool RemoveFile(const std::u16string& APath) override { return FFiles.RemoveFile(APath); }
  std::optional<std::u16string> DocumentsFolder() override { return FFiles.DocumentsFolder(); }

 private:
  // APath itself when it is outside the user's folder or exists there; otherwise the same
  // relative path in the first other folder where it exists (APath when none has it).
  std::u16string Resolve(const std::u16string& APath);

  posix::TPosixFileSystem FFiles;
  std::vector<std::string> FFolders;
};

}  // namespace mon::lnx
