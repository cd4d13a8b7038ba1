// least_loop: the least a Linux monitor can be, the floor its figures at rest are held against:
// one GLib main loop that ends on SIGTERM or SIGINT and does nothing else.
#include <glib-unix.h>
#include <glib.h>

#include <csignal>

namespace {

gboolean Quit(gpointer ALoop) {
  g_main_loop_quit(static_cast<GMainLoop*>(ALoop));
  return G_SOURCE_REMOVE;
}

}  // namespace

int main() {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_unix_signal_add(SIGTERM, Quit, loop);
  g_unix_signal_add(SIGINT, Quit, loop);
  g_main_loop_run(loop);
  g_main_loop_unref(loop);
  return 0;
}
