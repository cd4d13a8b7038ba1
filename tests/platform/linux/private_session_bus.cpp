#include "private_session_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace mon::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto kDaemonTimeout = 10s;
constexpr auto kPollInterval = 20ms;

}  // namespace

TPrivateSessionBus::TPrivateSessionBus() {
  char folder[] = "/tmp/mon-linux-bus.XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    throw std::runtime_error("no temporary folder");
  }
  FFolder = folder;
  std::filesystem::create_directories(ServicesFolder());
  std::ofstream(FFolder + "/bus.conf")
      << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
         " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
         "<busconfig>\n"
         "  <type>session</type>\n"
         "  <listen>unix:dir="
      << FFolder << "</listen>\n  <servicedir>" << ServicesFolder()
      << "</servicedir>\n"
         "  <policy context=\"default\">\n"
         "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
         "    <allow eavesdrop=\"true\"/>\n"
         "    <allow own=\"*\"/>\n"
         "  </policy>\n"
         "</busconfig>\n";
}

TPrivateSessionBus::~TPrivateSessionBus() {
  Stop();
  std::error_code ignored;
  std::filesystem::remove_all(FFolder, ignored);
}

bool TPrivateSessionBus::Start() {
  if (FPid > 0) {
    return true;
  }
  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) {
    return false;
  }
  const std::string configOption = "--config-file=" + FFolder + "/bus.conf";
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls until exec.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
      ::_exit(127);
    }
    ::dup2(output[1], 1);
    ::execlp("dbus-daemon", "dbus-daemon", configOption.c_str(), "--nofork", "--nopidfile",
             "--print-address=1", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(output[1]);
  if (pid < 0) {
    ::close(output[0]);
    return false;
  }
  FPid = pid;
  // The daemon writes its address, one line, once it listens.
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + kDaemonTimeout;
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd readable{output[0], POLLIN, 0};
    if (::poll(&readable, 1, 100) <= 0) {
      continue;
    }
    char buffer[256];
    const ssize_t got = ::read(output[0], buffer, sizeof(buffer));
    if (got <= 0) {
      break;
    }
    line.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(output[0]);
  if (line.find('\n') == std::string::npos) {
    Stop();
    return false;
  }
  FAddress = line.substr(0, line.find('\n'));
  return true;
}

void TPrivateSessionBus::Stop() {
  if (FPid <= 0) {
    return;
  }
  ::kill(FPid, SIGCONT);  // a paused daemon could not end
  ::kill(FPid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kDaemonTimeout;
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

void TPrivateSessionBus::Pause() {
  if (FPid > 0) {
    ::kill(FPid, SIGSTOP);
  }
}

void TPrivateSessionBus::Resume() {
  if (FPid > 0) {
    ::kill(FPid, SIGCONT);
  }
}

}  // namespace mon::testing
