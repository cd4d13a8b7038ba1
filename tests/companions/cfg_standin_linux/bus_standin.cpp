#include "bus_standin.h"

#include <gio/gio.h>
#include <glib-unix.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/linux/linux_bus_interfaces.h"
#include "platform/linux/linux_bus_link.h"
#include "platform/linux/linux_gio_handles.h"

namespace standin {

namespace {

using mon::lnx::TGObjectPtr;

struct TFileClose {
  void operator()(std::FILE* AFile) const { std::fclose(AFile); }
};

struct TServer {
  std::unique_ptr<std::FILE, TFileClose> Log;
  GMainLoop* Loop = nullptr;
  bool NameLost = false;
};

void LogLine(TServer& AServer, const std::string& ALine) {
  std::fprintf(AServer.Log.get(), "%s\n", ALine.c_str());
  std::fflush(AServer.Log.get());
}

std::string MessageLine(std::uint32_t AMessage, long long AWParam) {
  return "msg=" + std::to_string(AMessage) + " wParam=" + std::to_string(AWParam) + " lParam=0";
}

void OnShow(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* AMethod,
            GVariant*, GDBusMethodInvocation* AInvocation, gpointer AData) {
  g_dbus_method_invocation_return_value(AInvocation, nullptr);
  if (std::string(AMethod) == "Show") {
    LogLine(*static_cast<TServer*>(AData), "show");
  }
}

void OnMonitorSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                     const gchar* ASignal, GVariant* AParameters, gpointer AData) {
  auto& server = *static_cast<TServer*>(AData);
  const std::string signal = ASignal;
  if (signal == "ProfileSelected" && g_variant_is_of_type(AParameters, G_VARIANT_TYPE("(i)"))) {
    gint32 profile = 0;
    g_variant_get(AParameters, "(i)", &profile);
    LogLine(server, MessageLine(mon::lnx::kBusMsgProfileSelected, profile));
  } else if (signal == "StatusValue" && g_variant_is_of_type(AParameters, G_VARIANT_TYPE("(uu)"))) {
    guint32 message = 0;
    guint32 value = 0;
    g_variant_get(AParameters, "(uu)", &message, &value);
    LogLine(server, MessageLine(message, value));
  } else if (signal == "Exiting") {
    LogLine(server, MessageLine(mon::lnx::kBusMsgExiting, 0));
  }
}

gboolean OnEndSignal(gpointer AData) {
  g_main_loop_quit(static_cast<GMainLoop*>(AData));
  return G_SOURCE_CONTINUE;
}

TGObjectPtr<GDBusConnection> SessionBus() {
  GError* error = nullptr;
  TGObjectPtr<GDBusConnection> connection(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error));
  if (!connection) {
    std::fprintf(stderr, "cfg_standin_linux: no session bus: %s\n", error->message);
    g_error_free(error);
  }
  return connection;
}

// Calls AMethod(AParameters) on the monitor and waits at most 5 s for the answer.
int CallMonitor(const char* AMethod, GVariant* AParameters) {
  const TGObjectPtr<GDBusConnection> connection = SessionBus();
  if (!connection) {
    return 1;
  }
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      connection.get(), mon::lnx::kMonitorBusName, mon::lnx::kMonitorObjectPath,
      mon::lnx::kMonitorInterface, AMethod, AParameters, G_VARIANT_TYPE_UNIT,
      G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, nullptr, &error);
  if (reply == nullptr) {
    std::fprintf(stderr, "cfg_standin_linux: %s: %s\n", AMethod, error->message);
    g_error_free(error);
    return 1;
  }
  g_variant_unref(reply);
  return 0;
}

}  // namespace

int Serve(const char* ALogFile) {
  TServer server;
  server.Log.reset(std::fopen(ALogFile, "a"));
  if (!server.Log) {
    std::perror(ALogFile);
    return 1;
  }
  const TGObjectPtr<GDBusConnection> connection = SessionBus();
  if (!connection) {
    return 1;
  }
  GError* error = nullptr;
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(mon::lnx::kConfigInterfaceXml, &error);
  if (node == nullptr) {
    std::fprintf(stderr, "cfg_standin_linux: %s\n", error->message);
    g_error_free(error);
    return 1;
  }
  static const GDBusInterfaceVTable methods{&OnShow, nullptr, nullptr, {}};
  const mon::lnx::TExportedObject object(
      connection.get(),
      g_dbus_connection_register_object(connection.get(), mon::lnx::kConfigObjectPath,
                                        node->interfaces[0], &methods, &server, nullptr, nullptr));
  g_dbus_node_info_unref(node);
  const guint subscription = g_dbus_connection_signal_subscribe(
      connection.get(), mon::lnx::kMonitorBusName, mon::lnx::kMonitorInterface, nullptr,
      mon::lnx::kMonitorObjectPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &OnMonitorSignal, &server,
      nullptr);

  server.Loop = g_main_loop_new(nullptr, FALSE);
  // The name is taken last, so that whoever sees it owned finds the object and the subscription.
  const mon::lnx::TGioId<&g_bus_unown_name> name(g_bus_own_name_on_connection(
      connection.get(), mon::lnx::kConfigBusName, G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE, nullptr,
      [](GDBusConnection*, const gchar*, gpointer AData) {
        auto& lostServer = *static_cast<TServer*>(AData);
        lostServer.NameLost = true;
        g_main_loop_quit(lostServer.Loop);
      },
      &server, nullptr));
  const guint term = g_unix_signal_add(SIGTERM, &OnEndSignal, server.Loop);
  const guint interrupt = g_unix_signal_add(SIGINT, &OnEndSignal, server.Loop);
  g_main_loop_run(server.Loop);
  g_source_remove(term);
  g_source_remove(interrupt);
  g_dbus_connection_signal_unsubscribe(connection.get(), subscription);
  g_main_loop_unref(server.Loop);
  if (server.NameLost) {
    std::fprintf(stderr, "cfg_standin_linux: the name %s is not ours\n", mon::lnx::kConfigBusName);
    return 1;
  }
  return 0;
}

int SendToMonitor(std::uint32_t AMessage, std::int32_t ALParam) {
  if (AMessage == mon::lnx::kBusMsgProfileChanged) {
    return CallMonitor("ProfileChanged", g_variant_new("(i)", ALParam));
  }
  if (AMessage == mon::lnx::kBusMsgSettingsChanged) {
    return CallMonitor("SettingsChanged", nullptr);
  }
  return 2;
}

int QuitMonitor() {
  return CallMonitor("Quit", nullptr);
}

}  // namespace standin
