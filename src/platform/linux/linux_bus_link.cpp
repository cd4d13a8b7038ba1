#include "platform/linux/linux_bus_link.h"

#include <exception>
#include <string_view>

#include "framework/application.h"
#include "framework/text.h"
#include "platform/linux/linux_bus_interfaces.h"

namespace mon::lnx {

namespace {

// The configuration program's handles lie far above the loop's own window handles (counted from
// 1), so the two can never be taken for one another.
constexpr TWindowHandle kFirstConfigHandle = TWindowHandle{1} << (sizeof(TWindowHandle) * 8 - 2);

// A quarter of a second for the last signals (Exiting) to leave when the link goes: enough for a
// bus that reads, not long enough to hold up the end when it does not.
constexpr unsigned kFinalFlushMs = 250;

std::string MessageOf(const GError* AError) {
  return AError != nullptr ? AError->message : "unknown error";
}

struct TErrorFree {
  void operator()(GError* AError) const { g_error_free(AError); }
};
using TErrorPtr = std::unique_ptr<GError, TErrorFree>;

}  // namespace

// The connection being made in the background: it outlives the link when the link goes first, and
// then only cleans up.
struct TLinuxBusLink::TPendingConnection {
  TLinuxBusLink* Link;
  TGObjectPtr<GCancellable> Cancel;
};

// Everything that lasts while the link is on the bus, given back in the reverse order of its
// making: the name watch, the request for the monitor's name (cancelled), the exported object,
// the handler of the connection's end, the connection. The name goes with the connection: nothing
// here calls the bus and waits (as g_bus_unown_name would, to release it).
struct TLinuxBusLink::TAttachment {
  TAttachment(TLinuxBusLink& ALink, GDBusConnection* AConnection, guint AObjectId)
      : Connection(static_cast<GDBusConnection*>(g_object_ref(AConnection))),
        Closed(AConnection, g_signal_connect(AConnection, "closed",
                                             G_CALLBACK(&TLinuxBusLink::OnClosed), &ALink)),
        Object(AConnection, AObjectId),
        NameRequest(g_cancellable_new()),
        ConfigWatch(g_bus_watch_name_on_connection(
            AConnection, kConfigBusName, G_BUS_NAME_WATCHER_FLAGS_NONE,
            &TLinuxBusLink::OnConfigAppeared, &TLinuxBusLink::OnConfigVanished, &ALink, nullptr)) {
    // Not queued behind another owner: a second monitor gets "exists" and goes without the name.
    constexpr guint32 kDoNotQueue = 4;
    g_dbus_connection_call(
        AConnection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", kMonitorBusName, kDoNotQueue), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, NameRequest.get(), &TLinuxBusLink::OnNameRequested, &ALink);
  }
  ~TAttachment() { g_cancellable_cancel(NameRequest.get()); }
  TAttachment(const TAttachment&) = delete;
  TAttachment& operator=(const TAttachment&) = delete;

  TGObjectPtr<GDBusConnection> Connection;
  TSignalHandler Closed;
  TExportedObject Object;
  TGObjectPtr<GCancellable> NameRequest;
  TBusNameWatch ConfigWatch;
};

TLinuxBusLink::TLinuxBusLink(const TConfigProgramNames& ANames, TDebugOutput& ADebug)
    : FNames(ANames), FDebug(ADebug) {
  if (FNames.ClassName.empty()) {
    return;
  }
  GError* error = nullptr;
  gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  const TErrorPtr failure(error);
  if (address == nullptr) {
    Say("no session bus (" + MessageOf(failure.get()) + ")");
    return;
  }
  FPending = new TPendingConnection{this, TGObjectPtr<GCancellable>(g_cancellable_new())};
  g_dbus_connection_new_for_address(
      address,
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, FPending->Cancel.get(), &TLinuxBusLink::OnConnected, FPending);
  g_free(address);
}

TLinuxBusLink::~TLinuxBusLink() {
  if (FPending != nullptr) {
    FPending->Link = nullptr;
    g_cancellable_cancel(FPending->Cancel.get());
  }
  if (FAttachment) {
    FlushWithin(kFinalFlushMs);
  }
  Detach();
}

void TLinuxBusLink::OnConnected(GObject*, GAsyncResult* AResult, gpointer AData) {
  std::unique_ptr<TPendingConnection> pending(static_cast<TPendingConnection*>(AData));
  GError* error = nullptr;
  const TGObjectPtr<GDBusConnection> connection(
      g_dbus_connection_new_for_address_finish(AResult, &error));
  const TErrorPtr failure(error);
  TLinuxBusLink* link = pending->Link;
  if (link == nullptr) {
    return;  // the link went meanwhile
  }
  link->FPending = nullptr;
  if (!connection) {
    link->Say("the session bus cannot be reached (" + MessageOf(failure.get()) + ")");
    return;
  }
  link->Attach(connection.get());
}

void TLinuxBusLink::Attach(GDBusConnection* AConnection) {
  // The end of the bus ends the link, never the program.
  g_dbus_connection_set_exit_on_close(AConnection, FALSE);

  static const GDBusInterfaceVTable methods{&TLinuxBusLink::OnMethodCall, nullptr, nullptr, {}};
  GError* error = nullptr;
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kMonitorInterfaceXml, &error);
  TErrorPtr failure(error);
  guint objectId = 0;
  if (node != nullptr) {
    error = nullptr;
    objectId = g_dbus_connection_register_object(
        AConnection, kMonitorObjectPath, node->interfaces[0], &methods, this, nullptr, &error);
    failure.reset(error);
    g_dbus_node_info_unref(node);
  }
  if (objectId == 0) {
    Say("the monitor's object cannot be exported (" + MessageOf(failure.get()) + ")");
    return;
  }
  FAttachment = std::make_unique<TAttachment>(*this, AConnection, objectId);
}

void TLinuxBusLink::Detach() {
  FAttachment.reset();
  FOwnsMonitorName = false;
  FConfigOwned = false;
}

GDBusConnection* TLinuxBusLink::Connection() const {
  return FAttachment ? FAttachment->Connection.get() : nullptr;
}

void TLinuxBusLink::OnMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                 const gchar* AMethod, GVariant* AParameters,
                                 GDBusMethodInvocation* AInvocation, gpointer AData) {
  auto& link = *static_cast<TLinuxBusLink*>(AData);
  // GDBus has already checked the arguments against the interface; the caller gets its answer
  // before the monitor acts, as a posted window message returns at once.
  const std::string_view method = AMethod;
  gint32 lParam = 0;
  if (method == "ProfileChanged") {
    g_variant_get(AParameters, "(i)", &lParam);
  }
  g_dbus_method_invocation_return_value(AInvocation, nullptr);
  if (link.FCalls == nullptr) {
    return;
  }
  try {
    if (method == "ProfileChanged") {
      link.FCalls->ProfileChanged(lParam);
    } else if (method == "SettingsChanged") {
      link.FCalls->SettingsChanged();
    } else if (method == "Quit") {
      link.FCalls->QuitAsked();
    }
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
}

void TLinuxBusLink::OnNameRequested(GObject* ASource, GAsyncResult* AResult, gpointer AData) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(ASource), AResult, &error);
  const TErrorPtr failure(error);
  // A cancelled request belongs to a link (or a connection) that is gone; a closed connection's
  // end is told by OnClosed.
  if (g_error_matches(failure.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED) ||
      g_dbus_connection_is_closed(G_DBUS_CONNECTION(ASource))) {
    if (reply != nullptr) {
      g_variant_unref(reply);
    }
    return;
  }
  auto& link = *static_cast<TLinuxBusLink*>(AData);
  if (reply == nullptr) {
    link.Say("the monitor's bus name cannot be had (" + MessageOf(failure.get()) + ")");
    return;
  }
  constexpr guint32 kPrimaryOwner = 1;
  constexpr guint32 kAlreadyOwner = 4;
  guint32 answer = 0;
  g_variant_get(reply, "(u)", &answer);
  g_variant_unref(reply);
  link.FOwnsMonitorName = answer == kPrimaryOwner || answer == kAlreadyOwner;
  if (!link.FOwnsMonitorName) {
    link.Say("another program has the monitor's bus name");
  }
}

void TLinuxBusLink::OnConfigAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer AData) {
  auto& link = *static_cast<TLinuxBusLink*>(AData);
  // A new owner is a new program: messages meant for the one before do not reach it.
  link.FConfigHandle = link.FConfigHandle == 0 ? kFirstConfigHandle : link.FConfigHandle + 1;
  link.FConfigOwned = true;
}

void TLinuxBusLink::OnConfigVanished(GDBusConnection*, const gchar*, gpointer AData) {
  static_cast<TLinuxBusLink*>(AData)->FConfigOwned = false;
}

void TLinuxBusLink::OnClosed(GDBusConnection*, gboolean, GError* AError, gpointer AData) {
  auto& link = *static_cast<TLinuxBusLink*>(AData);
  link.Say("the session bus is gone (" + MessageOf(AError) + ")");
  // The emission holds its own reference to the connection, so it may be let go here.
  link.Detach();
}

bool TLinuxBusLink::Emit(const char* ASignal, GVariant* AParameters) {
  GDBusConnection* connection = Connection();
  if (connection == nullptr) {
    if (AParameters != nullptr) {
      g_variant_unref(g_variant_ref_sink(AParameters));
    }
    return false;
  }
  // To whoever listens: the configuration program and any other program.
  return g_dbus_connection_emit_signal(connection, nullptr, kMonitorObjectPath, kMonitorInterface,
                                       ASignal, AParameters, nullptr) != FALSE;
}

bool TLinuxBusLink::EmitProfileSelected(std::int32_t AProfile) {
  return Emit("ProfileSelected", g_variant_new("(i)", AProfile));
}

bool TLinuxBusLink::EmitStatusValue(std::uint32_t AMessage, std::uint32_t AValue) {
  return Emit("StatusValue", g_variant_new("(uu)", AMessage, AValue));
}

bool TLinuxBusLink::EmitExiting() {
  return Emit("Exiting", nullptr);
}

void TLinuxBusLink::CallWithoutReply(const char* ADestination, const char* APath,
                                     const char* AInterface, const char* AMethod,
                                     GVariant* AParameters) {
  GDBusConnection* connection = Connection();
  if (connection == nullptr) {
    if (AParameters != nullptr) {
      g_variant_unref(g_variant_ref_sink(AParameters));
    }
    return;
  }
  // Without a callback GDBus marks the call as expecting no reply and never waits for one.
  g_dbus_connection_call(connection, ADestination, APath, AInterface, AMethod, AParameters, nullptr,
                         G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
}

void TLinuxBusLink::ShowConfigProgram() {
  CallWithoutReply(kConfigBusName, kConfigObjectPath, kConfigInterface, "Show", nullptr);
}

void TLinuxBusLink::StartConfigProgram() {
  CallWithoutReply("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                   "StartServiceByName", g_variant_new("(su)", kConfigBusName, 0U));
}

void TLinuxBusLink::FlushWithin(unsigned AMilliseconds) {
  // The flush is waited for on a context of its own, so nothing else of the program runs
  // meanwhile. A flush that does not end in time is left behind: its state is shared with it.
  struct TFlushState {
    bool Done = false;
  };
  auto state = std::make_shared<TFlushState>();
  GMainContext* context = g_main_context_new();
  g_main_context_push_thread_default(context);
  g_dbus_connection_flush(
      Connection(), nullptr,
      [](GObject* ASource, GAsyncResult* AResult, gpointer AData) {
        const std::unique_ptr<std::shared_ptr<TFlushState>> flushState(
            static_cast<std::shared_ptr<TFlushState>*>(AData));
        g_dbus_connection_flush_finish(G_DBUS_CONNECTION(ASource), AResult, nullptr);
        (*flushState)->Done = true;
      },
      new std::shared_ptr<TFlushState>(state));
  bool timedOut = false;
  GSource* timeout = g_timeout_source_new(AMilliseconds);
  g_source_set_callback(
      timeout,
      [](gpointer AData) -> gboolean {
        *static_cast<bool*>(AData) = true;
        return G_SOURCE_REMOVE;
      },
      &timedOut, nullptr);
  g_source_attach(timeout, context);
  while (!state->Done && !timedOut) {
    g_main_context_iteration(context, TRUE);
  }
  g_source_destroy(timeout);
  g_source_unref(timeout);
  g_main_context_pop_thread_default(context);
  g_main_context_unref(context);
}

void TLinuxBusLink::Say(const std::string& AText) {
  FDebug.Write(Utf8ToUtf16("Link to the configuration program: " + AText + "."));
}

}  // namespace mon::lnx
