#include "platform/linux/linux_notices.h"

#include <utility>

namespace mon::lnx {

namespace {

constexpr char kNotificationsName[] = "org.freedesktop.Notifications";
constexpr char kNotificationsPath[] = "/org/freedesktop/Notifications";
constexpr int kNeverExpiresByUs = -1;  // the server's own time-out

bool WasCancelled(const GError* AError) {
  return g_error_matches(AError, G_IO_ERROR, G_IO_ERROR_CANCELLED) != FALSE;
}

}  // namespace

TLinuxNotices::TLinuxNotices(std::string AAppName, std::string AIconName)
    : FAppName(std::move(AAppName)),
      FIconName(std::move(AIconName)),
      FCancellable(g_cancellable_new()) {
  g_bus_get(G_BUS_TYPE_SESSION, FCancellable.get(), &TLinuxNotices::OnBusReady, this);
}

TLinuxNotices::~TLinuxNotices() {
  // The callbacks still to come see the cancellation and leave this object alone.
  g_cancellable_cancel(FCancellable.get());
}

void TLinuxNotices::Show(const std::string& ASummary, const std::string& ABody) {
  if (ASummary.empty()) {
    return;
  }
  FPending = TNotice{ASummary, ABody};
  SendPending();
}

void TLinuxNotices::SendPending() {
  if (!FBus || FCallOnTheWay || !FPending) {
    return;
  }
  const TNotice notice = *std::exchange(FPending, std::nullopt);
  GVariantBuilder hints;
  g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&hints, "{sv}", "suppress-sound", g_variant_new_boolean(TRUE));
  GVariant* arguments = g_variant_new("(susssasa{sv}i)", FAppName.c_str(), FLastId,
                                      FIconName.c_str(), notice.Summary.c_str(),
                                      notice.Body.c_str(), nullptr, &hints, kNeverExpiresByUs);
  FCallOnTheWay = true;
  g_dbus_connection_call(FBus.get(), kNotificationsName, kNotificationsPath, kNotificationsName,
                         "Notify", arguments, G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1,
                         FCancellable.get(), &TLinuxNotices::OnNotifyAnswered, this);
}

void TLinuxNotices::OnBusReady(GObject*, GAsyncResult* AResult, gpointer AData) {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_finish(AResult, &error);
  if (bus == nullptr) {
    if (!WasCancelled(error)) {
      static_cast<TLinuxNotices*>(AData)->TellFailureOnce(error);
    }
    g_error_free(error);
    return;
  }
  // A cancelled call never succeeds (its task checks the cancellable), so the notices are there.
  auto& notices = *static_cast<TLinuxNotices*>(AData);
  notices.FBus.reset(bus);
  notices.SendPending();
}

void TLinuxNotices::OnNotifyAnswered(GObject* ASource, GAsyncResult* AResult, gpointer AData) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(ASource), AResult, &error);
  if (reply == nullptr && WasCancelled(error)) {
    g_error_free(error);  // the notices are gone
    return;
  }
  auto& notices = *static_cast<TLinuxNotices*>(AData);
  notices.FCallOnTheWay = false;
  if (reply != nullptr) {
    g_variant_get(reply, "(u)", &notices.FLastId);
    g_variant_unref(reply);
  } else {
    notices.TellFailureOnce(error);
    g_error_free(error);
  }
  notices.SendPending();
}

void TLinuxNotices::TellFailureOnce(const GError* AError) {
  if (!FFailureTold) {
    g_printerr("korvaldz314mon: no desktop notification: %s\n", AError->message);
    FFailureTold = true;
  }
}

}  // namespace mon::lnx
