// The SQLite store in place of the registry, seen from outside: the file as another program reads
// and writes it, two processes writing at once, several threads on one store, a file that is no
// database, large values, and where the file lives.
#include "platform/linux/linux_registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../temporary_folder.h"
#include "framework/text.h"

namespace mon::lnx {
namespace {

// Another program's connection to the file, with the sqlite3 API directly.
class TRawDatabase {
 public:
  explicit TRawDatabase(const std::filesystem::path& AFile) {
    ::sqlite3_open_v2(AFile.c_str(), &FDatabase, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                      nullptr);
    ::sqlite3_busy_timeout(FDatabase, 2000);
  }
  ~TRawDatabase() { ::sqlite3_close_v2(FDatabase); }

  bool Execute(const std::string& ASql) {
    return ::sqlite3_exec(FDatabase, ASql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  // Every row of ASql, its columns as text (blobs in hex), joined with '|'.
  std::vector<std::string> Rows(const std::string& ASql) {
    std::vector<std::string> rows;
    sqlite3_stmt* statement = nullptr;
    if (::sqlite3_prepare_v2(FDatabase, ASql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      return {"error: " + std::string(::sqlite3_errmsg(FDatabase))};
    }
    while (::sqlite3_step(statement) == SQLITE_ROW) {
      std::string row;
      for (int column = 0; column < ::sqlite3_column_count(statement); ++column) {
        const auto* text = ::sqlite3_column_text(statement, column);
        row +=
            (column > 0 ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "");
      }
      rows.push_back(row);
    }
    ::sqlite3_finalize(statement);
    return rows;
  }

 private:
  sqlite3* FDatabase = nullptr;
};

class LinuxRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(FFolder.Path().empty()); }

  std::unique_ptr<TRegistryKey> Create(TLinuxRegistry& AStore, const std::u16string& APath) {
    return AStore.OpenKey(kRegistryCurrentUser, APath, true, TRegistryAccess::ReadWrite);
  }

  testing::TTemporaryFolder FFolder;
  // Two missing folder levels: both are made.
  std::filesystem::path FFile = FFolder.Path() / "config" / "KORVALDZ314" / "registry.sqlite3";
};

TEST_F(LinuxRegistryTest, OtherProgramsSeeTheFixedLayout) {
  {
    TLinuxRegistry store(FFile);
    EXPECT_EQ(store.FailureReason(), u"");
    auto key = Create(store, u"Software\\software\\KORVALDZ314GM\\");
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->WriteDWord(u"ProfileID", 0x01020304));
    ASSERT_TRUE(key->WriteBinary(u"", std::vector<std::uint8_t>{0, 0xFF}));
    // A second creation in other letters keeps the first spelling.
    ASSERT_NE(Create(store, u"SOFTWARE\\Software\\Other"), nullptr);
    // No machine-wide registry.
    EXPECT_EQ(store.OpenKey(kRegistryLocalMachine, u"Software", true, TRegistryAccess::ReadWrite),
              nullptr);
  }
  struct stat folder {};
  ASSERT_EQ(::stat(FFile.parent_path().c_str(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);

  TRawDatabase raw(FFile);
  EXPECT_EQ(raw.Rows("PRAGMA journal_mode"), std::vector<std::string>{"wal"});
  EXPECT_EQ(raw.Rows("SELECT sql FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            (std::vector<std::string>{
                "CREATE TABLE registry_keys(key TEXT PRIMARY KEY COLLATE NOCASE)",
                "CREATE TABLE registry_values(key TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL "
                "COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, "
                "name))"}));
  EXPECT_EQ(
      raw.Rows("SELECT key FROM registry_keys ORDER BY key"),
      (std::vector<std::string>{"Software", "Software\\software",
                                "Software\\software\\KORVALDZ314GM", "Software\\software\\Other"}));
  EXPECT_EQ(
      raw.Rows("SELECT key, name, type, typeof(data), hex(data) FROM registry_values "
               "ORDER BY name"),
      (std::vector<std::string>{"Software\\software\\KORVALDZ314GM||3|blob|00FF",
                                "Software\\software\\KORVALDZ314GM|ProfileID|4|blob|04030201"}));
}

TEST_F(LinuxRegistryTest, ReadsAndRespectsWhatAnotherProgramWrote) {
  // The configuration program came first and made the file itself.
  std::filesystem::create_directories(FFile.parent_path());
  TRawDatabase raw(FFile);
  ASSERT_TRUE(raw.Execute(
      "CREATE TABLE registry_keys(key TEXT PRIMARY KEY COLLATE NOCASE);"
      "CREATE TABLE registry_values(key TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE "
      "NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, name));"
      "INSERT INTO registry_keys VALUES('Software'), ('Software\\Vendor');"
      "INSERT INTO registry_values VALUES('software\\vendor', 'profileid', 4, x'07000000'),"
      "('Software\\Vendor', 'Größe', 3, x'0102'), ('Software\\Vendor', 'Odd', -1, x'00'),"
      "('Software\\Orphan', 'v', 4, x'01000000');"));

  TLinuxRegistry store(FFile);
  auto key =
      store.OpenKey(kRegistryCurrentUser, u"SOFTWARE\\vendor", false, TRegistryAccess::ReadWrite);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->ReadDWord(u"ProfileID"), 7u);
  EXPECT_EQ(key->QueryValue(u"Größe")->Size, 2u);
  EXPECT_FALSE(key->QueryValue(u"Odd"));  // no Windows value type is negative
  // Values without their key in registry_keys belong to no key.
  EXPECT_EQ(store.OpenKey(kRegistryCurrentUser, u"Software\\Orphan", false, TRegistryAccess::Read),
            nullptr);

  // The key removed by the other program while it is open: writes fail and leave nothing.
  ASSERT_TRUE(
      raw.Execute("DELETE FROM registry_values WHERE key = 'Software\\Vendor';"
                  "DELETE FROM registry_keys WHERE key = 'Software\\Vendor'"));
  EXPECT_FALSE(key->WriteDWord(u"ProfileID", 8));
  EXPECT_EQ(raw.Rows("SELECT count(*) FROM registry_values WHERE key = 'Software\\Vendor'"),
            std::vector<std::string>{"0"});
}

// Each process writes its values (and creates its keys) while the other does the same, both
// having opened the same new file at the same moment.
TEST_F(LinuxRegistryTest, TwoProcessesWriteAtOnceAndLoseNothing) {
  constexpr int kValues = 300;
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  auto valueOf = [](int AProcess, int AIndex) {
    return std::vector<std::uint8_t>(40 + AIndex % 50,
                                     static_cast<std::uint8_t>(AProcess * 100 + AIndex));
  };
  std::vector<pid_t> children;
  for (int process = 0; process < 2; ++process) {
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      ::close(go[1]);
      char byte;
      while (::read(go[0], &byte, 1) > 0) {
      }
      TLinuxRegistry store(FFile);
      if (!store.FailureReason().empty()) {
        std::fprintf(stderr, "%s\n", Utf16ToUtf8(store.FailureReason()).c_str());
      }
      int failures = 0;
      for (int i = 0; i < kValues; ++i) {
        // Every tenth value goes to a key both processes create.
        auto key = Create(store, u"Software\\Shared\\K" + IntToText(i / 10));
        failures += !key || !key->WriteBinary(u"p" + IntToText(process) + u"-" + IntToText(i),
                                              valueOf(process, i));
      }
      ::_exit(failures > 100 ? 100 : failures);
    }
    children.push_back(child);
  }
  ::close(go[0]);
  ::close(go[1]);  // both start now
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failed writes in one process";
  }

  TLinuxRegistry store(FFile);
  for (int process = 0; process < 2; ++process) {
    for (int i = 0; i < kValues; ++i) {
      auto key = store.OpenKey(kRegistryCurrentUser, u"Software\\Shared\\K" + IntToText(i / 10),
                               false, TRegistryAccess::Read);
      ASSERT_NE(key, nullptr);
      const auto expected = valueOf(process, i);
      std::vector<std::uint8_t> buffer(expected.size());
      const auto read = key->ReadValue(u"p" + IntToText(process) + u"-" + IntToText(i), buffer);
      ASSERT_TRUE(read) << process << " " << i;
      EXPECT_EQ(read->Type, kRegistryBinary);
      EXPECT_EQ(buffer, expected);
    }
  }
}

TEST_F(LinuxRegistryTest, ThreadsShareOneStore) {
  TLinuxRegistry store(FFile);
  std::vector<std::thread> threads;
  std::vector<int> failures(4);
  for (int thread = 0; thread < 4; ++thread) {
    threads.emplace_back([&, thread] {
      for (std::uint32_t i = 0; i < 100; ++i) {
        auto key = Create(store, u"Software\\Threads\\T" + IntToText(thread));
        failures[thread] += !key || !key->WriteDWord(u"v" + IntToText(i), i * 7) ||
                            key->ReadDWord(u"v" + IntToText(i)) != i * 7;
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(failures, std::vector<int>(4));
}

TEST_F(LinuxRegistryTest, AFileThatIsNoDatabaseOpensNoKeyAndStaysAsItWas) {
  std::filesystem::create_directories(FFile.parent_path());
  std::mt19937 random(314);
  std::string bytes(8192, '\0');
  for (auto& byte : bytes) {
    byte = static_cast<char>(random());
  }
  std::ofstream(FFile, std::ios::binary) << bytes;

  TLinuxRegistry store(FFile);
  EXPECT_NE(store.FailureReason(), u"");
  EXPECT_EQ(Create(store, u"Software\\Vendor"), nullptr);
  EXPECT_EQ(store.OpenKey(kRegistryCurrentUser, u"", false, TRegistryAccess::Read), nullptr);
  std::ifstream file(FFile, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), bytes);

  // A folder that cannot be made (a file stands in its place).
  TLinuxRegistry blocked(FFile / "registry.sqlite3");
  EXPECT_NE(blocked.FailureReason(), u"");
  EXPECT_EQ(Create(blocked, u"Software"), nullptr);
}

TEST_F(LinuxRegistryTest, ValuesOf64MiBAreReadWhole) {
  TLinuxRegistry store(FFile);
  auto key = Create(store, u"Software\\Big");
  ASSERT_NE(key, nullptr);
  std::vector<std::uint8_t> data(64u << 20);
  for (std::size_t i = 0; i < data.size(); ++i) {
    data[i] = static_cast<std::uint8_t>(i * 31 + (i >> 16));
  }
  ASSERT_TRUE(key->WriteBinary(u"Data", data));
  ASSERT_EQ(key->QueryValue(u"Data")->Size, data.size());
  std::vector<std::uint8_t> buffer(data.size() - 1);
  EXPECT_FALSE(key->ReadValue(u"Data", buffer));
  buffer.resize(data.size());
  ASSERT_TRUE(key->ReadValue(u"Data", buffer));
  EXPECT_TRUE(buffer == data);
}

TEST(LinuxRegistryPath, FollowsTheXdgConfigFolder) {
  EXPECT_EQ(RegistryStorePath("/cfg", "/home/u"), "/cfg/KORVALDZ314/registry.sqlite3");
  EXPECT_EQ(RegistryStorePath(nullptr, "/home/u"), "/home/u/.config/KORVALDZ314/registry.sqlite3");
  EXPECT_EQ(RegistryStorePath("", "/home/u"), "/home/u/.config/KORVALDZ314/registry.sqlite3");
  EXPECT_EQ(RegistryStorePath("cfg", "/home/u"), "/home/u/.config/KORVALDZ314/registry.sqlite3");
  EXPECT_EQ(RegistryStorePath("relative", "also/relative"), std::nullopt);

  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = xdg ? xdg : "";
  ::setenv("XDG_CONFIG_HOME", "/from/the/environment", 1);
  EXPECT_EQ(DefaultRegistryStorePath(), "/from/the/environment/KORVALDZ314/registry.sqlite3");
  xdg ? ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace mon::lnx
