#include "private_sound_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace mon::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto kServerTimeout = 10s;
// How often a condition without a notification of its own (a file, a process's end) is looked at.
constexpr auto kPollInterval = 20ms;

// The environment of this process with AOverrides ("NAME=value") in place of their names.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& AOverrides) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& replacement : AOverrides) {
      replaced = replaced || replacement.compare(0, name.size() + 1, name + "=") == 0;
    }
    if (!replaced && name != "PULSE_SERVER") {
      result.push_back(text);
    }
  }
  result.insert(result.end(), AOverrides.begin(), AOverrides.end());
  return result;
}

std::vector<char*> PointersTo(std::vector<std::string>& AStrings) {
  std::vector<char*> result;
  for (std::string& text : AStrings) {
    result.push_back(text.data());
  }
  result.push_back(nullptr);
  return result;
}

}  // namespace

TPrivateSoundServer::TPrivateSoundServer() {
  char folder[] = "/tmp/mon-linux-audio.XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    throw std::runtime_error("no temporary folder");
  }
  FFolder = folder;
  std::filesystem::create_directories(FFolder + "/runtime/pulse");
  std::filesystem::create_directories(FFolder + "/config");
  ::chmod((FFolder + "/runtime").c_str(), 0700);
  std::ofstream(FFolder + "/client.conf") << "autospawn = no\n";
}

TPrivateSoundServer::~TPrivateSoundServer() {
  Stop();
  std::error_code ignored;
  std::filesystem::remove_all(FFolder, ignored);
}

std::string TPrivateSoundServer::Address() const {
  return "unix:" + FFolder + "/runtime/pulse/native";
}

bool TPrivateSoundServer::Start() {
  if (FPid > 0) {
    return true;
  }
  const std::string socket = FFolder + "/runtime/pulse/native";
  std::filesystem::remove(socket);
  std::vector<std::string> arguments = {
      "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
      "--log-target=file:" + FFolder + "/pulseaudio.log", "--load=module-null-sink sink_name=spk",
      "--load=module-null-source source_name=mic",
      // The socket comes last, so that it appears only when the devices exist.
      "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket};
  std::vector<std::string> environment =
      EnvironmentWith({"XDG_RUNTIME_DIR=" + FFolder + "/runtime",
                       "PULSE_RUNTIME_PATH=" + FFolder + "/runtime/pulse", "HOME=" + FFolder,
                       "XDG_CONFIG_HOME=" + FFolder + "/config"});
  std::vector<char*> argv = PointersTo(arguments);
  std::vector<char*> envp = PointersTo(environment);
  const int devnull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  const pid_t parent = ::getpid();

  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls until exec.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
      ::_exit(127);
    }
    ::dup2(devnull, 0);
    ::dup2(devnull, 1);
    ::dup2(devnull, 2);
    ::execvpe(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(devnull);
  if (pid < 0) {
    return false;
  }
  FPid = pid;

  const auto deadline = std::chrono::steady_clock::now() + kServerTimeout;
  while (!std::filesystem::exists(socket)) {
    int status = 0;
    if (::waitpid(FPid, &status, WNOHANG) == FPid || std::chrono::steady_clock::now() > deadline) {
      std::cerr << "the PulseAudio server did not start; its log:\n"
                << std::ifstream(FFolder + "/pulseaudio.log").rdbuf() << '\n';
      Stop();
      return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

void TPrivateSoundServer::Stop() {
  if (FPid <= 0) {
    return;
  }
  ::kill(FPid, SIGCONT);  // a paused server could not end
  ::kill(FPid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kServerTimeout;
  int status = 0;
  while (::waitpid(FPid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  FPid = -1;
}

void TPrivateSoundServer::Pause() {
  if (FPid > 0) {
    ::kill(FPid, SIGSTOP);
  }
}

void TPrivateSoundServer::Resume() {
  if (FPid > 0) {
    ::kill(FPid, SIGCONT);
  }
}

std::optional<std::string> TPrivateSoundServer::Pactl(const std::string& AArguments) const {
  const std::string command = "PULSE_SERVER=" + Address() + " PULSE_CLIENTCONFIG=" + FFolder +
                              "/client.conf PULSE_COOKIE=" + FFolder + "/cookie pactl " +
                              AArguments + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return std::nullopt;
  }
  std::string output;
  char buffer[256];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
    output.append(buffer, read);
  }
  const int status = ::pclose(pipe);
  if (status != 0) {
    return std::nullopt;
  }
  return output;
}

std::optional<bool> TPrivateSoundServer::DefaultSourceMuteSeenByPactl() const {
  const std::optional<std::string> output = Pactl("get-source-mute @DEFAULT_SOURCE@");
  if (output == std::optional<std::string>("Mute: yes\n")) {
    return true;
  }
  if (output == std::optional<std::string>("Mute: no\n")) {
    return false;
  }
  return std::nullopt;
}

}  // namespace mon::testing
