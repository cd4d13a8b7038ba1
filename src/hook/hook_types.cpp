#include "hook/hook_types.h"

namespace mon {

namespace {

const TMouseButtonString kMouseButtonStrings[] = {
    {TMouseButtons::LCLICK, u"Mouse Click"},          {TMouseButtons::RCLICK, u"Mouse Right Click"},
    {TMouseButtons::MCLICK, u"Mouse Middle Click"},   {TMouseButtons::XCLICK4, u"Backward(Mouse) "},
    {TMouseButtons::XCLICK5, u"Forward(Mouse)"},      {TMouseButtons::WHEELUP, u"Wheel up(Mouse)"},
    {TMouseButtons::WHEELDOWN, u"Wheel Down(Mouse)"},
};

}  // namespace

bool TMouseButtonStateSet::ContainsMessage(std::uint32_t AMessage) const {
  if (AMessage < kMsgMouseMove || AMessage > kMsgMouseMove + 0x0F) {
    return false;
  }
  return Contains(static_cast<TMouseButtonStates>(AMessage - kMsgMouseMove));
}

std::u16string MouseButtonDescription(TMouseButtons AButton) {
  for (const auto& entry : kMouseButtonStrings) {
    if (entry.MouseButton == AButton) {
      return entry.ButtonDescription;
    }
  }
  return std::u16string();
}

}  // namespace mon
