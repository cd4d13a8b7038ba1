// A PulseAudio server of a test's own: a private runtime folder, a null sink "spk", a null source
// "mic" (the default source) and one socket that accepts any client. Nothing reaches or is
// reached by the user's own server. The server is ended by its process id; should the test die
// first, the system ends it (it gets SIGKILL when its parent goes).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace mon::testing {

class TPrivateSoundServer {
 public:
  // Makes the folder; starts nothing yet.
  TPrivateSoundServer();
  // Stops the server and removes the folder.
  ~TPrivateSoundServer();

  TPrivateSoundServer(const TPrivateSoundServer&) = delete;
  TPrivateSoundServer& operator=(const TPrivateSoundServer&) = delete;

  // Starts the server (again) and waits, at most 10 s, until its socket is there; false (with
  // the server's log on standard error) when it is not.
  bool Start();
  // Ends the server (SIGTERM, after 10 s SIGKILL) and waits for it; the folder stays.
  void Stop();
  // Stops and continues the server's process: a server that takes requests but answers none.
  void Pause();
  void Resume();

  // The address for libpulse ("unix:PATH").
  std::string Address() const;
  // Runs pactl with AArguments against this server; its standard output, or nullopt when it
  // failed.
  std::optional<std::string> Pactl(const std::string& AArguments) const;
  // The default source's mute as pactl reads it; nullopt when it cannot.
  std::optional<bool> DefaultSourceMuteSeenByPactl() const;

 private:
  std::string FFolder;
  pid_t FPid = -1;
};

}  // namespace mon::testing
