// The Linux audio backend against real sound servers: a private PulseAudio server of each test's
// own, changed from outside with pactl; an address where no server listens; a socket that takes
// connections and never answers; and a server that stops answering or goes away. Every call on
// the test's (the main) thread is timed: none may hold it for 100 ms, whatever the server does.
#include "platform/linux/linux_audio.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/microphone_mute.h"
#include "fake_message_box.h"
#include "private_sound_server.h"

namespace mon {
namespace {

using namespace std::chrono_literals;
using lnx::TLinuxAudioSystem;
using testing::TPrivateSoundServer;
using testing::TRecordingMessageBox;

constexpr auto kMainThreadLimit = 100ms;
// How long a test waits for a notification that should come.
constexpr auto kNotificationTimeout = 5s;
constexpr char kClientName[] = "linux_audio_test";

// The sound clients of this process (the backend under test) read their configuration and
// authentication cookie from a folder of the test run's own, set before any of them starts, so
// that no file of the user's is read or made.
class TSoundClientFiles final : public ::testing::Environment {
 public:
  void SetUp() override {
    char folder[] = "/tmp/mon-linux-audio-client.XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    FFolder = folder;
    std::ofstream(FFolder + "/client.conf") << "autospawn = no\n";
    ::setenv("PULSE_CLIENTCONFIG", (FFolder + "/client.conf").c_str(), 1);
    ::setenv("PULSE_COOKIE", (FFolder + "/cookie").c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }

 private:
  std::string FFolder;
};
const ::testing::Environment* const kSoundClientFiles =
    ::testing::AddGlobalTestEnvironment(new TSoundClientFiles);

// What the audio system's thread reported, and on which threads; the test waits for it.
class TEventLog {
 public:
  void Add(bool AValue) {
    std::lock_guard guard(FMutex);
    FValues.push_back(AValue);
    FThreads.push_back(std::this_thread::get_id());
    FAdded.notify_all();
  }
  bool WaitForCount(std::size_t ACount) {
    std::unique_lock guard(FMutex);
    return FAdded.wait_for(guard, kNotificationTimeout, [&] { return FValues.size() >= ACount; });
  }
  std::vector<bool> Values() const {
    std::lock_guard guard(FMutex);
    return FValues;
  }
  bool AnyOnThread(std::thread::id AThread) const {
    std::lock_guard guard(FMutex);
    return std::find(FThreads.begin(), FThreads.end(), AThread) != FThreads.end();
  }

 private:
  mutable std::mutex FMutex;
  std::condition_variable FAdded;
  std::vector<bool> FValues;
  std::vector<std::thread::id> FThreads;
};

class TMuteRecorder final : public TAudioEndpointVolumeCallback {
 public:
  void OnNotify(const TAudioVolumeNotificationData& ANotify) override {
    {
      std::lock_guard guard(FMutex);
      FLastVolume = ANotify.MasterVolume;
    }
    Log.Add(ANotify.Muted);
  }
  float LastVolume() const {
    std::lock_guard guard(FMutex);
    return FLastVolume;
  }
  TEventLog Log;

 private:
  mutable std::mutex FMutex;
  float FLastVolume = -1.0f;
};

class TDefaultSourceRecorder final : public TDefaultCaptureDeviceCallback {
 public:
  void DefaultCaptureDeviceChanged() override { Log.Add(true); }
  TEventLog Log;
};

// Times every call of the main thread it runs; the test fails when one took 100 ms or more.
class TimedAudioTest : public ::testing::Test {
 protected:
  template <class TCall>
  decltype(auto) Timed(TCall&& ACall) {
    const TStopwatch stopwatch(FLongest);
    return ACall();
  }

  void TearDown() override {
    const double milliseconds = std::chrono::duration<double, std::milli>(FLongest).count();
    std::printf("[ timing   ] longest main-thread call: %.1f ms\n", milliseconds);
    EXPECT_LT(FLongest, kMainThreadLimit);
  }

 private:
  class TStopwatch {
   public:
    explicit TStopwatch(std::chrono::steady_clock::duration& ALongest)
        : FLongest(ALongest), FStart(std::chrono::steady_clock::now()) {}
    ~TStopwatch() { FLongest = std::max(FLongest, std::chrono::steady_clock::now() - FStart); }

   private:
    std::chrono::steady_clock::duration& FLongest;
    const std::chrono::steady_clock::time_point FStart;
  };

  std::chrono::steady_clock::duration FLongest{};
};

// ---------------------------------------------------------------- no server that answers

// A unix socket that takes connections into its backlog and never accepts one.
class TSilentSocket {
 public:
  TSilentSocket() {
    char folder[] = "/tmp/mon-silent-socket.XXXXXX";
    if (::mkdtemp(folder) != nullptr) {
      FFolder = folder;
    }
    FFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = FFolder + "/native";
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    Listening = !FFolder.empty() && FFd >= 0 &&
                ::bind(FFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                ::listen(FFd, 8) == 0;
  }
  ~TSilentSocket() {
    if (FFd >= 0) {
      ::close(FFd);
    }
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
  }
  TSilentSocket(const TSilentSocket&) = delete;
  TSilentSocket& operator=(const TSilentSocket&) = delete;

  std::string Address() const { return "unix:" + FFolder + "/native"; }
  bool Listening = false;

 private:
  std::string FFolder;
  int FFd = -1;
};

using LinuxAudioWithoutServer = TimedAudioTest;

TEST_F(LinuxAudioWithoutServer, NoServerMeansNoEndpointAndNoWatchAtOnce) {
  TLinuxAudioSystem audio(kClientName, "unix:/nonexistent/mon-linux-audio-test/native");
  EXPECT_TRUE(audio.IsEndpointAudioSystem());
  EXPECT_EQ(audio.MixerDeviceCount(), 0u);
  EXPECT_EQ(audio.OpenMixer(0), nullptr);

  for (int attempt = 1; attempt <= 2; ++attempt) {  // each open tries again
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Timed([&] { return audio.OpenDefaultCaptureEndpoint(); }), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, lnx::kLongestServerWait)
        << "a missing server is known at once, without waiting out the time limit";
  }
  EXPECT_EQ(Timed([&] {
              return audio.WatchDefaultCaptureDevice(std::make_shared<TDefaultSourceRecorder>());
            }),
            nullptr);

  // The core's mute key: nothing happens and nothing is shown.
  TRecordingMessageBox boxes;
  TMicrophoneMute microphone(audio, boxes);
  Timed([&] { microphone.MicrophoneMute(); });
  EXPECT_FALSE(microphone.HasAudioEndpoint());
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(LinuxAudioWithoutServer, DefaultServerIsTakenFromTheEnvironment) {
  const char* before = std::getenv("PULSE_SERVER");
  const std::optional<std::string> saved =
      before != nullptr ? std::optional<std::string>(before) : std::nullopt;
  ::setenv("PULSE_SERVER", "unix:/nonexistent/mon-linux-audio-test/native", 1);
  auto audio = std::make_unique<TLinuxAudioSystem>(kClientName);
  EXPECT_EQ(Timed([&] { return audio->OpenDefaultCaptureEndpoint(); }), nullptr);
  Timed([&] { audio.reset(); });
  if (saved) {
    ::setenv("PULSE_SERVER", saved->c_str(), 1);
  } else {
    ::unsetenv("PULSE_SERVER");
  }
}

TEST_F(LinuxAudioWithoutServer, ServerThatNeverAnswersHoldsNoCallLonger) {
  TSilentSocket silent;
  ASSERT_TRUE(silent.Listening);
  TLinuxAudioSystem audio(kClientName, silent.Address());
  // The connection is still being made when the time is up; the second open waits for it again.
  EXPECT_EQ(Timed([&] { return audio.OpenDefaultCaptureEndpoint(); }), nullptr);
  EXPECT_EQ(Timed([&] { return audio.OpenDefaultCaptureEndpoint(); }), nullptr);
  EXPECT_EQ(Timed([&] {
              return audio.WatchDefaultCaptureDevice(std::make_shared<TDefaultSourceRecorder>());
            }),
            nullptr);
}

// ---------------------------------------------------------------- a private server

class LinuxAudioWithServer : public TimedAudioTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FServer.Start());
    // An explicit default, so that sources loaded by a test do not take its place by themselves.
    ASSERT_TRUE(FServer.Pactl("set-default-source mic"));
  }

  std::unique_ptr<TAudioEndpoint> Open() {
    return Timed([&] { return FAudio.OpenDefaultCaptureEndpoint(); });
  }
  std::optional<bool> GetMute(TAudioEndpoint& AEndpoint) {
    return Timed([&] { return AEndpoint.GetMute(); });
  }
  bool SetMute(TAudioEndpoint& AEndpoint, bool AMuted) {
    return Timed([&] { return AEndpoint.SetMute(AMuted); });
  }

  TPrivateSoundServer FServer;
  TLinuxAudioSystem FAudio{kClientName, FServer.Address()};
};

TEST_F(LinuxAudioWithServer, SetMuteSetsTheDefaultSourcesMute) {
  std::unique_ptr<TAudioEndpoint> endpoint = Open();
  ASSERT_NE(endpoint, nullptr);
  EXPECT_EQ(GetMute(*endpoint), false);
  EXPECT_EQ(FServer.DefaultSourceMuteSeenByPactl(), false);

  EXPECT_TRUE(SetMute(*endpoint, true));
  EXPECT_EQ(FServer.DefaultSourceMuteSeenByPactl(), true);
  EXPECT_EQ(GetMute(*endpoint), true);

  EXPECT_TRUE(SetMute(*endpoint, false));
  EXPECT_EQ(FServer.DefaultSourceMuteSeenByPactl(), false);
  EXPECT_EQ(GetMute(*endpoint), false);

  Timed([&] { endpoint.reset(); });
}

TEST_F(LinuxAudioWithServer, ChangeMadeElsewhereReachesTheCallbackAndGetMute) {
  auto recorder = std::make_shared<TMuteRecorder>();
  std::unique_ptr<TAudioEndpoint> endpoint = Open();
  ASSERT_NE(endpoint, nullptr);
  ASSERT_TRUE(Timed([&] { return endpoint->RegisterControlChangeNotify(recorder); }));
  EXPECT_FALSE(endpoint->RegisterControlChangeNotify(std::make_shared<TMuteRecorder>()))
      << "one callback at a time";

  ASSERT_TRUE(FServer.Pactl("set-source-mute @DEFAULT_SOURCE@ toggle"));
  ASSERT_TRUE(recorder->Log.WaitForCount(1));
  EXPECT_EQ(GetMute(*endpoint), true);
  ASSERT_TRUE(FServer.Pactl("set-source-mute @DEFAULT_SOURCE@ toggle"));
  ASSERT_TRUE(recorder->Log.WaitForCount(2));
  EXPECT_EQ(GetMute(*endpoint), false);
  // A volume change is reported too, with the mute as it is.
  ASSERT_TRUE(FServer.Pactl("set-source-volume @DEFAULT_SOURCE@ 50%"));
  ASSERT_TRUE(recorder->Log.WaitForCount(3));
  EXPECT_EQ(recorder->Log.Values(), (std::vector<bool>{true, false, false}));
  EXPECT_NEAR(recorder->LastVolume(), 0.5f, 0.01f);
  EXPECT_FALSE(recorder->Log.AnyOnThread(std::this_thread::get_id()));

  EXPECT_TRUE(Timed([&] { return endpoint->UnregisterControlChangeNotify(recorder); }));
  EXPECT_EQ(recorder.use_count(), 1) << "the endpoint let go of the callback";
  EXPECT_FALSE(endpoint->UnregisterControlChangeNotify(recorder));
  // Both endpoints share one connection, whose loop tells all callbacks of a change in one go:
  // once the other endpoint's callback heard the next change, the unregistered one would have.
  auto witness = std::make_shared<TMuteRecorder>();
  std::unique_ptr<TAudioEndpoint> other = Open();
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(other->RegisterControlChangeNotify(witness));
  ASSERT_TRUE(FServer.Pactl("set-source-mute @DEFAULT_SOURCE@ toggle"));
  ASSERT_TRUE(witness->Log.WaitForCount(1));
  EXPECT_EQ(recorder->Log.Values().size(), 3u);

  // Destroying an endpoint unregisters its callback.
  std::weak_ptr<TMuteRecorder> held = witness;
  witness.reset();
  Timed([&] { other.reset(); });
  EXPECT_TRUE(held.expired());
}

TEST_F(LinuxAudioWithServer, NewDefaultSourceReachesTheWatchAndTheEndpointFollowsIt) {
  auto watchRecorder = std::make_shared<TDefaultSourceRecorder>();
  std::unique_ptr<TAudioDeviceWatch> watch =
      Timed([&] { return FAudio.WatchDefaultCaptureDevice(watchRecorder); });
  ASSERT_NE(watch, nullptr);
  auto muteRecorder = std::make_shared<TMuteRecorder>();
  std::unique_ptr<TAudioEndpoint> endpoint = Open();
  ASSERT_NE(endpoint, nullptr);
  ASSERT_TRUE(endpoint->RegisterControlChangeNotify(muteRecorder));

  const std::optional<std::string> module =
      FServer.Pactl("load-module module-null-source source_name=mic2");
  ASSERT_TRUE(module);
  ASSERT_TRUE(FServer.Pactl("set-source-mute mic2 1"));
  ASSERT_TRUE(FServer.Pactl("set-default-source mic2"));
  ASSERT_TRUE(watchRecorder->Log.WaitForCount(1));
  // The endpoint is the default source, now the muted mic2; its callback heard the change.
  EXPECT_EQ(GetMute(*endpoint), true);
  ASSERT_TRUE(muteRecorder->Log.WaitForCount(1));
  EXPECT_EQ(muteRecorder->Log.Values(), std::vector<bool>{true});

  // The default source goes away: the server falls back to mic.
  ASSERT_TRUE(FServer.Pactl("unload-module " + *module));
  ASSERT_TRUE(watchRecorder->Log.WaitForCount(2));
  EXPECT_EQ(GetMute(*endpoint), false);
  ASSERT_TRUE(muteRecorder->Log.WaitForCount(2));
  EXPECT_FALSE(watchRecorder->Log.AnyOnThread(std::this_thread::get_id()));
  EXPECT_FALSE(muteRecorder->Log.AnyOnThread(std::this_thread::get_id()));

  std::weak_ptr<TDefaultSourceRecorder> held = watchRecorder;
  watchRecorder.reset();
  Timed([&] { watch.reset(); });
  EXPECT_TRUE(held.expired()) << "the watch let go of its callback";
}

TEST_F(LinuxAudioWithServer, SinkMonitorAsDefaultSourceIsNoMicrophone) {
  std::unique_ptr<TAudioEndpoint> endpoint = Open();
  ASSERT_NE(endpoint, nullptr);
  ASSERT_TRUE(FServer.Pactl("set-default-source spk.monitor"));
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(GetMute(*endpoint), std::nullopt);

  ASSERT_TRUE(FServer.Pactl("set-default-source mic"));
  EXPECT_NE(Open(), nullptr);
  EXPECT_EQ(GetMute(*endpoint), false);
}

TEST_F(LinuxAudioWithServer, ServerThatStopsAnsweringHoldsNoCallLonger) {
  auto recorder = std::make_shared<TMuteRecorder>();
  std::unique_ptr<TAudioEndpoint> endpoint = Open();
  ASSERT_NE(endpoint, nullptr);
  ASSERT_TRUE(endpoint->RegisterControlChangeNotify(recorder));

  FServer.Pause();
  EXPECT_EQ(GetMute(*endpoint), std::nullopt);
  EXPECT_FALSE(SetMute(*endpoint, true));
  EXPECT_EQ(Open(), nullptr);
  FServer.Resume();

  // The connection outlived the pause. The server then carried out the requests that had timed
  // out, whose answers nobody waits for any more: the mute was set after all.
  EXPECT_EQ(GetMute(*endpoint), true);
  EXPECT_EQ(FServer.DefaultSourceMuteSeenByPactl(), true);
  ASSERT_TRUE(recorder->Log.WaitForCount(1));
  EXPECT_EQ(recorder->Log.Values(), std::vector<bool>{true});
}

TEST_F(LinuxAudioWithServer, CoreMuteKeyTogglesTheMicrophone) {
  TEventLog muteSignals;
  TRecordingMessageBox boxes;
  TMicrophoneMute microphone(
      FAudio, boxes, {.MuteChanged = [&] { muteSignals.Add(true); }, .DefaultDeviceChanged = {}});
  Timed([&] { microphone.OpenAudioEndpoint(); });
  ASSERT_TRUE(microphone.HasAudioEndpoint());

  Timed([&] { microphone.MicrophoneMute(); });
  EXPECT_EQ(FServer.DefaultSourceMuteSeenByPactl(), true);
  EXPECT_EQ(Timed([&] { return microphone.MuteState(); }), true);
  ASSERT_TRUE(muteSignals.WaitForCount(1));

  Timed([&] { microphone.MicrophoneMute(); });
  EXPECT_EQ(FServer.DefaultSourceMuteSeenByPactl(), false);
  EXPECT_EQ(Timed([&] { return microphone.MuteState(); }), false);
  ASSERT_TRUE(muteSignals.WaitForCount(2));
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST_F(LinuxAudioWithServer, ServerGoneIsReportedAndTheNextPressConnectsAgain) {
  TEventLog defaultSignals;
  TRecordingMessageBox boxes;
  TMicrophoneMute microphone(FAudio, boxes, {.MuteChanged = {}, .DefaultDeviceChanged = [&] {
                                               defaultSignals.Add(true);
                                             }});
  Timed([&] { microphone.OpenAudioEndpoint(); });
  Timed([&] { microphone.WatchDefaultDevice(); });
  Timed([&] { microphone.MicrophoneMute(); });
  ASSERT_EQ(FServer.DefaultSourceMuteSeenByPactl(), true);

  FServer.Stop();
  ASSERT_TRUE(defaultSignals.WaitForCount(1)) << "the watch hears that the server went away";
  EXPECT_EQ(Timed([&] { return microphone.MuteState(); }), std::nullopt);
  Timed([&] { microphone.MicrophoneMute(); });  // nothing to mute, at once
  EXPECT_FALSE(microphone.HasAudioEndpoint());

  // A new server (its microphone starts unmuted): the next press connects to it.
  ASSERT_TRUE(FServer.Start());
  Timed([&] { microphone.MicrophoneMute(); });
  EXPECT_TRUE(microphone.HasAudioEndpoint());
  EXPECT_EQ(FServer.DefaultSourceMuteSeenByPactl(), true);
  EXPECT_TRUE(boxes.Shown.empty());
}

}  // namespace
}  // namespace mon
