#include "i18n/win32/text_list_popup.h"

#include <algorithm>

#include "framework/application.h"
#include "i18n/language_table.h"
#include "i18n/win32/modal_window.h"
#include "i18n/win32/window_handles.h"
#include "platform/win32/wide.h"

namespace mon::win32 {

namespace {

constexpr int kPopupWidth = 640;
constexpr int kPopupHeight = 440;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 28;

std::u16string WindowText(HWND AWindow) {
  const int length = ::GetWindowTextLengthW(AWindow);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int read = ::GetWindowTextW(AWindow, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(read, 0)));
  return FromWide(text);
}

class TTextListPopup {
 public:
  TTextListPopup(HWND AOwner, HFONT AFont) : FOwner(AOwner), FFont(AFont) {}
  ~TTextListPopup() { FWindow.Reset(); }

  std::optional<std::vector<std::u16string>> Run(const std::vector<std::u16string>& ALines);

 private:
  static bool RegisterPopupClass();
  static LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam);
  LRESULT Handle(UINT AMessage, WPARAM AWParam, LPARAM ALParam);
  bool CreateControls();
  void Layout();
  void Close();

  HWND FOwner;
  HFONT FFont;
  TUniqueWindow FWindow;
  HWND FMemo = nullptr;
  HWND FSave = nullptr;
  TOwnerDisabler* FDisabler = nullptr;
  std::optional<std::vector<std::u16string>> FResult;
};

bool TTextListPopup::RegisterPopupClass() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  if (::GetClassInfoExW(instance, kTextListPopupClassName, &windowClass) != 0) {
    return true;
  }
  windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kTextListPopupClassName;
  return ::RegisterClassExW(&windowClass) != 0;
}

std::optional<std::vector<std::u16string>> TTextListPopup::Run(
    const std::vector<std::u16string>& ALines) {
  if (!RegisterPopupClass()) {
    return std::nullopt;
  }
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RECT ownerRect{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (FOwner != nullptr) {
    ::GetWindowRect(FOwner, &ownerRect);
  }
  const int left = ownerRect.left + (ownerRect.right - ownerRect.left - kPopupWidth) / 2;
  const int top = ownerRect.top + (ownerRect.bottom - ownerRect.top - kPopupHeight) / 2;
  const HWND window =
      ::CreateWindowExW(WS_EX_DLGMODALFRAME, kTextListPopupClassName, L"Text List",
                        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, left,
                        top, kPopupWidth, kPopupHeight, FOwner, nullptr, instance, this);
  if (window == nullptr) {
    return std::nullopt;
  }
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
                            0, 0, 0, 0, FWindow.Get(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdMemoTextList)),
                            instance, nullptr);
  FSave = ::CreateWindowExW(
      0, L"BUTTON", L"Save", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, FWindow.Get(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBtnSaveTextList)), instance, nullptr);
  if (FMemo == nullptr || FSave == nullptr) {
    return false;
  }
  // Language files are not limited to the memo's default 32767 units.
  ::SendMessageW(FMemo, EM_SETLIMITTEXT, 0, 0);
  for (HWND control : {FMemo, FSave}) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
  }
  return true;
}

void TTextListPopup::Layout() {
  RECT client{};
  ::GetClientRect(FWindow.Get(), &client);
  const int buttonTop = client.bottom - kMargin - kButtonHeight;
  ::MoveWindow(FMemo, kMargin, kMargin, client.right - 2 * kMargin,
               std::max(0, buttonTop - 2 * kMargin), TRUE);
  ::MoveWindow(FSave, client.right - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight,
               TRUE);
}

void TTextListPopup::Close() {
  if (FDisabler != nullptr) {
    FDisabler->Restore();
  }
  FWindow.Reset();
}

LRESULT CALLBACK TTextListPopup::WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam,
                                            LPARAM ALParam) {
  if (AMessage == WM_NCCREATE) {
    auto* created = static_cast<TTextListPopup*>(
        reinterpret_cast<const CREATESTRUCTW*>(ALParam)->lpCreateParams);
    created->FWindow.Reset(AWindow);
    ::SetWindowLongPtrW(AWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<TTextListPopup*>(::GetWindowLongPtrW(AWindow, GWLP_USERDATA));
  if (self == nullptr) {
    return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
  }
  if (AMessage == WM_NCDESTROY) {
    ::SetWindowLongPtrW(AWindow, GWLP_USERDATA, 0);
    self->FWindow.Release();
    return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
  }
  try {
    return self->Handle(AMessage, AWParam, ALParam);
  } catch (...) {
    HandleApplicationException(std::current_exception());
    return 0;
  }
}

LRESULT TTextListPopup::Handle(UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  switch (AMessage) {
    case WM_SIZE:
      Layout();
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
  return ::DefWindowProcW(FWindow.Get(), AMessage, AWParam, ALParam);
}

}  // namespace

std::optional<std::vector<std::u16string>> ShowTextListPopup(
    HWND AOwner, const std::vector<std::u16string>& ALines, HFONT AFont) {
  TTextListPopup popup(AOwner, AFont);
  return popup.Run(ALines);
}

}  // namespace mon::win32
