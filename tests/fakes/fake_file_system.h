// A file system held in memory: files and folders by path; writes can be made to fail.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace mon::testing {

class TMemoryFileSystem final : public TFileSystem {
 public:
  // Paths compare without regard to case and with '/' and '\' alike, as on Windows.
  explicit TMemoryFileSystem(std::u16string AExecutableFolder = u"C:\\Program\\");

  void AddFile(const std::u16string& APath, std::vector<std::uint8_t> ABytes);
  void AddTextFile(const std::u16string& APath, const std::string& AUtf8);
  void AddDirectory(const std::u16string& APath);
  // The stored bytes, or nullopt.
  std::optional<std::vector<std::uint8_t>> FileBytes(const std::u16string& APath) const;
  // Every file held, by its key (see Key), to see what a component wrote where.
  std::vector<std::u16string> FileKeys() const;
  // The form a path is kept in: folded case, '\' only, no trailing separator.
  static std::u16string Key(const std::u16string& APath);
  // Makes every later write fail (a full disk).
  void FailWrites(bool AValue) { FFailWrites = AValue; }
  void SetDocumentsFolder(std::optional<std::u16string> AValue) { FDocuments = std::move(AValue); }

  std::u16string ExecutableFolder() override { return FExecutableFolder; }
  bool FileExists(const std::u16string& APath) override;
  bool DirectoryExists(const std::u16string& APath) override;
  bool MakeDirectory(const std::u16string& APath) override;
  std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath,
                                                         std::uint64_t AMaxBytes) override;
  bool WriteWholeFile(const std::u16string& APath, std::span<const std::uint8_t> ABytes) override;
  bool RemoveFile(const std::u16string& APath) override;
  std::optional<std::u16string> DocumentsFolder() override { return FDocuments; }

 private:
  static std::u16string ParentKey(const std::u16string& AKey);

  mutable std::mutex FLock;
  std::u16string FExecutableFolder;
  std::map<std::u16string, std::vector<std::uint8_t>> FFiles;
  std::map<std::u16string, bool> FDirectories;
  std::optional<std::u16string> FDocuments;
  bool FFailWrites = false;
};

// Time moves only when the test sets it; sleeps return at once (unless AStop is set), are
// recorded and move the tick on.

}  // namespace mon::testing
