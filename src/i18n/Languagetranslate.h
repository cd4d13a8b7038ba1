// The translation editor: the model behind the window in which the language data of a language
// component is edited. One tab per edited language, each with a two-column grid (original text,
// translation); texts can be added to and removed from the originals, languages added and
// removed, one language's pairs edited as plain text, and the result written to ui.local beside
// the executable.
//
// Tabs and languages are matched by the tab's grid hint (the language's name in Resources, a
// four-hex-digit language ID such as "040c"), never by position, so a tab always shows and saves
// the language it names. The window (a view) only forwards its controls to the handlers here.
//
// Main thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "i18n/locale_index.h"
#include "i18n/uiLanguage.h"
#include "platform/platform.h"

namespace mon {

struct TTranslateGridRow {
  std::u16string Original;     // column 0, read-only
  std::u16string Translation;  // column 1, editable
};

struct TTranslateTab {
  std::u16string Caption;  // the localized language name
  std::u16string Hint;     // the language's name in Resources (four-hex-digit language ID)
  int TabWidth = 0;        // 0: the tab control's default
  std::vector<TTranslateGridRow> Rows;
  std::optional<std::size_t> SelectedRow;
};

class TLanguageTranslateEditor {
 public:
  static constexpr int kWindowWidth = 930;
  static constexpr int kWindowHeight = 508;
  static constexpr int kOriginalColumnWidth = 380;
  static constexpr int kTranslationColumnWidth = 440;
  static constexpr int kAddedTabWidth = 150;
  static constexpr std::size_t kInitialExtraRows = 100;
  static constexpr std::size_t kGrowRows = 30;
  static constexpr int kVisibleTabs = 8;

  // FormCreate: builds the window's own locale indexes; LangCombo lists their names.
  explicit TLanguageTranslateEditor(TPlatform& APlatform);
  ~TLanguageTranslateEditor();
  TLanguageTranslateEditor(const TLanguageTranslateEditor&) = delete;
  TLanguageTranslateEditor& operator=(const TLanguageTranslateEditor&) = delete;

  // The component being edited (not owned), or nullptr before SetLang/FormShow.
  TuiLanguage* Lang() const { return FLang; }
  void SetLang(TuiLanguage* ALang) { FLang = ALang; }
  bool OwnsLang() const { return FOwnedLang != nullptr; }

  // Without a component: makes its own (it reads ui.local from the executable's folder) and
  // loads its tabs. With one: nothing.
  void FormShow();

  // LangCombo: the localized names of the short-ID index, position i = index entry i.
  std::vector<std::u16string> LangComboItems() const;
  int LangComboIndex() const { return FComboIndex; }
  void SetLangComboIndex(int AIndex) { FComboIndex = AIndex; }
  const TLocaleIndexes& Indexes() const { return FIndexes; }

  // The text box beside "Type Text to translate:".
  std::u16string ConstText;
  // The lines of the text-list popup's memo.
  std::vector<std::u16string> MemoLines;

  const std::vector<TTranslateTab>& Tabs() const { return FTabs; }
  std::optional<std::size_t> SelectedTab() const { return FSelectedTab; }
  void SelectTab(std::optional<std::size_t> AIndex);
  // The selected row of the selected tab's grid.
  void SelectRow(std::optional<std::size_t> ARow);
  // An edit of a translation cell; false when there is no such cell.
  bool SetTranslation(std::size_t ATab, std::size_t ARow, std::u16string AText);

  int TabCount() const { return static_cast<int>(FTabs.size()); }
  int PageOffset() const { return FPageOffset; }
  // Tabs PageOffset .. PageOffset + 7 are visible.
  bool IsTabVisible(std::size_t ATab) const;

  // One tab per language of ALang whose name is in the short-ID index (at most one per index
  // entry); the last made is selected.
  void LoadLanguageAndCreateTranslateTabList(TuiLanguage& ALang);
  void BtnAddLanguageClick();
  void BtnDeletClick();
  void BTNADDConstTextClick();
  void BTNDELCONSTTEXTClick();
  void RefreshTranslationGrids();
  // Fills MemoLines with BuildTextList of the selected tab; true when the popup should open.
  bool SpeedButton2Click();
  std::vector<std::u16string> BuildTextList(std::size_t ATab) const;
  void BtnSaveTextListClick();
  // Rebuilds the languages from the tabs and writes ui.local (replacing it in one step). False
  // when writing failed: the old file is then untouched and the window stays open.
  bool BtnSaveClick();
  void BtnPrevPageMouseUp();
  void BtnNextPageMouseUp();

  // Set by a save on a component the window did not make: the window should close.
  bool CloseRequested() const { return FCloseRequested; }

  std::u16string UiLocalPath() const;

 private:
  std::size_t OriginalCount() const;
  // Row count up to the first empty original.
  static std::size_t UsedRows(const TTranslateTab& ATab);
  void MakeTab(const TLocaleIndexEntry& AEntry, const TLanguageTable* ATable, bool AFallback,
               int ATabWidth);
  void RewriteRows(TTranslateTab& ATab, bool AKeepGridEdits);

  TPlatform& FPlatform;
  TLocaleIndexes FIndexes;
  TuiLanguage* FLang = nullptr;
  std::unique_ptr<TuiLanguage> FOwnedLang;
  std::vector<TTranslateTab> FTabs;
  std::optional<std::size_t> FSelectedTab;
  int FComboIndex = -1;
  int FPageOffset = 0;
  bool FCloseRequested = false;
};

// Sets the translation of AName in ATable: every line named AName is removed and, unless
// AValue is empty, the line "AName=AValue" is added.
void SetTableTranslation(TLanguageTable& ATable, const std::u16string& AName,
                         const std::u16string& AValue);

// Shows the editor modally and returns when it closes.
using TShowTranslationEditor = std::function<void(TLanguageTranslateEditor& AEditor)>;

// Creates the editor on ALanguage, loads its tabs, shows it through AShow and frees it.
void OpenTranslationEditor(TuiLanguage& ALanguage, TPlatform& APlatform,
                           const TShowTranslationEditor& AShow);

// Makes the design-mode hook of TuiLanguage open the editor (APlatform must outlive the hook);
// an empty AShow removes the hook.
void InstallTranslationEditor(TPlatform& APlatform, TShowTranslationEditor AShow);

}  // namespace mon
