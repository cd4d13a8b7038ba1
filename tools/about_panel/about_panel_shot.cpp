// Opens the About panel in a real window and saves what the screen shows as PNG files:
//   about_panel_shot OUTPUT.png [OUTPUT_HOT.png]
// The first file shows the panel at rest, the second (when given) with the pointer on OK.
// Exits with 0 when every file was written and the screen matched the panel, 1 otherwise.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "about_panel_window.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "ui/png_codec.h"

namespace {

using mon::TRgbaImage;

std::vector<std::wstring> Arguments() {
  std::vector<std::wstring> result;
  int count = 0;
  if (LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) {
      result.emplace_back(arguments[i]);
    }
    ::LocalFree(arguments);
  }
  return result;
}

// The number of pixels in which the screen differs from the scene drawn off-screen.
std::size_t DifferingPixels(const TRgbaImage& AScreen, const TRgbaImage& AScene) {
  if (AScreen.Width != AScene.Width || AScreen.Height != AScene.Height) {
    return static_cast<std::size_t>(AScene.Width) * AScene.Height;
  }
  std::size_t count = 0;
  for (std::size_t i = 0; i < AScene.Pixels.size(); i += 4) {
    if (AScreen.Pixels[i] != AScene.Pixels[i] || AScreen.Pixels[i + 1] != AScene.Pixels[i + 1] ||
        AScreen.Pixels[i + 2] != AScene.Pixels[i + 2]) {
      ++count;
    }
  }
  return count;
}

bool Shoot(mon::testing::TAboutPanelWindow& AWindow, const std::wstring& APath) {
  ::UpdateWindow(AWindow.Handle());
  mon::testing::TAboutPanelWindow::PumpMessages();
  const std::optional<TRgbaImage> screen = mon::win32::CaptureWindowClient(AWindow.Handle());
  if (!screen) {
    std::fprintf(stderr, "the window could not be read back\n");
    return false;
  }
  const std::size_t differing = DifferingPixels(*screen, AWindow.View().RenderToImage());
  const auto png = mon::EncodePng(*screen);
  mon::win32::TWin32FileSystem files;
  if (!png || !files.WriteWholeFile(mon::win32::FromWide(APath), *png)) {
    std::fprintf(stderr, "could not write %ls\n", APath.c_str());
    return false;
  }
  std::printf("%ls: %u x %u, %zu pixels differ from the panel\n", APath.c_str(), screen->Width,
              screen->Height, differing);
  return differing == 0;
}

}  // namespace

int main() {
  const std::vector<std::wstring> arguments = Arguments();
  if (arguments.empty() || arguments.size() > 2) {
    std::fprintf(stderr, "usage: about_panel_shot OUTPUT.png [OUTPUT_HOT.png]\n");
    return 2;
  }
  mon::testing::TAboutPanelWindow window;
  if (window.Handle() == nullptr) {
    std::fprintf(stderr, "the window could not be created\n");
    return 1;
  }
  window.Show();
  bool ok = Shoot(window, arguments[0]);
  if (arguments.size() == 2) {
    const mon::TPoint centre = window.Panel().BtnOK().AbsoluteBounds().Centre();
    ::SendMessageW(window.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(centre.X, centre.Y));
    ok = Shoot(window, arguments[1]) && ok;
  }
  return ok ? 0 : 1;
}
