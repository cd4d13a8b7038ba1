// The link to the configuration program as the core and other programs see it, on a private
// session bus: the monitor's name and methods arrive as the application window's own messages,
// the configuration program is found while its name has an owner and gets the table's messages
// as signals and Show() calls, its executable is started by bus activation, and a bus that goes
// away (or was never there) ends nothing but the link.
#include "platform/linux/linux_bus_link.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fake_debug_output.h"
#include "platform/linux/linux_bus_interfaces.h"
#include "platform/linux/linux_desktop.h"
#include "platform/linux/linux_window_system.h"
#include "private_session_bus.h"

namespace mon::lnx {
namespace {

using namespace std::chrono_literals;

constexpr char16_t kConfigClass[] = u"TKORVALDZ314CFGMAIN";
constexpr char16_t kConfigExe[] = u"KORVALDZ314.EXE";

// Runs the main context until ACondition holds, at most 5 s.
bool RunUntil(const std::function<bool()>& ACondition) {
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!ACondition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Runs the main context for ADuration: time for something that should not happen.
void RunFor(std::chrono::milliseconds ADuration) {
  const auto end = std::chrono::steady_clock::now() + ADuration;
  RunUntil([&] { return std::chrono::steady_clock::now() > end; });
}

struct TRecordingEvents final : TAppWindowEvents {
  struct TMessage {
    std::uint32_t Msg;
    std::uintptr_t WParam;
    std::intptr_t LParam;
    bool operator==(const TMessage&) const = default;
  };
  std::vector<TMessage> Messages;
  int Quits = 0;
  bool HandleAppMessage(std::uint32_t AMessage, std::uintptr_t AWParam,
                        std::intptr_t ALParam) override {
    Messages.push_back({AMessage, AWParam, ALParam});
    return true;
  }
  void TimerFired(std::uintptr_t) override {}
  void QuitRequested() override { ++Quits; }
};

// Another program on the bus: the configuration program's side of the link (its name and Show(),
// the monitor's signals it hears) and any caller of the monitor's methods.
class TPeer {
 public:
  explicit TPeer(const std::string& AAddress) {
    FConnection.reset(g_dbus_connection_new_for_address_sync(
        AAddress.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr));
    if (FConnection) {
      FSubscription = g_dbus_connection_signal_subscribe(
          FConnection.get(), kMonitorBusName, kMonitorInterface, nullptr, kMonitorObjectPath,
          nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &TPeer::OnSignal, this, nullptr);
    }
  }
  ~TPeer() {
    ReleaseConfigName();
    if (FConnection) {
      g_dbus_connection_signal_unsubscribe(FConnection.get(), FSubscription);
    }
  }
  TPeer(const TPeer&) = delete;
  TPeer& operator=(const TPeer&) = delete;

  bool IsConnected() const { return FConnection != nullptr; }

  // Plays the configuration program: its object with Show(), then its name.
  void OwnConfigName() {
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kConfigInterfaceXml, nullptr);
    static const GDBusInterfaceVTable methods{&TPeer::OnShow, nullptr, nullptr, {}};
    FObject =
        g_dbus_connection_register_object(FConnection.get(), kConfigObjectPath, node->interfaces[0],
                                          &methods, this, nullptr, nullptr);
    g_dbus_node_info_unref(node);
    FName =
        g_bus_own_name_on_connection(FConnection.get(), kConfigBusName, G_BUS_NAME_OWNER_FLAGS_NONE,
                                     nullptr, nullptr, nullptr, nullptr);
  }
  void ReleaseConfigName() {
    if (FName != 0) {
      g_bus_unown_name(FName);
      FName = 0;
    }
    if (FObject != 0) {
      g_dbus_connection_unregister_object(FConnection.get(), FObject);
      FObject = 0;
    }
  }

  // Calls AMethod of the monitor without blocking the loop. The answer arrives in
  // Answers[number of the call]: "" for success, else the error's name. Answers may come in
  // another order than the calls.
  void CallMonitor(const char* AMethod, GVariant* AParameters) {
    struct TCall {
      TPeer* Peer;
      std::size_t Number;
    };
    g_dbus_connection_call(
        FConnection.get(), kMonitorBusName, kMonitorObjectPath, kMonitorInterface, AMethod,
        AParameters, nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, nullptr,
        [](GObject* ASource, GAsyncResult* AResult, gpointer AData) {
          const std::unique_ptr<TCall> call(static_cast<TCall*>(AData));
          GError* error = nullptr;
          GVariant* reply =
              g_dbus_connection_call_finish(G_DBUS_CONNECTION(ASource), AResult, &error);
          std::string& answer = call->Peer->Answers[call->Number];
          if (reply != nullptr) {
            answer = "";
            g_variant_unref(reply);
          } else {
            gchar* remote = g_dbus_error_get_remote_error(error);
            answer = remote != nullptr ? remote : error->message;
            g_free(remote);
            g_error_free(error);
          }
        },
        new TCall{this, FCalls++});
  }

  std::vector<std::string> Signals;  // "Name(printed arguments)"
  std::map<std::size_t, std::string> Answers;
  int Shows = 0;

 private:
  static void OnSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                       const gchar* ASignal, GVariant* AParameters, gpointer AData) {
    gchar* arguments = g_variant_print(AParameters, FALSE);
    static_cast<TPeer*>(AData)->Signals.push_back(std::string(ASignal) + arguments);
    g_free(arguments);
  }
  static void OnShow(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                     GVariant*, GDBusMethodInvocation* AInvocation, gpointer AData) {
    ++static_cast<TPeer*>(AData)->Shows;
    g_dbus_method_invocation_return_value(AInvocation, nullptr);
  }

  TGObjectPtr<GDBusConnection> FConnection;
  guint FSubscription = 0;
  guint FObject = 0;
  guint FName = 0;
  std::size_t FCalls = 0;
};

class TLinuxBusLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Bus.Start());
    ::setenv("DBUS_SESSION_BUS_ADDRESS", Bus.Address().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("DBUS_SESSION_BUS_ADDRESS"); }

  // The monitor's backend pieces around one link, as the platform wires them.
  struct TMonitorSide {
    explicit TMonitorSide(TLinuxMessageLoop& ALoop)
        : Link({kConfigClass, kConfigExe}, Debug), Windows(Link), Desktop(ALoop, Link) {
      Window = Desktop.CreateAppWindow({}, Events);
    }
    testing::TRecordingDebugOutput Debug;
    TLinuxBusLink Link;
    TLinuxWindowSystem Windows;
    TLinuxDesktop Desktop;
    TRecordingEvents Events;
    std::unique_ptr<TAppWindow> Window;

    TWindowHandle Config() { return Windows.FindTopLevelWindow(kConfigClass); }
  };

  mon::testing::TPrivateSessionBus Bus;
  TLinuxMessageLoop Loop;
};

TEST_F(TLinuxBusLinkTest, CallsToTheMonitorBecomeMessagesOfItsWindowAfterTheirAnswer) {
  TMonitorSide monitor(Loop);
  ASSERT_TRUE(RunUntil([&] { return monitor.Link.OwnsMonitorName(); }));
  TPeer caller(Bus.Address());
  ASSERT_TRUE(caller.IsConnected());

  caller.CallMonitor("ProfileChanged", g_variant_new("(i)", 2));
  caller.CallMonitor("SettingsChanged", nullptr);
  // Wrong arguments are refused by the bus library and reach nothing.
  caller.CallMonitor("ProfileChanged", g_variant_new("(s)", "2"));
  ASSERT_TRUE(RunUntil([&] { return caller.Answers.size() == 3; }));
  EXPECT_EQ(caller.Answers[0], "");
  EXPECT_EQ(caller.Answers[1], "");
  EXPECT_EQ(caller.Answers[2], "org.freedesktop.DBus.Error.InvalidArgs");
  ASSERT_TRUE(RunUntil([&] { return monitor.Events.Messages.size() == 2; }));
  EXPECT_EQ(monitor.Events.Messages[0], (TRecordingEvents::TMessage{7035, 0, 2}));
  EXPECT_EQ(monitor.Events.Messages[1], (TRecordingEvents::TMessage{7037, 0, 0}));

  // Quit is answered, then takes the program's own way out, once for two calls.
  caller.CallMonitor("Quit", nullptr);
  caller.CallMonitor("Quit", nullptr);
  ASSERT_TRUE(RunUntil([&] { return caller.Answers.size() == 5; }));
  EXPECT_EQ(caller.Answers[3], "");
  ASSERT_TRUE(RunUntil([&] { return monitor.Events.Quits == 1; }));
  RunFor(100ms);
  EXPECT_EQ(monitor.Events.Quits, 1);

  // A second monitor does not get the name; the first keeps it.
  testing::TRecordingDebugOutput secondDebug;
  TLinuxBusLink second({kConfigClass, kConfigExe}, secondDebug);
  ASSERT_TRUE(RunUntil([&] { return !secondDebug.Lines().empty(); }));
  EXPECT_FALSE(second.OwnsMonitorName());
  EXPECT_TRUE(monitor.Link.OwnsMonitorName());
}

TEST_F(TLinuxBusLinkTest, TheConfigProgramIsFoundByItsNameAndGetsTheTablesMessages) {
  TMonitorSide monitor(Loop);
  TPeer config(Bus.Address());
  ASSERT_TRUE(RunUntil([&] { return monitor.Link.OwnsMonitorName(); }));
  EXPECT_EQ(monitor.Config(), 0u);
  EXPECT_FALSE(monitor.Desktop.PostToWindow(0, 7042, 42, 0));

  config.OwnConfigName();
  ASSERT_TRUE(RunUntil([&] { return monitor.Config() != 0; }));
  const TWindowHandle handle = monitor.Config();
  EXPECT_EQ(monitor.Windows.FindTopLevelWindow(u"TSomeOtherClass"), 0u);
  EXPECT_NE(handle, monitor.Window->Handle());

  EXPECT_TRUE(monitor.Desktop.PostToWindow(handle, 7042, 42, 0));
  EXPECT_TRUE(monitor.Desktop.PostToWindow(handle, 7043, 6, 0));
  EXPECT_TRUE(monitor.Desktop.SendToWindow(handle, 7040, 3, 0, 1000));
  EXPECT_TRUE(monitor.Desktop.PostToWindow(handle, 7036, 0, 0));
  // Not the table's way (7040 is sent, 7042 posted), another message, another window: nothing.
  EXPECT_FALSE(monitor.Desktop.PostToWindow(handle, 7040, 1, 0));
  EXPECT_FALSE(monitor.Desktop.SendToWindow(handle, 7042, 1, 0, 1000));
  EXPECT_FALSE(monitor.Desktop.PostToWindow(handle, 7035, 1, 0));
  EXPECT_FALSE(monitor.Desktop.PostToWindow(monitor.Window->Handle(), 7042, 1, 0));
  const std::vector<std::string> expected = {"StatusValue(7042, 42)", "StatusValue(7043, 6)",
                                             "ProfileSelected(3,)", "Exiting()"};
  ASSERT_TRUE(RunUntil([&] { return config.Signals.size() >= expected.size(); }));
  RunFor(100ms);
  EXPECT_EQ(config.Signals, expected);

  monitor.Desktop.ShowAndForeground(handle);
  monitor.Desktop.ShowAndForeground(monitor.Window->Handle());  // not the configuration program
  ASSERT_TRUE(RunUntil([&] { return config.Shows == 1; }));
  RunFor(100ms);
  EXPECT_EQ(config.Shows, 1);

  // Gone: no handle; back: a new one, and the old one reaches nothing.
  config.ReleaseConfigName();
  ASSERT_TRUE(RunUntil([&] { return monitor.Config() == 0; }));
  EXPECT_FALSE(monitor.Desktop.PostToWindow(handle, 7042, 1, 0));
  config.OwnConfigName();
  ASSERT_TRUE(RunUntil([&] { return monitor.Config() != 0; }));
  EXPECT_NE(monitor.Config(), handle);
  EXPECT_FALSE(monitor.Desktop.PostToWindow(handle, 7042, 1, 0));
}

TEST_F(TLinuxBusLinkTest, TheConfigProgramsExecutableIsStartedByBusActivation) {
  // The service the bus starts for the configuration program's name marks that it ran.
  const std::string marker = Bus.Folder() + "/started";
  const std::string script = Bus.Folder() + "/config-program.sh";
  std::ofstream(script) << "#!/bin/sh\necho started >> " << marker << "\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  std::ofstream(Bus.ServicesFolder() + "/" + kConfigBusName + ".service")
      << "[D-BUS Service]\nName=" << kConfigBusName << "\nExec=" << script << "\n";

  TMonitorSide monitor(Loop);
  ASSERT_TRUE(RunUntil([&] { return monitor.Link.OwnsMonitorName(); }));
  // Other files and addresses start nothing.
  monitor.Desktop.ShellOpen(u"/opt/korvaldz/KORVALDZ314.EXE.bak", u"", 0, TShowCommand::Show);
  monitor.Desktop.ShellOpen(u"https://example.invalid/KORVALDZ314.EXE/", u"", 0,
                            TShowCommand::ShowNormal);
  RunFor(300ms);
  EXPECT_FALSE(std::filesystem::exists(marker));

  // The core names it by the folder of the monitor's files, with a Windows separator, in any
  // case.
  monitor.Desktop.ShellOpen(u"/home/u/.config/KORVALDZ314/\\korvaldz314.exe", u"", 0,
                            TShowCommand::Show);
  EXPECT_TRUE(RunUntil([&] { return std::filesystem::exists(marker); }));
}

TEST_F(TLinuxBusLinkTest, ABusThatGoesEndsOnlyTheLink) {
  TMonitorSide monitor(Loop);
  TPeer config(Bus.Address());
  config.OwnConfigName();
  ASSERT_TRUE(RunUntil([&] { return monitor.Link.OwnsMonitorName() && monitor.Config() != 0; }));
  const TWindowHandle handle = monitor.Config();

  Bus.Stop();
  ASSERT_TRUE(RunUntil([&] { return !monitor.Link.OwnsMonitorName(); }));
  EXPECT_EQ(monitor.Config(), 0u);
  EXPECT_FALSE(monitor.Desktop.PostToWindow(handle, 7042, 42, 0));
  EXPECT_FALSE(monitor.Desktop.SendToWindow(handle, 7040, 1, 0, 1000));
  monitor.Desktop.ShowAndForeground(handle);
  monitor.Desktop.ShellOpen(u"/x/KORVALDZ314.EXE", u"", 0, TShowCommand::Show);
  EXPECT_EQ(monitor.Debug.Lines().size(), 1u);  // one line says so

  // The window's own messages still go round.
  monitor.Window->PostToSelf(kWmUser + 1, 0, 0);
  ASSERT_TRUE(RunUntil([&] { return monitor.Events.Messages.size() == 1; }));
}

TEST_F(TLinuxBusLinkTest, ABusThatStopsAnsweringHoldsUpNeitherTheLinkNorItsEnd) {
  auto monitor = std::make_unique<TMonitorSide>(Loop);
  TPeer config(Bus.Address());
  config.OwnConfigName();
  ASSERT_TRUE(RunUntil([&] { return monitor->Link.OwnsMonitorName() && monitor->Config() != 0; }));
  const TWindowHandle handle = monitor->Config();

  Bus.Pause();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(monitor->Desktop.PostToWindow(handle, 7042, 42, 0));
  EXPECT_TRUE(monitor->Desktop.SendToWindow(handle, 7040, 1, 0, 1000));
  monitor->Desktop.ShowAndForeground(handle);
  monitor->Desktop.ShellOpen(u"/x/KORVALDZ314.EXE", u"", 0, TShowCommand::Show);
  EXPECT_TRUE(monitor->Desktop.PostToWindow(handle, 7036, 0, 0));
  monitor.reset();
  // The end waits a quarter of a second for the queue at most, and never for an answer.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  Bus.Resume();
}

TEST_F(TLinuxBusLinkTest, WithoutABusTheMonitorRunsWithoutTheLink) {
  // No address, no bus in the runtime folder, no display to start one for.
  ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string runtime = Bus.Folder() + "/empty-runtime";
  std::filesystem::create_directories(runtime);
  const char* display = std::getenv("DISPLAY");
  const std::string oldDisplay = display != nullptr ? display : "";
  const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
  const std::string oldRuntimeValue = oldRuntime != nullptr ? oldRuntime : "";
  ::unsetenv("DISPLAY");
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  {
    TMonitorSide monitor(Loop);
    RunFor(200ms);
    EXPECT_EQ(monitor.Debug.Lines().size(), 1u);
    EXPECT_FALSE(monitor.Link.OwnsMonitorName());
    EXPECT_EQ(monitor.Config(), 0u);
    monitor.Desktop.ShellOpen(u"/x/KORVALDZ314.EXE", u"", 0, TShowCommand::Show);
    monitor.Window->PostToSelf(kWmUser + 1, 0, 0);
    EXPECT_TRUE(RunUntil([&] { return monitor.Events.Messages.size() == 1; }));
  }
  if (!oldDisplay.empty()) {
    ::setenv("DISPLAY", oldDisplay.c_str(), 1);
  }
  if (oldRuntime != nullptr) {
    ::setenv("XDG_RUNTIME_DIR", oldRuntimeValue.c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
}

}  // namespace
}  // namespace mon::lnx
