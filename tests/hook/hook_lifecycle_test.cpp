// Loading the hook library, switching callbacks, destruction, and the queued delivery path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "framework/application.h"
#include "framework/text.h"
#include "hook/hook_library.h"
#include "hook_test_support.h"

namespace mon::testing {
namespace {

using ::testing::ElementsAre;

using THookLoadingTest = THookTest;

TEST_F(THookLoadingTest, LoadsTheLibraryFromTheExecutableFolderOnly) {
  TuiHook& hook = Create();
  EXPECT_TRUE(hook.DLLLoaded());
  EXPECT_THAT(Fake.Libraries.OpenRequests(), ElementsAre(std::u16string(kLibraryPath)));
  EXPECT_EQ(Fake.Libraries.OpenCount(kLibraryPath), 1);
  EXPECT_TRUE(Fake.MessageBox.Shown.empty());
  EXPECT_EQ(hook.ClassName(), u"TuiHook");
}

TEST_F(THookLoadingTest, MissingLibraryShowsTheErrorBoxOnceAndHookingDoesNothing) {
  TFakePlatform elsewhere;  // an executable folder without the library
  TuiHook hook(nullptr, elsewhere.Platform());
  EXPECT_FALSE(hook.DLLLoaded());
  ASSERT_EQ(elsewhere.MessageBox.Shown.size(), 1u);
  EXPECT_EQ(elsewhere.MessageBox.Shown[0].Caption, u"Error");
  EXPECT_EQ(elsewhere.MessageBox.Shown[0].Text, u"uiHook.dll can not be found!");
  EXPECT_EQ(elsewhere.MessageBox.Shown[0].Icon, TMessageBoxIcon::Error);

  hook.StartHookKeyboard();
  hook.StartHookMouse();
  hook.RecordKeyboardComboKey();
  hook.RecordMouseMacro();
  hook.StopHookKeyboard();
  EXPECT_TRUE(Library().Calls.empty());
  EXPECT_EQ(elsewhere.MessageBox.Shown.size(), 1u);
  EXPECT_TRUE(hook.IsWorkerRunning());  // the rest of the component exists all the same
}

TEST_F(THookLoadingTest, WithoutAnExecutableFolderNothingIsSearched) {
  TMemoryFileSystem noFolder(u"");
  TPlatform platform = WithService(Fake.Platform(), noFolder);
  TuiHook hook(nullptr, platform);
  EXPECT_FALSE(hook.DLLLoaded());
  // No bare "uiHook.dll" that the system would look up in the current folder.
  for (const auto& request : Fake.Libraries.OpenRequests()) {
    EXPECT_NE(request, u"uiHook.dll");
  }
  EXPECT_EQ(Fake.MessageBox.Shown.size(), 1u);
}

TEST_F(THookLoadingTest, WithoutSystemWideHooksNothingIsLookedForAndNothingShown) {
  TFakePlatform platform;
  platform.Libraries.AddLibrary(kLibraryPath, TFakeHookLibrary::Exports());
  platform.Libraries.HooksSupported = false;
  TuiHook hook(nullptr, platform.Platform());
  EXPECT_FALSE(hook.DLLLoaded());
  EXPECT_TRUE(platform.Libraries.OpenRequests().empty());
  EXPECT_TRUE(platform.MessageBox.Shown.empty());
  hook.StartHookKeyboard();
  hook.RecordMouseMacro();
  EXPECT_TRUE(Library().Calls.empty());
  EXPECT_TRUE(hook.IsWorkerRunning());
}

TEST_F(THookLoadingTest, LibraryMissingAnExportIsUnloadedSilently) {
  for (const char* missing : {UIHOOK_ENABLE_KEYBOARD, UIHOOK_DISABLE_KEYBOARD, UIHOOK_ENABLE_MOUSE,
                              UIHOOK_DISABLE_MOUSE}) {
    SCOPED_TRACE(missing);
    TFakePlatform platform;
    platform.Libraries.AddLibrary(kLibraryPath, TFakeHookLibrary::Exports(missing));
    TuiHook hook(nullptr, platform.Platform());
    EXPECT_FALSE(hook.DLLLoaded());
    EXPECT_FALSE(THookLibrary::IsLoaded());
    EXPECT_EQ(platform.Libraries.OpenCount(kLibraryPath), 0);
    EXPECT_TRUE(platform.MessageBox.Shown.empty());
    hook.StartHookKeyboard();
    EXPECT_TRUE(Library().Calls.empty());
  }
}

TEST_F(THookLoadingTest, SecondComponentSharesTheLibraryAndOutlivesTheFirst) {
  auto first = std::make_unique<TuiHook>(nullptr, Fake.Platform());
  TuiHook second(nullptr, Fake.Platform());
  EXPECT_TRUE(second.DLLLoaded());
  EXPECT_EQ(Fake.Libraries.OpenRequests().size(), 1u);  // loaded once per process

  second.StartHookKeyboard();
  first.reset();
  // The first one's going neither unloaded the library nor removed the second one's hook.
  EXPECT_EQ(Fake.Libraries.OpenCount(kLibraryPath), 1);
  EXPECT_TRUE(Library().KeyboardInstalled());
  EXPECT_EQ(Library().KeyboardUserData(), &second);
  second.StopHookKeyboard();
}

TEST_F(THookLoadingTest, DestructionRemovesItsHooksBeforeTheLibraryIsUnloaded) {
  bool keyboardAtClose = true;
  bool mouseAtClose = true;
  Fake.Libraries.OnClose = [&](const std::u16string&) {
    keyboardAtClose = Library().KeyboardInstalled();
    mouseAtClose = Library().MouseInstalled();
  };
  TuiHook& hook = Create();
  hook.StartHookKeyboard();
  hook.RecordMouseMacro();
  Hook.reset();
  EXPECT_FALSE(keyboardAtClose);
  EXPECT_FALSE(mouseAtClose);
  EXPECT_EQ(Fake.Libraries.OpenCount(kLibraryPath), 0);
  EXPECT_FALSE(THookLibrary::IsLoaded());
  // A component created later loads it again.
  TuiHook again(nullptr, Fake.Platform());
  EXPECT_TRUE(again.DLLLoaded());
}

TEST_F(THookLoadingTest, DestructionLeavesAnotherComponentsHookAlone) {
  TuiHook other(nullptr, Fake.Platform());
  TuiHook& hook = Create();
  hook.StartHookKeyboard();
  other.StartHookMouse();
  Library().Calls.clear();
  Hook.reset();
  EXPECT_THAT(Library().Calls, ElementsAre(UIHOOK_DISABLE_KEYBOARD));
  EXPECT_TRUE(Library().MouseInstalled());
  other.StopHookMouse();
}

TEST_F(THookLoadingTest, EveryStartOrRecordDisablesBeforeEnabling) {
  TuiHook& hook = Create();
  const auto expectSwitch = [&](const char* ADisable, const char* AEnable, TuiHookCallback AWant,
                                bool AKeyboard) {
    EXPECT_THAT(Library().Calls, ElementsAre(ADisable, AEnable));
    EXPECT_EQ(AKeyboard ? Library().KeyboardCallback() : Library().MouseCallback(), AWant);
    EXPECT_EQ(AKeyboard ? Library().KeyboardUserData() : Library().MouseUserData(), &hook);
    Library().Calls.clear();
  };
  hook.StartHookKeyboard();
  expectSwitch(UIHOOK_DISABLE_KEYBOARD, UIHOOK_ENABLE_KEYBOARD, &TuiHook::KeyboardHookCallback,
               true);
  hook.RecordKeyboardSingleKey();
  expectSwitch(UIHOOK_DISABLE_KEYBOARD, UIHOOK_ENABLE_KEYBOARD, &TuiHook::RecordSingleKeyCallback,
               true);
  hook.RecordKeyboardComboKey();
  expectSwitch(UIHOOK_DISABLE_KEYBOARD, UIHOOK_ENABLE_KEYBOARD, &TuiHook::RecordComboKeyCallback,
               true);
  hook.RecordKeyboardMacroKey();
  expectSwitch(UIHOOK_DISABLE_KEYBOARD, UIHOOK_ENABLE_KEYBOARD, &TuiHook::RecordMacroKeyCallback,
               true);
  hook.RecordKeyboardMacroKeyEx();
  expectSwitch(UIHOOK_DISABLE_KEYBOARD, UIHOOK_ENABLE_KEYBOARD, &TuiHook::RecordMacroKeyExCallback,
               true);
  hook.StartHookMouse();
  expectSwitch(UIHOOK_DISABLE_MOUSE, UIHOOK_ENABLE_MOUSE, &TuiHook::MouseHookCallback, false);
  hook.RecordMouseMacro();
  expectSwitch(UIHOOK_DISABLE_MOUSE, UIHOOK_ENABLE_MOUSE, &TuiHook::RecordMouseMacroCallback,
               false);

  hook.StopRecordMouseMacro();
  hook.StopRecordKeyboardMacroKeyEx();
  EXPECT_THAT(Library().Calls, ElementsAre(UIHOOK_DISABLE_MOUSE, UIHOOK_DISABLE_KEYBOARD));
  EXPECT_FALSE(Library().KeyboardInstalled());
  EXPECT_FALSE(Library().MouseInstalled());
}

TEST_F(THookLoadingTest, HandlerExceptionsGoToTheCentralHandlerNotIntoTheLibrary) {
  TApplication application;
  std::vector<std::u16string> errors;
  application.OnException = [&](const std::u16string& AMessage) { errors.push_back(AMessage); };
  TuiHook& hook = Create();
  hook.SetOnHookKeyboardAllKey(
      [](std::int32_t, std::int32_t, std::int32_t, bool& ABlocked, std::uint32_t) {
        ABlocked = true;
        throw std::runtime_error("handler failed");
      });
  hook.StartHookKeyboard();
  bool swallowed = false;
  EXPECT_NO_THROW(swallowed = Key(0x41, true, 1000));
  EXPECT_TRUE(swallowed);  // what the handler set before it failed stands
  EXPECT_THAT(errors, ElementsAre(u"handler failed"));
}

// The queued delivery path.

using THookQueueTest = THookTest;

TEST_F(THookQueueTest, QueuedStepsReachTheEventsOnTheMainThreadInQueueOrder) {
  TuiHook& hook = Create();
  std::vector<std::u16string> seen;
  const std::thread::id mainThread = std::this_thread::get_id();
  hook.SetOnRecordKeyboardMacroKey([&](std::int32_t AType, std::int32_t AKey, std::int32_t AState,
                                       std::int32_t AExtended, double ATime,
                                       const std::u16string& AText,
                                       const std::u16string& AStateText,
                                       const TMacroKeyList& AList) {
    EXPECT_EQ(std::this_thread::get_id(), mainThread);
    EXPECT_EQ(&AList, &hook.MacroKeyList());
    seen.push_back(u"key " + IntToText(AType) + u" " + IntToText(AKey) + u" " + IntToText(AState) +
                   u" " + IntToText(AExtended) + u" " +
                   IntToText(static_cast<std::int64_t>(ATime)) + u" " + AText + u" " + AStateText);
  });
  hook.SetOnRecordMouseMacroKey([&](std::int32_t AType, TMouseButtons AButton, std::int32_t AState,
                                    std::uint16_t AX, std::uint16_t AY, double ATime,
                                    const std::u16string& AText, const std::u16string& AStateText,
                                    const TMouseMacroKeyList& AList) {
    EXPECT_EQ(&AList, &hook.MouseMacroKeyList());
    seen.push_back(u"mouse " + IntToText(AType) + u" " + IntToText(static_cast<int>(AButton)) +
                   u" " + IntToText(AState) + u" " + IntToText(AX) + u" " + IntToText(AY) + u" " +
                   IntToText(static_cast<std::int64_t>(ATime)) + u" " + AText + u" " + AStateText);
  });

  TMACROKEYHOOK key;
  key.nKeyType = 1;
  key.nKeyState = 1;
  key.nKeyValue = 0x41;
  key.Time = 5000;
  key.MacroKeyString = u"A";
  key.MacroKeyStateString = u"Down";
  TMOUSEMACROKEY click;
  click.nKeyType = 1;
  click.nKeyState = 0;
  click.MouseButton = TMouseButtons::RCLICK;
  click.X = 10;
  click.Y = 20;
  click.Time = 5100;
  click.MacroKeyString = u"Mouse Right Click";
  click.MacroKeyStateString = u"Up";

  // Queued from another thread, as a producer would.
  std::thread producer([&] {
    hook.QueueRecordData(std::make_shared<TMacroKeyObject>(key));
    hook.QueueRecordData(std::make_shared<TMOUSEMacroKeyObject>(click));
  });
  producer.join();
  ASSERT_TRUE(Fake.MainThread.WaitForPending(std::chrono::seconds(10)));
  // Nothing runs on the worker itself: the events wait for the main thread.
  EXPECT_TRUE(seen.empty());
  while (seen.size() < 2) {
    ASSERT_TRUE(Fake.MainThread.WaitForPending(std::chrono::seconds(10)));
    Fake.MainThread.RunPending();
  }
  EXPECT_THAT(seen, ElementsAre(u"key 1 65 1 0 5000 A Down",
                                u"mouse 1 2 0 10 20 5100 Mouse Right Click Up"));
}

TEST_F(THookQueueTest, DestructionEndsAWorkerThatWaitsForTheMainThread) {
  TuiHook& hook = Create();
  int raised = 0;
  hook.SetOnRecordKeyboardMacroKey([&](std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                       double, const std::u16string&, const std::u16string&,
                                       const TMacroKeyList&) { ++raised; });
  hook.QueueRecordData(std::make_shared<TMacroKeyObject>());
  // The worker has handed the delivery to the main thread and waits for it to run.
  ASSERT_TRUE(Fake.MainThread.WaitForPending(std::chrono::seconds(10)));
  Hook.reset();  // joins the worker: must not wait for the main thread (that is us)
  // Ending the worker withdrew the delivery still queued on the main thread.
  EXPECT_EQ(Fake.MainThread.RunPending(), 0u);
  EXPECT_EQ(raised, 0);
}

TEST_F(THookQueueTest, ProcessDataEventTakesTheWholeQueueEvenWithoutHandlers) {
  TuiHook& hook = Create();
  hook.QueueRecordData(std::make_shared<TMacroKeyObject>());
  hook.QueueRecordData(std::shared_ptr<TMacroKeyObject>());  // nothing to queue: ignored
  hook.ProcessDataEvent();
  int raised = 0;
  hook.SetOnRecordKeyboardMacroKey([&](std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                       double, const std::u16string&, const std::u16string&,
                                       const TMacroKeyList&) { ++raised; });
  hook.ProcessDataEvent();
  EXPECT_EQ(raised, 0);  // the first call emptied the queue
  // The worker's own delivery (signalled by the queueing) finds the queue empty too.
  Fake.MainThread.WaitForPending(std::chrono::seconds(10));
  Fake.MainThread.RunPending();
  EXPECT_EQ(raised, 0);
}

TEST(TRecordDataWorkerTest, SignalsWhileADeliveryRunsAreNotLost) {
  TQueuedMainThread mainThread;
  int runs = 0;
  TRecordDataWorker* self = nullptr;
  TRecordDataWorker worker(mainThread, [&] {
    if (++runs == 1) {
      self->SignalData();  // new data arrives while the first delivery runs
    }
  });
  self = &worker;
  worker.SignalData();
  while (runs < 2) {
    ASSERT_TRUE(mainThread.WaitForPending(std::chrono::seconds(10)));
    mainThread.RunPending();
  }
  worker.Stop();
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_EQ(mainThread.RunPending(), 0u);  // the data event was reset, not left signalled
  EXPECT_EQ(runs, 2);
}

TEST(TRecordDataWorkerTest, WithAMainThreadThatNeverRunsSignalsAreDroppedAndStopStillJoins) {
  TQueuedMainThread idleMainThread;  // its queue is never run
  int runs = 0;
  TRecordDataWorker worker(idleMainThread, [&] { ++runs; });
  worker.SignalData();
  worker.Stop();
  worker.Stop();
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_EQ(runs, 0);
}

TEST(TRecordDataWorkerTest, StartsItsThreadOnlyWithTheFirstSignalAndNeverAfterStop) {
  TQueuedMainThread mainThread;
  int runs = 0;
  {
    TRecordDataWorker unused(mainThread, [&] { ++runs; });
    EXPECT_TRUE(unused.IsRunning());
    EXPECT_FALSE(unused.HasThread());
    unused.Stop();
    EXPECT_FALSE(unused.IsRunning());
    unused.SignalData();  // after the end: no thread, no delivery
    EXPECT_FALSE(unused.HasThread());
  }
  TRecordDataWorker worker(mainThread, [&] { ++runs; });
  worker.SignalData();
  EXPECT_TRUE(worker.HasThread());
  ASSERT_TRUE(mainThread.WaitForPending(std::chrono::seconds(10)));
  mainThread.RunPending();
  worker.Stop();
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace mon::testing
