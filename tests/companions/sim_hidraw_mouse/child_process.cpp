#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace mon::testing {

namespace {

// Through syscall: Debian 12's <sys/pidfd.h> declares these without C linkage for C++.
int PidFdOpen(pid_t APid) {
  return static_cast<int>(::syscall(SYS_pidfd_open, APid, 0));
}

int PidFdSendSignal(int APidFd, int ASignal) {
  return static_cast<int>(::syscall(SYS_pidfd_send_signal, APidFd, ASignal, nullptr, 0));
}

}  // namespace

TChildProcess::TChildProcess(const std::vector<std::string>& AArguments) {
  if (AArguments.empty()) {
    return;
  }
  std::vector<char*> argv;
  for (const std::string& argument : AArguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int nothing = ::open("/dev/null", O_RDONLY);
    ::dup2(nothing, STDIN_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  if (pid < 0) {
    return;
  }
  FPid = pid;
  FPidFd = PidFdOpen(pid);
}

TChildProcess::~TChildProcess() {
  if (Started() && !FExitCode) {
    Signal(SIGTERM);
    if (!WaitExit(5000)) {
      Signal(SIGKILL);
      WaitExit(-1);
    }
  }
  if (FPidFd >= 0) {
    ::close(FPidFd);
  }
}

std::optional<int> TChildProcess::WaitExit(int ATimeoutMs) {
  if (FExitCode || !Started()) {
    return FExitCode;
  }
  if (FPidFd >= 0) {
    pollfd ended{FPidFd, POLLIN, 0};
    int ready = -1;
    do {
      ready = ::poll(&ended, 1, ATimeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
      return std::nullopt;
    }
  }
  int status = 0;
  pid_t waited = -1;
  do {
    waited = ::waitpid(FPid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited != FPid) {
    return std::nullopt;
  }
  FExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return FExitCode;
}

bool TChildProcess::Signal(int ASignal) {
  // After the wait the process ID may belong to another process: the pidfd never does.
  return Started() && !FExitCode &&
         (FPidFd >= 0 ? PidFdSendSignal(FPidFd, ASignal) == 0 : ::kill(FPid, ASignal) == 0);
}

}  // namespace mon::testing
