// KORVALDZ314MON.EXE: the monitor on the Win32 backend, with the About panel drawn by the Win32
// scene view.
#include <windows.h>

#include <memory>

#include "app/MouseMonitor.h"
#include "app/monitor_program.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_platform.h"
#include "ui/win32/scene_view.h"

namespace {

// The About panel's drawing and mouse input on the main window, for as long as the loop runs.
class TAboutPanelView {
 public:
  explicit TAboutPanelView(mon::TKORVALDZ314MONMAIN& AMainWindow)
      : FWindow(AMainWindow.Window()), FView(AMainWindow.FAboutPanel) {
    FView.Attach(static_cast<HWND>(mon::win32::NativeWindow(FWindow)));
    mon::win32::SetMessageFilter(
        FWindow, [this](void* AWindow, unsigned AMessage, std::uintptr_t AWParam,
                        std::intptr_t ALParam, std::intptr_t& AResult) {
          LRESULT result = 0;
          const bool done =
              FView.HandleMessage(static_cast<HWND>(AWindow), AMessage, AWParam, ALParam, result);
          AResult = result;
          return done;
        });
  }
  ~TAboutPanelView() {
    mon::win32::SetMessageFilter(FWindow, {});
    FView.Detach();
  }
  TAboutPanelView(const TAboutPanelView&) = delete;
  TAboutPanelView& operator=(const TAboutPanelView&) = delete;

 private:
  mon::TAppWindow& FWindow;
  mon::win32::TSceneView FView;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  mon::win32::TWin32Platform backend;
  return mon::RunMonitorProgram(backend.Platform(), [](mon::TKORVALDZ314MONMAIN& AMainWindow) {
    return std::make_shared<TAboutPanelView>(AMainWindow);
  });
}
