// Desktop notifications (org.freedesktop.Notifications on the session bus), one at a time: each
// notice replaces the one shown before it (Notify's replaces_id is the id the server gave the
// last one).
//
// Nothing waits for the server on the main thread: the bus is got and Notify is called without
// blocking (libnotify's show waits for the answer, 25 s when the server hangs). One call is on
// the way at a time; a notice asked for meanwhile waits, and a newer one takes its place, so a
// slow server gets the latest notice, replacing the last it showed.
//
// Main thread only (the loop's context).
#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/linux/linux_gio_handles.h"

namespace mon::lnx {

class TLinuxNotices {
 public:
  // AAppName names the program to the server, AIconName is the theme icon shown with each notice.
  TLinuxNotices(std::string AAppName, std::string AIconName);
  ~TLinuxNotices();
  TLinuxNotices(const TLinuxNotices&) = delete;
  TLinuxNotices& operator=(const TLinuxNotices&) = delete;

  // ASummary must not be empty (servers require one); without sound.
  void Show(const std::string& ASummary, const std::string& ABody);

 private:
  struct TNotice {
    std::string Summary;
    std::string Body;
  };
  static void OnBusReady(GObject* ASource, GAsyncResult* AResult, gpointer AData);
  static void OnNotifyAnswered(GObject* ASource, GAsyncResult* AResult, gpointer AData);
  void SendPending();
  void TellFailureOnce(const GError* AError);

  std::string FAppName;
  std::string FIconName;
  TGObjectPtr<GCancellable> FCancellable;  // cancelled when the notices go
  TGObjectPtr<GDBusConnection> FBus;       // null until the bus is got (or when there is none)
  std::optional<TNotice> FPending;
  bool FCallOnTheWay = false;
  std::uint32_t FLastId = 0;  // the server's id of the last notice shown, 0 before the first
  bool FFailureTold = false;
};

}  // namespace mon::lnx
