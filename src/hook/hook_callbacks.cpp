// Plain hooking: every key and button, and the keys and buttons of the hook-object lists.
#include "hook/hook_dispatch.h"
#include "hook/uiHook.h"

namespace mon {

using hook_detail::Dispatch;
using hook_detail::MessageOf;

void TuiHook::KeyboardHookCallback(void* AUserData, std::int32_t ACode, std::uintptr_t,
                                   void* ARecord, std::uint8_t* ABlocked) {
  Dispatch<TKBDLLHOOKSTRUCT>(
      AUserData, ARecord, ABlocked,
      [ACode](TuiHook& AHook, const TKBDLLHOOKSTRUCT& AEvent, bool& ABlockedFlag) {
        AHook.HookKeyboard(ACode, AEvent, ABlockedFlag);
      });
}

void TuiHook::MouseHookCallback(void* AUserData, std::int32_t, std::uintptr_t AMessage,
                                void* ARecord, std::uint8_t* ABlocked) {
  Dispatch<TMSLLHOOKSTRUCT>(
      AUserData, ARecord, ABlocked,
      [AMessage](TuiHook& AHook, const TMSLLHOOKSTRUCT& AEvent, bool& ABlockedFlag) {
        AHook.HookMouse(MessageOf(AMessage), AEvent, ABlockedFlag);
      });
}

void TuiHook::HookKeyboard(std::int32_t ACode, const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked) {
  if (ACode != 0) {
    return;
  }
  const auto key = static_cast<std::int32_t>(AEvent.vkCode);
  const std::uint32_t scan = AEvent.scanCode;
  const std::int32_t extended = (AEvent.flags & kKeyFlagExtended) != 0 ? 1 : 0;
  const std::int32_t state = (AEvent.flags & kKeyFlagReleased) != 0 ? 0 : 1;

  if (FOnHookKeyboardAllKey) {
    FOnHookKeyboardAllKey(key, state, extended, ABlocked, scan);
  }
  if (!FOnHookKeyboardKey) {
    return;
  }
  for (const auto& item : FKeyboardHookObjectList) {
    const TKeyBoardHookDetail& detail = item.Object->FKeyBoardHookDetail;
    if (detail.KeyboardVKKey == -1) {
      return;  // the end marker: no entry after it is consulted
    }
    const bool byKey =
        detail.KeyboardVKKey != 0 && detail.KeyboardVKKey == key && detail.KeyExtended == extended;
    const bool byScan = detail.KeyboardSCANKey != 0 &&
                        static_cast<std::uint32_t>(detail.KeyboardSCANKey) == scan &&
                        detail.KeyExtended == extended;
    if (byKey || byScan) {
      if (detail.block == 1) {
        ABlocked = true;
      }
      FOnHookKeyboardKey(key, state, extended, ABlocked, scan);
      return;
    }
  }
}

void TuiHook::HookMouse(std::uint32_t AMessage, const TMSLLHOOKSTRUCT& AEvent, bool& ABlocked) {
  const bool injected = (AEvent.flags & kMouseFlagInjected) != 0;
  if (AMessage == kMsgMouseMove) {
    if (FOnHookMouseMove && !injected) {
      FOnHookMouseMove(AEvent.pt.x, AEvent.pt.y, static_cast<double>(AEvent.time));
      ABlocked = false;  // a move the owner has seen always reaches the system
    }
    return;
  }
  if (injected) {
    return;
  }
  const std::int32_t state = hook_detail::IsButtonUpMessage(AMessage) ? 0 : 1;
  const hook_detail::TMouseButtonOf button = hook_detail::MouseButtonOf(AMessage, AEvent.mouseData);

  if (FOnHookMouseAllButton) {
    FOnHookMouseAllButton(button.Button, state, button.Extra, ABlocked);
  }
  if (!FOnHookMouseButton) {
    return;
  }
  for (const auto& item : FMouseHookObjectList) {
    const TMouseHookDetail& detail = item.Object->FMouseHookDetail;
    // An at-least test on the button: an entry serves its own button and every lower one.
    if (detail.MouseStateSet.ContainsMessage(AMessage) && detail.MouseButton >= button.Button) {
      if (detail.ModifiedFunction != button.Button) {
        FOnHookMouseButton(button.Button, state, ABlocked);
      }
      return;
    }
  }
}

}  // namespace mon
