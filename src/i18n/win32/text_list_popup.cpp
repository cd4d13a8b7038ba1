#include "i18n/win32/text_list_popup.h"

#include <algorithm>

#include "i18n/language_table.h"
#include "i18n/win32/message_font.h"
#include "i18n/win32/modal_window.h"
#include "platform/win32/dpi.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_window.h"

namespace mon::win32 {

namespace {

// The layout at 96 DPI; Scaled gives each length at the popup's DPI.
constexpr int kPopupWidth = 640;
constexpr int kPopupHeight = 440;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 28;

class TTextListPopup final : private TWin32Window {
 public:
  explicit TTextListPopup(HWND AOwner) : FOwner(AOwner) {}
  ~TTextListPopup() override { DestroyWindowNow(); }  // the window goes before its font
  TTextListPopup(const TTextListPopup&) = delete;
  TTextListPopup& operator=(const TTextListPopup&) = delete;

  std::optional<std::vector<std::u16string>> Run(const std::vector<std::u16string>& ALines);

 private:
  LRESULT HandleWindowMessage(UINT AMessage, WPARAM AWParam, LPARAM ALParam) override;
  bool CreateControls();
  void Layout();
  int Scaled(int AValue) const { return ScaleForDpi(AValue, FDpi); }
  void DpiChanged(UINT ADpi, const RECT& ASuggested);
  void Close();

  HWND FOwner;
  UINT FDpi = kDefaultDpi;
  TUniqueFont FFont;  // of FDpi
  HWND FMemo = nullptr;
  HWND FSave = nullptr;
  TOwnerDisabler* FDisabler = nullptr;
  std::optional<std::vector<std::u16string>> FResult;
};

std::optional<std::vector<std::u16string>> TTextListPopup::Run(
    const std::vector<std::u16string>& ALines) {
  InitEditorControlClasses();
  RECT ownerRect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (FOwner != nullptr) {
    ::GetWindowRect(FOwner, &ownerRect);
  }
  // It opens over its owner, on the owner's monitor.
  FDpi = WindowDpi(FOwner);
  const int width = Scaled(kPopupWidth);
  const int height = Scaled(kPopupHeight);
  const int left = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
  const int top = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
  const TWin32WindowParams params{
      .ClassName = kTextListPopupClassName,
      .Title = L"Text List",
      .Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
      .ExStyle = WS_EX_DLGMODALFRAME,
      .Left = left,
      .Top = top,
      .Width = width,
      .Height = height,
      .Parent = FOwner,
      .Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
  };
  if (!CreateWindowFromParams(params)) {
    return std::nullopt;
  }
  const HWND window = Window();
  if (const UINT dpi = WindowDpi(window); dpi != FDpi) {
    FDpi = dpi;
    ::SetWindowPos(window, nullptr, 0, 0, Scaled(kPopupWidth), Scaled(kPopupHeight),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FFont = CreateMessageFont(FDpi);
  if (!CreateControls()) {
    return std::nullopt;
  }
  ::SetWindowTextW(FMemo, ToWide(JoinLines(ALines)).c_str());
  Layout();

  TOwnerDisabler disabler(FOwner);
  FDisabler = &disabler;
  ::ShowWindow(window, SW_SHOW);
  ::SetFocus(FMemo);
  RunModalLoop(window);
  FDisabler = nullptr;
  return std::move(FResult);
}

bool TTextListPopup::CreateControls() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  FMemo = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL |
                                ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
                            0, 0, 0, 0, Window(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdMemoTextList)),
                            instance, nullptr);
  FSave = ::CreateWindowExW(
      0, L"BUTTON", L"Save", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, Window(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBtnSaveTextList)), instance, nullptr);
  if (FMemo == nullptr || FSave == nullptr) {
    return false;
  }
  // Language files are not limited to the memo's default 32767 units.
  ::SendMessageW(FMemo, EM_SETLIMITTEXT, 0, 0);
  for (HWND control : {FMemo, FSave}) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
  }
  return true;
}

void TTextListPopup::Layout() {
  if (FMemo == nullptr || FSave == nullptr) {
    return;
  }
  RECT client{};
  ::GetClientRect(Window(), &client);
  const int margin = Scaled(kMargin);
  const int buttonWidth = Scaled(kButtonWidth);
  const int buttonHeight = Scaled(kButtonHeight);
  const int buttonTop = client.bottom - margin - buttonHeight;
  ::MoveWindow(FMemo, margin, margin, client.right - 2 * margin,
               std::max(0, buttonTop - 2 * margin), TRUE);
  ::MoveWindow(FSave, client.right - margin - buttonWidth, buttonTop, buttonWidth, buttonHeight,
               TRUE);
}

void TTextListPopup::DpiChanged(UINT ADpi, const RECT& ASuggested) {
  FDpi = ADpi;
  if (TUniqueFont font = CreateMessageFont(ADpi)) {
    for (HWND control : {FMemo, FSave}) {
      if (control != nullptr) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
      }
    }
    FFont = std::move(font);  // the old font goes once no control uses it
  }
  ::SetWindowPos(Window(), nullptr, ASuggested.left, ASuggested.top,
                 ASuggested.right - ASuggested.left, ASuggested.bottom - ASuggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();  // also when the size stayed the same (no WM_SIZE then)
}

void TTextListPopup::Close() {
  if (FDisabler != nullptr) {
    FDisabler->Restore();
  }
  DestroyWindowNow();
}

LRESULT TTextListPopup::HandleWindowMessage(UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  switch (AMessage) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_DPICHANGED:
      DpiChanged(DpiFromDpiChanged(AWParam), *reinterpret_cast<const RECT*>(ALParam));
      return 0;
    case WM_COMMAND:
      if (LOWORD(AWParam) == kIdBtnSaveTextList && HIWORD(AWParam) == BN_CLICKED) {
        FResult = SplitLines(WindowText(FMemo));
        Close();
        return 0;
      }
      if (LOWORD(AWParam) == IDCANCEL) {
        Close();
        return 0;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      break;
  }
  return DefaultHandling(AMessage, AWParam, ALParam);
}

}  // namespace

std::optional<std::vector<std::u16string>> ShowTextListPopup(
    HWND AOwner, const std::vector<std::u16string>& ALines) {
  TTextListPopup popup(AOwner);
  return popup.Run(ALines);
}

}  // namespace mon::win32
