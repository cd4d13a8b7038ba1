// An in-memory registry for native tests: keys below the two roots, paths and value names
// compared without regard to case, values with a type and their bytes, as in the Windows
// registry. Tests seed and inspect it directly and can make it fail.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace mon::testing {

class TMemoryRegistry final : public TRegistry {
 public:
  struct TValue {
    TRegistryValueType Type = kRegistryNone;
    std::vector<std::uint8_t> Bytes;
    bool operator==(const TValue&) const = default;
  };
  // Every key (folded "root\level\level") with its values (by folded name).
  using TContent = std::map<std::u16string, std::map<std::u16string, TValue>>;

  std::unique_ptr<TRegistryKey> OpenKey(TRegistryRoot ARoot, const std::u16string& APath,
                                        bool ACreate, TRegistryAccess AAccess) override;

  // Seeding and inspection. SetValue creates the key with its missing levels.
  void SetValue(TRegistryRoot ARoot, const std::u16string& APath, const std::u16string& AName,
                TRegistryValueType AType, std::vector<std::uint8_t> ABytes);
  std::optional<TValue> Value(TRegistryRoot ARoot, const std::u16string& APath,
                              const std::u16string& AName) const;
  bool KeyExists(TRegistryRoot ARoot, const std::u16string& APath) const;
  // Removes the key with its values and every key below it (as another program may).
  void DeleteKey(TRegistryRoot ARoot, const std::u16string& APath);
  // Every value of the key by folded name (FoldCase); none when the key is missing.
  std::map<std::u16string, TValue> Values(TRegistryRoot ARoot, const std::u16string& APath) const;
  // Number of values in the key; 0 when the key is missing.
  std::size_t ValueCount(TRegistryRoot ARoot, const std::u16string& APath) const;
  // Everything stored now, to compare before and after a run; ContentExcept leaves value AName
  // of key APath out (the one value the run is meant to write).
  TContent Content() const;
  TContent ContentExcept(TRegistryRoot ARoot, const std::u16string& APath,
                         const std::u16string& AName) const;
  // Makes AContent (as Content gave it) everything stored, for a run that starts again from a
  // known registry. The counters go on.
  void ReplaceContent(const TContent& AContent);

  // Failure injection: every OpenKey fails (no rights, broken hive); every write and every
  // creation of a key fails (a read-only hive). Reads keep working.
  void FailOpen(bool AValue);
  void FailWrites(bool AValue);

  // Number of successful ReadValue calls so far (to see what a component really read).
  std::size_t ReadCount() const;
  // Number of successful WriteValue calls so far (seeding with SetValue does not count).
  std::size_t WriteCount() const;

 private:
  class TKey;
  friend class TKey;
  struct TKeyData {
    std::map<std::u16string, TValue> Values;  // by folded value name
  };

  // "root\level\level" folded; nullopt for an unknown root or a malformed path.
  static std::optional<std::u16string> KeyName(TRegistryRoot ARoot, const std::u16string& APath);
  TKeyData* FindKey(const std::u16string& AKeyName);
  const TKeyData* FindKey(const std::u16string& AKeyName) const;
  void CreateLevels(const std::u16string& AKeyName);

  mutable std::mutex FLock;
  std::map<std::u16string, TKeyData> FKeys;  // by folded key name
  bool FFailOpen = false;
  bool FFailWrites = false;
  std::size_t FReadCount = 0;
  std::size_t FWriteCount = 0;
};

}  // namespace mon::testing
