// KORVALDZ314MON.EXE: the monitor on the Win32 backend.
#include <windows.h>

#include "app/monitor_program.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  mon::win32::TWin32Platform backend;
  return mon::RunMonitorProgram(backend.Platform());
}
