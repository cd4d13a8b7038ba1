// Where the Linux monitor finds and keeps its files, and its single-instance lock.
#include "platform/linux/linux_places.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "framework/text.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/linux_named_mutex.h"

namespace mon::lnx {
namespace {

TEnvironment EnvironmentOf(std::map<std::string, std::string> AValues) {
  return [AValues](const char* AName) {
    const auto found = AValues.find(AName);
    return found != AValues.end() ? found->second : std::string();
  };
}

TEST(TLinuxPlacesTest, TheUsersFolderFirstThenTheSystemsThenBesideTheExecutable) {
  EXPECT_EQ(ApplicationFolders(EnvironmentOf({{"HOME", "/home/u"}}), "/opt/mon/"),
            (std::vector<std::string>{"/home/u/.config/KORVALDZ314/", "/etc/xdg/KORVALDZ314/",
                                      "/usr/local/share/KORVALDZ314/", "/usr/share/KORVALDZ314/",
                                      "/opt/mon/"}));
  // Set values win; relative entries are skipped (XDG rules); a folder is listed once.
  EXPECT_EQ(
      ApplicationFolders(EnvironmentOf({{"HOME", "/home/u"},
                                        {"XDG_CONFIG_HOME", "/c/"},
                                        {"XDG_CONFIG_DIRS", "rel:/etc/a::/etc/b"},
                                        {"XDG_DATA_DIRS", "/etc/a"}}),
                         "/etc/b/KORVALDZ314"),
      (std::vector<std::string>{"/c/KORVALDZ314/", "/etc/a/KORVALDZ314/", "/etc/b/KORVALDZ314/"}));
  // A relative XDG_CONFIG_HOME counts as unset.
  EXPECT_EQ(
      ApplicationFolders(EnvironmentOf({{"HOME", "/h"}, {"XDG_CONFIG_HOME", "c"}}), "").front(),
      "/h/.config/KORVALDZ314/");
  EXPECT_EQ(RuntimeFolder(EnvironmentOf({{"XDG_RUNTIME_DIR", "/run/user/7"}})), "/run/user/7");
  EXPECT_EQ(RuntimeFolder(EnvironmentOf({})), "/tmp");
}

class TLinuxFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/mon-places-XXXXXX";
    Root = ::mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(Root); }
  void Write(const std::string& APath, const std::string& AText) {
    std::filesystem::create_directories(std::filesystem::path(APath).parent_path());
    std::ofstream(APath) << AText;
  }
  std::string Read(TFileSystem& AFiles, const std::u16string& APath) {
    const auto bytes = AFiles.ReadWholeFile(APath, 1000);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
  }
  std::string Root;
};

TEST_F(TLinuxFilesTest, EachFileIsReadFromTheFirstPlaceThatHasItAndWrittenToTheUsers) {
  const std::string user = Root + "/user/KORVALDZ314/";
  const std::string system = Root + "/etc/KORVALDZ314/";
  const std::string beside = Root + "/build/";
  TLinuxFileSystem files({user, system, beside});
  EXPECT_TRUE(std::filesystem::is_directory(user));  // made, for the user only
  EXPECT_EQ(std::filesystem::status(user).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);

  Write(system + "config.ini", "system");
  Write(beside + "config.ini", "beside");
  Write(beside + "ui.local", "beside ui");
  Write(beside + "images/logo.ico", "icon");
  const std::u16string folder = files.ExecutableFolder();
  EXPECT_EQ(folder, Utf8ToUtf16(user));
  EXPECT_EQ(Read(files, folder + u"config.ini"), "system");
  EXPECT_EQ(Read(files, folder + u"ui.local"), "beside ui");
  EXPECT_EQ(Read(files, folder + u"images\\logo.ico"), "icon");  // the core's separators
  EXPECT_TRUE(files.FileExists(folder + u"ui.local"));
  EXPECT_TRUE(files.DirectoryExists(folder + u"images"));
  EXPECT_FALSE(files.FileExists(folder + u"missing"));

  // The user's own copy wins once it is there, and writes go there.
  const std::vector<std::uint8_t> mine{'m', 'i', 'n', 'e'};
  ASSERT_TRUE(files.WriteWholeFile(folder + u"ui.local", mine));
  EXPECT_EQ(Read(files, folder + u"ui.local"), "mine");
  EXPECT_EQ(Read(files, Utf8ToUtf16(beside) + u"ui.local"), "beside ui");
}

TEST_F(TLinuxFilesTest, OneHolderOfTheLockAtATimeAndItGoesWithItsHolder) {
  TLinuxNamedMutexes mutexes(Root, [](const std::u16string&) { return std::string("MON"); });
  EXPECT_FALSE(mutexes.MutexExists(u"Guard"));
  bool existed = true;
  auto first = mutexes.CreateOwnedMutex(u"Guard", existed);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(existed);
  EXPECT_TRUE(std::filesystem::exists(Root + "/MON.lock"));
  EXPECT_TRUE(mutexes.MutexExists(u"Guard"));
  EXPECT_EQ(mutexes.CreateOwnedMutex(u"Guard", existed), nullptr);
  EXPECT_TRUE(existed);

  // Another process sees it held, as a second monitor start does.
  const pid_t child = ::fork();
  if (child == 0) {
    bool childExisted = false;
    const bool refused = mutexes.MutexExists(u"Guard") &&
                         mutexes.CreateOwnedMutex(u"Guard", childExisted) == nullptr &&
                         childExisted;
    ::_exit(refused ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(status, 0);

  first->Release();
  EXPECT_FALSE(mutexes.MutexExists(u"Guard"));
  auto second = mutexes.CreateOwnedMutex(u"Guard", existed);
  EXPECT_NE(second, nullptr);
  second.reset();
  EXPECT_NE(mutexes.CreateOwnedMutex(u"Guard", existed), nullptr);
  EXPECT_EQ(LockFileNameOf(u"Local\\A/b.c-d_e\u00e9"), "Local_A_b.c-d_e_");
}

}  // namespace
}  // namespace mon::lnx
