// Arrival of hidraw nodes: a udev monitor ("udev" events, subsystem hidraw) whose descriptor is
// watched in the GLib main context of the thread that makes this object. Each "add" calls the
// callback on that context's thread with the new node's device path; the main-loop owner turns
// it into the arrival message. Destroying the object removes the watch and the monitor.
#pragma once

#include <glib.h>

#include <functional>
#include <string>

#include "platform/linux/linux_udev.h"

namespace mon::lnx {

class THidArrivals {
 public:
  // Must not throw: it runs inside the GLib dispatch.
  using TOnArrival = std::function<void(const std::string& ADevNode)>;

  explicit THidArrivals(TOnArrival AOnArrival);
  ~THidArrivals();
  THidArrivals(const THidArrivals&) = delete;
  THidArrivals& operator=(const THidArrivals&) = delete;

  // False when the monitor could not be made (no udev): then no arrival is ever reported.
  bool IsWatching() const { return FSource != nullptr; }

 private:
  static gboolean OnReadable(gint AFd, GIOCondition ACondition, gpointer AThis);
  void ReceiveEvents();

  TOnArrival FOnArrival;
  TUdev FContext;
  TUdevMonitor FMonitor;
  GSource* FSource = nullptr;
};

}  // namespace mon::lnx
