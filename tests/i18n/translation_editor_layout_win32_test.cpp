// The translation editor and its text-list popup laid out at 100 %, 125 %, 150 % and 200 %: each
// window is told that its monitor's DPI changed (WM_DPICHANGED with the rectangle the system
// would suggest), as when it is moved to another monitor or the scale is changed. Then no control
// may overlap another or stick out of the client area, every caption must fit its control, the
// fonts and the grid's columns must have grown with the DPI, and back at 96 DPI everything is
// exactly where it was. The test binary carries the programs' manifest, so these are the Common
// Controls 6 the editor runs on.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "i18n/Languagetranslate.h"
#include "i18n/language_stream.h"
#include "i18n/translation.h"
#include "i18n/win32/text_list_popup.h"
#include "i18n/win32/translation_editor_window.h"
#include "platform/win32/dpi.h"
#include "platform/win32/win32_platform.h"

namespace mon {
namespace {

using win32::ScaleForDpi;

const TLanguageStreamContent kSample{
    u"About\r\nApply\r\nCancel\r\nExit\r\nMacro Record\r\nSave As\r\n",
    {{u"040c", u"About=\u00C0 propos\r\nApply=Appliquer\r\nMacro Record=Enregistrer une macro\r\n"},
     {u"0407", u"About=\u00DCber\r\nExit=Beenden\r\n"}}};

std::wstring ClassOf(HWND AWindow) {
  wchar_t name[128] = {};
  ::GetClassNameW(AWindow, name, static_cast<int>(std::size(name)));
  return name;
}

std::wstring TextOf(HWND AWindow) {
  wchar_t text[256] = {};
  ::GetWindowTextW(AWindow, text, static_cast<int>(std::size(text)));
  return text;
}

std::string Describe(HWND AControl) {
  std::string name;
  for (wchar_t c : ClassOf(AControl) + L" \"" + TextOf(AControl) + L"\"") {
    name += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return name + " (ID " + std::to_string(::GetDlgCtrlID(AControl)) + ")";
}

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND AControl) {
  RECT rect{};
  ::GetWindowRect(AControl, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(AControl), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool SameRect(const RECT& AOne, const RECT& AOther) {
  return ::EqualRect(&AOne, &AOther) != 0;
}

std::string ToString(const RECT& ARect) {
  return "(" + std::to_string(ARect.left) + "," + std::to_string(ARect.top) + ")-(" +
         std::to_string(ARect.right) + "," + std::to_string(ARect.bottom) + ")";
}

// The visible controls of a window (its direct children).
std::vector<HWND> Controls(HWND AWindow) {
  std::vector<HWND> controls;
  for (HWND child = ::GetWindow(AWindow, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (::IsWindowVisible(child)) {
      controls.push_back(child);
    }
  }
  return controls;
}

int FontHeight(HWND AControl) {
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(AControl, WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  if (font == nullptr || ::GetObjectW(font, sizeof logFont, &logFont) == 0) {
    return 0;
  }
  return logFont.lfHeight;
}

// The size of a control's caption drawn in its font.
SIZE CaptionExtent(HWND AControl) {
  const std::wstring text = TextOf(AControl);
  SIZE size{};
  const HDC dc = ::GetDC(AControl);
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(AControl, WM_GETFONT, 0, 0));
  const HGDIOBJ old = ::SelectObject(dc, font);
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(AControl, dc);
  return size;
}

// Tells AWindow that its monitor's DPI is now ADpi, with the system's suggestion: the same top
// left corner and the window's 96-DPI size scaled.
void SendDpiChanged(HWND AWindow, UINT ADpi, SIZE ASizeAt96) {
  RECT frame{};
  ::GetWindowRect(AWindow, &frame);
  RECT suggested{frame.left, frame.top, frame.left + ScaleForDpi(ASizeAt96.cx, ADpi),
                 frame.top + ScaleForDpi(ASizeAt96.cy, ADpi)};
  ::SendMessageW(AWindow, WM_DPICHANGED, MAKEWPARAM(ADpi, ADpi),
                 reinterpret_cast<LPARAM>(&suggested));
}

// The window may grow past the screen (Xvfb's is 1280 x 1024; a monitor at 200 % is twice as
// large): the system otherwise holds a window to about the screen's size.
LRESULT CALLBACK LiftMaxTrackSize(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam,
                                  UINT_PTR, DWORD_PTR) {
  const LRESULT result = ::DefSubclassProc(AWindow, AMessage, AWParam, ALParam);
  if (AMessage == WM_GETMINMAXINFO) {
    auto& info = *reinterpret_cast<MINMAXINFO*>(ALParam);
    info.ptMaxTrackSize = POINT{8000, 8000};
  }
  return result;
}

// No two controls overlap, except AInner lying in AOuter (nullptr: no such pair); every control
// lies inside the client area and its caption fits it.
void ExpectLaidOutWithin(HWND AWindow, HWND AOuter = nullptr, HWND AInner = nullptr) {
  RECT client{};
  ::GetClientRect(AWindow, &client);
  const std::vector<HWND> controls = Controls(AWindow);
  ASSERT_FALSE(controls.empty());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const HWND control = controls[i];
    const RECT rect = RectInParent(control);
    RECT inside{};
    ::IntersectRect(&inside, &rect, &client);
    EXPECT_TRUE(SameRect(inside, rect) && !::IsRectEmpty(&rect))
        << Describe(control) << " at " << ToString(rect) << " is not inside the client area "
        << ToString(client);
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const HWND other = controls[j];
      if ((control == AOuter && other == AInner) || (control == AInner && other == AOuter)) {
        continue;
      }
      const RECT otherRect = RectInParent(other);
      RECT common{};
      EXPECT_FALSE(::IntersectRect(&common, &rect, &otherRect))
          << Describe(control) << " at " << ToString(rect) << " overlaps " << Describe(other)
          << " at " << ToString(otherRect);
    }
    const std::wstring name = ClassOf(control);
    if ((name == L"Button" || name == L"Static") && !TextOf(control).empty()) {
      // A button's text keeps clear of its frame (the themed button's edge and margin).
      const int padding = name == L"Button" ? 2 * ::GetSystemMetrics(SM_CXEDGE) + 2 : 0;
      const SIZE text = CaptionExtent(control);
      EXPECT_LE(text.cx + padding, rect.right - rect.left) << Describe(control) << " cuts its text";
      EXPECT_LE(text.cy, rect.bottom - rect.top) << Describe(control) << " cuts its text";
    }
  }
}

class TranslationEditorLayoutTest : public ::testing::TestWithParam<UINT> {
 protected:
  void SetUp() override {
    RevertToOriginal();
    EndTextCollection();
    FLanguage.ClearResources();
    FLanguage.ReadStream(WriteLanguageStream(kSample));
    FEditor.SetLang(&FLanguage);
    FEditor.LoadLanguageAndCreateTranslateTabList(FLanguage);
    FEditor.SelectTab(0);
  }
  void TearDown() override { RevertToOriginal(); }

  static constexpr SIZE kEditorAt96{TLanguageTranslateEditor::kWindowWidth,
                                    TLanguageTranslateEditor::kWindowHeight};

  win32::TWin32Platform FWin32;
  TuiLanguage FLanguage{nullptr, FWin32.Platform()};
  TLanguageTranslateEditor FEditor{FWin32.Platform()};
};

TEST_P(TranslationEditorLayoutTest, FitsItsWindowAtTheMonitorsDpiAndComesBackAt96) {
  const UINT dpi = GetParam();
  win32::TTranslationEditorWindow window(FEditor);
  ASSERT_TRUE(window.Create());
  window.Show(SW_SHOWNOACTIVATE);
  const HWND hwnd = window.Handle();
  ASSERT_TRUE(::SetWindowSubclass(hwnd, LiftMaxTrackSize, 1, 0));
  // Under Wine the screen is at 96 DPI: the window opens with the 96-DPI layout.
  ASSERT_EQ(window.Dpi(), 96u);
  const HWND tabs = ::GetDlgItem(hwnd, win32::kIdTabs);
  const HWND list = window.Grid().Handle();
  const HWND addLanguage = ::GetDlgItem(hwnd, win32::kIdBtnAddLanguage);
  std::map<HWND, RECT> at96;
  for (HWND control : Controls(hwnd)) {
    at96[control] = RectInParent(control);
  }
  ASSERT_GE(at96.size(), 14u);
  ASSERT_TRUE(at96.count(list));  // a tab is selected: the grid is shown
  const int fontAt96 = FontHeight(addLanguage);
  ASSERT_LT(fontAt96, 0);  // a character height
  ExpectLaidOutWithin(hwnd, tabs, list);

  SendDpiChanged(hwnd, dpi, kEditorAt96);
  EXPECT_EQ(window.Dpi(), dpi);
  RECT frame{};
  ::GetWindowRect(hwnd, &frame);
  EXPECT_EQ(frame.right - frame.left, ScaleForDpi(kEditorAt96.cx, dpi));
  EXPECT_EQ(frame.bottom - frame.top, ScaleForDpi(kEditorAt96.cy, dpi));
  ExpectLaidOutWithin(hwnd, tabs, list);
  // The grid covers exactly the tab control's page.
  RECT page = RectInParent(tabs);
  TabCtrl_AdjustRect(tabs, FALSE, &page);
  EXPECT_TRUE(SameRect(RectInParent(list), page))
      << ToString(RectInParent(list)) << " is not the page " << ToString(page);
  // Every control has the font of the new DPI, and the grid's columns have grown with it.
  for (HWND control : Controls(hwnd)) {
    EXPECT_NEAR(FontHeight(control), ScaleForDpi(fontAt96, dpi), 1) << Describe(control);
  }
  EXPECT_EQ(ListView_GetColumnWidth(list, 0), ScaleForDpi(380, dpi));
  EXPECT_EQ(ListView_GetColumnWidth(list, 1), ScaleForDpi(440, dpi));
  // The bars grow with the DPI: a button is as much wider as the DPI is larger.
  const RECT button = RectInParent(addLanguage);
  EXPECT_EQ(button.right - button.left, ScaleForDpi(120, dpi));
  EXPECT_EQ(button.bottom - button.top, ScaleForDpi(26, dpi));

  // Back on a monitor at 96 DPI: the layout of today, to the pixel.
  SendDpiChanged(hwnd, 96, kEditorAt96);
  EXPECT_EQ(window.Dpi(), 96u);
  for (const auto& [control, rect] : at96) {
    EXPECT_TRUE(SameRect(RectInParent(control), rect))
        << Describe(control) << " at " << ToString(RectInParent(control)) << ", was at "
        << ToString(rect);
    EXPECT_EQ(FontHeight(control), fontAt96) << Describe(control);
  }
  EXPECT_EQ(ListView_GetColumnWidth(list, 0), 380);
  EXPECT_EQ(ListView_GetColumnWidth(list, 1), 440);
  ::RemoveWindowSubclass(hwnd, LiftMaxTrackSize, 1);
}

// An edit open in the grid when the DPI changes ends with its text kept.
TEST_F(TranslationEditorLayoutTest, AnOpenCellEditEndsKeptWhenTheDpiChanges) {
  win32::TTranslationEditorWindow window(FEditor);
  ASSERT_TRUE(window.Create());
  window.Show(SW_SHOWNOACTIVATE);
  ASSERT_TRUE(window.Grid().BeginEdit(1));
  ::SendMessageW(window.Grid().EditBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Appliquez"));
  SendDpiChanged(window.Handle(), 144, kEditorAt96);
  EXPECT_EQ(window.Grid().EditBox(), nullptr);
  EXPECT_EQ(FEditor.Tabs()[0].Rows[1].Translation, u"Appliquez");
}

// The text-list popup (no editor needed), shown modally on this thread, driven from another one.
class TextListPopupLayoutTest : public ::testing::TestWithParam<UINT> {};

TEST_P(TextListPopupLayoutTest, FitsItsWindowAtTheMonitorsDpi) {
  const UINT dpi = GetParam();
  constexpr SIZE kPopupAt96{640, 440};
  std::thread driver([&] {
    HWND popup = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((popup = ::FindWindowW(win32::kTextListPopupClassName, nullptr)) == nullptr ||
           !::IsWindowVisible(popup)) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "no popup";
        return;
      }
      ::Sleep(5);
    }
    const HWND memo = ::GetDlgItem(popup, win32::kIdMemoTextList);
    const int fontAt96 = FontHeight(memo);
    ExpectLaidOutWithin(popup);
    SendDpiChanged(popup, dpi, kPopupAt96);
    RECT frame{};
    ::GetWindowRect(popup, &frame);
    EXPECT_EQ(frame.right - frame.left, ScaleForDpi(kPopupAt96.cx, dpi));
    EXPECT_EQ(frame.bottom - frame.top, ScaleForDpi(kPopupAt96.cy, dpi));
    ExpectLaidOutWithin(popup);
    const RECT save = RectInParent(::GetDlgItem(popup, win32::kIdBtnSaveTextList));
    EXPECT_EQ(save.right - save.left, ScaleForDpi(100, dpi));
    EXPECT_EQ(save.bottom - save.top, ScaleForDpi(28, dpi));
    EXPECT_NEAR(FontHeight(memo), ScaleForDpi(fontAt96, dpi), 1);
    ::PostMessageW(popup, WM_CLOSE, 0, 0);
  });
  const auto lines = win32::ShowTextListPopup(nullptr, {u"About=\u00C0 propos", u"Apply="});
  driver.join();
  EXPECT_FALSE(lines.has_value());  // closed, not saved
}

std::string ScaleName(const ::testing::TestParamInfo<UINT>& AInfo) {
  return std::to_string(AInfo.param * 100 / 96) + "Percent";
}

INSTANTIATE_TEST_SUITE_P(Scales, TranslationEditorLayoutTest,
                         ::testing::Values(96u, 120u, 144u, 192u), ScaleName);
INSTANTIATE_TEST_SUITE_P(Scales, TextListPopupLayoutTest, ::testing::Values(96u, 120u, 144u, 192u),
                         ScaleName);

}  // namespace
}  // namespace mon
