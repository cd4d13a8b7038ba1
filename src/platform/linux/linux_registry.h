// The registry seam on Linux: the keys and values of HKEY_CURRENT_USER in one SQLite file, shared
// with the Linux configuration program. The file's layout is fixed, as other programs read and
// write it directly:
//
//   registry_keys(key TEXT PRIMARY KEY COLLATE NOCASE)
//   registry_values(key TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE,
//                   type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, name))
//
// `key` is the path below HKEY_CURRENT_USER with '\' between levels ("Software\Vendor\Product"),
// each level spelt as the caller that created that level spelt it; every level above a stored key
// is stored too. The root itself (the empty path) always exists and is not a row. `name` is the
// value name (empty: the default value), `type` the Windows value type (3 binary, 4 DWORD, ...)
// and `data` the value's bytes exactly as Windows keeps them (a DWORD is 4 little-endian bytes).
// Texts are UTF-8.
//
// Names compare as SQLite's NOCASE does, which folds only ASCII letters: "Ä" and "ä" are two
// names here while the Windows registry takes them as one. The layout is shared, so it stays.
//
// Only HKEY_CURRENT_USER is stored: a Linux user has no machine-wide registry, so keys below
// kRegistryLocalMachine never open (nullptr), as for a user without the rights on Windows.
//
// The file is opened in WAL mode with a busy timeout, so the monitor and the configuration
// program may both have it open; every write is one statement or one transaction, so a crash
// leaves a value either old or new. A file that cannot be opened or is no database leaves a store
// whose keys never open (the monitor then runs on factory values); FailureReason says why.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace mon::lnx {

class TRegistryStore;  // the open file, shared by the registry and its open keys

// $XDG_CONFIG_HOME/KORVALDZ314/registry.sqlite3, or $HOME/.config/KORVALDZ314/registry.sqlite3
// when AXdgConfigHome is null, empty or not absolute. nullopt when neither gives an absolute
// folder. The arguments are the environment's values (null when unset).
std::optional<std::filesystem::path> RegistryStorePath(const char* AXdgConfigHome,
                                                       const char* AHome);
// The same from this process's environment; HOME falls back to the user's home folder in the
// password database.
std::optional<std::filesystem::path> DefaultRegistryStorePath();

class TLinuxRegistry final : public TRegistry {
 public:
  // Opens (or creates, with its missing folders at mode 0700) the store at AFile. Never throws:
  // a failure leaves a store whose keys do not open.
  explicit TLinuxRegistry(const std::filesystem::path& AFile);
  ~TLinuxRegistry() override;

  std::unique_ptr<TRegistryKey> OpenKey(TRegistryRoot ARoot, const std::u16string& APath,
                                        bool ACreate, TRegistryAccess AAccess) override;

  // Why the store could not be opened; empty when it is open.
  std::u16string FailureReason() const;

 private:
  std::shared_ptr<TRegistryStore> FStore;
};

}  // namespace mon::lnx
