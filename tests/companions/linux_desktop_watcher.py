#!/usr/bin/python3
"""A test desktop shell on a (private) session bus: the tray watcher and the notification server,
and the commands a shell sends to a tray item. Needs the system Python with PyGObject (gi).

    linux_desktop_watcher.py serve LOG      owns org.kde.StatusNotifierWatcher and
                                            org.freedesktop.Notifications until SIGTERM; logs
                                            one line per call:
                                              registered SENDER ITEM
                                              notify ID replaces=N app=A icon=I summary=S body=B
    linux_desktop_watcher.py item SERVICE PATH       the item's Id, Title, IconName, Status,
                                                      IconAccessibleDesc, one NAME=VALUE a line
    linux_desktop_watcher.py menu SERVICE PATH       the visible labels of the item's menu, a line
                                                      each, in order
    linux_desktop_watcher.py click SERVICE PATH LABEL   clicks the visible item LABEL
    linux_desktop_watcher.py call SERVICE PATH METHOD   Activate, SecondaryActivate (at 0, 0)

Exit code 0 on success, 1 with a message on standard error otherwise.
"""

import signal
import sys

from gi.repository import Gio, GLib

WATCHER_XML = """
<node><interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface></node>"""

NOTIFICATIONS_XML = """
<node><interface name="org.freedesktop.Notifications">
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  <method name="Notify">
    <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
    <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
    <arg type="u" direction="out"/>
  </method>
  <method name="CloseNotification"><arg type="u" direction="in"/></method>
  <method name="GetServerInformation">
    <arg type="s" direction="out"/><arg type="s" direction="out"/>
    <arg type="s" direction="out"/><arg type="s" direction="out"/>
  </method>
  <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
</interface></node>"""


def serve(log_path):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    items = []
    next_id = [1]
    log = open(log_path, "a", encoding="utf-8", buffering=1)

    def watcher_call(connection, sender, path, interface, method, params, invocation):
        if method == "RegisterStatusNotifierItem":
            item = params.unpack()[0]
            items.append(sender + item if item.startswith("/") else item)
            log.write(f"registered {sender} {item}\n")
            invocation.return_value(None)
            connection.emit_signal(None, path, interface, "StatusNotifierItemRegistered",
                                   GLib.Variant("(s)", (items[-1],)))
        else:
            invocation.return_value(None)

    def watcher_property(connection, sender, path, interface, name):
        if name == "RegisteredStatusNotifierItems":
            return GLib.Variant("as", items)
        if name == "IsStatusNotifierHostRegistered":
            return GLib.Variant("b", True)
        return GLib.Variant("i", 0)

    def notifications_call(connection, sender, path, interface, method, params, invocation):
        if method == "GetCapabilities":
            invocation.return_value(GLib.Variant("(as)", (["body"],)))
        elif method == "GetServerInformation":
            invocation.return_value(GLib.Variant("(ssss)", ("test", "test", "1", "1.2")))
        elif method == "Notify":
            app, replaces, icon, summary, body, _actions, _hints, _timeout = params.unpack()
            notice_id = replaces if replaces != 0 else next_id[0]
            if replaces == 0:
                next_id[0] += 1
            log.write(f"notify {notice_id} replaces={replaces} app={app} icon={icon} "
                      f"summary={summary} body={body}\n")
            invocation.return_value(GLib.Variant("(u)", (notice_id,)))
        else:
            invocation.return_value(None)

    for xml, path, call, prop in (
            (WATCHER_XML, "/StatusNotifierWatcher", watcher_call, watcher_property),
            (NOTIFICATIONS_XML, "/org/freedesktop/Notifications", notifications_call, None)):
        info = Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0]
        bus.register_object(path, info, call, prop, None)
    for name in ("org.kde.StatusNotifierWatcher", "org.freedesktop.Notifications"):
        reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus", "RequestName",
                              GLib.Variant("(su)", (name, 4)), None,
                              Gio.DBusCallFlags.NONE, -1, None)
        if reply.unpack()[0] != 1:
            sys.exit(f"could not own {name}")
    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    loop.run()


def call(service, path, interface, method, args=None, reply_type=None):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = bus.call_sync(service, path, interface, method, args,
                          GLib.VariantType(reply_type) if reply_type else None,
                          Gio.DBusCallFlags.NONE, 5000, None)
    return reply.unpack() if reply is not None else None


def item_property(service, path, name):
    return call(service, path, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", name)), "(v)")[0]


def visible_menu_items(service, path):
    """[(id, label)] of the menu's visible top-level items."""
    menu_path = item_property(service, path, "Menu")
    _revision, layout = call(service, menu_path, "com.canonical.dbusmenu", "GetLayout",
                             GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")
    found = []
    for child in layout[2]:
        item_id, properties, _children = child
        if properties.get("visible", True) and "label" in properties:
            found.append((item_id, properties["label"]))
    return menu_path, found


def main(argv):
    if len(argv) == 3 and argv[1] == "serve":
        serve(argv[2])
    elif len(argv) == 4 and argv[1] == "item":
        for name in ("Id", "Title", "IconName", "Status", "IconAccessibleDesc"):
            print(f"{name}={item_property(argv[2], argv[3], name)}")
    elif len(argv) == 4 and argv[1] == "menu":
        for _item_id, label in visible_menu_items(argv[2], argv[3])[1]:
            print(label)
    elif len(argv) == 5 and argv[1] == "click":
        menu_path, found = visible_menu_items(argv[2], argv[3])
        ids = [item_id for item_id, label in found if label == argv[4]]
        if not ids:
            sys.exit(f"no visible menu item {argv[4]!r}")
        call(argv[2], menu_path, "com.canonical.dbusmenu", "Event",
             GLib.Variant("(isvu)", (ids[0], "clicked", GLib.Variant("s", ""), 0)))
    elif len(argv) == 5 and argv[1] == "call":
        call(argv[2], argv[3], "org.kde.StatusNotifierItem", argv[4],
             GLib.Variant("(ii)", (0, 0)))
    else:
        sys.exit(__doc__)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except GLib.Error as error:
        sys.exit(f"linux_desktop_watcher: {error.message}")
