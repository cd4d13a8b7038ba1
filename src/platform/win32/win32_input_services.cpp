#include "platform/win32/win32_input_services.h"

#include <windows.h>

namespace mon::win32 {

bool TWin32KeyboardState::IsKeyDown(std::uint8_t AVirtualKey) {
  return (static_cast<unsigned short>(::GetAsyncKeyState(AVirtualKey)) & 0x8000u) != 0;
}

}  // namespace mon::win32
