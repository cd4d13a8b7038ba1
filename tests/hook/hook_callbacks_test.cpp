// Plain hooking: what the keyboard and mouse hook callbacks raise, match and block.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "hook_test_support.h"

namespace mon::testing {
namespace {

using ::testing::ElementsAre;

struct TKeySeen {
  std::int32_t Key;
  std::int32_t State;
  std::int32_t Extended;
  bool BlockedOnArrival;
  std::uint32_t Scan;
  bool operator==(const TKeySeen&) const = default;
};

std::ostream& operator<<(std::ostream& AOut, const TKeySeen& A) {
  return AOut << "{key " << A.Key << " state " << A.State << " ext " << A.Extended << " blocked "
              << A.BlockedOnArrival << " scan " << A.Scan << "}";
}

class TKeyboardHookTest : public THookTest {
 protected:
  void SetUp() override {
    THookTest::SetUp();
    Create().SetOnHookKeyboardKey([this](std::int32_t AKey, std::int32_t AState,
                                         std::int32_t AExtended, bool& ABlocked,
                                         std::uint32_t AScan) {
      Matched.push_back({AKey, AState, AExtended, ABlocked, AScan});
      if (Unblock) {
        ABlocked = false;
      }
    });
    Hook->StartHookKeyboard();
  }

  void Register(std::int32_t AVk, std::int32_t AScan, std::int32_t AExtended, std::int32_t ABlock) {
    Hook->AddKeyboardHookObject(std::make_unique<TKeyBoardHookDetailObject>(
        TKeyBoardHookDetail{AVk, AScan, AExtended, ABlock}));
  }

  std::vector<TKeySeen> Matched;
  bool Unblock = false;
};

TEST_F(TKeyboardHookTest, AllKeysSeeEveryEventWithStateExtendedAndScan) {
  std::vector<TKeySeen> all;
  Hook->SetOnHookKeyboardAllKey([&](std::int32_t AKey, std::int32_t AState, std::int32_t AExt,
                                    bool& ABlocked, std::uint32_t AScan) {
    all.push_back({AKey, AState, AExt, ABlocked, AScan});
    ABlocked = AKey == 0x5B;  // the handler decides
  });
  EXPECT_FALSE(Key(0x41, true, 10, 0x1E));
  EXPECT_FALSE(Key(0x2E, false, 11, 0x53, true));
  EXPECT_TRUE(Key(0x5B, true, 12, 0x5B, true));
  // A hook code other than 0 is not an event.
  EXPECT_FALSE(Key(0x42, true, 13, 0x30, false, 3));
  EXPECT_THAT(all, ElementsAre(TKeySeen{0x41, 1, 0, false, 0x1E}, TKeySeen{0x2E, 0, 1, false, 0x53},
                               TKeySeen{0x5B, 1, 1, false, 0x5B}));
  EXPECT_TRUE(Matched.empty());  // nothing registered
}

TEST_F(TKeyboardHookTest, EntriesMatchByKeyOrByScanCodeAndTheExtendedFlag) {
  Register(0x41, 0, 0, 0);  // A by key
  Register(0, 0x30, 0, 0);  // B by scan code only
  Register(0x2E, 0, 1, 0);  // Delete of the navigation block (extended)
  EXPECT_FALSE(Key(0x41, true, 1, 0x1E));
  EXPECT_FALSE(Key(0x42, false, 2, 0x30));
  EXPECT_FALSE(Key(0x2E, true, 3, 0x53, true));
  // Not matched: keypad Delete (not extended), scan code 0x30 with the extended flag, other keys.
  EXPECT_FALSE(Key(0x2E, true, 4, 0x53, false));
  EXPECT_FALSE(Key(0x99, true, 5, 0x30, true));
  EXPECT_FALSE(Key(0x43, true, 6, 0x2E));
  EXPECT_THAT(Matched,
              ElementsAre(TKeySeen{0x41, 1, 0, false, 0x1E}, TKeySeen{0x42, 0, 0, false, 0x30},
                          TKeySeen{0x2E, 1, 1, false, 0x53}));
}

TEST_F(TKeyboardHookTest, EntryWithNeitherKeyNorScanNeverMatches) {
  Register(0, 0, 0, 1);
  EXPECT_FALSE(Key(0, true, 1, 0));  // not even an event with key 0 and scan 0
  EXPECT_FALSE(Key(0x41, true, 2, 0x1E));
  EXPECT_TRUE(Matched.empty());
}

TEST_F(TKeyboardHookTest, EndMarkerEndsTheWalk) {
  Register(-1, 0, 0, 0);
  Register(0x41, 0, 0, 1);
  EXPECT_FALSE(Key(0x41, true, 1));
  EXPECT_TRUE(Matched.empty());

  Hook->RemoveAllKeyboardHookObject();
  Register(0x41, 0, 0, 0);
  Register(-1, 0, 0, 0);
  Register(0x42, 0, 0, 0);
  Key(0x41, true, 2);
  Key(0x42, true, 3);  // behind the marker
  EXPECT_THAT(Matched, ElementsAre(TKeySeen{0x41, 1, 0, false, 0}));
}

TEST_F(TKeyboardHookTest, BlockingEntryArrivesBlockedAndTheHandlerMayRelease) {
  Register(0x41, 0, 0, 1);
  Register(0x41, 0, 0, 0);  // a later entry for the same key is never reached
  EXPECT_TRUE(Key(0x41, true, 1));
  EXPECT_TRUE(Key(0x41, false, 2));
  Unblock = true;
  EXPECT_FALSE(Key(0x41, true, 3));
  EXPECT_THAT(Matched, ElementsAre(TKeySeen{0x41, 1, 0, true, 0}, TKeySeen{0x41, 0, 0, true, 0},
                                   TKeySeen{0x41, 1, 0, true, 0}));
}

TEST_F(TKeyboardHookTest, HookObjectsAreListedUnderTheirKeyAndRemovedTogether) {
  Register(0x41, 0, 0, 0);
  Register(-1, 0, 0, 0);
  const auto& list = Hook->KeyboardHookObjectList();
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Strings(0), u"65");
  EXPECT_EQ(list.Strings(1), u"-1");
  Hook->RemoveAllKeyboardHookObject();
  EXPECT_EQ(list.Count(), 0u);
  Hook->AddKeyboardHookObject(nullptr);
  EXPECT_EQ(list.Count(), 0u);
}

TEST_F(TKeyboardHookTest, StoppedHookRaisesNothing) {
  Register(0x41, 0, 0, 1);
  Hook->StopHookKeyboard();
  EXPECT_FALSE(Key(0x41, true, 1));
  EXPECT_TRUE(Matched.empty());
}

// Mouse.

struct TButtonSeen {
  TMouseButtons Button;
  std::int32_t State;
  std::int16_t Extra;
  bool operator==(const TButtonSeen&) const = default;
};

std::ostream& operator<<(std::ostream& AOut, const TButtonSeen& A) {
  return AOut << "{button " << static_cast<int>(A.Button) << " state " << A.State << " extra "
              << A.Extra << "}";
}

class TMouseHookTest : public THookTest {
 protected:
  void SetUp() override {
    THookTest::SetUp();
    Create().SetOnHookMouseAllButton(
        [this](TMouseButtons AButton, std::int32_t AState, std::int16_t AExtra, bool&) {
          All.push_back({AButton, AState, AExtra});
        });
    Hook->SetOnHookMouseButton([this](TMouseButtons AButton, std::int32_t AState, bool& ABlocked) {
      Matched.push_back({AButton, AState, 0});
      ABlocked = BlockMatched;
    });
    Hook->StartHookMouse();
  }

  void Register(TMouseButtons AButton, TMouseButtonStateSet AStates,
                TMouseButtons AModified = TMouseButtons::BUTTON_NONE) {
    TMouseHookDetail detail;
    detail.MouseButton = AButton;
    detail.MouseStateSet = AStates;
    detail.ModifiedFunction = AModified;
    Hook->AddMouseHookObject(std::make_unique<TMouseHookDetailObject>(detail));
  }

  std::vector<TButtonSeen> All;
  std::vector<TButtonSeen> Matched;
  bool BlockMatched = false;
};

TEST_F(TMouseHookTest, ButtonsStatesAndExtraValues) {
  Mouse(kMsgLButtonDown, 1);
  Mouse(kMsgLButtonUp, 2);
  Mouse(kMsgRButtonDown, 3);
  Mouse(kMsgRButtonUp, 4);
  Mouse(kMsgMButtonDown, 5);
  Mouse(kMsgMButtonUp, 6);
  Mouse(kMsgXButtonDown, 7, 0, 0, HighWord(1));
  Mouse(kMsgXButtonUp, 8, 0, 0, HighWord(2));
  Mouse(kMsgXButtonDown, 9, 0, 0, HighWord(3));  // no such extra button
  Mouse(kMsgMouseWheel, 10, 0, 0, HighWord(120));
  Mouse(kMsgMouseWheel, 11, 0, 0, HighWord(-120));
  Mouse(kMsgMouseWheel, 12, 0, 0, HighWord(0));
  Mouse(0x20E, 13, 0, 0, HighWord(120));  // horizontal wheel: no button of ours
  using enum TMouseButtons;
  EXPECT_THAT(All, ElementsAre(TButtonSeen{LCLICK, 1, 0}, TButtonSeen{LCLICK, 0, 0},
                               TButtonSeen{RCLICK, 1, 0}, TButtonSeen{RCLICK, 0, 0},
                               TButtonSeen{MCLICK, 1, 0}, TButtonSeen{MCLICK, 0, 0},
                               TButtonSeen{XCLICK4, 1, 1}, TButtonSeen{XCLICK5, 0, 2},
                               TButtonSeen{BUTTON_NONE, 1, 3}, TButtonSeen{WHEELUP, 1, 120},
                               TButtonSeen{WHEELDOWN, 1, -120}, TButtonSeen{BUTTON_NONE, 1, 0},
                               TButtonSeen{BUTTON_NONE, 1, 0}));
}

TEST_F(TMouseHookTest, InjectedButtonsAreIgnored) {
  Register(TMouseButtons::LCLICK, {TMouseButtonStates::LBUTTONDOWN});
  BlockMatched = true;
  EXPECT_FALSE(Mouse(kMsgLButtonDown, 1, 0, 0, 0, true));
  EXPECT_TRUE(All.empty());
  EXPECT_TRUE(Matched.empty());
}

TEST_F(TMouseHookTest, MovesReachOnlyTheMoveEventAndAreNeverSwallowed) {
  std::vector<std::int32_t> moves;
  Hook->SetOnHookMouseAllButton(
      [&](TMouseButtons, std::int32_t, std::int16_t, bool& ABlocked) { ABlocked = true; });
  Hook->SetOnHookMouseMove([&](std::int32_t AX, std::int32_t AY, double ATime) {
    moves.insert(moves.end(), {AX, AY, static_cast<std::int32_t>(ATime)});
  });
  Register(TMouseButtons::BUTTONX3, {TMouseButtonStates::MOUSEMOVE});
  EXPECT_FALSE(Mouse(kMsgMouseMove, 4242, -5, 1300));
  EXPECT_FALSE(Mouse(kMsgMouseMove, 4243, 7, 8, 0, true));  // injected: not raised
  EXPECT_THAT(moves, ElementsAre(-5, 1300, 4242));
  EXPECT_TRUE(Matched.empty());
}

TEST_F(TMouseHookTest, EntryServesItsButtonAndEveryLowerOne) {
  using enum TMouseButtonStates;
  Register(TMouseButtons::XCLICK5, {XBUTTONDOWN, XBUTTONUP});
  BlockMatched = true;
  EXPECT_TRUE(Mouse(kMsgXButtonDown, 1, 0, 0, HighWord(1)));  // XCLICK4: 5 is not lower than 4
  EXPECT_TRUE(Mouse(kMsgXButtonUp, 2, 0, 0, HighWord(2)));
  // Wheel and left button: their states are not in the set.
  EXPECT_FALSE(Mouse(kMsgMouseWheel, 3, 0, 0, HighWord(120)));
  EXPECT_FALSE(Mouse(kMsgLButtonDown, 4));
  EXPECT_THAT(Matched, ElementsAre(TButtonSeen{TMouseButtons::XCLICK4, 1, 0},
                                   TButtonSeen{TMouseButtons::XCLICK5, 0, 0}));
}

TEST_F(TMouseHookTest, LowerEntryDoesNotServeAHigherButton) {
  Register(TMouseButtons::LCLICK, {TMouseButtonStates::RBUTTONDOWN});
  Register(TMouseButtons::RCLICK, {TMouseButtonStates::RBUTTONDOWN});
  Mouse(kMsgRButtonDown, 1);
  ASSERT_EQ(Matched.size(), 1u);  // found at the second entry
  EXPECT_EQ(Matched[0].Button, TMouseButtons::RCLICK);
}

TEST_F(TMouseHookTest, ButtonMappedToItselfRaisesNothingAndStopsTheWalk) {
  using enum TMouseButtonStates;
  Register(TMouseButtons::MCLICK, {MBUTTONDOWN}, TMouseButtons::MCLICK);
  Register(TMouseButtons::MCLICK, {MBUTTONDOWN}, TMouseButtons::LCLICK);
  BlockMatched = true;
  EXPECT_FALSE(Mouse(kMsgMButtonDown, 1));
  EXPECT_TRUE(Matched.empty());
  EXPECT_EQ(All.size(), 1u);
}

TEST(TMouseButtonStateSetTest, MessagesOutsideTheMouseRangeAreInNoSet) {
  TMouseButtonStateSet all;
  all.Bits = 0xFFFF;
  EXPECT_TRUE(all.ContainsMessage(0x200));
  EXPECT_TRUE(all.ContainsMessage(0x20F));
  EXPECT_FALSE(all.ContainsMessage(0x210));
  EXPECT_FALSE(all.ContainsMessage(0x1FF));
  EXPECT_FALSE(all.ContainsMessage(0xFFFFFFFF));
}

}  // namespace
}  // namespace mon::testing
