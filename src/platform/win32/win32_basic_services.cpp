#include "platform/win32/win32_basic_services.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace mon::win32 {

TLocalDateTime TWin32Clock::LocalNow() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

std::uint32_t TWin32Clock::TickCount() {
  return ::GetTickCount();
}

TWindowHandle TWin32WindowSystem::FindTopLevelWindow(const std::u16string& AClassName) {
  return reinterpret_cast<TWindowHandle>(::FindWindowW(ToWide(AClassName).c_str(), nullptr));
}

void TWin32DebugOutput::Write(const std::u16string& AText) {
  ::OutputDebugStringW(ToWide(AText).c_str());
}

void TWin32MessageBox::ShowMessageBox(const std::u16string& AText, const std::u16string& ACaption,
                                      TMessageBoxIcon AIcon) {
  UINT style = MB_OK;
  switch (AIcon) {
    case TMessageBoxIcon::Error:
      style |= MB_ICONERROR;
      break;
    case TMessageBoxIcon::Warning:
      style |= MB_ICONWARNING;
      break;
    case TMessageBoxIcon::Information:
      style |= MB_ICONINFORMATION;
      break;
    case TMessageBoxIcon::None:
      break;
  }
  ::MessageBoxW(nullptr, ToWide(AText).c_str(), ToWide(ACaption).c_str(), style);
}

}  // namespace mon::win32
