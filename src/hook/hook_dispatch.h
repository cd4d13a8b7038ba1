// Internal to the hook component: the way from the library's C callback to the component's
// decisions, and the mouse-event helpers the plain hook and the mouse macro share.
#pragma once

#include <cstdint>
#include <exception>

#include "framework/application.h"
#include "hook/hook_types.h"
#include "hook/uiHook.h"

namespace mon::hook_detail {

// Calls ADecide(component, record, blocked) with the blocked flag as a bool and writes the flag
// back. Nothing escapes into the library: an exception from an event handler goes to the central
// error handler, and the flag keeps what it held when the exception left.
template <class TRecord, class TDecide>
void Dispatch(void* AUserData, void* ARecord, std::uint8_t* ABlocked, TDecide ADecide) {
  if (AUserData == nullptr || ARecord == nullptr) {
    return;
  }
  std::uint8_t unused = 0;
  std::uint8_t* flag = ABlocked != nullptr ? ABlocked : &unused;
  bool blocked = *flag != 0;
  try {
    ADecide(*static_cast<TuiHook*>(AUserData), *static_cast<const TRecord*>(ARecord), blocked);
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
  *flag = blocked ? 1 : 0;
}

// The window message as a 32-bit number; values beyond that range are no message we know.
inline std::uint32_t MessageOf(std::uintptr_t AMessage) {
  return AMessage > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(AMessage);
}

inline bool IsButtonUpMessage(std::uint32_t AMessage) {
  return AMessage == kMsgLButtonUp || AMessage == kMsgRButtonUp || AMessage == kMsgMButtonUp ||
         AMessage == kMsgXButtonUp;
}

// The button of a mouse event and its extra value (extra-button number or signed wheel delta).
struct TMouseButtonOf {
  TMouseButtons Button = TMouseButtons::BUTTON_NONE;
  std::int16_t Extra = 0;
};

inline TMouseButtonOf MouseButtonOf(std::uint32_t AMessage, std::uint32_t AMouseData) {
  TMouseButtonOf result;
  const auto high = static_cast<std::uint16_t>(AMouseData >> 16);
  switch (AMessage) {
    case kMsgXButtonDown:
    case kMsgXButtonUp:
      result.Extra = static_cast<std::int16_t>(high);
      if (high == 1) {
        result.Button = TMouseButtons::XCLICK4;
      } else if (high == 2) {
        result.Button = TMouseButtons::XCLICK5;
      }
      break;
    case kMsgMouseWheel:
      result.Extra = static_cast<std::int16_t>(high);
      if (result.Extra > 0) {
        result.Button = TMouseButtons::WHEELUP;
      } else if (result.Extra < 0) {
        result.Button = TMouseButtons::WHEELDOWN;
      }
      break;
    case kMsgLButtonDown:
    case kMsgLButtonUp:
      result.Button = TMouseButtons::LCLICK;
      break;
    case kMsgRButtonDown:
    case kMsgRButtonUp:
      result.Button = TMouseButtons::RCLICK;
      break;
    case kMsgMButtonDown:
    case kMsgMButtonUp:
      result.Button = TMouseButtons::MCLICK;
      break;
    default:
      break;
  }
  return result;
}

}  // namespace mon::hook_detail
