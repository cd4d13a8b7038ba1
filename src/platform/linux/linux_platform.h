// The Linux backend assembled: every service of the seam for the Linux monitor, on one GLib
// main loop (linux_message_loop.h) run by the main thread.
#pragma once

#include <memory>

#include "platform/linux/linux_bus_link.h"
#include "platform/linux/linux_desktop.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/linux_message_loop.h"
#include "platform/linux/linux_named_mutex.h"
#include "platform/linux/linux_places.h"
#include "platform/linux/linux_windows.h"
#include "platform/platform.h"
#include "platform/posix/posix_platform.h"

namespace mon::lnx {

// Libraries load as on any POSIX system, but the system gives a user program no system-wide
// input hooks: the hook library is never looked for.
class TLinuxDynamicLibraries final : public TDynamicLibraries {
 public:
  TLibraryHandle OpenLibrary(const std::u16string& APath) override {
    return FLibraries.OpenLibrary(APath);
  }
  TExportAddress FindExport(TLibraryHandle ALibrary, const char* AName) override {
    return FLibraries.FindExport(ALibrary, AName);
  }
  void CloseLibrary(TLibraryHandle ALibrary) override { FLibraries.CloseLibrary(ALibrary); }
  bool SystemWideHooksSupported() override { return false; }

 private:
  posix::TPosixDynamicLibraries FLibraries;
};

// What the Linux platform is made from: the environment it reads its places from, and the name
// of the lock file of each single-instance guard.
struct TLinuxPlatformSetup {
  TEnvironment Environment = ProcessEnvironment();
  std::function<std::string(const std::u16string&)> LockFileName = LockFileNameOf;
  // The configuration program the monitor talks to over the session bus; empty (other programs
  // of the suite, tests): no bus link.
  TConfigProgramNames ConfigProgram;
};

class TLinuxPlatform {
 public:
  // The constructing thread becomes the main thread, which must run the loop.
  explicit TLinuxPlatform(const TLinuxPlatformSetup& ASetup = {});
  ~TLinuxPlatform();
  TLinuxPlatform(const TLinuxPlatform&) = delete;
  TLinuxPlatform& operator=(const TLinuxPlatform&) = delete;

  TPlatform& Platform() { return FPlatform; }
  TLinuxMessageLoop& Loop() { return FLoop; }

 private:
  struct TServices;

  TLinuxMessageLoop FLoop;
  std::unique_ptr<TServices> FServices;
  TPlatform FPlatform;
};

}  // namespace mon::lnx
