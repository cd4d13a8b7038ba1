// Files and folders as the core needs them.
//
// Path texts use the Windows conventions of the stored data: '\' separates folders and folder
// texts the core builds end with '\'. Backends accept both '\' and '/' as separators (the POSIX
// backend turns every '\' into '/').
//
// Every method may be called from any thread; none throws.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mon {

class TFileSystem {
 public:
  virtual ~TFileSystem() = default;

  // Folder of the running executable, ending with a separator.
  virtual std::u16string ExecutableFolder() = 0;

  virtual bool FileExists(const std::u16string& APath) = 0;
  virtual bool DirectoryExists(const std::u16string& APath) = 0;

  // Creates one folder level (its parent must exist). True when the folder exists afterwards.
  virtual bool MakeDirectory(const std::u16string& APath) = 0;

  // The whole content of a file. nullopt when the file is missing or unreadable, or larger than
  // AMaxBytes (so a hostile file never makes us allocate without bound).
  virtual std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath,
                                                                 std::uint64_t AMaxBytes) = 0;

  // Makes the file hold exactly ABytes. The bytes go to a temporary file in the same folder that
  // then replaces the target in one step, so a crash never leaves a truncated file behind.
  // False when the folder is missing or writing fails; the old file is then untouched.
  virtual bool WriteWholeFile(const std::u16string& APath,
                              std::span<const std::uint8_t> ABytes) = 0;

  virtual bool RemoveFile(const std::u16string& APath) = 0;

  // The current user's documents folder (no trailing separator required), or nullopt.
  virtual std::optional<std::u16string> DocumentsFolder() = 0;
};

// Path helpers shared by core code.
bool IsPathSeparator(char16_t AChar);
// AFolder with a '\' appended unless it already ends with a separator; empty stays empty.
std::u16string IncludeTrailingBackslash(const std::u16string& AFolder);
// Splits at the last separator: folder (with its separator) and name.
struct TPathParts {
  std::u16string Folder;
  std::u16string Name;
};
TPathParts SplitPath(const std::u16string& APath);

}  // namespace mon
