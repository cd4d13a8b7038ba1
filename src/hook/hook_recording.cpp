// The recording modes: single key, key combination, keyboard macro (plain and extended) and
// mouse macro.
#include <algorithm>

#include "framework/text.h"
#include "hook/hook_dispatch.h"
#include "hook/uiHook.h"
#include "hook/uiKeyCode.h"

namespace mon {

namespace {

using hook_detail::Dispatch;
using hook_detail::MessageOf;

constexpr char16_t kDown[] = u"Down";
constexpr char16_t kUp[] = u"Up";
constexpr char16_t kMilliseconds[] = u"ms";

// The combination keeps a second key only when it follows the first within this time.
constexpr std::uint32_t kComboWindowMs = 100;
// The plain keyboard macro records pauses strictly between these lengths.
constexpr std::uint32_t kMacroMinPauseMs = 10;
constexpr std::uint32_t kMacroMaxPauseMs = 2000;
// Pauses are stored in 16 bits.
constexpr std::uint32_t kMaxPauseMs = 65535;
// The plain keyboard macro and the mouse macro stop growing here, as the extended macro does at
// its own limit: a recording left running (the mouse macro records every move) must not take
// memory without bound. No person recording a macro gets there: every pointer move of a
// 1000 Hz mouse adds one entry, and 2^22 entries are 70 minutes of moving it without a pause
// (about 160 bytes an entry, some 650 MiB at the bound).
constexpr std::size_t kMaxMacroEntries = std::size_t{1} << 22;

constexpr std::uint8_t kVkLShift = 0xA0;
constexpr std::uint8_t kVkRShift = 0xA1;
constexpr std::uint8_t kVkLControl = 0xA2;
constexpr std::uint8_t kVkRControl = 0xA3;
constexpr std::uint8_t kVkLMenu = 0xA4;
constexpr std::uint8_t kVkRMenu = 0xA5;
constexpr std::uint8_t kVkLWin = 0x5B;
constexpr std::uint8_t kVkRWin = 0x5C;

bool IsModifierKey(std::uint32_t AKey) {
  switch (AKey) {
    case kVkLControl:
    case kVkRControl:
    case kVkLMenu:
    case kVkRMenu:
    case kVkLWin:
    case kVkRWin:
    case kVkLShift:
    case kVkRShift:
      return true;
    default:
      return false;
  }
}

bool IsRelease(const TKBDLLHOOKSTRUCT& AEvent) {
  return (AEvent.flags & kKeyFlagReleased) != 0;
}

std::int32_t ExtendedOf(const TKBDLLHOOKSTRUCT& AEvent) {
  return (AEvent.flags & kKeyFlagExtended) != 0 ? 1 : 0;
}

std::shared_ptr<TMacroKeyObject> MacroKeyEntry(std::uint16_t AType, std::uint16_t AState,
                                               std::uint16_t AValue, std::uint16_t AExtended) {
  auto entry = std::make_shared<TMacroKeyObject>();
  entry->FMacroKey.nKeyType = AType;
  entry->FMacroKey.nKeyState = AState;
  entry->FMacroKey.nKeyValue = AValue;
  entry->FMacroKey.nKeyValueExtended = AExtended;
  return entry;
}

void AddMacroKey(TMacroKeyList& AList, std::shared_ptr<TMacroKeyObject> AEntry) {
  AList.Add(IntToText(static_cast<std::int64_t>(AList.Count())), std::move(AEntry));
}

void AddMouseMacroKey(TMouseMacroKeyList& AList, std::uint16_t AType, std::uint16_t AState,
                      TMouseButtons AButton, std::uint16_t AX, std::uint16_t AY,
                      std::uint16_t APause) {
  auto entry = std::make_shared<TMOUSEMacroKeyObject>();
  entry->FMOUSEMacroKey.nKeyType = AType;
  entry->FMOUSEMacroKey.nKeyState = AState;
  entry->FMOUSEMacroKey.MouseButton = AButton;
  entry->FMOUSEMacroKey.X = AX;
  entry->FMOUSEMacroKey.Y = AY;
  entry->FMOUSEMacroKey.TimeValue = APause;
  AList.Add(IntToText(static_cast<std::int64_t>(AList.Count())), std::move(entry));
}

}  // namespace

// Operations.

void TuiHook::RecordKeyboardSingleKey() {
  ReplaceKeyboardCallback(&TuiHook::RecordSingleKeyCallback);
}

void TuiHook::StopRecordKeyboardSingleKey() {
  DisableKeyboard();
}

void TuiHook::RecordKeyboardComboKey() {
  ReplaceKeyboardCallback(&TuiHook::RecordComboKeyCallback);
  FLastTimeKeyboardCombo = 0;
}

void TuiHook::StopRecordKeyboardComboKey() {
  DisableKeyboard();
  FLastTimeKeyboardCombo = 0;
}

void TuiHook::RecordKeyboardMacroKey() {
  // FLastTimeKeyboardMacro is kept: a key within 2 s of the previous recording's last key
  // starts the new macro with that pause.
  ClearMacroKeyList();
  ReplaceKeyboardCallback(&TuiHook::RecordMacroKeyCallback);
}

void TuiHook::RecordKeyboardMacroKeyEx() {
  FLastMacroKey = TKBDLLHOOKSTRUCT();
  FTotalMacroTime = 0;
  FAllKeyState.fill(0);
  ClearMacroKeyList();
  ReplaceKeyboardCallback(&TuiHook::RecordMacroKeyExCallback);
}

void TuiHook::StopRecordKeyboardMacroKey() {
  DisableKeyboard();
  if (FOnStopRecordKeyboardMacroKey) {
    FOnStopRecordKeyboardMacroKey(FMacroKeyList);
  }
  // The receiver may have kept entries; the list lets go of its own references only.
  FMacroKeyList.Clear();
}

void TuiHook::StopRecordKeyboardMacroKeyEx() {
  StopRecordKeyboardMacroKey();
}

void TuiHook::RecordMouseMacro() {
  ClearMouseMacroKeyList();
  ReplaceMouseCallback(&TuiHook::RecordMouseMacroCallback);
  FLastTimeMouseMacro = 0;
}

void TuiHook::StopRecordMouseMacro() {
  DisableMouse();
  if (FOnStopRecordMouseMacroKey) {
    FOnStopRecordMouseMacroKey(FMouseMacroKeyList);
  }
  // The list keeps its entries until the next RecordMouseMacro.
}

// Callbacks as the library calls them.

void TuiHook::RecordSingleKeyCallback(void* AUserData, std::int32_t, std::uintptr_t, void* ARecord,
                                      std::uint8_t* ABlocked) {
  Dispatch<TKBDLLHOOKSTRUCT>(AUserData, ARecord, ABlocked,
                             [](TuiHook& AHook, const TKBDLLHOOKSTRUCT& AEvent, bool& AFlag) {
                               AHook.RecordSingleKey(AEvent, AFlag);
                             });
}

void TuiHook::RecordComboKeyCallback(void* AUserData, std::int32_t, std::uintptr_t, void* ARecord,
                                     std::uint8_t* ABlocked) {
  Dispatch<TKBDLLHOOKSTRUCT>(AUserData, ARecord, ABlocked,
                             [](TuiHook& AHook, const TKBDLLHOOKSTRUCT& AEvent, bool& AFlag) {
                               AHook.RecordComboKey(AEvent, AFlag);
                             });
}

void TuiHook::RecordMacroKeyCallback(void* AUserData, std::int32_t, std::uintptr_t, void* ARecord,
                                     std::uint8_t* ABlocked) {
  Dispatch<TKBDLLHOOKSTRUCT>(AUserData, ARecord, ABlocked,
                             [](TuiHook& AHook, const TKBDLLHOOKSTRUCT& AEvent, bool& AFlag) {
                               AHook.RecordMacroKey(AEvent, AFlag);
                             });
}

void TuiHook::RecordMacroKeyExCallback(void* AUserData, std::int32_t, std::uintptr_t, void* ARecord,
                                       std::uint8_t* ABlocked) {
  Dispatch<TKBDLLHOOKSTRUCT>(AUserData, ARecord, ABlocked,
                             [](TuiHook& AHook, const TKBDLLHOOKSTRUCT& AEvent, bool& AFlag) {
                               AHook.RecordMacroKeyEx(AEvent, AFlag);
                             });
}

void TuiHook::RecordMouseMacroCallback(void* AUserData, std::int32_t, std::uintptr_t AMessage,
                                       void* ARecord, std::uint8_t* ABlocked) {
  Dispatch<TMSLLHOOKSTRUCT>(AUserData, ARecord, ABlocked,
                            [AMessage](TuiHook& AHook, const TMSLLHOOKSTRUCT& AEvent, bool&) {
                              AHook.RecordMouseMacroEvent(MessageOf(AMessage), AEvent);
                            });
}

// Decisions.

void TuiHook::RecordSingleKey(const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked) {
  if (!FOnRecordKeyboardSingleKey) {
    return;
  }
  const auto key = static_cast<std::int32_t>(AEvent.vkCode);
  const std::int32_t extended = ExtendedOf(AEvent);
  FOnRecordKeyboardSingleKey(key, AEvent.scanCode, IsRelease(AEvent) ? 0 : 1, extended,
                             GetKeyDescription(key, extended), ABlocked);
}

void TuiHook::RecordComboKey(const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked) {
  if (!FOnRecordKeyboardComboKey && !FOnRecordKeyboardComboKey2) {
    return;
  }
  // Only presses count; the modifiers themselves pass through and are read live below.
  if (IsRelease(AEvent) || IsModifierKey(AEvent.vkCode)) {
    return;
  }
  const auto key = static_cast<std::uint16_t>(AEvent.vkCode);
  const auto extended = static_cast<std::uint16_t>(ExtendedOf(AEvent));
  TCOMBOKEY& combo = FComboKeyInfo;

  FComboKeyString.clear();
  combo.nModifier = 0;
  if (combo.nKeyValue1 != 0 && combo.nKeyValue2 != 0) {
    combo = TCOMBOKEY();
  }

  const auto down = [this](std::uint8_t AVirtualKey) {
    return FPlatform.Keyboard.IsKeyDown(AVirtualKey);
  };
  if (down(kVkLControl) || down(kVkRControl)) {
    combo.nModifier |= kModifierCtrl;
    FComboKeyString += u"Ctrl+";
  }
  if (down(kVkLMenu) || down(kVkRMenu)) {
    combo.nModifier |= kModifierAlt;
    FComboKeyString += u"Alt+";
  }
  if (down(kVkLWin) || down(kVkRWin)) {
    combo.nModifier |= kModifierWin;
    FComboKeyString += u"Win+";
  }
  if (down(kVkLShift) || down(kVkRShift)) {
    combo.nModifier |= kModifierShift;
    FComboKeyString += u"Shift+";
  }

  // 0 means no key yet in this recording: the press starts a new combination.
  const bool withinWindow =
      FLastTimeKeyboardCombo != 0 && AEvent.time - FLastTimeKeyboardCombo <= kComboWindowMs;
  const auto setSlot1 = [&] {
    combo.nKeyValue1 = key;
    combo.nKeyValue1Extended = extended;
    combo.nScanKey1 = AEvent.scanCode;
  };
  const auto clearSlot2 = [&] {
    combo.nKeyValue2 = 0;
    combo.nKeyValue2Extended = 0;
    combo.nScanKey2 = 0;
  };
  if (!withinWindow) {
    setSlot1();
    clearSlot2();
  } else if (combo.nKeyValue1 == 0) {
    setSlot1();
  } else if (combo.nKeyValue2 == 0) {
    if (combo.nKeyValue1 == key && combo.nKeyValue1Extended == extended) {
      setSlot1();  // the same key again (a repetition) stays a one-key combination
    } else {
      combo.nKeyValue2 = key;
      combo.nKeyValue2Extended = extended;
      combo.nScanKey2 = AEvent.scanCode;
    }
  }
  FLastTimeKeyboardCombo = AEvent.time;

  std::u16string text = GetKeyDescription(combo.nKeyValue1, combo.nKeyValue1Extended);
  if (combo.nKeyValue2 != 0) {
    text += u'+';
    text += GetKeyDescription(combo.nKeyValue2, combo.nKeyValue2Extended);
  }
  if (combo.nKeyValue1 != 0 && !text.empty()) {
    FComboKeyString += text;
    if (FOnRecordKeyboardComboKey) {
      FOnRecordKeyboardComboKey(combo.nKeyValue1, combo.nKeyValue1Extended, combo.nKeyValue2,
                                combo.nKeyValue2Extended, combo.nModifier, FComboKeyString);
    } else {
      FOnRecordKeyboardComboKey2(combo.nKeyValue1, static_cast<std::int32_t>(combo.nScanKey1),
                                 combo.nKeyValue1Extended, combo.nKeyValue2,
                                 static_cast<std::int32_t>(combo.nScanKey2),
                                 combo.nKeyValue2Extended, combo.nModifier, FComboKeyString);
    }
  }
  // While a combination is being recorded no key press other than a modifier reaches other
  // programs.
  ABlocked = true;
}

void TuiHook::RecordMacroKey(const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked) {
  if (!FOnRecordKeyboardMacroKey) {
    return;
  }
  if (FMacroKeyList.Count() >= kMaxMacroEntries) {
    ABlocked = true;  // still recording as far as other programs can tell: keys stay blocked
    return;
  }
  const auto time = static_cast<double>(AEvent.time);
  if (FLastTimeKeyboardMacro != 0) {
    const std::uint32_t gap = AEvent.time - FLastTimeKeyboardMacro;
    if (gap > kMacroMinPauseMs && gap < kMacroMaxPauseMs) {
      AddMacroKey(FMacroKeyList, MacroKeyEntry(0, 0, static_cast<std::uint16_t>(gap), 0));
      FOnRecordKeyboardMacroKey(0, static_cast<std::int32_t>(gap), 0, 0, time, IntToText(gap),
                                kMilliseconds, FMacroKeyList);
    }
  }
  FLastTimeKeyboardMacro = AEvent.time;

  // Every key event is recorded, also right after a pause whose length happens to equal the
  // key's code: leaving a press or release out would make the macro replay a stuck key.
  const auto key = static_cast<std::int32_t>(AEvent.vkCode);
  const std::int32_t extended = ExtendedOf(AEvent);
  const std::int32_t state = IsRelease(AEvent) ? 0 : 1;
  AddMacroKey(FMacroKeyList,
              MacroKeyEntry(1, static_cast<std::uint16_t>(state), static_cast<std::uint16_t>(key),
                            static_cast<std::uint16_t>(extended)));
  FOnRecordKeyboardMacroKey(1, key, state, extended, time, GetKeyDescription(key, extended),
                            state == 1 ? kDown : kUp, FMacroKeyList);
  ABlocked = true;  // recorded keys do not reach other programs
}

void TuiHook::RecordMacroKeyEx(const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked) {
  if (!FOnRecordKeyboardMacroKeyEx || FMacroKeyList.Count() > kMaxExtendedMacroEntries) {
    return;
  }
  if (AEvent.vkCode >= FAllKeyState.size()) {
    return;  // no virtual-key code: nothing to record, passed on untouched
  }
  const bool release = IsRelease(AEvent);
  bool pauseDue = false;
  if (FLastMacroKey.vkCode == 0) {
    FLastMacroKey = AEvent;  // the first event: no pause before it
    FTotalMacroTime = 0;
  } else if (AEvent.vkCode == FLastMacroKey.vkCode &&
             (AEvent.flags & kKeyFlagExtended) == (FLastMacroKey.flags & kKeyFlagExtended) &&
             (AEvent.flags & kKeyFlagReleased) == (FLastMacroKey.flags & kKeyFlagReleased) &&
             !release) {
    // An automatic repetition: the pause keeps counting from the press.
    FTotalMacroTime = AEvent.time - FLastMacroKey.time;
  } else {
    FTotalMacroTime = AEvent.time - FLastMacroKey.time;
    FLastMacroKey = AEvent;
    if (release) {
      FAllKeyState[AEvent.vkCode] = 0;
    }
    pauseDue = true;
  }
  if (pauseDue && FTotalMacroTime > 0) {
    FTotalMacroTime = std::min(FTotalMacroTime, kMaxPauseMs);
    AddMacroKey(FMacroKeyList, MacroKeyEntry(0, 0, static_cast<std::uint16_t>(FTotalMacroTime), 0));
  }
  if (FAllKeyState[AEvent.vkCode] == 0) {
    if (!release) {
      FAllKeyState[AEvent.vkCode] = 1;  // a held key is recorded once
    }
    const auto key = static_cast<std::int32_t>(AEvent.vkCode);
    const std::int32_t extended = ExtendedOf(AEvent);
    const std::int32_t state = release ? 0 : 1;
    AddMacroKey(FMacroKeyList,
                MacroKeyEntry(1, static_cast<std::uint16_t>(state), static_cast<std::uint16_t>(key),
                              static_cast<std::uint16_t>(extended)));
    FOnRecordKeyboardMacroKeyEx(1, key, state, extended, static_cast<double>(AEvent.time),
                                FTotalMacroTime, GetKeyDescription(key, extended),
                                state == 1 ? kDown : kUp, FMacroKeyList);
  }
  ABlocked = true;
}

void TuiHook::RecordMouseMacroEvent(std::uint32_t AMessage, const TMSLLHOOKSTRUCT& AEvent) {
  // The blocked flag is never touched: the recorded clicks still work.
  if (!FOnRecordMouseMacroKey || (AEvent.flags & kMouseFlagInjected) != 0 ||
      FMouseMacroKeyList.Count() >= kMaxMacroEntries) {
    return;
  }
  const std::int32_t state = hook_detail::IsButtonUpMessage(AMessage) ? 0 : 1;
  const TMouseButtons button = hook_detail::MouseButtonOf(AMessage, AEvent.mouseData).Button;
  const auto x = static_cast<std::uint16_t>(static_cast<std::uint32_t>(AEvent.pt.x));
  const auto y = static_cast<std::uint16_t>(static_cast<std::uint32_t>(AEvent.pt.y));
  const auto time = static_cast<double>(AEvent.time);

  std::uint16_t pause = 0;
  if (FLastTimeMouseMacro == 0) {
    FLastTimeMouseMacro = AEvent.time;  // the first event: no pause before it
  } else if (FLastTimeMouseMacro > AEvent.time) {
    FLastTimeMouseMacro = AEvent.time;  // the clock went back: the event is dropped
    return;
  } else {
    const std::uint32_t gap = AEvent.time - FLastTimeMouseMacro;
    FLastTimeMouseMacro = AEvent.time;
    // Stored in 16 bits: a longer pause is kept as the longest one, never wrapped.
    pause = static_cast<std::uint16_t>(std::min(gap, kMaxPauseMs));
    AddMouseMacroKey(FMouseMacroKeyList, 0, 0, TMouseButtons::BUTTON_NONE, x, y, pause);
    FOnRecordMouseMacroKey(0, TMouseButtons::BUTTON_NONE, 0, x, y, time, IntToText(gap),
                           kMilliseconds, FMouseMacroKeyList);
  }
  if (button != TMouseButtons::BUTTON_NONE) {
    AddMouseMacroKey(FMouseMacroKeyList, 1, static_cast<std::uint16_t>(state), button, x, y, pause);
    FOnRecordMouseMacroKey(1, button, state, x, y, time, MouseButtonDescription(button),
                           state == 1 ? kDown : kUp, FMouseMacroKeyList);
  }
}

}  // namespace mon
