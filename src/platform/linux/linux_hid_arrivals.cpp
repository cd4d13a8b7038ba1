#include "platform/linux/linux_hid_arrivals.h"

#include <glib-unix.h>

#include <string_view>

namespace mon::lnx {

THidArrivals::THidArrivals(TOnArrival AOnArrival)
    : FOnArrival(std::move(AOnArrival)), FContext(udev_new()) {
  if (!FContext) {
    return;
  }
  FMonitor.reset(udev_monitor_new_from_netlink(FContext.get(), "udev"));
  if (!FMonitor ||
      udev_monitor_filter_add_match_subsystem_devtype(FMonitor.get(), "hidraw", nullptr) < 0 ||
      udev_monitor_enable_receiving(FMonitor.get()) < 0) {
    FMonitor.reset();
    return;
  }
  FSource = g_unix_fd_source_new(udev_monitor_get_fd(FMonitor.get()), G_IO_IN);
  g_source_set_callback(FSource, G_SOURCE_FUNC(&THidArrivals::OnReadable), this, nullptr);
  // NULL is the global default context when the thread has pushed none of its own.
  g_source_attach(FSource, g_main_context_get_thread_default());
}

THidArrivals::~THidArrivals() {
  if (FSource != nullptr) {
    g_source_destroy(FSource);
    g_source_unref(FSource);
  }
}

gboolean THidArrivals::OnReadable(gint, GIOCondition, gpointer AThis) {
  static_cast<THidArrivals*>(AThis)->ReceiveEvents();
  return G_SOURCE_CONTINUE;
}

void THidArrivals::ReceiveEvents() {
  // The monitor's socket is non-blocking: take every event that is waiting.
  while (const TUdevDevice device{udev_monitor_receive_device(FMonitor.get())}) {
    const char* action = udev_device_get_action(device.get());
    const char* devNode = udev_device_get_devnode(device.get());
    if (action != nullptr && std::string_view(action) == "add" && devNode != nullptr &&
        FOnArrival) {
      FOnArrival(devNode);
    }
  }
}

}  // namespace mon::lnx
