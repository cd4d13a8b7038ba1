// A session bus of a test's own: a dbus-daemon on a socket in a private folder, with a folder of
// its own for the services it can start (activation). Nothing reaches or is reached by any other
// bus. The daemon is ended by its process id; should the test die first, the system ends it (it
// gets SIGKILL when its parent goes).
#pragma once

#include <sys/types.h>

#include <string>

namespace mon::testing {

class TPrivateSessionBus {
 public:
  // Makes the folders and the bus's configuration; starts nothing yet.
  TPrivateSessionBus();
  // Stops the daemon and removes the folder.
  ~TPrivateSessionBus();

  TPrivateSessionBus(const TPrivateSessionBus&) = delete;
  TPrivateSessionBus& operator=(const TPrivateSessionBus&) = delete;

  // Starts the daemon and waits, at most 10 s, for its address; false when it did not come.
  bool Start();
  // Ends the daemon (SIGTERM, after 10 s SIGKILL) and waits for it.
  void Stop();
  // Stops and continues the daemon's process: a bus that takes messages but passes none on.
  void Pause();
  void Resume();

  // The address for DBUS_SESSION_BUS_ADDRESS; empty before Start.
  const std::string& Address() const { return FAddress; }
  // Where the bus looks for NAME.service files to start a service by name.
  std::string ServicesFolder() const { return FFolder + "/services"; }
  // A scratch folder of the test's own, removed with the bus.
  const std::string& Folder() const { return FFolder; }

 private:
  std::string FFolder;
  std::string FAddress;
  pid_t FPid = -1;
};

}  // namespace mon::testing
