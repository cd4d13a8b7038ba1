// The monitor's link to the configuration program on the session bus: what window messages carry
// between the two programs on Windows, one to one.
//
// The monitor owns kMonitorBusName and exports kMonitorObjectPath with interface
// kMonitorInterface: the methods ProfileChanged(i), SettingsChanged() and Quit() are the
// configuration program's messages to it (7035, 7037) and the end asked from outside; the signals
// ProfileSelected(i), StatusValue(u, u) and Exiting() are its messages to the configuration
// program (7040, 7042/7043, 7036). The configuration program owns kConfigBusName, exports
// kConfigObjectPath with kConfigInterface and its method Show(), and is D-Bus activatable.
//
// Nothing here waits for the bus on the main thread: the connection is made in the background,
// whether the configuration program runs is followed by a name watch and answered from what it
// last said, calls to it expect no reply, signals are sent without waiting. Without a bus, or
// once the bus is gone, the link does nothing and says so once on the debug output.
//
// Main thread only: everything runs on GLib's default main context, from the loop.
#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/linux/linux_gio_handles.h"
#include "platform/platform.h"
#include "platform/window_system.h"

namespace mon::lnx {

inline constexpr char kMonitorBusName[] = "example.korvaldz.KORVALDZ314MON";
inline constexpr char kMonitorObjectPath[] = "/example/korvaldz/KORVALDZ314MON";
inline constexpr char kMonitorInterface[] = "example.korvaldz.KORVALDZ314MON1";
inline constexpr char kConfigBusName[] = "example.korvaldz.KORVALDZ314";
inline constexpr char kConfigObjectPath[] = "/example/korvaldz/KORVALDZ314";
inline constexpr char kConfigInterface[] = "example.korvaldz.KORVALDZ3141";

// The messages of the two programs' table (app/shared_definitions.h) that the link carries.
inline constexpr std::uint32_t kBusMsgProfileChanged = 7035;   // method ProfileChanged, lParam
inline constexpr std::uint32_t kBusMsgExiting = 7036;          // signal Exiting
inline constexpr std::uint32_t kBusMsgSettingsChanged = 7037;  // method SettingsChanged
inline constexpr std::uint32_t kBusMsgProfileSelected = 7040;  // signal ProfileSelected, wParam
inline constexpr std::uint32_t kBusMsgStatus2 = 7042;          // signal StatusValue, wParam
inline constexpr std::uint32_t kBusMsgStatus6 = 7043;          // signal StatusValue, wParam

// What other programs ask of the monitor through its bus object. Called on the main thread, from
// the loop, after the call has been answered.
class TBusLinkCalls {
 public:
  virtual ~TBusLinkCalls() = default;
  virtual void ProfileChanged(std::int32_t ALParam) = 0;
  virtual void SettingsChanged() = 0;
  virtual void QuitAsked() = 0;
};

// Who the configuration program is to the core: the class name its window has on Windows and its
// executable's file name. Empty names: the link stays off (a program that is not the monitor).
struct TConfigProgramNames {
  std::u16string ClassName;
  std::u16string ExeName;
};

class TLinuxBusLink {
 public:
  // Starts connecting to the session bus unless ANames is empty.
  TLinuxBusLink(const TConfigProgramNames& ANames, TDebugOutput& ADebug);
  // Sends what is still queued (at most a quarter of a second), then lets everything go; the
  // monitor's name goes with the connection.
  ~TLinuxBusLink();
  TLinuxBusLink(const TLinuxBusLink&) = delete;
  TLinuxBusLink& operator=(const TLinuxBusLink&) = delete;

  const TConfigProgramNames& Names() const { return FNames; }
  // Where calls to the monitor's object go; nullptr: they are answered and dropped.
  void SetCalls(TBusLinkCalls* ACalls) { FCalls = ACalls; }

  // True once the monitor's name is ours (until the bus goes).
  bool OwnsMonitorName() const { return FOwnsMonitorName; }
  // The configuration program as a window handle: non-zero while its bus name has an owner, a new
  // one for each new owner, 0 otherwise.
  TWindowHandle ConfigProgram() const { return FConfigOwned ? FConfigHandle : 0; }

  // The signals; false when nothing could be sent.
  bool EmitProfileSelected(std::int32_t AProfile);
  bool EmitStatusValue(std::uint32_t AMessage, std::uint32_t AValue);
  bool EmitExiting();
  // Asks the configuration program to show its window; no answer is awaited.
  void ShowConfigProgram();
  // Asks the bus to start the configuration program (activation); no answer is awaited.
  void StartConfigProgram();

 private:
  struct TPendingConnection;
  struct TAttachment;

  static void OnConnected(GObject* ASource, GAsyncResult* AResult, gpointer AData);
  static void OnMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                           const gchar* AMethod, GVariant* AParameters,
                           GDBusMethodInvocation* AInvocation, gpointer AData);
  static void OnNameRequested(GObject* ASource, GAsyncResult* AResult, gpointer AData);
  static void OnConfigAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer AData);
  static void OnConfigVanished(GDBusConnection*, const gchar*, gpointer AData);
  static void OnClosed(GDBusConnection*, gboolean, GError*, gpointer AData);

  void Attach(GDBusConnection* AConnection);
  void Detach();
  GDBusConnection* Connection() const;
  bool Emit(const char* ASignal, GVariant* AParameters);
  void CallWithoutReply(const char* ADestination, const char* APath, const char* AInterface,
                        const char* AMethod, GVariant* AParameters);
  void FlushWithin(unsigned AMilliseconds);
  void Say(const std::string& AText);

  TConfigProgramNames FNames;
  TDebugOutput& FDebug;
  TBusLinkCalls* FCalls = nullptr;

  TPendingConnection* FPending = nullptr;    // the connection being made; told when the link goes
  std::unique_ptr<TAttachment> FAttachment;  // what lasts while the bus is there

  bool FOwnsMonitorName = false;
  bool FConfigOwned = false;
  TWindowHandle FConfigHandle = 0;
};

}  // namespace mon::lnx
