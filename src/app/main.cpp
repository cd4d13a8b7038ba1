// KORVALDZ314MON.EXE: one monitor per logon, started without a window or taskbar button; the
// profile manager, then the main window, then the message loop; afterwards the single-instance
// guard is released and the window and the profile manager are destroyed, in that order.
#include <windows.h>

#include <memory>

#include "app/MouseMonitor.h"
#include "app/shared_definitions.h"
#include "app/single_instance.h"
#include "framework/application.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_platform.h"
#include "profiles/DMUnit.h"
#include "ui/win32/scene_view.h"

namespace {

int RunMonitor() {
  using namespace mon;
  win32::TWin32Platform backend;
  TPlatform& platform = backend.Platform();

  auto instance = TSingleInstance::Acquire(*platform.Mutexes, MON_MAIN_CLASS);
  if (!instance) {
    return 0;  // another monitor runs in this logon
  }

  TApplication application;
  application.MainFormOnTaskBar = false;
  application.ShowMainForm = false;
  application.OnException = [&platform](const std::u16string& AMessage) {
    platform.Debug->Write(AMessage);
    platform.MessageBox->ShowMessageBox(AMessage, Application()->Title(), TMessageBoxIcon::Error);
  };

  int exitCode = 0;
  try {
    TDM dataModule(nullptr, platform);
    {
      TKORVALDZ314MONMAIN mainWindow(&application, platform, dataModule);
      win32::TSceneView aboutView(mainWindow.FAboutPanel);
      aboutView.Attach(static_cast<HWND>(win32::NativeWindow(mainWindow.Window())));
      win32::SetMessageFilter(mainWindow.Window(),
                              [&aboutView](void* AWindow, unsigned AMessage, std::uintptr_t AWParam,
                                           std::intptr_t ALParam, std::intptr_t& AResult) {
                                LRESULT result = 0;
                                const bool done = aboutView.HandleMessage(
                                    static_cast<HWND>(AWindow), AMessage, AWParam, ALParam, result);
                                AResult = result;
                                return done;
                              });
      exitCode = platform.Desktop->RunMessageLoop();
      win32::SetMessageFilter(mainWindow.Window(), {});
      aboutView.Detach();
      instance->Release();
    }
  } catch (...) {
    application.HandleException(std::current_exception());
    return 1;
  }
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return RunMonitor();
}
