// The program the simulated mouse runs its devices for: started as a child with standard input
// from /dev/null and standard output on our standard error (ours carries the answers), waited
// for with a time-out, signalled, and ended when the simulation ends. Test code only.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace mon::testing {

class TChildProcess {
 public:
  // Starts AArguments[0] (looked up on PATH) with the rest as its arguments; IsRunning false when
  // it could not be started.
  explicit TChildProcess(const std::vector<std::string>& AArguments);
  // Ends a child that still runs: SIGTERM, then SIGKILL after five seconds.
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Started() const { return FPid > 0; }
  // The exit code once the child has ended within ATimeoutMs (128 + the signal's number when a
  // signal ended it, as shells report it); nullopt while it still runs.
  std::optional<int> WaitExit(int ATimeoutMs);
  // False when the signal could not be sent (the child has been waited for already).
  bool Signal(int ASignal);

 private:
  pid_t FPid = -1;
  int FPidFd = -1;
  std::optional<int> FExitCode;
};

}  // namespace mon::testing
