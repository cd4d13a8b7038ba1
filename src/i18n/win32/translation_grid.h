// The two-column grid of a language tab: a report-view ListView in virtual mode (the rows are
// read from the editor's model whenever they are drawn), column 0 the original texts
// (read-only), column 1 the translations, edited in an edit box laid over the cell (double-click,
// F2 or Enter on a row; Enter or leaving the box keeps the text, Esc drops it).
//
// Main (user-interface) thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "i18n/Languagetranslate.h"
#include "platform/win32/dpi.h"

namespace mon::win32 {

class TTranslationGrid {
 public:
  // What the grid shows and where its user's actions go.
  class TEvents {
   public:
    virtual ~TEvents() = default;
    // The rows to show, or nullptr for none; read on every paint.
    virtual const std::vector<TTranslateGridRow>* GridRows() = 0;
    // The user selected a row (nullopt: none).
    virtual void GridRowSelected(std::optional<std::size_t> ARow) = 0;
    // The user finished editing the translation of ARow.
    virtual void GridTranslationEdited(std::size_t ARow, std::u16string AText) = 0;
  };

  explicit TTranslationGrid(TEvents& AEvents) : FEvents(AEvents) {}
  ~TTranslationGrid();
  TTranslationGrid(const TTranslationGrid&) = delete;
  TTranslationGrid& operator=(const TTranslationGrid&) = delete;

  // Creates the ListView as a child of AParent (which is to pass on its WM_NOTIFY through
  // HandleNotify), with AFont and its columns as wide as at 96 DPI scaled to ADpi. False when
  // the control cannot be created.
  bool Create(HWND AParent, int AId, HFONT AFont, UINT ADpi);
  // The parent's DPI changed to ADpi: AFont (of ADpi) for the list and its edit box, the columns'
  // widths (as the user left them) scaled from the old DPI to ADpi. An open edit ends first, its
  // text kept.
  void SetDpi(UINT ADpi, HFONT AFont);
  HWND Handle() const { return FList; }
  // The edit box over the translation cell while an edit is open, else nullptr.
  HWND EditBox() const { return FEditing ? FEdit : nullptr; }
  // The row whose translation is being edited.
  std::optional<std::size_t> EditRow() const {
    return FEditing ? std::optional<std::size_t>(FEditRow) : std::nullopt;
  }

  // Re-reads the rows (count and texts) and shows ASelected as the selected row.
  void Refresh(std::optional<std::size_t> ASelected);

  // Opens the edit box over the translation of ARow (scrolled into view). False for a row
  // that does not exist or has no original text.
  bool BeginEdit(std::size_t ARow);
  // Closes the edit box; with ACommit its text goes to GridTranslationEdited. Nothing when no
  // edit is open.
  void EndEdit(bool ACommit);

  // The parent's WM_NOTIFY: true with AResult set when it came from this grid.
  bool HandleNotify(const NMHDR& AHeader, LRESULT& AResult);

 private:
  static LRESULT CALLBACK ListProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam,
                                   UINT_PTR AId, DWORD_PTR AData);
  static LRESULT CALLBACK EditProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam,
                                   UINT_PTR AId, DWORD_PTR AData);
  void FillCell(NMLVDISPINFOW& AInfo);
  void SelectionChanged();
  std::optional<std::size_t> SelectedRow() const;

  TEvents& FEvents;
  HWND FList = nullptr;
  HWND FEdit = nullptr;  // made once with the list, shown only while editing
  UINT FDpi = kDefaultDpi;
  std::size_t FEditRow = 0;
  bool FEditing = false;
  bool FRefreshing = false;
};

}  // namespace mon::win32
