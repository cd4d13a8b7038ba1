// The Win32 audio backend under Wine: its COM pieces on their own, and the real Core Audio and
// mixer paths without and with an audio server. The ctest entries run this binary through
// run_with_audio_server.sh: "NoAudioServer" tests with no server reachable, "WithAudioServer"
// tests with a private PulseAudio server holding a null sink and a null source.
//
// Wine never calls OnNotify and keeps the mute state per endpoint object (another object or
// process reads its own value, and nothing reaches PulseAudio), so the notification sink's
// behaviour and the mute state shared between programs are tested natively with the fake audio
// system only (tests/app/microphone_mute_test.cpp). Here the state is read back through the same
// endpoint object that wrote it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/microphone_mute.h"
#include "fake_platform.h"
#include "platform/win32/win32_audio.h"
#include "platform/win32/win32_core_audio.h"

namespace mon {
namespace {

using testing::TRecordingMessageBox;
using win32::TComApartment;
using win32::TComEndpointVolumeCallback;
using win32::TComPtr;
using win32::TWin32AudioEndpoint;
using win32::TWin32AudioSystem;

class TRecordingCallback final : public TAudioEndpointVolumeCallback {
 public:
  void OnNotify(const TAudioVolumeNotificationData& ANotify) override {
    ++Calls;
    Last = ANotify;
    if (Throws) {
      throw std::runtime_error("refused");
    }
  }
  int Calls = 0;
  TAudioVolumeNotificationData Last;
  bool Throws = false;
};

// The references an object holds now, read through an AddRef/Release pair.
ULONG ReferencesOf(IUnknown* AObject) {
  AObject->AddRef();
  return AObject->Release();
}

// Runs AWork on a thread of its own, so that its COM initialisation starts from nothing.
template <class TWork>
void OnFreshThread(TWork AWork) {
  std::thread thread(AWork);
  thread.join();
}

// ---------------------------------------------------------------- pieces, no server needed

TEST(Win32AudioPieces, IdentifiersAreTheCoreAudioOnes) {
  EXPECT_TRUE(IsEqualGUID(win32::kClsidMMDeviceEnumerator, __uuidof(MMDeviceEnumerator)));
  EXPECT_TRUE(IsEqualGUID(win32::kIidIMMDeviceEnumerator, __uuidof(IMMDeviceEnumerator)));
  EXPECT_TRUE(IsEqualGUID(win32::kIidIAudioEndpointVolume, __uuidof(IAudioEndpointVolume)));
  EXPECT_TRUE(
      IsEqualGUID(win32::kIidIAudioEndpointVolumeCallback, __uuidof(IAudioEndpointVolumeCallback)));
}

TEST(Win32AudioPieces, VersionCheckSeesAnEndpointAudioSystem) {
  // Wine reports Windows 6.1.
  TWin32AudioSystem audio;
  EXPECT_TRUE(audio.IsEndpointAudioSystem());
}

TEST(Win32AudioPieces, ComSinkCountsReferencesAnswersItsInterfacesAndForwards) {
  auto target = std::make_shared<TRecordingCallback>();
  std::weak_ptr<TRecordingCallback> watch = target;
  TComEndpointVolumeCallback* sink = TComEndpointVolumeCallback::Create(target);
  target.reset();
  EXPECT_EQ(ReferencesOf(sink), 1u);

  void* object = nullptr;
  ASSERT_EQ(sink->QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, static_cast<IAudioEndpointVolumeCallback*>(sink));
  ASSERT_EQ(sink->QueryInterface(__uuidof(IAudioEndpointVolumeCallback), &object), S_OK);
  EXPECT_EQ(ReferencesOf(sink), 3u);
  EXPECT_EQ(sink->Release(), 2u);
  EXPECT_EQ(sink->Release(), 1u);
  object = &object;
  EXPECT_EQ(sink->QueryInterface(__uuidof(IAudioEndpointVolume), &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(sink->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(ReferencesOf(sink), 1u);

  EXPECT_EQ(sink->OnNotify(nullptr), S_OK);
  EXPECT_EQ(sink->OnNotify(nullptr), S_OK);
  {
    const auto seen = watch.lock();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->Calls, 2);
    seen->Throws = true;
  }
  EXPECT_EQ(sink->OnNotify(nullptr), S_OK) << "nothing escapes into the audio thread";
  {
    const auto seen = watch.lock();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->Calls, 3);
  }

  EXPECT_EQ(sink->Release(), 0u);
  EXPECT_TRUE(watch.expired()) << "the last release deletes the sink and lets go of its target";
}

TEST(Win32AudioPieces, ComSinkPassesTheNotificationData) {
  auto target = std::make_shared<TRecordingCallback>();
  TComEndpointVolumeCallback* sink = TComEndpointVolumeCallback::Create(target);
  struct {
    AUDIO_VOLUME_NOTIFICATION_DATA Data;
    FLOAT More;
  } notify{};
  notify.Data.guidEventContext = __uuidof(IAudioEndpointVolume);
  notify.Data.bMuted = TRUE;
  notify.Data.fMasterVolume = 0.25f;
  notify.Data.nChannels = 2;
  notify.Data.afChannelVolumes[0] = 0.5f;
  notify.More = 0.75f;
  sink->OnNotify(&notify.Data);
  EXPECT_TRUE(target->Last.Muted);
  EXPECT_EQ(target->Last.MasterVolume, 0.25f);
  EXPECT_EQ(target->Last.ChannelVolumes, (std::vector<float>{0.5f, 0.75f}));
  EXPECT_EQ(std::memcmp(target->Last.EventContext.data(), &notify.Data.guidEventContext, 16), 0);
  sink->Release();
}

// An endpoint volume of our own that records the calls the backend makes. AHolds: whether it
// keeps a reference to a registered sink, as Windows does (Wine 8 keeps none).
class TRecordingEndpointVolume final : public IAudioEndpointVolume {
 public:
  explicit TRecordingEndpointVolume(bool AHolds) : FHolds(AHolds) {}

  std::vector<std::string> Log;
  IAudioEndpointVolumeCallback* Held = nullptr;
  HRESULT RegisterResult = S_OK;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID ARiid, void** AObject) override {
    if (IsEqualIID(ARiid, IID_IUnknown) || IsEqualIID(ARiid, __uuidof(IAudioEndpointVolume))) {
      *AObject = this;
      AddRef();
      return S_OK;
    }
    *AObject = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
  ULONG STDMETHODCALLTYPE Release() override {
    Log.push_back("release");
    return --FReferences;  // the test owns the object; it is never deleted through Release
  }
  HRESULT STDMETHODCALLTYPE
  RegisterControlChangeNotify(IAudioEndpointVolumeCallback* ASink) override {
    Log.push_back("register");
    if (FAILED(RegisterResult)) {
      return RegisterResult;
    }
    if (FHolds) {
      Held = ASink;
      Held->AddRef();
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE
  UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* ASink) override {
    Log.push_back("unregister");
    if (Held == nullptr || ASink != Held) {
      return E_INVALIDARG;
    }
    std::exchange(Held, nullptr)->Release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetChannelCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(FLOAT, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(FLOAT, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(FLOAT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(FLOAT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT, FLOAT, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT, FLOAT, LPCGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT, FLOAT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT, FLOAT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMute(WINBOOL AMuted, LPCGUID AContext) override {
    Log.push_back(AContext == nullptr ? "setmute" : "setmute with context");
    FMuted = AMuted;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetMute(WINBOOL* AMuted) override {
    *AMuted = FMuted;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT*, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVolumeRange(FLOAT*, FLOAT*, FLOAT*) override { return E_NOTIMPL; }

  ULONG References() const { return FReferences; }

 private:
  const bool FHolds;
  ULONG FReferences = 1;
  WINBOOL FMuted = FALSE;
};

std::unique_ptr<TWin32AudioEndpoint> EndpointOver(TRecordingEndpointVolume& AVolume) {
  return std::make_unique<TWin32AudioEndpoint>(TComApartment(), TComPtr<IMMDeviceEnumerator>(),
                                               TComPtr<IMMDevice>(),
                                               TComPtr<IAudioEndpointVolume>::Share(&AVolume));
}

TEST(Win32AudioPieces, AudioSystemHoldsTheOnlySinkReferenceUntilUnregisteredBeforeRelease) {
  TRecordingEndpointVolume volume(true);
  auto target = std::make_shared<TRecordingCallback>();
  {
    auto endpoint = EndpointOver(volume);
    ASSERT_TRUE(endpoint->RegisterControlChangeNotify(target));
    ASSERT_NE(volume.Held, nullptr);
    EXPECT_EQ(ReferencesOf(volume.Held), 1u) << "the endpoint's reference is the only one";
    EXPECT_EQ(target.use_count(), 3) << "held by the test, the backend and the COM sink";
    EXPECT_FALSE(endpoint->RegisterControlChangeNotify(std::make_shared<TRecordingCallback>()))
        << "one sink at a time";

    // The sink the system holds reaches the target.
    volume.Held->OnNotify(nullptr);
    EXPECT_EQ(target->Calls, 1);

    volume.Log.clear();
    EXPECT_TRUE(endpoint->SetMute(true));
    EXPECT_EQ(endpoint->GetMute(), std::optional<bool>(true));
    EXPECT_EQ(volume.Log, std::vector<std::string>{"setmute"}) << "without event context";
    volume.Log.clear();
  }
  // Destroyed while registered: unregistered first, then the endpoint released.
  EXPECT_EQ(volume.Log, (std::vector<std::string>{"unregister", "release"}));
  EXPECT_EQ(volume.Held, nullptr);
  EXPECT_EQ(target.use_count(), 1) << "the sink is gone and with it its hold on the target";
  EXPECT_EQ(volume.References(), 1u);
}

TEST(Win32AudioPieces, ExplicitUnregisterMatchesTheRegisteredCallbackOnly) {
  TRecordingEndpointVolume volume(true);
  auto target = std::make_shared<TRecordingCallback>();
  auto endpoint = EndpointOver(volume);
  ASSERT_TRUE(endpoint->RegisterControlChangeNotify(target));
  std::shared_ptr<TAudioEndpointVolumeCallback> other = std::make_shared<TRecordingCallback>();
  EXPECT_FALSE(endpoint->UnregisterControlChangeNotify(other));
  EXPECT_NE(volume.Held, nullptr);
  std::shared_ptr<TAudioEndpointVolumeCallback> registered = target;
  EXPECT_TRUE(endpoint->UnregisterControlChangeNotify(registered));
  EXPECT_EQ(volume.Held, nullptr);
  registered.reset();
  EXPECT_EQ(target.use_count(), 1);
  EXPECT_FALSE(endpoint->UnregisterControlChangeNotify(registered));
}

TEST(Win32AudioPieces, SystemThatKeepsNoSinkReferenceIsNeverHandedADeletedSink) {
  // Wine 8's endpoint takes no reference: the sink goes with ours, and must not be passed to
  // UnregisterControlChangeNotify afterwards.
  TRecordingEndpointVolume volume(false);
  auto target = std::make_shared<TRecordingCallback>();
  {
    auto endpoint = EndpointOver(volume);
    ASSERT_TRUE(endpoint->RegisterControlChangeNotify(target));
    EXPECT_EQ(target.use_count(), 2) << "the COM sink is gone already";
    volume.Log.clear();
  }
  EXPECT_EQ(volume.Log, std::vector<std::string>{"release"});
  EXPECT_EQ(target.use_count(), 1);
}

TEST(Win32AudioPieces, RefusedRegistrationKeepsNothing) {
  TRecordingEndpointVolume volume(true);
  volume.RegisterResult = E_FAIL;
  auto target = std::make_shared<TRecordingCallback>();
  auto endpoint = EndpointOver(volume);
  EXPECT_FALSE(endpoint->RegisterControlChangeNotify(target));
  EXPECT_EQ(target.use_count(), 1);
  EXPECT_FALSE(endpoint->UnregisterControlChangeNotify(
      std::static_pointer_cast<TAudioEndpointVolumeCallback>(target)));
}

TEST(Win32AudioPieces, ApartmentEntriesAreBalanced) {
  OnFreshThread([] {
    {
      TComApartment outer = TComApartment::EnterSingleThreaded();
      TComApartment inner = TComApartment::EnterSingleThreaded();  // "already initialised"
      EXPECT_TRUE(outer.Entered());
      EXPECT_TRUE(inner.Entered());
      TComApartment moved = std::move(inner);
      EXPECT_FALSE(inner.Entered());
      EXPECT_TRUE(moved.Entered());
    }
    // Both undone: the thread may now join the multithreaded apartment instead.
    const HRESULT result = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(result, S_OK);
    if (SUCCEEDED(result)) {
      // In another apartment, an entry is refused and leaves nothing to undo.
      {
        TComApartment refused = TComApartment::EnterSingleThreaded();
        EXPECT_FALSE(refused.Entered());
      }
      EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
      ::CoUninitialize();
      ::CoUninitialize();
    }
  });
}

// A system that reports an older version: the mixer path on this one.
class TOlderSystem final : public TAudioSystemWrapper {
 public:
  using TAudioSystemWrapper::TAudioSystemWrapper;
  bool IsEndpointAudioSystem() override { return false; }
};

// ---------------------------------------------------------------- no audio server

TEST(NoAudioServer, DefaultCaptureEndpointIsAbsentAndThereIsNoMixer) {
  OnFreshThread([] {
    TWin32AudioSystem audio;
    EXPECT_EQ(audio.OpenDefaultCaptureEndpoint(), nullptr);
    EXPECT_EQ(audio.MixerDeviceCount(), 0u);
    // The failed open left the thread's COM initialisation as it found it.
    const HRESULT result = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(result, S_OK);
    if (SUCCEEDED(result)) {
      ::CoUninitialize();
    }
  });
}

TEST(NoAudioServer, MuteKeyDoesNothingShowsNothingAndRetries) {
  OnFreshThread([] {
    TWin32AudioSystem audio;
    TRecordingMessageBox boxes;
    TMicrophoneMute mute(audio, boxes);
    ASSERT_TRUE(mute.UsesAudioEndpoint());
    mute.OpenAudioEndpoint();
    EXPECT_FALSE(mute.HasAudioEndpoint());
    mute.MicrophoneMute();
    mute.MicrophoneMute();
    EXPECT_FALSE(mute.HasAudioEndpoint());
    EXPECT_TRUE(boxes.Shown.empty());
  });
}

TEST(NoAudioServer, MixerPathWithoutMixerDoesNothingAndShowsNothing) {
  TWin32AudioSystem real;
  TOlderSystem audio(real);
  TRecordingMessageBox boxes;
  TMicrophoneMute mute(audio, boxes);
  EXPECT_FALSE(mute.UsesAudioEndpoint());
  mute.MicrophoneMute();
  EXPECT_FALSE(mute.GetMixerMute(kMixerLineMicrophone));
  mute.SetMixerMute(kMixerLineMicrophone, 1);
  EXPECT_FALSE(mute.HasAudioEndpoint());
  EXPECT_TRUE(boxes.Shown.empty());
}

// ---------------------------------------------------------------- with an audio server

TEST(WithAudioServer, EndpointOpensRegistersAndRoundTripsTheMute) {
  OnFreshThread([] {
    TWin32AudioSystem audio;
    std::unique_ptr<TAudioEndpoint> endpoint = audio.OpenDefaultCaptureEndpoint();
    ASSERT_NE(endpoint, nullptr) << "no capture endpoint: is the PulseAudio server reachable?";
    auto callback = std::make_shared<TRecordingCallback>();
    EXPECT_TRUE(endpoint->RegisterControlChangeNotify(callback));

    const std::optional<bool> initial = endpoint->GetMute();
    ASSERT_TRUE(initial.has_value());
    EXPECT_TRUE(endpoint->SetMute(!*initial));
    EXPECT_EQ(endpoint->GetMute(), std::optional<bool>(!*initial));
    EXPECT_TRUE(endpoint->SetMute(*initial));
    EXPECT_EQ(endpoint->GetMute(), initial);

    std::shared_ptr<TAudioEndpointVolumeCallback> registered = callback;
    EXPECT_TRUE(endpoint->UnregisterControlChangeNotify(registered));
    registered.reset();
    EXPECT_EQ(callback.use_count(), 1);
  });
}

// Records what the mute does with the real endpoint it opens.
class TObservedAudio final : public TAudioSystemWrapper {
 public:
  using TAudioSystemWrapper::TAudioSystemWrapper;
  std::vector<std::optional<bool>> Reads;
  std::vector<bool> Writes;
  int Opens = 0;

  std::unique_ptr<TAudioEndpoint> OpenDefaultCaptureEndpoint() override {
    ++Opens;
    auto real = Target().OpenDefaultCaptureEndpoint();
    return real ? std::make_unique<TObservedEndpoint>(*this, std::move(real)) : nullptr;
  }

 private:
  class TObservedEndpoint final : public TAudioEndpoint {
   public:
    TObservedEndpoint(TObservedAudio& AOwner, std::unique_ptr<TAudioEndpoint> AReal)
        : FOwner(AOwner), FReal(std::move(AReal)) {}
    bool RegisterControlChangeNotify(
        std::shared_ptr<TAudioEndpointVolumeCallback> ACallback) override {
      return FReal->RegisterControlChangeNotify(std::move(ACallback));
    }
    bool UnregisterControlChangeNotify(
        const std::shared_ptr<TAudioEndpointVolumeCallback>& ACallback) override {
      return FReal->UnregisterControlChangeNotify(ACallback);
    }
    std::optional<bool> GetMute() override {
      FOwner.Reads.push_back(FReal->GetMute());
      return FOwner.Reads.back();
    }
    bool SetMute(bool AMuted) override {
      FOwner.Writes.push_back(AMuted);
      return FReal->SetMute(AMuted);
    }

   private:
    TObservedAudio& FOwner;
    std::unique_ptr<TAudioEndpoint> FReal;
  };
};

TEST(WithAudioServer, TwoMuteKeyPressesRestoreTheInitialState) {
  OnFreshThread([] {
    TWin32AudioSystem real;
    TObservedAudio audio(real);
    TRecordingMessageBox boxes;
    TMicrophoneMute mute(audio, boxes);
    mute.OpenAudioEndpoint();
    ASSERT_TRUE(mute.HasAudioEndpoint());

    mute.MicrophoneMute();
    mute.MicrophoneMute();
    ASSERT_EQ(audio.Reads.size(), 2u);
    ASSERT_TRUE(audio.Reads[0].has_value());
    const bool initial = *audio.Reads[0];
    // The second press read back what the first one wrote, and wrote the initial state.
    EXPECT_EQ(audio.Reads[1], std::optional<bool>(!initial));
    EXPECT_EQ(audio.Writes, (std::vector<bool>{!initial, initial}));
    EXPECT_EQ(audio.Opens, 1);
    EXPECT_TRUE(boxes.Shown.empty());
  });
}

// Wine lists the output devices' mixers first: mixer 0 is the default output device. Its line
// set has the speakers destination with a mute control but no microphone source, which the
// capture devices' mixers after it have.
TEST(WithAudioServer, MixerMuteRoundTripsOnTheFirstDevice) {
  TWin32AudioSystem real;
  TOlderSystem audio(real);
  TRecordingMessageBox boxes;
  TMicrophoneMute mute(audio, boxes);
  ASSERT_GE(audio.MixerDeviceCount(), 1u);

  const bool initial = mute.GetMixerMute(kMixerLineSpeakers);
  mute.SetMixerMute(kMixerLineSpeakers, initial ? 0 : 1);
  EXPECT_EQ(mute.GetMixerMute(kMixerLineSpeakers), !initial);
  mute.SetMixerMute(kMixerLineSpeakers, initial ? 1 : 0);
  EXPECT_EQ(mute.GetMixerMute(kMixerLineSpeakers), initial);
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST(WithAudioServer, MixerPathWithoutMicrophoneLineOnTheFirstDeviceIsSilent) {
  TWin32AudioSystem real;
  TOlderSystem audio(real);
  TRecordingMessageBox boxes;
  TMicrophoneMute mute(audio, boxes);
  const bool speakers = mute.GetMixerMute(kMixerLineSpeakers);

  EXPECT_FALSE(mute.GetMixerMute(kMixerLineMicrophone));
  mute.MicrophoneMute();
  mute.MicrophoneMute();
  EXPECT_EQ(mute.GetMixerMute(kMixerLineSpeakers), speakers) << "no other line is touched";
  EXPECT_FALSE(mute.HasAudioEndpoint());
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST(WithAudioServer, CaptureMixerHasAMicrophoneLineWithAMuteControl) {
  TWin32AudioSystem audio;
  int found = 0;
  for (std::uint32_t index = 0; index < audio.MixerDeviceCount(); ++index) {
    const auto mixer = audio.OpenMixer(index);
    ASSERT_NE(mixer, nullptr) << "mixer " << index;
    const auto line =
        mixer->FindLineByComponentType(kMixerLineComponentTypes[kMixerLineMicrophone]);
    if (line && mixer->FindMuteControl(*line)) {
      ++found;
    }
  }
  EXPECT_GE(found, 1);
  EXPECT_EQ(audio.OpenMixer(audio.MixerDeviceCount()), nullptr) << "past the last device";
}

}  // namespace
}  // namespace mon
