#include "i18n/win32/translation_grid.h"

#include <algorithm>

#include "platform/win32/wide.h"

namespace mon::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1;
// The edit box is a child of the list, whose WM_COMMAND the list hands on to its parent: an ID
// that no control of the parent uses.
constexpr int kEditBoxId = 0x7E01;

}  // namespace

TTranslationGrid::~TTranslationGrid() {
  if (FList != nullptr) {
    ::RemoveWindowSubclass(FList, ListProc, kSubclassId);
  }
  if (FEdit != nullptr) {
    ::RemoveWindowSubclass(FEdit, EditProc, kSubclassId);
  }
}

bool TTranslationGrid::Create(HWND AParent, int AId, HFONT AFont, UINT ADpi) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  FDpi = ADpi;
  // Clipping its children keeps the list from painting over the edit box.
  FList = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_TABSTOP | WS_CLIPCHILDREN | LVS_REPORT | LVS_OWNERDATA |
                                LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                            0, 0, 0, 0, AParent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(AId)),
                            instance, nullptr);
  if (FList == nullptr) {
    return false;
  }
  ::SendMessageW(FList, WM_SETFONT, reinterpret_cast<WPARAM>(AFont), FALSE);
  ListView_SetExtendedListViewStyle(FList, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  struct TColumn {
    const wchar_t* Caption;
    int Width;
  };
  const TColumn columns[] = {
      {L"Original text", TLanguageTranslateEditor::kOriginalColumnWidth},
      {L"Translation", TLanguageTranslateEditor::kTranslationColumnWidth},
  };
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(columns[i].Caption);
    column.cx = ScaleForDpi(columns[i].Width, ADpi);
    column.iSubItem = i;
    if (::SendMessageW(FList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(&column)) != i) {
      return false;
    }
  }
  FEdit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0,
                            FList, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditBoxId)),
                            instance, nullptr);
  if (FEdit == nullptr) {
    return false;
  }
  ::SendMessageW(FEdit, WM_SETFONT, reinterpret_cast<WPARAM>(AFont), FALSE);
  const auto self = reinterpret_cast<DWORD_PTR>(this);
  return ::SetWindowSubclass(FList, ListProc, kSubclassId, self) != 0 &&
         ::SetWindowSubclass(FEdit, EditProc, kSubclassId, self) != 0;
}

void TTranslationGrid::SetDpi(UINT ADpi, HFONT AFont) {
  if (FList == nullptr) {
    FDpi = ADpi;
    return;
  }
  EndEdit(true);
  for (int i = 0; i < 2; ++i) {
    const int width = ListView_GetColumnWidth(FList, i);
    ListView_SetColumnWidth(FList, i,
                            ::MulDiv(width, static_cast<int>(ADpi), static_cast<int>(FDpi)));
  }
  FDpi = ADpi;
  ::SendMessageW(FEdit, WM_SETFONT, reinterpret_cast<WPARAM>(AFont), FALSE);
  ::SendMessageW(FList, WM_SETFONT, reinterpret_cast<WPARAM>(AFont), TRUE);
}

void TTranslationGrid::Refresh(std::optional<std::size_t> ASelected) {
  if (FList == nullptr) {
    return;
  }
  EndEdit(false);  // the caller has handed any open edit on before changing the rows
  FRefreshing = true;
  const std::vector<TTranslateGridRow>* rows = FEvents.GridRows();
  const std::size_t count = rows != nullptr ? rows->size() : 0;
  ::SendMessageW(FList, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
  ListView_SetItemState(FList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (ASelected && *ASelected < count) {
    const int row = static_cast<int>(*ASelected);
    ListView_SetItemState(FList, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  ::InvalidateRect(FList, nullptr, TRUE);
  FRefreshing = false;
}

bool TTranslationGrid::BeginEdit(std::size_t ARow) {
  EndEdit(true);
  const std::vector<TTranslateGridRow>* rows = FEvents.GridRows();
  if (FEdit == nullptr || rows == nullptr || ARow >= rows->size() ||
      (*rows)[ARow].Original.empty()) {
    return false;
  }
  const int row = static_cast<int>(ARow);
  ListView_EnsureVisible(FList, row, FALSE);
  RECT cell{};
  cell.top = 1;  // the translation column
  cell.left = LVIR_BOUNDS;
  if (::SendMessageW(FList, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&cell)) == 0) {
    return false;
  }
  ::SetWindowTextW(FEdit, ToWide((*rows)[ARow].Translation).c_str());
  // A little taller than the row, so that the text box's border does not hide the text.
  const int overlap = ScaleForDpi(2, FDpi);
  ::SetWindowPos(FEdit, HWND_TOP, cell.left, cell.top - overlap, cell.right - cell.left,
                 cell.bottom - cell.top + 2 * overlap, SWP_SHOWWINDOW);
  FEditRow = ARow;
  FEditing = true;
  ::SetFocus(FEdit);
  ::SendMessageW(FEdit, EM_SETSEL, 0, -1);
  return true;
}

void TTranslationGrid::EndEdit(bool ACommit) {
  if (!FEditing) {
    return;
  }
  FEditing = false;  // first: hiding the box takes its focus, which ends the edit again
  const int length = ::GetWindowTextLengthW(FEdit);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int read = ::GetWindowTextW(FEdit, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(read, 0)));
  const bool hadFocus = ::GetFocus() == FEdit;
  ::ShowWindow(FEdit, SW_HIDE);
  if (hadFocus) {
    ::SetFocus(FList);
  }
  if (ACommit) {
    FEvents.GridTranslationEdited(FEditRow, FromWide(text));
  }
}

std::optional<std::size_t> TTranslationGrid::SelectedRow() const {
  const LRESULT row =
      ::SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0));
  if (row < 0) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(row);
}

void TTranslationGrid::SelectionChanged() {
  if (!FRefreshing) {
    FEvents.GridRowSelected(SelectedRow());
  }
}

void TTranslationGrid::FillCell(NMLVDISPINFOW& AInfo) {
  LVITEMW& item = AInfo.item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
    return;
  }
  item.pszText[0] = L'\0';
  const std::vector<TTranslateGridRow>* rows = FEvents.GridRows();
  if (rows == nullptr || item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows->size()) {
    return;
  }
  const TTranslateGridRow& row = (*rows)[static_cast<std::size_t>(item.iItem)];
  const std::u16string& text = item.iSubItem == 0 ? row.Original : row.Translation;
  // A text longer than the control's buffer is shown cut short.
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
  std::copy_n(text.data(), length, reinterpret_cast<char16_t*>(item.pszText));
  item.pszText[length] = L'\0';
}

bool TTranslationGrid::HandleNotify(const NMHDR& AHeader, LRESULT& AResult) {
  if (FList == nullptr || AHeader.hwndFrom != FList) {
    return false;
  }
  AResult = 0;
  switch (AHeader.code) {
    case LVN_GETDISPINFOW:
      FillCell(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&AHeader)));
      return true;
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(AHeader);
      if ((change.uChanged & LVIF_STATE) != 0 &&
          ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0) {
        SelectionChanged();
      }
      return true;
    }
    case LVN_ODSTATECHANGED:
      SelectionChanged();
      return true;
    case NM_DBLCLK: {
      const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(AHeader);
      if (activate.iItem >= 0) {
        BeginEdit(static_cast<std::size_t>(activate.iItem));
      }
      return true;
    }
    case NM_RETURN:
      if (const auto row = SelectedRow()) {
        BeginEdit(*row);
      }
      return true;
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(AHeader).wVKey == VK_F2) {
        if (const auto row = SelectedRow()) {
          BeginEdit(*row);
        }
      }
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK TTranslationGrid::ListProc(HWND AWindow, UINT AMessage, WPARAM AWParam,
                                            LPARAM ALParam, UINT_PTR, DWORD_PTR AData) {
  auto* self = reinterpret_cast<TTranslationGrid*>(AData);
  switch (AMessage) {
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
      // The edit box does not move with the rows: the edit ends before they scroll.
      self->EndEdit(true);
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(AWindow, ListProc, kSubclassId);
      self->FList = nullptr;
      self->FEdit = nullptr;  // destroyed with the list, as its child
      self->FEditing = false;
      break;
    default:
      break;
  }
  return ::DefSubclassProc(AWindow, AMessage, AWParam, ALParam);
}

LRESULT CALLBACK TTranslationGrid::EditProc(HWND AWindow, UINT AMessage, WPARAM AWParam,
                                            LPARAM ALParam, UINT_PTR, DWORD_PTR AData) {
  auto* self = reinterpret_cast<TTranslationGrid*>(AData);
  switch (AMessage) {
    case WM_GETDLGCODE:
      // Enter and Esc belong to the edit, not to the window's dialog keys.
      return ::DefSubclassProc(AWindow, AMessage, AWParam, ALParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (AWParam == VK_RETURN || AWParam == VK_ESCAPE) {
        self->EndEdit(AWParam == VK_RETURN);
        return 0;
      }
      break;
    case WM_CHAR:
      if (AWParam == L'\r' || AWParam == 0x1B) {
        return 0;  // handled on the key-down; no beep
      }
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = ::DefSubclassProc(AWindow, AMessage, AWParam, ALParam);
      self->EndEdit(true);
      return result;
    }
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(AWindow, EditProc, kSubclassId);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(AWindow, AMessage, AWParam, ALParam);
}

}  // namespace mon::win32
