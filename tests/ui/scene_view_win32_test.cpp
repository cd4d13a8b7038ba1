// The Win32 renderer on a real window: mouse messages become hover, press and click; the
// drawing shows the panel's images, texts and button states; fonts fall back to installed ones;
// the tray icon file and the icon resource load.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "about_panel_window.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ids.h"

namespace mon {
namespace {

using testing::TAboutPanelWindow;

LPARAM At(TPoint APoint) {
  return MAKELPARAM(APoint.X, APoint.Y);
}

class SceneViewWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Window.Handle(), nullptr);
    Window.Panel().BtnOK().OnClick = [this](TButtonElement&) {
      ++OKClicks;
      // What the monitor does on OK: hide the panel.
      ::ShowWindow(Window.Handle(), SW_HIDE);
    };
    Window.Panel().BtnGoWeb().OnClick = [this](TButtonElement&) { ++WebClicks; };
    Window.Show();
  }

  LRESULT Send(UINT AMessage, WPARAM AWParam, TPoint APoint) {
    return ::SendMessageW(Window.Handle(), AMessage, AWParam, At(APoint));
  }

  TPoint OKCentre() { return Window.Panel().BtnOK().AbsoluteBounds().Centre(); }

  TAboutPanelWindow Window;
  int OKClicks = 0;
  int WebClicks = 0;
};

TEST_F(SceneViewWin32Test, AClickOnOKThroughMessagesRaisesTheEvent) {
  TStateButton& ok = Window.Panel().BtnOK();
  Send(WM_MOUSEMOVE, 0, OKCentre());
  EXPECT_EQ(ok.State(), TButtonState::Hot);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, OKCentre());
  EXPECT_EQ(ok.State(), TButtonState::Pressed);
  EXPECT_EQ(::GetCapture(), Window.Handle());
  EXPECT_EQ(OKClicks, 0);
  Send(WM_LBUTTONUP, 0, OKCentre());
  EXPECT_EQ(OKClicks, 1);
  EXPECT_NE(::GetCapture(), Window.Handle());
  // The handler hid the window; hiding lets go of the hover state.
  EXPECT_FALSE(::IsWindowVisible(Window.Handle()));
  EXPECT_EQ(ok.State(), TButtonState::Normal);
  EXPECT_EQ(WebClicks, 0);
}

TEST_F(SceneViewWin32Test, TheWebButtonClicksAndAReleaseElsewhereDoesNot) {
  const TPoint web = Window.Panel().BtnGoWeb().AbsoluteBounds().Centre();
  Send(WM_LBUTTONDOWN, MK_LBUTTON, web);
  Send(WM_MOUSEMOVE, MK_LBUTTON, TPoint{-20, 500});  // outside the window, captured
  EXPECT_EQ(Window.Panel().BtnGoWeb().State(), TButtonState::Normal);
  Send(WM_LBUTTONUP, 0, TPoint{-20, 500});
  EXPECT_EQ(WebClicks, 0);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, web);
  Send(WM_LBUTTONUP, 0, web);
  EXPECT_EQ(WebClicks, 1);
  EXPECT_TRUE(::IsWindowVisible(Window.Handle()));
}

TEST_F(SceneViewWin32Test, AClickHandlerMayDestroyTheWindow) {
  HWND window = Window.Handle();
  Window.Panel().BtnGoWeb().OnClick = [window](TButtonElement&) { ::DestroyWindow(window); };
  const TPoint web = Window.Panel().BtnGoWeb().AbsoluteBounds().Centre();
  Send(WM_LBUTTONDOWN, MK_LBUTTON, web);
  ::SendMessageW(window, WM_LBUTTONUP, 0, At(web));
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(Window.Handle(), nullptr);
}

TEST_F(SceneViewWin32Test, LosingTheCaptureCancelsThePress) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, OKCentre());
  ASSERT_EQ(::GetCapture(), Window.Handle());
  ::ReleaseCapture();
  EXPECT_EQ(Window.Panel().PressedButton(), nullptr);
  Send(WM_LBUTTONUP, 0, OKCentre());
  EXPECT_EQ(OKClicks, 0);
}

TEST_F(SceneViewWin32Test, TheDrawingShowsImagesTextsAndTheOKState) {
  const TAboutPanelImages& images = LoadAboutPanelImages();
  const TRgbaImage rest = Window.View().RenderToImage();
  ASSERT_EQ(rest.Width, 504u);
  ASSERT_EQ(rest.Height, 400u);
  // Where nothing lies over the opaque background, the background shows exactly.
  for (const TPoint point : {TPoint{3, 390}, TPoint{480, 40}, TPoint{200, 250}}) {
    EXPECT_EQ(rest.PixelAt(point.X, point.Y), images.Background->PixelAt(point.X, point.Y))
        << point.X << "," << point.Y;
  }
  // Left of the caption the button image shows as it is, per state.
  const TPoint probe{208 + 6, 325 + 13};
  EXPECT_EQ(rest.PixelAt(probe.X, probe.Y), images.OKNormal->PixelAt(6, 13));
  Send(WM_MOUSEMOVE, 0, OKCentre());
  EXPECT_EQ(Window.View().RenderToImage().PixelAt(probe.X, probe.Y), images.OKHot->PixelAt(6, 13));
  Send(WM_LBUTTONDOWN, MK_LBUTTON, OKCentre());
  EXPECT_EQ(Window.View().RenderToImage().PixelAt(probe.X, probe.Y),
            images.OKPressed->PixelAt(6, 13));
  ::ReleaseCapture();

  // The white address text puts light pixels on the dark card; the background has none there.
  const TRect web = Window.Panel().TextWeb().AbsoluteBounds();
  int light = 0;
  int lightInBackground = 0;
  for (int y = web.Top; y < web.Bottom(); ++y) {
    for (int x = web.Left; x < web.Right(); ++x) {
      const auto isLight = [](TColor AColor) {
        return AColor.R > 200 && AColor.G > 200 && AColor.B > 200;
      };
      light += isLight(rest.PixelAt(x, y)) ? 1 : 0;
      lightInBackground += isLight(images.Background->PixelAt(x, y)) ? 1 : 0;
    }
  }
  EXPECT_EQ(lightInBackground, 0);
  EXPECT_GT(light, 60);
}

TEST_F(SceneViewWin32Test, TheScreenShowsWhatTheViewDraws) {
  const std::optional<TRgbaImage> screen = win32::CaptureWindowClient(Window.Handle());
  ASSERT_TRUE(screen.has_value());
  const TRgbaImage drawn = Window.View().RenderToImage();
  ASSERT_EQ(screen->Width, drawn.Width);
  ASSERT_EQ(screen->Height, drawn.Height);
  EXPECT_EQ(screen->Pixels, drawn.Pixels);
}

TEST_F(SceneViewWin32Test, ALanguageSwitchRepaintsTheWindow) {
  Window.Panel().SetTranslator(
      [](const std::u16string& AText) { return AText == u"OK" ? std::u16string(u"Ja") : AText; });
  ::ValidateRect(Window.Handle(), nullptr);
  ASSERT_FALSE(::GetUpdateRect(Window.Handle(), nullptr, FALSE));
  Window.Panel().Retranslate();
  EXPECT_TRUE(::GetUpdateRect(Window.Handle(), nullptr, FALSE));
  EXPECT_EQ(Window.Panel().BtnOK().Text(), u"Ja");
  // After the view is detached, changes no longer reach the window.
  ::ValidateRect(Window.Handle(), nullptr);
  Window.View().Detach();
  Window.Panel().Label1().SetText(u"changed");
  EXPECT_FALSE(::GetUpdateRect(Window.Handle(), nullptr, FALSE));
}

TEST_F(SceneViewWin32Test, AWindowLargerThanTheSceneShowsTheBackgroundColourBeyondIt) {
  ASSERT_TRUE(::SetWindowPos(Window.Handle(), nullptr, 0, 0, 600, 450,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  ::InvalidateRect(Window.Handle(), nullptr, FALSE);
  ::UpdateWindow(Window.Handle());
  const std::optional<TRgbaImage> screen = win32::CaptureWindowClient(Window.Handle());
  ASSERT_TRUE(screen.has_value());
  ASSERT_EQ(screen->Width, 600u);
  const TColor background = Window.Panel().BackgroundColor();
  EXPECT_EQ(screen->PixelAt(550, 100), background);
  EXPECT_EQ(screen->PixelAt(100, 420), background);
  EXPECT_EQ(screen->PixelAt(590, 440), background);
  EXPECT_EQ(screen->PixelAt(3, 390), Window.View().RenderToImage().PixelAt(3, 390));
}

bool Installed(const std::wstring& AFace) {
  LOGFONTW query;
  std::memset(&query, 0, sizeof query);
  query.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(query.lfFaceName, AFace.c_str(), LF_FACESIZE - 1);
  bool found = false;
  HDC screen = ::GetDC(nullptr);
  ::EnumFontFamiliesExW(
      screen, &query,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM AFound) -> int {
        *reinterpret_cast<bool*>(AFound) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, screen);
  return found;
}

TEST_F(SceneViewWin32Test, AMissingFontFamilyFallsBackToAnInstalledFace) {
  const std::wstring panelFace = Window.View().ResolveFontFace(u"Myriad Pro");
  EXPECT_TRUE(Installed(panelFace)) << win32::FromWide(panelFace).size();
  if (!Installed(L"Myriad Pro")) {
    EXPECT_NE(panelFace, L"Myriad Pro");
  }
  const std::wstring unknown = Window.View().ResolveFontFace(u"No Such Family 314");
  EXPECT_TRUE(Installed(unknown));
  if (Installed(L"Tahoma")) {
    EXPECT_EQ(Window.View().ResolveFontFace(u"Tahoma"), L"Tahoma");
    EXPECT_EQ(unknown, L"Tahoma");
  }
}

TEST(TrayIconWin32Test, TheIconFileAndTheIconResourceLoad) {
  wchar_t module[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
  std::wstring path(module);
  path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"images\\0409\\icons\\logo.ico";
  for (const int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr) << "size " << size;
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon, &info));
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DestroyIcon(icon);
  }
  EXPECT_NE(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(win32::kAppIconResourceId)),
            nullptr);
}

}  // namespace
}  // namespace mon
