#pragma once

#include "platform/desktop.h"

namespace mon::win32 {

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
  std::uint32_t RegisteredMessage(const std::u16string& AName) override;
  bool UserIsBusy() override;
  void ShellOpen(const std::u16string& AFile, const std::u16string& AWorkingFolder,
                 TWindowHandle AOwner, TShowCommand AShow) override;
};

}  // namespace mon::win32
