#include "fake_file_system.h"

#include "framework/text.h"

namespace mon::testing {

TMemoryFileSystem::TMemoryFileSystem(std::u16string AExecutableFolder)
    : FExecutableFolder(std::move(AExecutableFolder)) {
  // Every ancestor of the executable's folder exists.
  std::u16string key = Key(FExecutableFolder);
  while (!key.empty()) {
    FDirectories[key] = true;
    key = ParentKey(key);
  }
}

std::u16string TMemoryFileSystem::Key(const std::u16string& APath) {
  std::u16string key = FoldCase(APath);
  for (auto& c : key) {
    if (c == u'/') {
      c = u'\\';
    }
  }
  while (key.size() > 1 && key.back() == u'\\') {
    key.pop_back();
  }
  return key;
}

std::u16string TMemoryFileSystem::ParentKey(const std::u16string& AKey) {
  const std::size_t separator = AKey.rfind(u'\\');
  return separator == std::u16string::npos ? std::u16string() : AKey.substr(0, separator);
}

void TMemoryFileSystem::AddFile(const std::u16string& APath, std::vector<std::uint8_t> ABytes) {
  std::lock_guard lock(FLock);
  const std::u16string key = Key(APath);
  for (std::u16string parent = ParentKey(key); !parent.empty(); parent = ParentKey(parent)) {
    FDirectories[parent] = true;
  }
  FFiles[key] = std::move(ABytes);
}

void TMemoryFileSystem::AddTextFile(const std::u16string& APath, const std::string& AUtf8) {
  AddFile(APath, std::vector<std::uint8_t>(AUtf8.begin(), AUtf8.end()));
}

void TMemoryFileSystem::AddDirectory(const std::u16string& APath) {
  std::lock_guard lock(FLock);
  for (std::u16string key = Key(APath); !key.empty(); key = ParentKey(key)) {
    FDirectories[key] = true;
  }
}

std::optional<std::vector<std::uint8_t>> TMemoryFileSystem::FileBytes(
    const std::u16string& APath) const {
  std::lock_guard lock(FLock);
  const auto found = FFiles.find(Key(APath));
  if (found == FFiles.end()) {
    return std::nullopt;
  }
  return found->second;
}

std::vector<std::u16string> TMemoryFileSystem::FileKeys() const {
  std::lock_guard lock(FLock);
  std::vector<std::u16string> keys;
  keys.reserve(FFiles.size());
  for (const auto& [key, bytes] : FFiles) {
    keys.push_back(key);
  }
  return keys;
}

bool TMemoryFileSystem::FileExists(const std::u16string& APath) {
  std::lock_guard lock(FLock);
  return FFiles.count(Key(APath)) != 0;
}

bool TMemoryFileSystem::DirectoryExists(const std::u16string& APath) {
  std::lock_guard lock(FLock);
  return FDirectories.count(Key(APath)) != 0;
}

bool TMemoryFileSystem::MakeDirectory(const std::u16string& APath) {
  std::lock_guard lock(FLock);
  const std::u16string key = Key(APath);
  if (FDirectories.count(key) != 0) {
    return true;
  }
  const std::u16string parent = ParentKey(key);
  if (FFailWrites || (!parent.empty() && FDirectories.count(parent) == 0)) {
    return false;
  }
  FDirectories[key] = true;
  return true;
}

std::optional<std::vector<std::uint8_t>> TMemoryFileSystem::ReadWholeFile(
    const std::u16string& APath, std::uint64_t AMaxBytes) {
  std::lock_guard lock(FLock);
  const auto found = FFiles.find(Key(APath));
  if (found == FFiles.end() || found->second.size() > AMaxBytes) {
    return std::nullopt;
  }
  return found->second;
}

bool TMemoryFileSystem::WriteWholeFile(const std::u16string& APath,
                                       std::span<const std::uint8_t> ABytes) {
  std::lock_guard lock(FLock);
  const std::u16string key = Key(APath);
  const std::u16string parent = ParentKey(key);
  if (FFailWrites || (!parent.empty() && FDirectories.count(parent) == 0)) {
    return false;
  }
  FFiles[key] = std::vector<std::uint8_t>(ABytes.begin(), ABytes.end());
  return true;
}

bool TMemoryFileSystem::RemoveFile(const std::u16string& APath) {
  std::lock_guard lock(FLock);
  return FFiles.erase(Key(APath)) != 0;
}

}  // namespace mon::testing
