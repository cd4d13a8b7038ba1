#pragma once

#include <functional>

#include "platform/desktop.h"

namespace mon::win32 {

// Lets Win32-specific code see an app window's messages first (the About panel's scene view
// paints and takes the mouse this way): true with AResult set when the message is done. The
// handle and parameters are those of the window procedure (HWND, UINT, WPARAM, LPARAM).
using TWin32MessageFilter =
    std::function<bool(void* AWindow, unsigned AMessage, std::uintptr_t AWParam,
                       std::intptr_t ALParam, std::intptr_t& AResult)>;
// AWindow must come from TWin32Desktop::CreateAppWindow.
void SetMessageFilter(TAppWindow& AWindow, TWin32MessageFilter AFilter);
// The window's HWND.
void* NativeWindow(TAppWindow& AWindow);

class TWin32Desktop final : public TDesktop {
 public:
  std::unique_ptr<TAppWindow> CreateAppWindow(const TAppWindowOptions& AOptions,
                                              TAppWindowEvents& AEvents) override;
  std::unique_ptr<TTrayIcon> CreateTrayIcon(TAppWindow& AOwner, TTrayIconEvents& AEvents) override;
  int RunMessageLoop() override;
  void Terminate() override;
  void ProcessPendingMessages() override;
  void Sleep(std::uint32_t AMilliseconds) override;
  bool PostToWindow(TWindowHandle AWindow, std::uint32_t AMessage, std::uintptr_t AWParam,
                    std::intptr_t ALParam) override;
  bool SendToWindow(TWindowHandle AWindow, std::uint32_t AMessage, std::uintptr_t AWParam,
                    std::intptr_t ALParam, std::uint32_t ATimeoutMs) override;
  void ShowAndForeground(TWindowHandle AWindow) override;
  void ShellOpen(const std::u16string& AFile, const std::u16string& AWorkingFolder,
                 TWindowHandle AOwner, TShowCommand AShow) override;
};

}  // namespace mon::win32
