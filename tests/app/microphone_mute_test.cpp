// Microphone mute over the scripted audio system: the endpoint path (state read from the device
// on every press, the endpoint retried while it cannot be opened, the notification sink's
// lifetime) and the older systems' mixer path with its two messages.
#include "app/microphone_mute.h"

#include <gtest/gtest.h>

#include <thread>

#include "fake_platform.h"
#include "framework/application.h"

namespace mon {
namespace {

using testing::TFakeAudioSystem;
using testing::TRecordingMessageBox;

class MicrophoneMuteTest : public ::testing::Test {
 protected:
  TFakeAudioSystem FAudio;
  TRecordingMessageBox FBoxes;
};

// ---------------------------------------------------------------- endpoint path

TEST_F(MicrophoneMuteTest, TwoPressesRestoreTheInitialStateThroughOneEndpoint) {
  for (const bool initial : {false, true}) {
    FAudio.SystemMuted = initial;
    FAudio.OpenCalls = 0;
    TMicrophoneMute mute(FAudio, FBoxes);
    ASSERT_TRUE(mute.UsesAudioEndpoint());
    mute.OpenAudioEndpoint();
    ASSERT_TRUE(mute.HasAudioEndpoint());

    mute.MicrophoneMute();
    EXPECT_EQ(FAudio.SystemMuted, !initial);
    mute.MicrophoneMute();
    EXPECT_EQ(FAudio.SystemMuted, initial);
    EXPECT_EQ(FAudio.OpenCalls, 1) << "the endpoint is opened once and kept";
  }
  EXPECT_TRUE(FBoxes.Shown.empty());
  EXPECT_TRUE(FAudio.OpenedMixerIndexes.empty());
}

TEST_F(MicrophoneMuteTest, WithoutCaptureDeviceNothingHappensAndEveryPressRetries) {
  FAudio.CaptureDevicePresent = false;
  FAudio.SystemMuted = true;
  TMicrophoneMute mute(FAudio, FBoxes);
  mute.OpenAudioEndpoint();
  EXPECT_FALSE(mute.HasAudioEndpoint());

  for (int press = 1; press <= 3; ++press) {
    mute.MicrophoneMute();
    EXPECT_EQ(FAudio.OpenCalls, 1 + press);
  }
  EXPECT_FALSE(mute.HasAudioEndpoint());
  EXPECT_TRUE(FAudio.SystemMuted);
  EXPECT_EQ(FAudio.SetMuteCalls, 0);
  EXPECT_TRUE(FBoxes.Shown.empty());

  // A microphone plugged in later is used by the next press.
  FAudio.CaptureDevicePresent = true;
  mute.MicrophoneMute();
  EXPECT_TRUE(mute.HasAudioEndpoint());
  EXPECT_FALSE(FAudio.SystemMuted);
  mute.MicrophoneMute();
  EXPECT_TRUE(FAudio.SystemMuted);
  EXPECT_EQ(FAudio.OpenCalls, 5);
  EXPECT_TRUE(FBoxes.Shown.empty());
}

TEST_F(MicrophoneMuteTest, StateChangedElsewhereBetweenPressesIsInvertedAsItThenIs) {
  TMicrophoneMute mute(FAudio, FBoxes);
  mute.OpenAudioEndpoint();
  mute.MicrophoneMute();
  ASSERT_TRUE(FAudio.SystemMuted);

  FAudio.SystemMuted = false;  // another program unmutes
  mute.MicrophoneMute();
  EXPECT_TRUE(FAudio.SystemMuted);

  FAudio.SystemMuted = false;
  mute.MicrophoneMute();
  EXPECT_TRUE(FAudio.SystemMuted);
}

TEST_F(MicrophoneMuteTest, ReplacedDeviceIsReopenedAndToggledByTheSamePress) {
  TMicrophoneMute mute(FAudio, FBoxes);
  mute.OpenAudioEndpoint();
  mute.MicrophoneMute();
  ASSERT_TRUE(FAudio.SystemMuted);

  FAudio.ReplaceCaptureDevice();
  mute.MicrophoneMute();
  EXPECT_FALSE(FAudio.SystemMuted);
  EXPECT_EQ(FAudio.OpenCalls, 2);
  EXPECT_EQ(FAudio.LiveEndpoints(), 1);
  EXPECT_FALSE(FAudio.ReleasedWhileRegistered);

  // Removed and not replaced: the press does nothing, the next ones retry.
  FAudio.ReplaceCaptureDevice();
  FAudio.CaptureDevicePresent = false;
  const int writes = FAudio.SetMuteCalls;
  mute.MicrophoneMute();
  EXPECT_EQ(FAudio.SetMuteCalls, writes) << "an unreadable state is never written back";
  EXPECT_FALSE(mute.HasAudioEndpoint());
  EXPECT_FALSE(FAudio.SystemMuted);
  EXPECT_EQ(FAudio.OpenCalls, 3);
  EXPECT_TRUE(FBoxes.Shown.empty());
}

TEST_F(MicrophoneMuteTest, FailedRegistrationStillLeavesAWorkingEndpoint) {
  FAudio.RegisterFails = true;
  TMicrophoneMute mute(FAudio, FBoxes);
  mute.OpenAudioEndpoint();
  ASSERT_TRUE(mute.HasAudioEndpoint());
  EXPECT_EQ(FAudio.RegisteredCallback(), nullptr);
  mute.MicrophoneMute();
  EXPECT_TRUE(FAudio.SystemMuted);
}

// ---------------------------------------------------------------- notification sink

TEST_F(MicrophoneMuteTest, EndpointHoldsTheOnlyReferenceAndSinkIsUnregisteredBeforeRelease) {
  std::weak_ptr<TAudioEndpointVolumeCallback> sink;
  {
    TMicrophoneMute mute(FAudio, FBoxes);
    mute.OpenAudioEndpoint();
    sink = FAudio.RegisteredCallback();
    ASSERT_FALSE(sink.expired());
    EXPECT_NE(dynamic_cast<TMyEndpointVolumeCallback*>(sink.lock().get()), nullptr);
    EXPECT_EQ(sink.use_count(), 1) << "only the endpoint holds the sink";

    // Opening again replaces the endpoint; the old one lets go of its sink first.
    mute.OpenAudioEndpoint();
    EXPECT_TRUE(sink.expired());
    EXPECT_FALSE(FAudio.ReleasedWhileRegistered);
    EXPECT_EQ(FAudio.LiveEndpoints(), 1);
    sink = FAudio.RegisteredCallback();
    ASSERT_FALSE(sink.expired());
  }
  EXPECT_TRUE(sink.expired());
  EXPECT_FALSE(FAudio.ReleasedWhileRegistered);
  EXPECT_EQ(FAudio.LiveEndpoints(), 0);
}

TEST_F(MicrophoneMuteTest, NotificationOnAnAudioThreadLeavesTheFlagClear) {
  TMicrophoneMute mute(FAudio, FBoxes);
  mute.OpenAudioEndpoint();
  const auto sink = FAudio.RegisteredCallback();
  ASSERT_NE(sink, nullptr);
  EXPECT_FALSE(mute.VolumeUpdating());

  std::thread audioThread([&sink] {
    TAudioVolumeNotificationData data;
    data.Muted = true;
    for (int i = 0; i < 1000; ++i) {
      sink->OnNotify(data);
    }
  });
  // Reads on the main thread meanwhile, as the window may do.
  for (int i = 0; i < 1000; ++i) {
    (void)mute.VolumeUpdating();
  }
  audioThread.join();
  EXPECT_FALSE(mute.VolumeUpdating());
}

TEST_F(MicrophoneMuteTest, LateNotificationAfterTheOwnerIsGoneTouchesNothingFreed) {
  std::shared_ptr<TAudioEndpointVolumeCallback> inFlight;
  {
    TMicrophoneMute mute(FAudio, FBoxes);
    mute.OpenAudioEndpoint();
    // The audio system may still be inside a call while the window goes away.
    inFlight = FAudio.RegisteredCallback();
    ASSERT_NE(inFlight, nullptr);
  }
  EXPECT_EQ(inFlight.use_count(), 1) << "the released endpoint let go of the sink";
  std::thread audioThread([&inFlight] { inFlight->OnNotify(TAudioVolumeNotificationData{}); });
  audioThread.join();  // AddressSanitizer reports a flag that went with its owner
}

// ---------------------------------------------------------------- mixer path

class MixerMuteTest : public MicrophoneMuteTest {
 protected:
  void SetUp() override { FAudio.EndpointAudio = false; }
  // Device 0 with a speakers destination and a microphone source line.
  void AddFirstMixer(TFakeAudioSystem::TLine AMicrophone = {0x1003}) {
    FAudio.Mixers.push_back({TFakeAudioSystem::TLine{4}, AMicrophone});
  }
  TFakeAudioSystem::TLine& Microphone() { return FAudio.Mixers[0][1]; }
  std::vector<std::u16string> Texts() const {
    std::vector<std::u16string> texts;
    for (const auto& shown : FBoxes.Shown) {
      texts.push_back(shown.Text);
    }
    return texts;
  }
};

TEST_F(MixerMuteTest, TwoPressesRestoreTheInitialStateOnDeviceZero) {
  AddFirstMixer();
  FAudio.Mixers.push_back({TFakeAudioSystem::TLine{0x1003}});  // a second device, never used
  TMicrophoneMute mute(FAudio, FBoxes);
  EXPECT_FALSE(mute.UsesAudioEndpoint());

  mute.MicrophoneMute();
  EXPECT_TRUE(Microphone().Muted);
  EXPECT_TRUE(mute.GetMixerMute(kMixerLineMicrophone));
  mute.MicrophoneMute();
  EXPECT_FALSE(Microphone().Muted);

  EXPECT_FALSE(FAudio.Mixers[0][0].Muted) << "the speakers line is not touched";
  EXPECT_FALSE(FAudio.Mixers[1][0].Muted);
  for (const auto index : FAudio.OpenedMixerIndexes) {
    EXPECT_EQ(index, 0u);
  }
  EXPECT_EQ(FAudio.LiveMixers, 0) << "the mixer is closed after every call";
  EXPECT_EQ(FAudio.OpenCalls, 0) << "no endpoint on the mixer path";
  EXPECT_TRUE(FBoxes.Shown.empty());
}

TEST_F(MixerMuteTest, EachTypeSelectsItsOwnLine) {
  FAudio.Mixers.push_back({{4}, {0x1003}, {0x1008}, {0x1004}});
  TMicrophoneMute mute(FAudio, FBoxes);
  for (int type = 0; type < 4; ++type) {
    mute.SetMixerMute(type, 1);
    for (int line = 0; line < 4; ++line) {
      EXPECT_EQ(FAudio.Mixers[0][line].Muted, line <= type) << "type " << type;
      EXPECT_EQ(mute.GetMixerMute(line), line <= type);
    }
  }
  mute.SetMixerMute(kMixerLineWaveOut, 0);
  EXPECT_FALSE(FAudio.Mixers[0][2].Muted);
  EXPECT_TRUE(FBoxes.Shown.empty());
}

TEST_F(MixerMuteTest, WithoutMixerDeviceOrMicrophoneLineNothingHappensAndNothingIsShown) {
  TMicrophoneMute mute(FAudio, FBoxes);
  mute.MicrophoneMute();
  EXPECT_FALSE(mute.GetMixerMute(kMixerLineMicrophone));
  EXPECT_TRUE(FAudio.OpenedMixerIndexes.empty()) << "no device, nothing to open";

  FAudio.Mixers.push_back({TFakeAudioSystem::TLine{4}});  // speakers only
  mute.MicrophoneMute();
  EXPECT_FALSE(FAudio.Mixers[0][0].Muted);
  EXPECT_FALSE(mute.GetMixerMute(kMixerLineMicrophone));
  EXPECT_EQ(FAudio.LiveMixers, 0);
  EXPECT_TRUE(FBoxes.Shown.empty());
}

TEST_F(MixerMuteTest, MissingMuteControlShowsGetLineInfoErrorOnBothPaths) {
  TFakeAudioSystem::TLine microphone{0x1003};
  microphone.HasMuteControl = false;
  AddFirstMixer(microphone);
  TMicrophoneMute mute(FAudio, FBoxes);

  EXPECT_FALSE(mute.GetMixerMute(kMixerLineMicrophone));
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"GetLineInfo Error"});
  FBoxes.Shown.clear();
  mute.SetMixerMute(kMixerLineMicrophone, 1);
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"GetLineInfo Error"});
  FBoxes.Shown.clear();

  // A press reads and writes, and each fails with its box.
  mute.MicrophoneMute();
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"GetLineInfo Error", u"GetLineInfo Error"}));
  EXPECT_EQ(FAudio.LiveMixers, 0);
}

TEST_F(MixerMuteTest, FailedReadOrWriteShowsSetControlDetailsError) {
  TFakeAudioSystem::TLine microphone{0x1003};
  microphone.ReadFails = true;
  AddFirstMixer(microphone);
  TMicrophoneMute mute(FAudio, FBoxes);

  // An unreadable state counts as "not muted", so the press mutes.
  mute.MicrophoneMute();
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"SetControlDetails Error"});
  EXPECT_TRUE(Microphone().Muted);
  FBoxes.Shown.clear();

  Microphone().ReadFails = false;
  Microphone().WriteFails = true;
  mute.MicrophoneMute();
  EXPECT_EQ(Texts(), std::vector<std::u16string>{u"SetControlDetails Error"});
  EXPECT_TRUE(Microphone().Muted);
  EXPECT_EQ(FBoxes.Shown[0].Icon, TMessageBoxIcon::None);
  EXPECT_EQ(FAudio.LiveMixers, 0);
}

TEST_F(MixerMuteTest, MessageCaptionIsTheApplicationTitle) {
  TFakeAudioSystem::TLine microphone{0x1003};
  microphone.HasMuteControl = false;
  AddFirstMixer(microphone);
  TApplication application;
  application.SetTitle(u"Monitor");
  TMicrophoneMute mute(FAudio, FBoxes);
  mute.GetMixerMute(kMixerLineMicrophone);
  ASSERT_EQ(FBoxes.Shown.size(), 1u);
  EXPECT_EQ(FBoxes.Shown[0].Caption, u"Monitor");
}

TEST_F(MixerMuteTest, TypeOutOfRangeDoesNothing) {
  FAudio.Mixers.push_back({{4}, {0x1003}, {0x1008}, {0x1004}});
  TMicrophoneMute mute(FAudio, FBoxes);
  for (const int type : {-1, 4, 1000}) {
    EXPECT_FALSE(mute.GetMixerMute(type));
    mute.SetMixerMute(type, 1);
  }
  for (const auto& line : FAudio.Mixers[0]) {
    EXPECT_FALSE(line.Muted);
  }
  EXPECT_TRUE(FAudio.OpenedMixerIndexes.empty());
  EXPECT_TRUE(FBoxes.Shown.empty());
}

// The older systems' path is chosen by the version check alone: a wrapper that reports an older
// system sends a press to the mixer even where endpoint audio exists.
TEST_F(MixerMuteTest, WrapperReportingAnOlderSystemSelectsTheMixerPath) {
  FAudio.EndpointAudio = true;
  AddFirstMixer();
  struct TOlderSystem final : TAudioSystemWrapper {
    using TAudioSystemWrapper::TAudioSystemWrapper;
    bool IsEndpointAudioSystem() override { return false; }
  } older(FAudio);
  TMicrophoneMute mute(older, FBoxes);
  mute.MicrophoneMute();
  EXPECT_TRUE(Microphone().Muted);
  EXPECT_FALSE(FAudio.SystemMuted);
  EXPECT_EQ(FAudio.OpenCalls, 0);
}

}  // namespace
}  // namespace mon
