// The recording modes, driven through the installed callbacks with synthetic events, a fake
// keyboard state and chosen event times.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "framework/text.h"
#include "hook/uiKeyCode.h"
#include "hook_test_support.h"

namespace mon::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kA = 0x41;
constexpr std::uint32_t kB = 0x42;
constexpr std::uint32_t kC = 0x43;
constexpr std::uint8_t kLCtrl = 0xA2;
constexpr std::uint8_t kRShift = 0xA1;
constexpr std::uint8_t kLAlt = 0xA4;
constexpr std::uint8_t kRWin = 0x5C;

std::u16string Name(std::uint32_t AKey, std::int32_t AExtended = 0) {
  return GetKeyDescription(static_cast<std::int32_t>(AKey), AExtended);
}

// A keyboard macro list as text: "P<ms>" for a pause, "<key>+" / "<key>-" for press / release,
// with the entry's own index string checked on the way.
std::vector<std::string> Entries(const TMacroKeyList& AList) {
  std::vector<std::string> entries;
  for (std::size_t i = 0; i < AList.Count(); ++i) {
    EXPECT_EQ(AList.Strings(i), IntToText(static_cast<std::int64_t>(i)));
    const TMACROKEYHOOK& key = AList.Objects(i)->FMacroKey;
    EXPECT_EQ(key.Time, 0);  // texts and times travel only in the events
    EXPECT_TRUE(key.MacroKeyString.empty());
    if (key.nKeyType == 0) {
      EXPECT_EQ(key.nKeyState, 0);
      EXPECT_EQ(key.nKeyValueExtended, 0);
      entries.push_back("P" + std::to_string(key.nKeyValue));
    } else {
      entries.push_back(std::to_string(key.nKeyValue) + (key.nKeyState == 1 ? "+" : "-") +
                        (key.nKeyValueExtended != 0 ? "e" : ""));
    }
  }
  return entries;
}

// Single key.

using TSingleKeyTest = THookTest;

TEST_F(TSingleKeyTest, EveryPressAndReleaseWithItsDescriptionModifiersIncluded) {
  TuiHook& hook = Create();
  std::vector<std::u16string> seen;
  hook.SetOnRecordKeyboardSingleKey([&](std::int32_t AKey, std::uint32_t AScan, std::int32_t AState,
                                        std::int32_t AExt, const std::u16string& AText,
                                        bool& ABlocked) {
    EXPECT_FALSE(ABlocked);  // the component leaves the flag to the handler
    seen.push_back(IntToText(AKey) + u"/" + IntToText(AScan) + u"/" + IntToText(AState) + u"/" +
                   IntToText(AExt) + u"/" + AText);
    ABlocked = AKey == static_cast<std::int32_t>(kA);
  });
  hook.RecordKeyboardSingleKey();
  EXPECT_FALSE(Key(kLCtrl, true, 1, 0x1D));
  EXPECT_TRUE(Key(kA, true, 2, 0x1E));
  EXPECT_TRUE(Key(kA, false, 3, 0x1E));
  EXPECT_FALSE(Key(0x2E, true, 4, 0x53, true));
  EXPECT_THAT(seen, ElementsAre(u"162/29/1/0/" + Name(kLCtrl), u"65/30/1/0/" + Name(kA),
                                u"65/30/0/0/" + Name(kA), u"46/83/1/1/" + Name(0x2E, 1)));
  hook.StopRecordKeyboardSingleKey();
  EXPECT_FALSE(Library().KeyboardInstalled());
}

// Combination.

class TComboKeyTest : public THookTest {
 protected:
  void SetUp() override {
    THookTest::SetUp();
    Create().SetOnRecordKeyboardComboKey(
        [this](std::int32_t AKey1, std::int32_t AExt1, std::int32_t AKey2, std::int32_t AExt2,
               std::int32_t AModifier, const std::u16string& AText) {
          Seen.push_back(IntToText(AKey1) + u"," + IntToText(AExt1) + u"," + IntToText(AKey2) +
                         u"," + IntToText(AExt2) + u"," + IntToText(AModifier) + u" " + AText);
        });
    Hook->RecordKeyboardComboKey();
  }
  std::vector<std::u16string> Seen;
};

TEST_F(TComboKeyTest, CtrlAReportsTheKeyWithTheModifierAndBlocksOnlyA) {
  EXPECT_FALSE(Key(kLCtrl, true, 100000));  // the modifier passes through, reports nothing
  Fake.Keyboard.SetDown(kLCtrl, true);
  EXPECT_TRUE(Key(kA, true, 100200));
  EXPECT_FALSE(Key(kA, false, 100300));  // releases do not count
  Fake.Keyboard.SetDown(kLCtrl, false);
  EXPECT_FALSE(Key(kLCtrl, false, 100400));
  EXPECT_THAT(Seen, ElementsAre(u"65,0,0,0,2 Ctrl+" + Name(kA)));
  EXPECT_EQ(Hook->ComboKeyString(), u"Ctrl+" + Name(kA));
  EXPECT_EQ(Hook->ComboKeyInfo().nModifier, 2);
}

TEST_F(TComboKeyTest, ModifiersInTheirFixedOrderFromEitherSide) {
  Fake.Keyboard.SetDown(kRShift, true);
  Fake.Keyboard.SetDown(kRWin, true);
  Fake.Keyboard.SetDown(kLAlt, true);
  Fake.Keyboard.SetDown(0xA3, true);  // right Ctrl
  EXPECT_TRUE(Key(kB, true, 100000));
  EXPECT_THAT(Seen, ElementsAre(u"66,0,0,0,15 Ctrl+Alt+Win+Shift+" + Name(kB)));
}

TEST_F(TComboKeyTest, SecondKeyWithin100MsJoinsAndLaterKeysStartAnew) {
  Key(kA, true, 100000);
  Key(kB, true, 100080);  // within 100 ms: both
  Key(kC, true, 100120);  // a third key after a two-key combination starts a new one
  Key(kA, true, 100400);  // 280 ms later: alone
  Key(kB, true, 100550);  // 150 ms later: alone
  Key(kC, true, 100650);  // exactly 100 ms: joins
  EXPECT_THAT(Seen,
              ElementsAre(u"65,0,0,0,0 " + Name(kA), u"65,0,66,0,0 " + Name(kA) + u"+" + Name(kB),
                          u"67,0,0,0,0 " + Name(kC), u"65,0,0,0,0 " + Name(kA),
                          u"66,0,0,0,0 " + Name(kB), u"66,0,67,0,0 " + Name(kB) + u"+" + Name(kC)));
}

TEST_F(TComboKeyTest, SameKeyRepeatingStaysOneKey) {
  Key(kA, true, 100000);
  Key(kA, true, 100030);
  Key(kA, true, 100060);
  EXPECT_THAT(Seen, ElementsAre(u"65,0,0,0,0 " + Name(kA), u"65,0,0,0,0 " + Name(kA),
                                u"65,0,0,0,0 " + Name(kA)));
  EXPECT_EQ(Hook->ComboKeyInfo().nKeyValue2, 0);
}

TEST_F(TComboKeyTest, NewRecordingStartsANewCombinationAndStopRemovesTheCallback) {
  Key(kA, true, 100000);
  Hook->StopRecordKeyboardComboKey();
  EXPECT_FALSE(Key(kB, true, 100010));
  Hook->RecordKeyboardComboKey();
  Key(kB, true, 100020);  // 20 ms after A, but the recording started anew
  EXPECT_THAT(Seen, ElementsAre(u"65,0,0,0,0 " + Name(kA), u"66,0,0,0,0 " + Name(kB)));
}

TEST_F(TComboKeyTest, KeyWithoutDescriptionIsBlockedButNotReported) {
  EXPECT_TRUE(Key(0, true, 100000));
  EXPECT_THAT(Seen, IsEmpty());
}

TEST_F(TComboKeyTest, SecondEventRecordsTheScanCodesAndNeitherMeansOff) {
  std::vector<std::u16string> seen2;
  Hook->SetOnRecordKeyboardComboKey(nullptr);
  Hook->SetOnRecordKeyboardComboKey2([&](std::int32_t AKey1, std::int32_t AScan1,
                                         std::int32_t AExt1, std::int32_t AKey2,
                                         std::int32_t AScan2, std::int32_t AExt2,
                                         std::int32_t AModifier, const std::u16string& AText) {
    seen2.push_back(IntToText(AKey1) + u"," + IntToText(AScan1) + u"," + IntToText(AExt1) + u"," +
                    IntToText(AKey2) + u"," + IntToText(AScan2) + u"," + IntToText(AExt2) + u"," +
                    IntToText(AModifier) + u" " + AText);
  });
  Key(kA, true, 100000, 0x1E);
  Key(0x2E, true, 100050, 0x53, true);
  EXPECT_THAT(seen2, ElementsAre(u"65,30,0,0,0,0,0 " + Name(kA),
                                 u"65,30,0,46,83,1,0 " + Name(kA) + u"+" + Name(0x2E, 1)));
  Hook->SetOnRecordKeyboardComboKey2(nullptr);
  EXPECT_FALSE(Key(kB, true, 100500));  // no event assigned: nothing recorded, nothing blocked
}

// Keyboard macro.

struct TMacroSeen {
  std::int32_t Type;
  std::int32_t Key;
  std::int32_t State;
  std::int32_t Extended;
  double Time;
  std::u16string Text;
  std::u16string StateText;
  bool operator==(const TMacroSeen&) const = default;
};

std::ostream& operator<<(std::ostream& AOut, const TMacroSeen& A) {
  return AOut << "{" << A.Type << " " << A.Key << " " << A.State << " " << A.Extended << " "
              << A.Time << " " << Utf16ToUtf8(A.Text) << " " << Utf16ToUtf8(A.StateText) << "}";
}

class TMacroKeyTest : public THookTest {
 protected:
  void SetUp() override {
    THookTest::SetUp();
    Create().SetOnRecordKeyboardMacroKey(
        [this](std::int32_t AType, std::int32_t AKey, std::int32_t AState, std::int32_t AExt,
               double ATime, const std::u16string& AText, const std::u16string& AStateText,
               const TMacroKeyList& AList) {
          EXPECT_EQ(&AList, &Hook->MacroKeyList());
          Seen.push_back({AType, AKey, AState, AExt, ATime, AText, AStateText});
        });
    Hook->RecordKeyboardMacroKey();
  }
  std::vector<TMacroSeen> Seen;
};

TEST_F(TMacroKeyTest, KeysAndPausesWithTheirTexts) {
  EXPECT_TRUE(Key(kA, true, 50000));
  EXPECT_TRUE(Key(kA, false, 50120));
  EXPECT_TRUE(Key(0x2E, true, 50125, 0, true));  // 5 ms: no pause
  EXPECT_THAT(Seen, ElementsAre(TMacroSeen{1, 65, 1, 0, 50000, Name(kA), u"Down"},
                                TMacroSeen{0, 120, 0, 0, 50120, u"120", u"ms"},
                                TMacroSeen{1, 65, 0, 0, 50120, Name(kA), u"Up"},
                                TMacroSeen{1, 46, 1, 1, 50125, Name(0x2E, 1), u"Down"}));
  EXPECT_THAT(Entries(Hook->MacroKeyList()), ElementsAre("65+", "P120", "65-", "46+e"));
}

TEST_F(TMacroKeyTest, PauseBoundaries) {
  Key(kA, true, 10000);
  Key(kA, false, 10010);  // exactly 10: none
  Key(kB, true, 10021);   // 11: a pause
  Key(kB, false, 12021);  // exactly 2000: none
  Key(kC, true, 14020);   // 1999: a pause
  Key(kC, false, 20000);  // far above: none
  EXPECT_THAT(Entries(Hook->MacroKeyList()),
              ElementsAre("65+", "65-", "P11", "66+", "66-", "P1999", "67+", "67-"));
}

TEST_F(TMacroKeyTest, KeyAfterAPauseEqualToItsCodeIsStillRecorded) {
  Key(kB, true, 30000);
  Key(kA, true, 30065);  // a pause of 65 ms, and A is 65
  EXPECT_THAT(Entries(Hook->MacroKeyList()), ElementsAre("66+", "P65", "65+"));
  EXPECT_EQ(Seen.size(), 3u);
}

TEST_F(TMacroKeyTest, RepetitionsAreMorePressesWithTheirPauses) {
  Key(kA, true, 1000);
  Key(kA, true, 1500);
  Key(kA, true, 1533);
  Key(kA, false, 1540);  // 7 ms: no pause
  EXPECT_THAT(Entries(Hook->MacroKeyList()),
              ElementsAre("65+", "P500", "65+", "P33", "65+", "65-"));
}

TEST_F(TMacroKeyTest, StopHandsTheListOverAndEmptiesIt) {
  Key(kA, true, 1000);
  Key(kA, false, 1100);
  std::vector<std::shared_ptr<TMacroKeyObject>> kept;
  std::vector<std::string> handed;
  Hook->SetOnStopRecordKeyboardMacroKey([&](const TMacroKeyList& AList) {
    handed = Entries(AList);
    for (const auto& item : AList) {
      kept.push_back(item.Object);
    }
  });
  Hook->StopRecordKeyboardMacroKey();
  EXPECT_FALSE(Library().KeyboardInstalled());
  EXPECT_THAT(handed, ElementsAre("65+", "P100", "65-"));
  EXPECT_TRUE(Hook->MacroKeyList().Empty());
  // The entries the receiver kept are still whole.
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[2]->FMacroKey.nKeyValue, kA);
  EXPECT_FALSE(Key(kB, true, 1200));
}

TEST_F(TMacroKeyTest, NewRecordingEmptiesTheListButKeepsTheLastTime) {
  Key(kA, true, 1000);
  Hook->RecordKeyboardMacroKey();
  EXPECT_TRUE(Hook->MacroKeyList().Empty());
  Key(kB, true, 1300);  // 300 ms after the previous recording's last key
  EXPECT_THAT(Entries(Hook->MacroKeyList()), ElementsAre("P300", "66+"));
}

TEST_F(TMacroKeyTest, UnassignedEventRecordsAndBlocksNothing) {
  Hook->SetOnRecordKeyboardMacroKey(nullptr);
  EXPECT_FALSE(Key(kA, true, 1000));
  EXPECT_TRUE(Hook->MacroKeyList().Empty());
}

// Extended keyboard macro.

class TMacroKeyExTest : public THookTest {
 protected:
  void SetUp() override {
    THookTest::SetUp();
    Create().SetOnRecordKeyboardMacroKeyEx(
        [this](std::int32_t AType, std::int32_t AKey, std::int32_t AState, std::int32_t AExt,
               double ATime, std::uint32_t ATotal, const std::u16string& AText,
               const std::u16string& AStateText, const TMacroKeyList&) {
          EXPECT_EQ(AType, 1);
          Seen.push_back(std::to_string(AKey) + (AState == 1 ? "+" : "-") + (AExt ? "e" : "") +
                         " t" + std::to_string(static_cast<long>(ATime)) + " total" +
                         std::to_string(ATotal) + " " + Utf16ToUtf8(AText) + " " +
                         Utf16ToUtf8(AStateText));
        });
    Hook->RecordKeyboardMacroKeyEx();
  }
  std::vector<std::string> Seen;
};

TEST_F(TMacroKeyExTest, HeldKeyIsOnePressOnePauseFromThePressAndOneRelease) {
  const std::string a = Utf16ToUtf8(Name(kA));
  EXPECT_TRUE(Key(kA, true, 7000));
  EXPECT_TRUE(Key(kA, true, 7500));  // repetitions: blocked, not recorded
  EXPECT_TRUE(Key(kA, true, 7533));
  EXPECT_TRUE(Key(kA, true, 7566));
  EXPECT_TRUE(Key(kA, false, 7600));
  EXPECT_THAT(Entries(Hook->MacroKeyList()), ElementsAre("65+", "P600", "65-"));
  EXPECT_THAT(Seen,
              ElementsAre("65+ t7000 total0 " + a + " Down", "65- t7600 total600 " + a + " Up"));
}

TEST_F(TMacroKeyExTest, OverlappingKeysAndPausesBetweenEvents) {
  Key(kLCtrl, true, 1000);
  Key(kA, true, 1040);
  Key(kA, false, 1100);
  Key(kLCtrl, false, 1100);  // no time between: no pause entry
  Key(0x2E, true, 1300, 0, true);
  EXPECT_THAT(Entries(Hook->MacroKeyList()),
              ElementsAre("162+", "P40", "65+", "P60", "65-", "162-", "P200", "46+e"));
}

TEST_F(TMacroKeyExTest, LongPauseIsStoredAs65535) {
  Key(kA, true, 1000);
  Key(kA, false, 1000 + 70000);
  EXPECT_THAT(Entries(Hook->MacroKeyList()), ElementsAre("65+", "P65535", "65-"));
  EXPECT_THAT(Seen.back(), ::testing::HasSubstr("total65535"));
}

TEST_F(TMacroKeyExTest, NewRecordingForgetsHeldKeys) {
  Key(kA, true, 1000);
  Hook->RecordKeyboardMacroKeyEx();
  Key(kA, true, 2000);  // held before, but a new recording: recorded again, no pause
  EXPECT_THAT(Entries(Hook->MacroKeyList()), ElementsAre("65+"));
}

TEST_F(TMacroKeyExTest, StopsGrowingAfter500EntriesWithoutBlocking) {
  std::uint32_t time = 1000;
  bool press = true;
  while (Hook->MacroKeyList().Count() <= TuiHook::kMaxExtendedMacroEntries) {
    EXPECT_TRUE(Key(press ? kA : kB, true, time += 20));
    press = !press;
  }
  const std::size_t full = Hook->MacroKeyList().Count();
  EXPECT_EQ(full, 501u);  // after the first two keys, held ones add only their pauses
  EXPECT_FALSE(Key(kC, true, time += 20));
  EXPECT_EQ(Hook->MacroKeyList().Count(), full);
}

TEST_F(TMacroKeyExTest, CodesBeyondTheKeyTableArePassedOnUntouched) {
  EXPECT_FALSE(Key(0x1234, true, 1000));
  EXPECT_TRUE(Hook->MacroKeyList().Empty());
}

// Mouse macro.

class TMouseMacroTest : public THookTest {
 protected:
  void SetUp() override {
    THookTest::SetUp();
    Create().SetOnRecordMouseMacroKey(
        [this](std::int32_t AType, TMouseButtons AButton, std::int32_t AState, std::uint16_t AX,
               std::uint16_t AY, double ATime, const std::u16string& AText,
               const std::u16string& AStateText, const TMouseMacroKeyList& AList) {
          EXPECT_EQ(&AList, &Hook->MouseMacroKeyList());
          Seen.push_back(std::to_string(AType) + " b" + std::to_string(static_cast<int>(AButton)) +
                         " s" + std::to_string(AState) + " " + std::to_string(AX) + "," +
                         std::to_string(AY) + " t" + std::to_string(static_cast<long>(ATime)) +
                         " [" + Utf16ToUtf8(AText) + "] " + Utf16ToUtf8(AStateText));
        });
    Hook->RecordMouseMacro();
  }

  std::vector<std::string> ListEntries() const {
    std::vector<std::string> entries;
    const auto& list = Hook->MouseMacroKeyList();
    for (std::size_t i = 0; i < list.Count(); ++i) {
      EXPECT_EQ(list.Strings(i), IntToText(static_cast<std::int64_t>(i)));
      const TMOUSEMACROKEY& key = list.Objects(i)->FMOUSEMacroKey;
      entries.push_back(std::to_string(key.nKeyType) + " b" +
                        std::to_string(static_cast<int>(key.MouseButton)) + " s" +
                        std::to_string(key.nKeyState) + " " + std::to_string(key.X) + "," +
                        std::to_string(key.Y) + " p" + std::to_string(key.TimeValue));
    }
    return entries;
  }

  std::vector<std::string> Seen;
};

TEST_F(TMouseMacroTest, FirstEventWithoutPauseThenPauseAndButtonEntries) {
  EXPECT_FALSE(Mouse(kMsgMouseMove, 9000, 100, 200));    // the first event: no pause, no entry
  EXPECT_FALSE(Mouse(kMsgLButtonDown, 9250, 101, 201));  // never blocked
  EXPECT_FALSE(Mouse(kMsgLButtonUp, 9300, 101, 201));
  EXPECT_THAT(
      Seen,
      ElementsAre("0 b0 s0 101,201 t9250 [250] ms", "1 b1 s1 101,201 t9250 [Mouse Click] Down",
                  "0 b0 s0 101,201 t9300 [50] ms", "1 b1 s0 101,201 t9300 [Mouse Click] Up"));
  EXPECT_THAT(ListEntries(), ElementsAre("0 b0 s0 101,201 p250", "1 b1 s1 101,201 p250",
                                         "0 b0 s0 101,201 p50", "1 b1 s0 101,201 p50"));
}

TEST_F(TMouseMacroTest, ButtonTextsIncludingTheTrailingBlankOfBackward) {
  Mouse(kMsgMouseMove, 1000);
  Mouse(kMsgXButtonDown, 1001, 0, 0, HighWord(1));
  Mouse(kMsgXButtonUp, 1002, 0, 0, HighWord(2));
  Mouse(kMsgRButtonDown, 1003);
  Mouse(kMsgMButtonUp, 1004);
  Mouse(kMsgMouseWheel, 1005, 0, 0, HighWord(120));
  Mouse(kMsgMouseWheel, 1006, 0, 0, HighWord(-240));
  std::vector<std::string> buttons;
  for (const auto& seen : Seen) {
    if (seen[0] == '1') {
      buttons.push_back(seen.substr(seen.find('[')));
    }
  }
  EXPECT_THAT(buttons, ElementsAre("[Backward(Mouse) ] Down", "[Forward(Mouse)] Up",
                                   "[Mouse Right Click] Down", "[Mouse Middle Click] Up",
                                   "[Wheel up(Mouse)] Down", "[Wheel Down(Mouse)] Down"));
  EXPECT_EQ(MouseButtonDescription(TMouseButtons::BUTTONX1), u"");
}

TEST_F(TMouseMacroTest, InjectedEventsAndEarlierTimesAreDropped) {
  Mouse(kMsgLButtonDown, 5000);
  Mouse(kMsgLButtonUp, 5100, 0, 0, 0, true);  // injected: ignored entirely
  Mouse(kMsgLButtonUp, 4000);                 // earlier than the last: dropped, time taken over
  Mouse(kMsgRButtonDown, 4010);
  EXPECT_THAT(ListEntries(), ElementsAre("1 b1 s1 0,0 p0", "0 b0 s0 0,0 p10", "1 b2 s1 0,0 p10"));
}

TEST_F(TMouseMacroTest, PositionIsTheLow16BitsAndLongPausesAreCapped) {
  Mouse(kMsgMouseMove, 1000);
  Mouse(kMsgLButtonDown, 1000 + 70000, -1, 65536 + 7);
  EXPECT_THAT(ListEntries(), ElementsAre("0 b0 s0 65535,7 p65535", "1 b1 s1 65535,7 p65535"));
  EXPECT_EQ(Seen[0], "0 b0 s0 65535,7 t71000 [70000] ms");  // the text keeps the real pause
}

TEST_F(TMouseMacroTest, MoreThanAMinuteOfPointerMovesStillLeavesRoomForTheClick) {
  // 70 s of moving a 1000 Hz mouse: one pause entry per move.
  for (std::uint32_t time = 1; time <= 70000; ++time) {
    Mouse(kMsgMouseMove, time, static_cast<std::int32_t>(time % 640), 7);
  }
  Mouse(kMsgLButtonDown, 70001, 3, 4);
  const auto& list = Hook->MouseMacroKeyList();
  ASSERT_EQ(list.Count(), 70001u);
  const TMOUSEMACROKEY& click = list.Objects(list.Count() - 1)->FMOUSEMacroKey;
  EXPECT_EQ(click.MouseButton, TMouseButtons::LCLICK);
  EXPECT_EQ(list.Strings(list.Count() - 1), u"70000");
}

TEST_F(TMouseMacroTest, StopKeepsTheListUntilTheNextRecording) {
  Mouse(kMsgLButtonDown, 1000);
  std::size_t handed = 0;
  Hook->SetOnStopRecordMouseMacroKey(
      [&](const TMouseMacroKeyList& AList) { handed = AList.Count(); });
  Hook->StopRecordMouseMacro();
  EXPECT_FALSE(Library().MouseInstalled());
  EXPECT_EQ(handed, 1u);
  EXPECT_EQ(Hook->MouseMacroKeyList().Count(), 1u);
  Hook->RecordMouseMacro();
  EXPECT_TRUE(Hook->MouseMacroKeyList().Empty());
  Mouse(kMsgLButtonUp, 1500);  // the first event of the new recording: no pause
  EXPECT_THAT(ListEntries(), ElementsAre("1 b1 s0 0,0 p0"));
}

// Without the library the recording operations still clear and report.

TEST(TRecordingWithoutLibraryTest, StopEventsStillCarryTheLists) {
  TFakePlatform platform;  // no library beside the executable
  TuiHook hook(nullptr, platform.Platform());
  ASSERT_FALSE(hook.DLLLoaded());
  int keyboardStops = 0;
  int mouseStops = 0;
  hook.SetOnStopRecordKeyboardMacroKey([&](const TMacroKeyList& AList) {
    EXPECT_TRUE(AList.Empty());
    ++keyboardStops;
  });
  hook.SetOnStopRecordMouseMacroKey([&](const TMouseMacroKeyList&) { ++mouseStops; });
  hook.RecordKeyboardMacroKeyEx();
  hook.StopRecordKeyboardMacroKey();
  hook.RecordMouseMacro();
  hook.StopRecordMouseMacro();
  EXPECT_EQ(keyboardStops, 1);
  EXPECT_EQ(mouseStops, 1);
}

}  // namespace
}  // namespace mon::testing
