// A stand-in of the monitor's main window for screenshots and tests: a borderless window of the
// About panel's size, centred on the screen, showing the About panel through TSceneView.
#pragma once

#include <windows.h>

#include "ui/about_panel.h"
#include "ui/win32/scene_view.h"

namespace mon::testing {

class TAboutPanelWindow {
 public:
  // Creates the window hidden; Handle() is null when that fails.
  TAboutPanelWindow();
  ~TAboutPanelWindow();
  TAboutPanelWindow(const TAboutPanelWindow&) = delete;
  TAboutPanelWindow& operator=(const TAboutPanelWindow&) = delete;

  HWND Handle() const { return FWindow; }
  TAboutPanel& Panel() { return FPanel; }
  win32::TSceneView& View() { return FView; }

  // Shows the window without activating it, paints it and handles what is queued.
  void Show();
  // Handles every message queued for this thread.
  static void PumpMessages();

 private:
  static LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam);

  TAboutPanel FPanel;
  win32::TSceneView FView;
  HWND FWindow = nullptr;
};

}  // namespace mon::testing
