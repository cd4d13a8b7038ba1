// The small Win32 services: clock, window lookup, debug output, message boxes.
#pragma once

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/message_box.h"
#include "platform/window_system.h"

namespace mon::win32 {

class TWin32Clock final : public TClock {
 public:
  TLocalDateTime LocalNow() override;
  std::uint32_t TickCount() override;
  bool SleepUnlessStopped(std::uint32_t AMilliseconds, const TStopToken& AStop) override {
    return WaitForStopOrTimeout(AStop, AMilliseconds);
  }
};

class TWin32WindowSystem final : public TWindowSystem {
 public:
  TWindowHandle FindTopLevelWindow(const std::u16string& AClassName) override;
};

class TWin32DebugOutput final : public TDebugOutput {
 public:
  void Write(const std::u16string& AText) override;
};

class TWin32MessageBox final : public TMessageBox {
 public:
  void ShowMessageBox(const std::u16string& AText, const std::u16string& ACaption,
                      TMessageBoxIcon AIcon) override;
};

}  // namespace mon::win32
