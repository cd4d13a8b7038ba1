#include "i18n/win32/translation_editor_window.h"

#include <commctrl.h>

#include <algorithm>

#include "i18n/win32/text_list_popup.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_window.h"

namespace mon::win32 {

namespace {

constexpr wchar_t kCaption[] = L"Language Translate v1.2 VELDRA INC.";
// The layout at 96 DPI; Scaled gives each length at the window's DPI.
constexpr int kMargin = 8;
constexpr int kRowHeight = 26;
constexpr int kToolBarTop = 6;
constexpr int kComboDropHeight = 320;

// One control of a bar: its ID and width; controls follow each other from the left.
struct TBarSlot {
  int Id;
  int Width;
};
constexpr TBarSlot kToolBar[] = {
    {kIdLangLabel, 80}, {kIdLangCombo, 280},   {kIdBtnAddLanguage, 120},
    {kIdBtnDelet, 120}, {kIdBtnPrevPage, 100}, {kIdBtnNextPage, 100},
};
constexpr TBarSlot kStatusBar[] = {
    {kIdConstTextLabel, 136},  {kIdTBConstText, 200},        {kIdBTNADDConstText, 110},
    {kIdBTNDELCONSTTEXT, 140}, {kIdSaveLanguageToFile, 140}, {kIdSpeedButton2, 124},
};
constexpr int kBarGap = 6;

void ReportSaveFailure(HWND AWindow, const std::u16string& APath) {
  const std::wstring text = L"The language file could not be written:\n" + ToWide(APath);
  ::MessageBoxW(AWindow, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

TTranslationEditorWindow::TTranslationEditorWindow(TLanguageTranslateEditor& AEditor)
    : FEditor(AEditor), FOnSaveFailed(ReportSaveFailure), FGrid(*this) {}

TTranslationEditorWindow::~TTranslationEditorWindow() {
  DestroyWindowNow();  // the window and its controls go before the grid's object
}

bool TTranslationEditorWindow::Create(HWND AOwner) {
  if (Window() != nullptr) {
    return true;
  }
  InitEditorControlClasses();
  FOwner = AOwner;
  // The window opens in the middle of the primary screen, whose DPI is the system's as a rule.
  FDpi = SystemDpi();
  const int width = Scaled(TLanguageTranslateEditor::kWindowWidth);
  const int height = Scaled(TLanguageTranslateEditor::kWindowHeight);
  const int left = std::max(0, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  const int top = std::max(0, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  const TWin32WindowParams params{
      .ClassName = kTranslationEditorClassName,
      .Title = kCaption,
      .Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
      .ExStyle = WS_EX_CONTROLPARENT,
      .Left = left,
      .Top = top,
      .Width = width,
      .Height = height,
      .Parent = AOwner,
      .Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
  };
  if (!CreateWindowFromParams(params)) {
    return false;
  }
  // Its monitor has another DPI (the scale was changed since the logon): that one's size.
  if (const UINT dpi = WindowDpi(Window()); dpi != FDpi) {
    FDpi = dpi;
    ::SetWindowPos(Window(), nullptr, 0, 0, Scaled(TLanguageTranslateEditor::kWindowWidth),
                   Scaled(TLanguageTranslateEditor::kWindowHeight),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FFont = CreateMessageFont(FDpi);
  if (!CreateControls()) {
    DestroyWindowNow();
    return false;
  }
  Layout();
  return true;
}

HWND TTranslationEditorWindow::AddControl(const wchar_t* AClass, const wchar_t* ACaption,
                                          DWORD AStyle, int AId, DWORD AExStyle) {
  const HWND control = ::CreateWindowExW(
      AExStyle, AClass, ACaption, WS_CHILD | WS_VISIBLE | AStyle, 0, 0, 0, 0, Window(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(AId)), ::GetModuleHandleW(nullptr), nullptr);
  if (control != nullptr) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
  }
  return control;
}

bool TTranslationEditorWindow::CreateControls() {
  constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
  constexpr DWORD kLabel = SS_LEFT | SS_CENTERIMAGE;
  bool ok = AddControl(L"STATIC", L"Langs List\xFF1A", kLabel, kIdLangLabel) != nullptr;
  FCombo = AddControl(WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kIdLangCombo);
  ok = ok && FCombo != nullptr;
  ok = ok && AddControl(L"BUTTON", L"Add Language", kButton, kIdBtnAddLanguage) != nullptr;
  ok = ok && AddControl(L"BUTTON", L"Delete Language", kButton, kIdBtnDelet) != nullptr;
  ok = ok && AddControl(L"BUTTON", L"Prev Page", kButton, kIdBtnPrevPage) != nullptr;
  ok = ok && AddControl(L"BUTTON", L"Next Page", kButton, kIdBtnNextPage) != nullptr;
  // The grid lies on top of the tab control's page area: the tab control must not paint it.
  FTabs = AddControl(WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, kIdTabs);
  ok = ok && FTabs != nullptr && FGrid.Create(Window(), kIdGrid, FFont.Get(), FDpi);
  ok =
      ok && AddControl(L"STATIC", L"Type Text to translate:", kLabel, kIdConstTextLabel) != nullptr;
  FConstText =
      AddControl(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kIdTBConstText, WS_EX_CLIENTEDGE);
  ok = ok && FConstText != nullptr;
  ok = ok && AddControl(L"BUTTON", L"Add Const Text", kButton, kIdBTNADDConstText) != nullptr;
  ok =
      ok && AddControl(L"BUTTON", L"Delete Item From List", kButton, kIdBTNDELCONSTTEXT) != nullptr;
  ok = ok &&
       AddControl(L"BUTTON", L"Save to language file", kButton, kIdSaveLanguageToFile) != nullptr;
  ok = ok && AddControl(L"BUTTON", L"Get/Set Text List", kButton, kIdSpeedButton2) != nullptr;
  if (!ok) {
    return false;
  }
  ::SetWindowPos(FGrid.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  // FormCreate: the language box lists the localized names in index order.
  for (const std::u16string& item : FEditor.LangComboItems()) {
    ::SendMessageW(FCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(item).c_str()));
  }
  return true;
}

int TTranslationEditorWindow::Scaled(int AValue) const {
  return ScaleForDpi(AValue, FDpi);
}

void TTranslationEditorWindow::Layout() {
  const HWND window = Window();
  RECT client{};
  ::GetClientRect(window, &client);
  const int margin = Scaled(kMargin);
  const int rowHeight = Scaled(kRowHeight);
  const auto place = [this, window, margin](const TBarSlot* ASlots, std::size_t ACount, int ATop) {
    int left = margin;
    for (std::size_t i = 0; i < ACount; ++i) {
      const HWND control = ::GetDlgItem(window, ASlots[i].Id);
      const int height = Scaled(ASlots[i].Id == kIdLangCombo ? kComboDropHeight : kRowHeight);
      const int width = Scaled(ASlots[i].Width);
      ::MoveWindow(control, left, ATop, width, height, TRUE);
      left += width + Scaled(kBarGap);
    }
  };
  place(kToolBar, std::size(kToolBar), Scaled(kToolBarTop));
  const int statusTop = std::max(0, static_cast<int>(client.bottom) - margin - rowHeight);
  place(kStatusBar, std::size(kStatusBar), statusTop);

  const int tabsTop = Scaled(kToolBarTop) + rowHeight + margin;
  RECT tabs{margin, tabsTop, std::max<LONG>(margin, client.right - margin),
            std::max(tabsTop, statusTop - margin)};
  ::MoveWindow(FTabs, tabs.left, tabs.top, tabs.right - tabs.left, tabs.bottom - tabs.top, TRUE);
  // The grid covers the tab control's page area, in the window's coordinates.
  RECT page = tabs;
  TabCtrl_AdjustRect(FTabs, FALSE, &page);
  ::MoveWindow(FGrid.Handle(), page.left, page.top, std::max<LONG>(0, page.right - page.left),
               std::max<LONG>(0, page.bottom - page.top), TRUE);
}

void TTranslationEditorWindow::DpiChanged(UINT ADpi, const RECT& ASuggested) {
  FGrid.EndEdit(true);  // its box lies over a cell of the old layout
  FDpi = ADpi;
  if (TUniqueFont font = CreateMessageFont(ADpi)) {
    for (HWND control = ::GetWindow(Window(), GW_CHILD); control != nullptr;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
      if (control != FGrid.Handle()) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
      }
    }
    FGrid.SetDpi(ADpi, font.Get());
    FFont = std::move(font);  // the old font goes once no control uses it
  } else {
    FGrid.SetDpi(ADpi, FFont.Get());
  }
  ::SetWindowPos(Window(), nullptr, ASuggested.left, ASuggested.top,
                 ASuggested.right - ASuggested.left, ASuggested.bottom - ASuggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (FTabs != nullptr) {
    Layout();  // also when the size stayed the same (no WM_SIZE then)
  }
  ::InvalidateRect(Window(), nullptr, TRUE);
}

void TTranslationEditorWindow::Show(int ACommand) {
  if (Window() == nullptr) {
    return;
  }
  FEditor.FormShow();
  Redraw();
  ::ShowWindow(Window(), ACommand);
  ::UpdateWindow(Window());
}

void TTranslationEditorWindow::ShowModal() {
  if (Window() == nullptr) {
    return;
  }
  TOwnerDisabler disabler(FOwner);
  FDisabler = &disabler;
  Show(SW_SHOW);
  RunModalLoop(Window());
  FDisabler = nullptr;
}

void TTranslationEditorWindow::Close() {
  FGrid.EndEdit(true);
  if (FDisabler != nullptr) {
    FDisabler->Restore();
  }
  DestroyWindowNow();
}

void TTranslationEditorWindow::Redraw() {
  if (Window() == nullptr) {
    return;
  }
  FRedrawing = true;
  const int combo = FEditor.LangComboIndex();
  if (::SendMessageW(FCombo, CB_GETCURSEL, 0, 0) != combo) {
    ::SendMessageW(FCombo, CB_SETCURSEL, static_cast<WPARAM>(combo), 0);
  }
  if (WindowText(FConstText) != FEditor.ConstText) {
    ::SetWindowTextW(FConstText, ToWide(FEditor.ConstText).c_str());
  }
  RedrawTabs();
  const auto selected = FEditor.SelectedTab();
  FGrid.Refresh(selected ? FEditor.Tabs()[*selected].SelectedRow : std::nullopt);
  ::ShowWindow(FGrid.Handle(), selected ? SW_SHOWNA : SW_HIDE);
  FRedrawing = false;
}

void TTranslationEditorWindow::RedrawTabs() {
  const auto& tabs = FEditor.Tabs();
  const int offset = FEditor.PageOffset();
  std::vector<std::u16string> visible;
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    if (FEditor.IsTabVisible(i)) {
      visible.push_back(tabs[i].Caption);
    }
  }
  if (visible != FShownTabs || offset != FShownOffset) {
    TabCtrl_DeleteAllItems(FTabs);
    for (std::size_t i = 0; i < visible.size(); ++i) {
      std::wstring caption = ToWide(visible[i]);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = caption.data();
      ::SendMessageW(FTabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    FShownTabs = std::move(visible);
    FShownOffset = offset;
  }
  // A selected tab outside the visible page is still the one the grid shows.
  const auto selected = FEditor.SelectedTab();
  int current = -1;
  if (selected && FEditor.IsTabVisible(*selected)) {
    current = static_cast<int>(*selected) - offset;
  }
  if (TabCtrl_GetCurSel(FTabs) != current) {
    TabCtrl_SetCurSel(FTabs, current);
  }
}

const std::vector<TTranslateGridRow>* TTranslationEditorWindow::GridRows() {
  const auto selected = FEditor.SelectedTab();
  return selected ? &FEditor.Tabs()[*selected].Rows : nullptr;
}

void TTranslationEditorWindow::GridRowSelected(std::optional<std::size_t> ARow) {
  // The list shows the selection itself; only the model needs to hear of it.
  FEditor.SelectRow(ARow);
}

void TTranslationEditorWindow::GridTranslationEdited(std::size_t ARow, std::u16string AText) {
  if (const auto selected = FEditor.SelectedTab()) {
    FEditor.SetTranslation(*selected, ARow, std::move(AText));
    ::InvalidateRect(FGrid.Handle(), nullptr, TRUE);
  }
}

void TTranslationEditorWindow::SaveToLanguageFile() {
  if (FEditor.Lang() == nullptr) {
    return;  // not shown yet: there is nothing to save, and nothing failed
  }
  if (FEditor.BtnSaveClick()) {
    if (FEditor.CloseRequested()) {
      // Posted: the button that was clicked is still in its own handler.
      ::PostMessageW(Window(), WM_CLOSE, 0, 0);
    }
  } else if (FOnSaveFailed) {
    FOnSaveFailed(Window(), FEditor.UiLocalPath());
  }
}

void TTranslationEditorWindow::EditTextList() {
  if (!FEditor.SpeedButton2Click()) {
    return;
  }
  const auto lines = ShowTextListPopup(Window(), FEditor.MemoLines);
  if (lines && Window() != nullptr) {
    FEditor.MemoLines = *lines;
    FEditor.BtnSaveTextListClick();
  }
}

void TTranslationEditorWindow::Command(int AId, int ACode) {
  if (AId == kIdTBConstText) {
    if (ACode == EN_CHANGE && !FRedrawing) {
      FEditor.ConstText = WindowText(FConstText);
    }
    return;
  }
  if (AId == kIdLangCombo) {
    if (ACode == CBN_SELCHANGE && !FRedrawing) {
      FEditor.SetLangComboIndex(static_cast<int>(::SendMessageW(FCombo, CB_GETCURSEL, 0, 0)));
    }
    return;
  }
  if (ACode != BN_CLICKED) {
    return;
  }
  // An open cell edit belongs to the state the handler works on.
  FGrid.EndEdit(true);
  switch (AId) {
    case IDOK: {
      // Enter: in the text box it adds the text, on the grid it edits the selected row.
      const HWND focus = ::GetFocus();
      if (focus == FConstText) {
        FEditor.ConstText = WindowText(FConstText);
        FEditor.BTNADDConstTextClick();
      } else if (focus == FGrid.Handle()) {
        const auto selected = FEditor.SelectedTab();
        if (selected && FEditor.Tabs()[*selected].SelectedRow) {
          FGrid.BeginEdit(*FEditor.Tabs()[*selected].SelectedRow);
        }
        return;
      }
      break;
    }
    case kIdBtnAddLanguage:
      FEditor.SetLangComboIndex(static_cast<int>(::SendMessageW(FCombo, CB_GETCURSEL, 0, 0)));
      FEditor.BtnAddLanguageClick();
      break;
    case kIdBtnDelet:
      FEditor.BtnDeletClick();
      break;
    case kIdBtnPrevPage:
      FEditor.BtnPrevPageMouseUp();  // BN_CLICKED comes with the mouse's release
      break;
    case kIdBtnNextPage:
      FEditor.BtnNextPageMouseUp();
      break;
    case kIdBTNADDConstText:
      FEditor.ConstText = WindowText(FConstText);
      FEditor.BTNADDConstTextClick();
      break;
    case kIdBTNDELCONSTTEXT:
      FEditor.BTNDELCONSTTEXTClick();
      break;
    case kIdSaveLanguageToFile:
      SaveToLanguageFile();
      break;
    case kIdSpeedButton2:
      EditTextList();
      break;
    default:
      return;
  }
  Redraw();
}

bool TTranslationEditorWindow::Notify(const NMHDR& AHeader, LRESULT& AResult) {
  if (FGrid.HandleNotify(AHeader, AResult)) {
    return true;
  }
  if (AHeader.hwndFrom == FTabs) {
    if (AHeader.code == TCN_SELCHANGING) {
      FGrid.EndEdit(true);
      AResult = FALSE;  // the change may go ahead
      return true;
    }
    if (AHeader.code == TCN_SELCHANGE) {
      const int current = TabCtrl_GetCurSel(FTabs);
      if (current >= 0) {
        FEditor.SelectTab(static_cast<std::size_t>(FEditor.PageOffset() + current));
      }
      Redraw();
      AResult = 0;
      return true;
    }
  }
  return false;
}

LRESULT TTranslationEditorWindow::HandleWindowMessage(UINT AMessage, WPARAM AWParam,
                                                      LPARAM ALParam) {
  switch (AMessage) {
    case WM_SIZE:
      if (FTabs != nullptr) {
        Layout();
      }
      return 0;
    case WM_DPICHANGED:
      DpiChanged(DpiFromDpiChanged(AWParam), *reinterpret_cast<const RECT*>(ALParam));
      return 0;
    case WM_COMMAND:
      Command(LOWORD(AWParam), HIWORD(AWParam));
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (Notify(*reinterpret_cast<const NMHDR*>(ALParam), result)) {
        return result;
      }
      break;
    }
    case WM_CLOSE:
      Close();
      return 0;
    default:
      break;
  }
  return DefaultHandling(AMessage, AWParam, ALParam);
}

void ShowTranslationEditorWindow(TLanguageTranslateEditor& AEditor) {
  TTranslationEditorWindow window(AEditor);
  if (window.Create(::GetActiveWindow())) {
    window.ShowModal();
  }
}

}  // namespace mon::win32
