#include "platform/win32/win32_window.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "framework/application.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ids.h"

namespace mon::win32 {

std::u16string WindowText(HWND AWindow) {
  const int length = ::GetWindowTextLengthW(AWindow);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int read = ::GetWindowTextW(AWindow, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(read, 0)));
  return FromWide(text);
}

TWin32Window::~TWin32Window() {
  DestroyWindowNow();
}

void TWin32Window::DestroyWindowNow() {
  if (FWindow != nullptr) {
    // Nothing reaches the object from here on, not even the destruction messages.
    ::SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
    ::DestroyWindow(std::exchange(FWindow, nullptr));
  }
}

bool TWin32Window::CreateWindowFromParams(const TWin32WindowParams& AParams) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  if (::GetClassInfoExW(instance, AParams.ClassName.c_str(), &windowClass) == 0) {
    windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TWin32Window::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = AParams.ClassName.c_str();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kAppIconResourceId));
    windowClass.hbrBackground = AParams.Background;
    if (::RegisterClassExW(&windowClass) == 0) {
      return false;
    }
  }
  return ::CreateWindowExW(AParams.ExStyle, AParams.ClassName.c_str(), AParams.Title.c_str(),
                           AParams.Style, AParams.Left, AParams.Top, AParams.Width, AParams.Height,
                           AParams.Parent, nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK TWin32Window::WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam,
                                          LPARAM ALParam) {
  if (AMessage == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
    auto* self = static_cast<TWin32Window*>(create->lpCreateParams);
    self->FWindow = AWindow;
    ::SetWindowLongPtrW(AWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
  }
  auto* self = reinterpret_cast<TWin32Window*>(::GetWindowLongPtrW(AWindow, GWLP_USERDATA));
  if (self == nullptr) {
    return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
  }
  if (AMessage == WM_NCDESTROY) {
    ::SetWindowLongPtrW(AWindow, GWLP_USERDATA, 0);
    self->FWindow = nullptr;
    return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
  }
  try {
    return self->HandleWindowMessage(AMessage, AWParam, ALParam);
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return 0;
  }
}

}  // namespace mon::win32
