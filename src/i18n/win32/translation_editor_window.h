// The translation editor's window (TuiLanguageDesignForm): a tool bar with the language box and
// the language and page buttons, one tab per edited language with its two-column grid, and a
// status bar to add and delete original texts, save ui.local and edit one language as a text
// list. The window is a view of TLanguageTranslateEditor: every control forwards to the model's
// handler and the window is redrawn from the model afterwards.
//
// Its size, font and layout are those of 96 DPI scaled to the DPI of the monitor the window is
// on, and follow that DPI when it changes (WM_DPICHANGED: another monitor, or another scale).
//
// Main (user-interface) thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "i18n/Languagetranslate.h"
#include "i18n/win32/message_font.h"
#include "i18n/win32/modal_window.h"
#include "i18n/win32/translation_grid.h"
#include "platform/win32/dpi.h"
#include "platform/win32/win32_window.h"

namespace mon::win32 {

inline constexpr wchar_t kTranslationEditorClassName[] = L"TuiLanguageDesignForm";

// The IDs of the window's controls (GetDlgItem on the window).
inline constexpr int kIdLangLabel = 100;
inline constexpr int kIdLangCombo = 101;
inline constexpr int kIdBtnAddLanguage = 102;
inline constexpr int kIdBtnDelet = 103;
inline constexpr int kIdBtnPrevPage = 104;
inline constexpr int kIdBtnNextPage = 105;
inline constexpr int kIdTabs = 110;
inline constexpr int kIdGrid = 111;
inline constexpr int kIdConstTextLabel = 120;
inline constexpr int kIdTBConstText = 121;
inline constexpr int kIdBTNADDConstText = 122;
inline constexpr int kIdBTNDELCONSTTEXT = 123;
inline constexpr int kIdSaveLanguageToFile = 124;
inline constexpr int kIdSpeedButton2 = 125;

class TTranslationEditorWindow final : private TWin32Window, private TTranslationGrid::TEvents {
 public:
  // Called when "Save to language file" could not write APath (the window stays open and the
  // old file is kept). By default a message box over the window says so.
  using TSaveFailed = std::function<void(HWND AWindow, const std::u16string& APath)>;

  // The model must outlive the window.
  explicit TTranslationEditorWindow(TLanguageTranslateEditor& AEditor);
  ~TTranslationEditorWindow() override;
  TTranslationEditorWindow(const TTranslationEditorWindow&) = delete;
  TTranslationEditorWindow& operator=(const TTranslationEditorWindow&) = delete;

  void SetOnSaveFailed(TSaveFailed AHandler) { FOnSaveFailed = std::move(AHandler); }

  // FormCreate: makes the window (hidden, owned by AOwner when given) with its controls and
  // fills the language box. False when that fails; nothing is left behind then.
  bool Create(HWND AOwner = nullptr);
  // FormShow: the model's FormShow (a model without a component makes its own from
  // ui.local), then the window is drawn from the model and shown with ACommand.
  void Show(int ACommand = SW_SHOW);
  // Shows the window and runs this thread's messages until it is closed, with the owner
  // disabled meanwhile.
  void ShowModal();

  // The window, or nullptr once it is closed (or before Create).
  HWND Handle() const { return Window(); }
  TTranslationGrid& Grid() { return FGrid; }
  // The DPI the window is laid out for.
  UINT Dpi() const { return FDpi; }
  // Makes every control show the model's state again.
  void Redraw();

 private:
  LRESULT HandleWindowMessage(UINT AMessage, WPARAM AWParam, LPARAM ALParam) override;
  bool CreateControls();
  HWND AddControl(const wchar_t* AClass, const wchar_t* ACaption, DWORD AStyle, int AId,
                  DWORD AExStyle = 0);
  void Layout();
  // A length of the 96-DPI layout at the window's DPI.
  int Scaled(int AValue) const;
  // WM_DPICHANGED: the font of ADpi for every control, the window moved to ASuggested (the
  // system's rectangle for the new DPI) and laid out again.
  void DpiChanged(UINT ADpi, const RECT& ASuggested);
  void Command(int AId, int ACode);
  bool Notify(const NMHDR& AHeader, LRESULT& AResult);
  void RedrawTabs();
  void SaveToLanguageFile();
  void EditTextList();
  void Close();

  // TTranslationGrid::TEvents
  const std::vector<TTranslateGridRow>* GridRows() override;
  void GridRowSelected(std::optional<std::size_t> ARow) override;
  void GridTranslationEdited(std::size_t ARow, std::u16string AText) override;

  TLanguageTranslateEditor& FEditor;
  TSaveFailed FOnSaveFailed;
  UINT FDpi = kDefaultDpi;
  TUniqueFont FFont;       // of FDpi
  TTranslationGrid FGrid;  // destroyed after the window (see the destructor)
  HWND FOwner = nullptr;
  HWND FCombo = nullptr;
  HWND FTabs = nullptr;
  HWND FConstText = nullptr;
  TOwnerDisabler* FDisabler = nullptr;
  // What the tab control shows: the captions of the visible tabs from FShownOffset on.
  std::vector<std::u16string> FShownTabs;
  int FShownOffset = -1;
  bool FRedrawing = false;
};

// Shows the editor on AEditor modally and returns when it is closed: the TShowTranslationEditor
// to give InstallTranslationEditor. A model without a component makes its own from ui.local
// (the stand-alone editor). The owner is this thread's active window, if any.
void ShowTranslationEditorWindow(TLanguageTranslateEditor& AEditor);

}  // namespace mon::win32
