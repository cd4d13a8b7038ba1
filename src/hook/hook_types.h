// Types of the hook component: the low-level event records as the hook library hands them over,
// mouse buttons and their states, the hook-object records, the recording records and the lists
// of strings with attached objects that hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace mon {

// The system's low-level keyboard event record. Flag bit 0 marks an extended key, bit 4 an
// injected event, bit 7 a key release. time is the system's millisecond event time.
struct TKBDLLHOOKSTRUCT {
  std::uint32_t vkCode = 0;
  std::uint32_t scanCode = 0;
  std::uint32_t flags = 0;
  std::uint32_t time = 0;
  std::uintptr_t dwExtraInfo = 0;  // pointer-sized, as in the system's record
};

struct TMousePoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// The system's low-level mouse event record. The high 16 bits of mouseData hold the signed
// wheel delta or the extra-button number; flag bit 0 marks an injected event.
struct TMSLLHOOKSTRUCT {
  TMousePoint pt;
  std::uint32_t mouseData = 0;
  std::uint32_t flags = 0;
  std::uint32_t time = 0;
  std::uintptr_t dwExtraInfo = 0;
};

inline constexpr std::uint32_t kKeyFlagExtended = 0x01;
inline constexpr std::uint32_t kKeyFlagInjected = 0x10;
inline constexpr std::uint32_t kKeyFlagReleased = 0x80;
inline constexpr std::uint32_t kMouseFlagInjected = 0x01;

// Window messages of the events (the names of the system's own constants would clash with its
// macros).
inline constexpr std::uint32_t kMsgKeyDown = 0x100;
inline constexpr std::uint32_t kMsgKeyUp = 0x101;
inline constexpr std::uint32_t kMsgSysKeyDown = 0x104;
inline constexpr std::uint32_t kMsgSysKeyUp = 0x105;
inline constexpr std::uint32_t kMsgMouseMove = 0x200;
inline constexpr std::uint32_t kMsgLButtonDown = 0x201;
inline constexpr std::uint32_t kMsgLButtonUp = 0x202;
inline constexpr std::uint32_t kMsgRButtonDown = 0x204;
inline constexpr std::uint32_t kMsgRButtonUp = 0x205;
inline constexpr std::uint32_t kMsgMButtonDown = 0x207;
inline constexpr std::uint32_t kMsgMButtonUp = 0x208;
inline constexpr std::uint32_t kMsgMouseWheel = 0x20A;
inline constexpr std::uint32_t kMsgXButtonDown = 0x20B;
inline constexpr std::uint32_t kMsgXButtonUp = 0x20C;

enum class TMouseButtons : std::uint8_t {
  BUTTON_NONE = 0,
  LCLICK = 1,
  RCLICK = 2,
  MCLICK = 3,
  XCLICK4 = 4,
  XCLICK5 = 5,
  WHEELUP = 6,
  WHEELDOWN = 7,
  BUTTONX1 = 8,
  BUTTONX2 = 9,
  BUTTONX3 = 10,
};

// Each value is the mouse window message minus 0x200.
enum class TMouseButtonStates : std::uint8_t {
  MOUSEMOVE = 0,
  LBUTTONDOWN = 1,
  LBUTTONUP = 2,
  LBUTTONDBLCLK = 3,
  RBUTTONDOWN = 4,
  RBUTTONUP = 5,
  RBUTTONDBLCLK = 6,
  MBUTTONDOWN = 7,
  MBUTTONUP = 8,
  MBUTTONDBLCLK = 9,
  MOUSEWHEEL = 10,
  XBUTTONDOWN = 11,
  XBUTTONUP = 12,
  XBUTTONDBLCLK = 13,
  MOUSEHWHEEL = 14,
  OTHERFUNCTION = 15,
};

// A set of TMouseButtonStates: bit n for value n.
struct TMouseButtonStateSet {
  std::uint16_t Bits = 0;

  TMouseButtonStateSet() = default;
  TMouseButtonStateSet(std::initializer_list<TMouseButtonStates> AStates) {
    for (const TMouseButtonStates state : AStates) {
      Include(state);
    }
  }
  void Include(TMouseButtonStates AState) {
    Bits = static_cast<std::uint16_t>(Bits | (1u << static_cast<unsigned>(AState)));
  }
  bool Contains(TMouseButtonStates AState) const {
    return (Bits & (1u << static_cast<unsigned>(AState))) != 0;
  }
  // True when the set holds the state of the mouse window message AMessage; messages outside
  // 0x200..0x20F are in no set.
  bool ContainsMessage(std::uint32_t AMessage) const;
};

enum class TMouseStatesToHook : std::uint8_t { HOOK_DOWN = 0, HOOK_UP = 1 };

// One registered key. KeyboardVKKey 0 means no virtual-key code, -1 ends the list;
// KeyboardSCANKey 0 means no scan code; block 1 asks to swallow the key.
struct TKeyBoardHookDetail {
  std::int32_t KeyboardVKKey = 0;
  std::int32_t KeyboardSCANKey = 0;
  std::int32_t KeyExtended = 0;
  std::int32_t block = 0;
};

class TKeyBoardHookDetailObject {
 public:
  TKeyBoardHookDetailObject() = default;
  explicit TKeyBoardHookDetailObject(const TKeyBoardHookDetail& ADetail)
      : FKeyBoardHookDetail(ADetail) {}
  TKeyBoardHookDetail FKeyBoardHookDetail;
};

// One registered button. ModifiedFunction is the function the button is mapped to;
// MouseStateToHook is kept for the configuration program and not consulted here.
struct TMouseHookDetail {
  TMouseButtons MouseButton = TMouseButtons::BUTTON_NONE;
  TMouseButtonStateSet MouseStateSet;
  TMouseButtons ModifiedFunction = TMouseButtons::BUTTON_NONE;
  TMouseStatesToHook MouseStateToHook = TMouseStatesToHook::HOOK_DOWN;
};

class TMouseHookDetailObject {
 public:
  TMouseHookDetailObject() = default;
  explicit TMouseHookDetailObject(const TMouseHookDetail& ADetail) : FMouseHookDetail(ADetail) {}
  TMouseHookDetail FMouseHookDetail;
};

// The combination being recorded. Modifier bits: Alt 1, Ctrl 2, Shift 4, Windows key 8.
struct TCOMBOKEY {
  std::uint16_t nKeyValue1 = 0;
  std::uint16_t nKeyValue1Extended = 0;
  std::uint16_t nKeyValue2 = 0;
  std::uint16_t nKeyValue2Extended = 0;
  std::uint16_t nModifier = 0;
  std::uint32_t nScanKey1 = 0;
  std::uint32_t nScanKey2 = 0;
};

inline constexpr std::uint16_t kModifierAlt = 1;
inline constexpr std::uint16_t kModifierCtrl = 2;
inline constexpr std::uint16_t kModifierShift = 4;
inline constexpr std::uint16_t kModifierWin = 8;

// One keyboard macro step: a pause (type 0, value = its length in ms) or a key (type 1, state
// 1 press / 0 release, value = virtual-key code).
struct TMACROKEYHOOK {
  std::uint16_t nKeyType = 0;
  std::uint16_t nKeyState = 0;
  std::uint16_t nKeyValue = 0;
  std::uint16_t nKeyValueExtended = 0;
  double Time = 0;
  std::u16string MacroKeyString;
  std::u16string MacroKeyStateString;
};

// One mouse macro step: a pause (type 0) or a button (type 1, state 1 press / 0 release).
struct TMOUSEMACROKEY {
  std::uint16_t nKeyType = 0;
  std::uint16_t nKeyState = 0;
  TMouseButtons MouseButton = TMouseButtons::BUTTON_NONE;
  std::uint16_t X = 0;
  std::uint16_t Y = 0;
  std::uint16_t TimeValue = 0;
  double Time = 0;
  std::u16string MacroKeyString;
  std::u16string MacroKeyStateString;
};

class TMacroKeyObject {
 public:
  TMacroKeyObject() = default;
  explicit TMacroKeyObject(const TMACROKEYHOOK& AKey) : FMacroKey(AKey) {}
  TMACROKEYHOOK FMacroKey;
};

class TMOUSEMacroKeyObject {
 public:
  TMOUSEMacroKeyObject() = default;
  explicit TMOUSEMacroKeyObject(const TMOUSEMACROKEY& AKey) : FMOUSEMacroKey(AKey) {}
  TMOUSEMACROKEY FMOUSEMacroKey;
};

// A list of strings, each with an attached object, in insertion order. TPointer says who owns
// the objects: std::unique_ptr for lists that own them alone, std::shared_ptr for lists whose
// objects a receiver may keep after the list lets them go. Appending never moves the items
// already there (a hook callback adding to a list of millions must not copy them all).
template <class TPointer>
class TStringObjectList {
 public:
  struct TItem {
    std::u16string String;
    TPointer Object;
  };

  std::size_t Count() const { return FItems.size(); }
  bool Empty() const { return FItems.empty(); }
  const std::u16string& Strings(std::size_t AIndex) const { return FItems.at(AIndex).String; }
  const TPointer& Objects(std::size_t AIndex) const { return FItems.at(AIndex).Object; }
  const TItem& operator[](std::size_t AIndex) const { return FItems.at(AIndex); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

  void Add(std::u16string AString, TPointer AObject) {
    FItems.push_back({std::move(AString), std::move(AObject)});
  }
  // Empties the list; the list's own references to the objects go with it.
  void Clear() { FItems.clear(); }

 private:
  std::deque<TItem> FItems;
};

using TKeyboardHookObjectList = TStringObjectList<std::unique_ptr<TKeyBoardHookDetailObject>>;
using TMouseHookObjectList = TStringObjectList<std::unique_ptr<TMouseHookDetailObject>>;
using TMacroKeyList = TStringObjectList<std::shared_ptr<TMacroKeyObject>>;
using TMouseMacroKeyList = TStringObjectList<std::shared_ptr<TMOUSEMacroKeyObject>>;

// The fixed texts of the mouse buttons in the mouse macro.
struct TMouseButtonString {
  TMouseButtons MouseButton;
  const char16_t* ButtonDescription;
};

// The text of AButton; empty for a button without one.
std::u16string MouseButtonDescription(TMouseButtons AButton);

}  // namespace mon
