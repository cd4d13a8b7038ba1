#include "platform/linux/linux_registry.h"

#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "framework/text.h"

namespace mon::lnx {

namespace {

struct TCloseDatabase {
  void operator()(sqlite3* ADatabase) const { ::sqlite3_close_v2(ADatabase); }
};
using TDatabase = std::unique_ptr<sqlite3, TCloseDatabase>;

struct TFinalizeStatement {
  void operator()(sqlite3_stmt* AStatement) const { ::sqlite3_finalize(AStatement); }
};
using TStatement = std::unique_ptr<sqlite3_stmt, TFinalizeStatement>;

// Long enough for the other program's longest write (one value or one key with its levels).
constexpr int kBusyTimeoutMs = 2000;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS registry_keys(key TEXT PRIMARY KEY COLLATE NOCASE);"
    "CREATE TABLE IF NOT EXISTS registry_values(key TEXT NOT NULL COLLATE NOCASE, "
    "name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL, "
    "PRIMARY KEY(key, name))";

// The key path as it is stored: as the Windows registry takes it, repeated and trailing
// backslashes are ignored and a leading one is refused (nullopt).
std::optional<std::string> StoredKeyPath(const std::u16string& APath) {
  if (!APath.empty() && APath.front() == u'\\') {
    return std::nullopt;
  }
  std::u16string path;
  std::u16string level;
  for (const char16_t c : APath + u'\\') {
    if (c != u'\\') {
      level += c;
    } else if (!level.empty()) {
      path += (path.empty() ? u"" : u"\\") + level;
      level.clear();
    }
  }
  return Utf16ToUtf8(path);
}

// Makes AFolder with its missing parents, each at mode 0700 (settings are the user's alone).
std::error_code MakeFolders(const std::filesystem::path& AFolder) {
  std::filesystem::path folder;
  for (const auto& part : AFolder) {
    folder /= part;
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
      continue;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      return {errno, std::generic_category()};
    }
  }
  std::error_code error;
  if (!AFolder.empty() && !std::filesystem::is_directory(AFolder, error) && !error) {
    error = std::make_error_code(std::errc::not_a_directory);
  }
  return error;
}

bool BindText(sqlite3_stmt* AStatement, int AIndex, const std::string& AText) {
  return ::sqlite3_bind_text64(AStatement, AIndex, AText.data(), AText.size(), SQLITE_TRANSIENT,
                               SQLITE_UTF8) == SQLITE_OK;
}

// A value's type column as a Windows value type; nullopt for a number no Windows type can be
// (written by another program).
std::optional<TRegistryValueType> ValueType(sqlite3_stmt* AStatement, int AColumn) {
  const sqlite3_int64 type = ::sqlite3_column_int64(AStatement, AColumn);
  if (type < 0 || type > std::numeric_limits<TRegistryValueType>::max()) {
    return std::nullopt;
  }
  return static_cast<TRegistryValueType>(type);
}

}  // namespace

// The connection and every query on it. One mutex serialises all use of the connection (it is
// opened without SQLite's own locking), which also keeps each transaction to one caller.
class TRegistryStore {
 public:
  explicit TRegistryStore(const std::filesystem::path& AFile) {
    if (const auto error = MakeFolders(AFile.parent_path())) {
      FFailure =
          Utf8ToUtf16("cannot make the folder of " + AFile.string() + ": " + error.message());
      return;
    }
    sqlite3* opened = nullptr;
    const int result = ::sqlite3_open_v2(
        AFile.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
        nullptr);
    TDatabase database(opened);
    if (result != SQLITE_OK || !Configure(database.get())) {
      FFailure =
          Utf8ToUtf16("cannot open " + AFile.string() + ": " +
                      (database ? ::sqlite3_errmsg(database.get()) : ::sqlite3_errstr(result)));
      return;
    }
    FDatabase = std::move(database);
  }

  std::u16string FailureReason() const { return FFailure; }

  // The stored spelling of key AKey when it exists. The root (empty path) always does.
  std::optional<std::string> FindKey(const std::string& AKey) {
    std::lock_guard lock(FLock);
    return FindKeyLocked(AKey);
  }

  // Creates AKey with every missing level above it, all or nothing, and returns its stored
  // spelling. As in the registry, an existing level keeps the spelling it was created with and a
  // new level is named below it: "SOFTWARE\New" below a stored "Software" is "Software\New".
  std::optional<std::string> CreateKey(const std::string& AKey) {
    std::lock_guard lock(FLock);
    if (!FDatabase || !Execute("BEGIN IMMEDIATE")) {
      return std::nullopt;
    }
    auto stored = CreateLevels(AKey);
    if (!stored || !Execute("COMMIT")) {
      Execute("ROLLBACK");
      return std::nullopt;
    }
    return stored;
  }

  std::optional<TRegistryValueInfo> QueryValue(const std::string& AKey, const std::string& AName) {
    std::lock_guard lock(FLock);
    // length() of a blob is its bytes; data written as text by another program counts in bytes
    // too, as ReadValue returns it.
    const auto statement = Statement(
        "SELECT type, CASE typeof(data) WHEN 'blob' THEN length(data) "
        "ELSE length(CAST(data AS BLOB)) END FROM registry_values WHERE key = ?1 AND name = ?2",
        AKey, AName);
    if (!statement || ::sqlite3_step(statement.get()) != SQLITE_ROW) {
      return std::nullopt;
    }
    const auto type = ValueType(statement.get(), 0);
    if (!type) {
      return std::nullopt;
    }
    return TRegistryValueInfo{
        *type, static_cast<std::uint32_t>(::sqlite3_column_int64(statement.get(), 1))};
  }

  std::optional<TRegistryValueInfo> ReadValue(const std::string& AKey, const std::string& AName,
                                              std::span<std::uint8_t> ABuffer) {
    std::lock_guard lock(FLock);
    const auto statement = Statement(
        "SELECT type, data FROM registry_values WHERE key = ?1 AND name = ?2", AKey, AName);
    if (!statement || ::sqlite3_step(statement.get()) != SQLITE_ROW) {
      return std::nullopt;
    }
    const auto type = ValueType(statement.get(), 0);
    const void* data = ::sqlite3_column_blob(statement.get(), 1);  // null when empty
    const int size = ::sqlite3_column_bytes(statement.get(), 1);
    if (!type || size < 0 || static_cast<std::size_t>(size) > ABuffer.size() ||
        (data == nullptr && size > 0)) {
      return std::nullopt;
    }
    if (size > 0) {
      std::memcpy(ABuffer.data(), data, static_cast<std::size_t>(size));
    }
    return TRegistryValueInfo{*type, static_cast<std::uint32_t>(size)};
  }

  // One statement: the value is written whole or not at all, and only while its key exists
  // (another program may have removed it since it was opened).
  bool WriteValue(const std::string& AKey, const std::string& AName, TRegistryValueType AType,
                  std::span<const std::uint8_t> AData) {
    std::lock_guard lock(FLock);
    const auto statement = Statement(
        "INSERT INTO registry_values(key, name, type, data) SELECT ?1, ?2, ?3, ?4 "
        "WHERE ?1 = '' OR EXISTS(SELECT 1 FROM registry_keys WHERE key = ?1) "
        "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data",
        AKey, AName);
    if (!statement || ::sqlite3_bind_int64(statement.get(), 3, AType) != SQLITE_OK) {
      return false;
    }
    // An empty blob, not NULL: binding a null pointer would bind NULL.
    const int bound = AData.empty() ? ::sqlite3_bind_zeroblob(statement.get(), 4, 0)
                                    : ::sqlite3_bind_blob64(statement.get(), 4, AData.data(),
                                                            AData.size(), SQLITE_STATIC);
    return bound == SQLITE_OK && ::sqlite3_step(statement.get()) == SQLITE_DONE &&
           ::sqlite3_changes(FDatabase.get()) == 1;
  }

 private:
  // Settings of the fresh connection ADatabase and the tables when the file is new.
  static bool Configure(sqlite3* ADatabase) {
    if (ADatabase == nullptr || ::sqlite3_busy_timeout(ADatabase, kBusyTimeoutMs) != SQLITE_OK) {
      return false;
    }
    // Two programs opening a new file at once both want it to themselves to switch it to WAL;
    // SQLite then fails one of them at once instead of waiting (each would wait for the other).
    // Both steps can be repeated, so try again until the busy timeout has passed.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (;;) {
      // Reading the file starts here: a file that is no database fails now. The mode is kept in
      // the file, so every program that opens it later is in WAL mode too.
      int result = ::sqlite3_exec(ADatabase, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
      if (result == SQLITE_OK) {
        result = ::sqlite3_exec(ADatabase, kSchema, nullptr, nullptr, nullptr);
      }
      const bool busy = (result & 0xFF) == SQLITE_BUSY || (result & 0xFF) == SQLITE_LOCKED;
      if (!busy || std::chrono::steady_clock::now() >= deadline) {
        return result == SQLITE_OK;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  bool Execute(const char* ASql) {
    return ::sqlite3_exec(FDatabase.get(), ASql, nullptr, nullptr, nullptr) == SQLITE_OK;
  }

  // ASql prepared with its first two parameters bound; null when the store is not open or the
  // statement fails.
  TStatement Statement(const char* ASql, const std::string& AFirst, const std::string& ASecond) {
    TStatement statement = Statement(ASql, AFirst);
    if (statement && !BindText(statement.get(), 2, ASecond)) {
      statement.reset();
    }
    return statement;
  }
  TStatement Statement(const char* ASql, const std::string& AFirst) {
    if (!FDatabase) {
      return nullptr;
    }
    sqlite3_stmt* prepared = nullptr;
    ::sqlite3_prepare_v2(FDatabase.get(), ASql, -1, &prepared, nullptr);
    TStatement statement(prepared);
    if (statement && !BindText(statement.get(), 1, AFirst)) {
      statement.reset();
    }
    return statement;
  }

  std::optional<std::string> FindKeyLocked(const std::string& AKey) {
    if (!FDatabase) {
      return std::nullopt;
    }
    if (AKey.empty()) {
      return AKey;
    }
    const auto statement = Statement("SELECT key FROM registry_keys WHERE key = ?1", AKey);
    if (!statement || ::sqlite3_step(statement.get()) != SQLITE_ROW) {
      return std::nullopt;
    }
    const auto* text = ::sqlite3_column_text(statement.get(), 0);
    const int size = ::sqlite3_column_bytes(statement.get(), 0);
    if (text == nullptr) {
      return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
  }

  std::optional<std::string> CreateLevels(const std::string& AKey) {
    std::string stored;  // the levels so far, as stored
    std::size_t start = 0;
    while (start < AKey.size()) {
      const std::size_t end = std::min(AKey.find('\\', start), AKey.size());
      const std::string level = AKey.substr(start, end - start);
      std::string path = stored;
      if (!path.empty()) {
        path += '\\';
      }
      path += level;
      if (auto existing = FindKeyLocked(path)) {
        path = std::move(*existing);
      } else {
        const auto statement = Statement("INSERT INTO registry_keys(key) VALUES(?1)", path);
        if (!statement || ::sqlite3_step(statement.get()) != SQLITE_DONE) {
          return std::nullopt;
        }
      }
      stored = std::move(path);
      start = end + 1;
    }
    return stored;
  }

  std::mutex FLock;
  TDatabase FDatabase;      // null when the file could not be opened
  std::u16string FFailure;  // set once, by the constructor
};

namespace {

class TLinuxRegistryKey final : public TRegistryKey {
 public:
  TLinuxRegistryKey(std::shared_ptr<TRegistryStore> AStore, std::string AKey, bool AWritable)
      : FStore(std::move(AStore)), FKey(std::move(AKey)), FWritable(AWritable) {}

  std::optional<TRegistryValueInfo> QueryValue(const std::u16string& AName) override {
    return FStore->QueryValue(FKey, Utf16ToUtf8(AName));
  }

  std::optional<TRegistryValueInfo> ReadValue(const std::u16string& AName,
                                              std::span<std::uint8_t> ABuffer) override {
    return FStore->ReadValue(FKey, Utf16ToUtf8(AName), ABuffer);
  }

  bool WriteValue(const std::u16string& AName, TRegistryValueType AType,
                  std::span<const std::uint8_t> AData) override {
    return FWritable && FStore->WriteValue(FKey, Utf16ToUtf8(AName), AType, AData);
  }

 private:
  std::shared_ptr<TRegistryStore> FStore;
  std::string FKey;  // as stored
  bool FWritable;
};

}  // namespace

std::optional<std::filesystem::path> RegistryStorePath(const char* AXdgConfigHome,
                                                       const char* AHome) {
  std::filesystem::path configFolder;
  if (AXdgConfigHome != nullptr && AXdgConfigHome[0] == '/') {
    configFolder = AXdgConfigHome;
  } else if (AHome != nullptr && AHome[0] == '/') {
    configFolder = std::filesystem::path(AHome) / ".config";
  } else {
    return std::nullopt;
  }
  return configFolder / "KORVALDZ314" / "registry.sqlite3";
}

std::optional<std::filesystem::path> DefaultRegistryStorePath() {
  const char* home = std::getenv("HOME");
  std::string passwordHome;
  if (home == nullptr || home[0] != '/') {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
      passwordHome = found->pw_dir;
      home = passwordHome.c_str();
    }
  }
  return RegistryStorePath(std::getenv("XDG_CONFIG_HOME"), home);
}

TLinuxRegistry::TLinuxRegistry(const std::filesystem::path& AFile)
    : FStore(std::make_shared<TRegistryStore>(AFile)) {}

TLinuxRegistry::~TLinuxRegistry() = default;

std::unique_ptr<TRegistryKey> TLinuxRegistry::OpenKey(TRegistryRoot ARoot,
                                                      const std::u16string& APath, bool ACreate,
                                                      TRegistryAccess AAccess) {
  if (ARoot != kRegistryCurrentUser) {
    return nullptr;  // no machine-wide registry on Linux (see the header)
  }
  const auto path = StoredKeyPath(APath);
  if (!path) {
    return nullptr;
  }
  auto stored = ACreate ? FStore->CreateKey(*path) : FStore->FindKey(*path);
  if (!stored) {
    return nullptr;
  }
  return std::make_unique<TLinuxRegistryKey>(FStore, std::move(*stored),
                                             AAccess == TRegistryAccess::ReadWrite);
}

std::u16string TLinuxRegistry::FailureReason() const {
  return FStore->FailureReason();
}

}  // namespace mon::lnx
