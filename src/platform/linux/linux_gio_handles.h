// Owners of what GIO hands out and wants back: object references, bus names watched, objects
// exported on a connection, signal handlers. Each gives its handle back once, when the
// owner goes; none is copied.
#pragma once

#include <gio/gio.h>

#include <memory>

namespace mon::lnx {

struct TGObjectUnref {
  void operator()(gpointer AObject) const { g_object_unref(AObject); }
};
// One reference to a GObject.
template <class TObject>
using TGObjectPtr = std::unique_ptr<TObject, TGObjectUnref>;

// A number GIO returns for something that lasts until the number is given to ARelease (a watch of
// g_bus_watch_name*). 0 holds nothing.
template <void (*ARelease)(guint)>
class TGioId {
 public:
  explicit TGioId(guint AId = 0) : FId(AId) {}
  ~TGioId() {
    if (FId != 0) {
      ARelease(FId);
    }
  }
  TGioId(const TGioId&) = delete;
  TGioId& operator=(const TGioId&) = delete;

 private:
  guint FId;
};

using TBusNameWatch = TGioId<&g_bus_unwatch_name>;

// An object exported on a connection (g_dbus_connection_register_object); 0 holds nothing.
class TExportedObject {
 public:
  TExportedObject(GDBusConnection* AConnection, guint AId)
      : FConnection(static_cast<GDBusConnection*>(g_object_ref(AConnection))), FId(AId) {}
  ~TExportedObject() {
    if (FId != 0) {
      g_dbus_connection_unregister_object(FConnection.get(), FId);
    }
  }
  TExportedObject(const TExportedObject&) = delete;
  TExportedObject& operator=(const TExportedObject&) = delete;

  bool IsExported() const { return FId != 0; }

 private:
  TGObjectPtr<GDBusConnection> FConnection;
  guint FId;
};

// A handler connected to a GObject's signal (g_signal_connect); it is disconnected when the owner
// goes, so it is never called after that.
class TSignalHandler {
 public:
  TSignalHandler(gpointer AInstance, gulong AId)
      : FInstance(static_cast<GObject*>(g_object_ref(AInstance))), FId(AId) {}
  ~TSignalHandler() {
    if (FId != 0) {
      g_signal_handler_disconnect(FInstance.get(), FId);
    }
  }
  TSignalHandler(const TSignalHandler&) = delete;
  TSignalHandler& operator=(const TSignalHandler&) = delete;

 private:
  TGObjectPtr<GObject> FInstance;
  gulong FId;
};

}  // namespace mon::lnx
