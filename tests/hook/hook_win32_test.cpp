// The real uiHook.dll beside the test, on its own and under the hook component, with keys and
// clicks injected by SendInput. Injected events carry the injected flag; keys injected by
// virtual-key code have scan code 0. Waits pump messages (the hooks run from this thread's
// message loop) and end on conditions, with time-outs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fake_platform.h"
#include "framework/component.h"
#include "framework/text.h"
#include "hook/hook_abi.h"
#include "hook/uiHook.h"
#include "hook/uiKeyCode.h"
#include "platform/win32/win32_platform.h"
#include "win32_input.h"

// <windows.h> renames the platform bundle's member; this file means the member.
#undef MessageBox

namespace mon::testing {
namespace {

using ::testing::ElementsAre;

std::wstring LibraryBesideTheTest() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"uiHook.dll";
}

// The library on its own, bound by name as the component binds it.
class TLibrary {
 public:
  TLibrary() : FModule(::LoadLibraryW(LibraryBesideTheTest().c_str())) {
    if (FModule != nullptr) {
      EnableKeyboard = Bind<TEnableHookProc>(UIHOOK_ENABLE_KEYBOARD);
      DisableKeyboard = Bind<TDisableHookProc>(UIHOOK_DISABLE_KEYBOARD);
      EnableMouse = Bind<TEnableHookProc>(UIHOOK_ENABLE_MOUSE);
      DisableMouse = Bind<TDisableHookProc>(UIHOOK_DISABLE_MOUSE);
    }
  }
  ~TLibrary() {
    if (FModule != nullptr) {
      ::FreeLibrary(FModule);
    }
  }
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;

  bool Complete() const {
    return EnableKeyboard != nullptr && DisableKeyboard != nullptr && EnableMouse != nullptr &&
           DisableMouse != nullptr;
  }

  TEnableHookProc EnableKeyboard = nullptr;
  TDisableHookProc DisableKeyboard = nullptr;
  TEnableHookProc EnableMouse = nullptr;
  TDisableHookProc DisableMouse = nullptr;

 private:
  template <class T>
  T Bind(const char* AName) {
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(::GetProcAddress(FModule, AName)));
  }
  HMODULE FModule;
};

// What a callback of the test saw, one entry per call.
struct TCall {
  void* UserData;
  std::int32_t Code;
  std::uintptr_t Message;
  DWORD Key;    // vkCode, or the mouse message's button data
  DWORD Scan;   // scanCode, or 0
  DWORD Flags;  // the record's flags
  std::uint8_t BlockedOnEntry;
};

struct TRecorder {
  std::vector<TCall> Calls;
  // Messages whose events this recorder swallows (keyboard: of BlockKey only).
  std::vector<std::uintptr_t> Block;
  DWORD BlockKey = 0;
};

void KeyboardRecorder(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage, void* ARecord,
                      std::uint8_t* ABlocked) {
  auto* recorder = static_cast<TRecorder*>(AUserData);
  const auto* record = static_cast<const KBDLLHOOKSTRUCT*>(ARecord);
  recorder->Calls.push_back(
      {AUserData, ACode, AMessage, record->vkCode, record->scanCode, record->flags, *ABlocked});
  for (const auto block : recorder->Block) {
    if (block == AMessage && record->vkCode == recorder->BlockKey) {
      *ABlocked = 1;
    }
  }
}

void MouseRecorder(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage, void* ARecord,
                   std::uint8_t* ABlocked) {
  auto* recorder = static_cast<TRecorder*>(AUserData);
  const auto* record = static_cast<const MSLLHOOKSTRUCT*>(ARecord);
  recorder->Calls.push_back(
      {AUserData, ACode, AMessage, record->mouseData, 0, record->flags, *ABlocked});
  for (const auto block : recorder->Block) {
    if (block == AMessage) {
      *ABlocked = 1;
    }
  }
}

std::size_t CountMessage(const TRecorder& ARecorder, std::uintptr_t AMessage) {
  std::size_t count = 0;
  for (const auto& call : ARecorder.Calls) {
    count += call.Message == AMessage ? 1 : 0;
  }
  return count;
}

// One window and one binding of the library for all tests of a suite: creating and destroying
// a top-level window takes Wine a good second each time.
class THookLibraryWineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GLibrary = std::make_unique<TLibrary>();
    GWindow = std::make_unique<TInputWindow>();
  }
  static void TearDownTestSuite() {
    GWindow.reset();
    GLibrary.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(Library.Complete());
    ASSERT_TRUE(Window.WaitUntilActive()) << "the test window did not get the focus";
    // Whatever is still on its way from an earlier test arrives before this one starts.
    ASSERT_TRUE(Sentinel(VK_F24));
    Window.Inputs.clear();
  }
  void TearDown() override {
    Library.DisableKeyboard();
    Library.DisableMouse();
  }
  // Sends a key stroke of AKey and pumps until the window has its WM_KEYUP: by then every hook
  // has seen the events sent before it.
  bool Sentinel(WORD AKey) {
    return SendKeyStroke(AKey) && PumpUntil([&] { return Window.Received(WM_KEYUP, AKey); });
  }

  static inline std::unique_ptr<TLibrary> GLibrary;
  static inline std::unique_ptr<TInputWindow> GWindow;
  TLibrary& Library = *GLibrary;
  TInputWindow& Window = *GWindow;
};

TEST_F(THookLibraryWineTest, KeyboardCallbackGetsTheFiveValuesAndCanSwallowTheKey) {
  TRecorder recorder;
  recorder.Block = {WM_KEYDOWN};
  recorder.BlockKey = 'B';
  ASSERT_EQ(Library.EnableKeyboard(&KeyboardRecorder, &recorder, nullptr), 1);
  ASSERT_TRUE(SendKeyStroke('B'));
  ASSERT_TRUE(PumpUntil([&] { return CountMessage(recorder, WM_KEYUP) == 1; }));
  ASSERT_TRUE(Sentinel('C'));

  ASSERT_GE(recorder.Calls.size(), 2u);
  const TCall& down = recorder.Calls[0];
  EXPECT_EQ(down.UserData, &recorder);
  EXPECT_EQ(down.Code, HC_ACTION);
  EXPECT_EQ(down.Message, static_cast<std::uintptr_t>(WM_KEYDOWN));
  EXPECT_EQ(down.Key, static_cast<DWORD>('B'));
  EXPECT_EQ(down.Scan, 0u);
  EXPECT_NE(down.Flags & LLKHF_INJECTED, 0u);
  EXPECT_EQ(down.Flags & LLKHF_UP, 0u);
  EXPECT_EQ(down.BlockedOnEntry, 0);
  EXPECT_EQ(recorder.Calls[1].Message, static_cast<std::uintptr_t>(WM_KEYUP));
  EXPECT_NE(recorder.Calls[1].Flags & LLKHF_UP, 0u);
  // The swallowed press never reached the window; the release and the sentinel did.
  EXPECT_FALSE(Window.Received(WM_KEYDOWN, 'B'));
  EXPECT_TRUE(Window.Received(WM_KEYUP, 'B'));
  EXPECT_TRUE(Window.Received(WM_KEYDOWN, 'C'));
}

TEST_F(THookLibraryWineTest, EnablingReplacesTheEarlierCallbackAndDisablingRemovesIt) {
  TRecorder first;
  TRecorder second;
  ASSERT_EQ(Library.EnableKeyboard(&KeyboardRecorder, &first, nullptr), 1);
  ASSERT_EQ(Library.EnableKeyboard(&KeyboardRecorder, &second, nullptr), 1);
  ASSERT_TRUE(Sentinel('D'));
  EXPECT_TRUE(first.Calls.empty());
  EXPECT_EQ(CountMessage(second, WM_KEYDOWN), 1u);

  ASSERT_EQ(Library.DisableKeyboard(), 1);
  ASSERT_TRUE(Sentinel('E'));
  EXPECT_EQ(second.Calls.size(), 2u);       // nothing after the disable
  EXPECT_EQ(Library.DisableKeyboard(), 0);  // nothing left to disable
}

TEST_F(THookLibraryWineTest, MouseCallbackSeesInjectedClicksAndCanSwallowThem) {
  TRecorder recorder;
  recorder.Block = {WM_LBUTTONDOWN, WM_LBUTTONUP};
  ASSERT_EQ(Library.EnableMouse(&MouseRecorder, &recorder, nullptr), 1);
  const POINT centre = Window.Centre();
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_LEFTDOWN));
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_LEFTUP));
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA)));
  ASSERT_TRUE(PumpUntil([&] { return CountMessage(recorder, WM_MOUSEWHEEL) == 1; }));
  ASSERT_TRUE(Sentinel('F'));  // the keyboard sentinel: the events before it are through

  EXPECT_EQ(CountMessage(recorder, WM_LBUTTONDOWN), 1u);
  EXPECT_EQ(CountMessage(recorder, WM_LBUTTONUP), 1u);
  for (const auto& call : recorder.Calls) {
    EXPECT_EQ(call.UserData, &recorder);
    if (call.Message != WM_MOUSEMOVE) {
      EXPECT_NE(call.Flags & LLMHF_INJECTED, 0u);
    }
    if (call.Message == WM_MOUSEWHEEL) {
      EXPECT_EQ(static_cast<short>(HIWORD(call.Key)), -WHEEL_DELTA);
    }
  }
  EXPECT_FALSE(Window.ReceivedMessage(WM_LBUTTONDOWN));
  EXPECT_FALSE(Window.ReceivedMessage(WM_LBUTTONUP));

  // Without the block the click reaches the window.
  recorder.Block.clear();
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_LEFTDOWN));
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_LEFTUP));
  EXPECT_TRUE(PumpUntil([&] { return Window.ReceivedMessage(WM_LBUTTONUP); }));
}

// The component with the real library.

class THookComponentWineTest : public THookLibraryWineTest {
 protected:
  void SetUp() override {
    THookLibraryWineTest::SetUp();
    Hook = std::make_unique<TuiHook>(&Owner, Platform);
    ASSERT_TRUE(Hook->DLLLoaded());
  }
  void TearDown() override {
    Hook.reset();
    THookLibraryWineTest::TearDown();
  }

  win32::TWin32Platform Backend;
  TRecordingMessageBox Boxes;
  TPlatform Platform = WithService(Backend.Platform(), Boxes);
  TForm Owner{nullptr};
  std::unique_ptr<TuiHook> Hook;
};

TEST_F(THookComponentWineTest, InjectedKeysReachTheEventsThroughTheLibrary) {
  EXPECT_TRUE(Boxes.Shown.empty());
  std::vector<std::string> all;
  Hook->SetOnHookKeyboardAllKey([&](std::int32_t AKey, std::int32_t AState, std::int32_t AExt,
                                    bool& ABlocked, std::uint32_t AScan) {
    all.push_back(std::to_string(AKey) + "/" + std::to_string(AState) + "/" + std::to_string(AExt) +
                  "/" + std::to_string(AScan) + "/" + std::to_string(ABlocked));
  });
  Hook->StartHookKeyboard();
  ASSERT_TRUE(SendKeyStroke('A'));
  ASSERT_TRUE(SendKey(VK_RIGHT, true));  // injected by code: no extended flag, scan code 0
  ASSERT_TRUE(SendKey(VK_RIGHT, false));
  ASSERT_TRUE(PumpUntil([&] { return all.size() >= 4; }));
  EXPECT_THAT(all, ElementsAre("65/1/0/0/0", "65/0/0/0/0", "39/1/0/0/0", "39/0/0/0/0"));

  // Keys sent from another thread reach the callbacks here, on the thread that enabled them.
  const DWORD hookThread = ::GetCurrentThreadId();
  DWORD callbackThread = 0;
  Hook->SetOnHookKeyboardAllKey(
      [&](std::int32_t AKey, std::int32_t, std::int32_t, bool&, std::uint32_t) {
        if (AKey == 'Z') {
          callbackThread = ::GetCurrentThreadId();
        }
      });
  bool sent = false;
  std::thread sender([&] { sent = SendKeyStroke('Z'); });
  ASSERT_TRUE(PumpUntil([&] { return callbackThread != 0; }));
  sender.join();
  EXPECT_TRUE(sent);
  EXPECT_EQ(callbackThread, hookThread);

  Hook->StopHookKeyboard();
  all.clear();
  ASSERT_TRUE(Sentinel('G'));
  EXPECT_TRUE(all.empty());
}

TEST_F(THookComponentWineTest, RegisteredBlockingKeyDoesNotReachTheWindow) {
  std::vector<std::string> matched;
  Hook->AddKeyboardHookObject(
      std::make_unique<TKeyBoardHookDetailObject>(TKeyBoardHookDetail{'B', 0, 0, 1}));
  Hook->SetOnHookKeyboardKey(
      [&](std::int32_t AKey, std::int32_t AState, std::int32_t, bool& ABlocked, std::uint32_t) {
        matched.push_back(std::to_string(AKey) + "/" + std::to_string(AState) + "/" +
                          std::to_string(ABlocked));
      });
  Hook->StartHookKeyboard();
  ASSERT_TRUE(SendKeyStroke('B'));
  ASSERT_TRUE(Sentinel('C'));
  EXPECT_THAT(matched, ElementsAre("66/1/1", "66/0/1"));
  EXPECT_FALSE(Window.Received(WM_KEYDOWN, 'B'));
  EXPECT_FALSE(Window.Received(WM_KEYUP, 'B'));
}

TEST_F(THookComponentWineTest, InjectedMouseEventsAreIgnoredAndPassOn) {
  std::vector<int> buttons;
  std::vector<int> moves;
  TMouseHookDetail detail;
  detail.MouseButton = TMouseButtons::BUTTONX3;  // serves every button
  detail.MouseStateSet.Bits = 0xFFFF;
  Hook->AddMouseHookObject(std::make_unique<TMouseHookDetailObject>(detail));
  Hook->SetOnHookMouseAllButton(
      [&](TMouseButtons AButton, std::int32_t, std::int16_t, bool& ABlocked) {
        buttons.push_back(static_cast<int>(AButton));
        ABlocked = true;
      });
  Hook->SetOnHookMouseButton([&](TMouseButtons AButton, std::int32_t, bool& ABlocked) {
    buttons.push_back(100 + static_cast<int>(AButton));
    ABlocked = true;
  });
  const POINT centre = Window.Centre();
  POINT away = centre;
  away.x += 37;
  Hook->SetOnHookMouseMove([&](std::int32_t AX, std::int32_t AY, double) {
    if (AX == away.x && AY == away.y) {
      moves.push_back(AX);
    }
  });
  Hook->StartHookMouse();
  ASSERT_TRUE(SendMouseAt(away, 0));
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_LEFTDOWN));
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_LEFTUP));
  ASSERT_TRUE(PumpUntil([&] { return Window.ReceivedMessage(WM_LBUTTONUP); }));
  ASSERT_TRUE(Sentinel('H'));
  EXPECT_TRUE(buttons.empty());
  EXPECT_TRUE(moves.empty());                           // the injected move to that spot
  EXPECT_TRUE(Window.ReceivedMessage(WM_LBUTTONDOWN));  // nothing was swallowed
}

TEST_F(THookComponentWineTest, CombinationOfLiveCtrlAndABlocksOnlyA) {
  std::vector<std::u16string> combos;
  Hook->SetOnRecordKeyboardComboKey([&](std::int32_t AKey1, std::int32_t, std::int32_t AKey2,
                                        std::int32_t, std::int32_t AModifier,
                                        const std::u16string& AText) {
    combos.push_back(IntToText(AKey1) + u"," + IntToText(AKey2) + u"," + IntToText(AModifier) +
                     u" " + AText);
  });
  Hook->RecordKeyboardComboKey();
  ASSERT_TRUE(SendKey(VK_LCONTROL, true));
  ASSERT_TRUE(SendKey('A', true));
  ASSERT_TRUE(SendKey('A', false));
  ASSERT_TRUE(SendKey(VK_LCONTROL, false));
  // Releases pass: the window's key-up of Ctrl marks the end.
  ASSERT_TRUE(PumpUntil([&] { return Window.Received(WM_KEYUP, VK_CONTROL); }));
  EXPECT_THAT(combos, ElementsAre(u"65,0,2 Ctrl+" + GetKeyDescription('A', 0)));
  EXPECT_TRUE(Window.Received(WM_KEYDOWN, VK_CONTROL));  // the modifier passed
  EXPECT_FALSE(Window.Received(WM_KEYDOWN, 'A'));        // the key was swallowed
  Hook->StopRecordKeyboardComboKey();
}

TEST_F(THookComponentWineTest, ExtendedMacroRecordsAndSwallowsTheKeys) {
  std::vector<std::string> steps;
  Hook->SetOnRecordKeyboardMacroKeyEx(
      [&](std::int32_t, std::int32_t AKey, std::int32_t, std::int32_t, double, std::uint32_t,
          const std::u16string&, const std::u16string& AStateText, const TMacroKeyList&) {
        steps.push_back(std::to_string(AKey) + " " + Utf16ToUtf8(AStateText));
      });
  std::vector<std::uint16_t> handed;
  Hook->SetOnStopRecordKeyboardMacroKey([&](const TMacroKeyList& AList) {
    for (const auto& item : AList) {
      if (item.Object->FMacroKey.nKeyType == 1) {
        handed.push_back(item.Object->FMacroKey.nKeyValue);
      }
    }
  });
  Hook->RecordKeyboardMacroKeyEx();
  ASSERT_TRUE(SendKeyStroke('M'));
  ASSERT_TRUE(SendKeyStroke('N'));
  ASSERT_TRUE(PumpUntil([&] { return steps.size() >= 4; }));
  Hook->StopRecordKeyboardMacroKeyEx();
  ASSERT_TRUE(Sentinel('C'));
  EXPECT_THAT(steps, ElementsAre("77 Down", "77 Up", "78 Down", "78 Up"));
  EXPECT_THAT(handed, ElementsAre('M', 'M', 'N', 'N'));
  EXPECT_FALSE(Window.Received(WM_KEYDOWN, 'M'));
  EXPECT_FALSE(Window.Received(WM_KEYUP, 'N'));
}

TEST_F(THookComponentWineTest, MouseMacroIgnoresInjectedClicks) {
  int recorded = 0;
  Hook->SetOnRecordMouseMacroKey([&](std::int32_t, TMouseButtons AButton, std::int32_t,
                                     std::uint16_t, std::uint16_t, double, const std::u16string&,
                                     const std::u16string&, const TMouseMacroKeyList&) {
    recorded += AButton != TMouseButtons::BUTTON_NONE ? 1 : 0;
  });
  Hook->RecordMouseMacro();
  const POINT centre = Window.Centre();
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_RIGHTDOWN));
  ASSERT_TRUE(SendMouseAt(centre, MOUSEEVENTF_RIGHTUP));
  ASSERT_TRUE(PumpUntil([&] { return Window.ReceivedMessage(WM_RBUTTONUP); }));
  Hook->StopRecordMouseMacro();
  EXPECT_EQ(recorded, 0);
  for (const auto& item : Hook->MouseMacroKeyList()) {
    EXPECT_EQ(item.Object->FMOUSEMacroKey.MouseButton, TMouseButtons::BUTTON_NONE);
  }
}

TEST_F(THookComponentWineTest, DestructionRemovesTheHookOfTheComponent) {
  int seen = 0;
  Hook->SetOnHookKeyboardAllKey(
      [&](std::int32_t, std::int32_t, std::int32_t, bool&, std::uint32_t) { ++seen; });
  Hook->StartHookKeyboard();
  ASSERT_TRUE(Sentinel('J'));
  ASSERT_EQ(seen, 2);
  Hook.reset();  // with its hook installed: the component removes it before letting go
  EXPECT_EQ(Library.DisableKeyboard(), 0) << "the component left its hook installed";
  ASSERT_TRUE(Sentinel('K'));
}

}  // namespace
}  // namespace mon::testing
