#include "i18n/Languagetranslate.h"

#include <algorithm>
#include <map>

namespace mon {

void SetTableTranslation(TLanguageTable& ATable, const std::u16string& AName,
                         const std::u16string& AValue) {
  std::vector<std::u16string> named;
  for (const auto& line : ATable.Lines()) {
    const auto name = LineName(line);
    if (name && *name == AName) {
      named.push_back(line);
    }
  }
  for (const auto& line : named) {
    ATable.Remove(line);
  }
  if (!AValue.empty()) {
    ATable.Add(AName + u"=" + AValue);
  }
}

TLanguageTranslateEditor::TLanguageTranslateEditor(TPlatform& APlatform)
    : FPlatform(APlatform), FIndexes(BuildLocaleIndexes(APlatform.Locale)) {}

TLanguageTranslateEditor::~TLanguageTranslateEditor() = default;

void TLanguageTranslateEditor::FormShow() {
  if (FLang != nullptr) {
    return;
  }
  // Outside design mode the component reads ui.local from the executable's folder itself.
  FOwnedLang = std::make_unique<TuiLanguage>(nullptr, FPlatform);
  FLang = FOwnedLang.get();
  LoadLanguageAndCreateTranslateTabList(*FLang);
}

std::vector<std::u16string> TLanguageTranslateEditor::LangComboItems() const {
  std::vector<std::u16string> items;
  for (const auto& entry : FIndexes.ShortIDIndex) {
    items.push_back(entry.LanguageName);
  }
  return items;
}

void TLanguageTranslateEditor::SelectTab(std::optional<std::size_t> AIndex) {
  FSelectedTab = (AIndex && *AIndex < FTabs.size()) ? AIndex : std::nullopt;
}

void TLanguageTranslateEditor::SelectRow(std::optional<std::size_t> ARow) {
  if (!FSelectedTab) {
    return;
  }
  auto& tab = FTabs[*FSelectedTab];
  tab.SelectedRow = (ARow && *ARow < tab.Rows.size()) ? ARow : std::nullopt;
}

bool TLanguageTranslateEditor::SetTranslation(std::size_t ATab, std::size_t ARow,
                                              std::u16string AText) {
  if (ATab >= FTabs.size() || ARow >= FTabs[ATab].Rows.size()) {
    return false;
  }
  FTabs[ATab].Rows[ARow].Translation = std::move(AText);
  return true;
}

bool TLanguageTranslateEditor::IsTabVisible(std::size_t ATab) const {
  const auto tab = static_cast<long long>(ATab);
  return tab >= FPageOffset && tab < FPageOffset + kVisibleTabs;
}

std::size_t TLanguageTranslateEditor::OriginalCount() const {
  return FLang != nullptr ? FLang->Original().Count() : 0;
}

std::size_t TLanguageTranslateEditor::UsedRows(const TTranslateTab& ATab) {
  std::size_t n = 0;
  while (n < ATab.Rows.size() && !ATab.Rows[n].Original.empty()) {
    ++n;
  }
  return n;
}

std::u16string TLanguageTranslateEditor::UiLocalPath() const {
  return FPlatform.Files.ExecutableFolder() + u"ui.local";
}

void TLanguageTranslateEditor::MakeTab(const TLocaleIndexEntry& AEntry,
                                       const TLanguageTable* ATable, bool AFallback,
                                       int ATabWidth) {
  const auto& original = FLang->Original();
  TTranslateTab tab;
  tab.Caption = AEntry.LanguageName;
  tab.Hint = AEntry.Key;
  tab.TabWidth = ATabWidth;
  tab.Rows.resize(original.Count() + kInitialExtraRows);
  for (std::size_t i = 0; i < original.Count(); ++i) {
    tab.Rows[i].Original = original[i];
    std::u16string value = ATable ? ATable->ValueOf(original[i]).value_or(u"") : u"";
    if (value.empty() && AFallback) {
      value = original[i];
    }
    tab.Rows[i].Translation = std::move(value);
  }
  FTabs.push_back(std::move(tab));
  FSelectedTab = FTabs.size() - 1;
}

void TLanguageTranslateEditor::LoadLanguageAndCreateTranslateTabList(TuiLanguage& ALang) {
  FLang = &ALang;
  std::vector<const TLocaleIndexEntry*> used;
  for (const auto& resource : ALang.Resources()) {
    const auto* entry =
        FindLocaleIndexEntry(FIndexes.ShortIDIndex, resource.Name, FPlatform.Locale);
    if (entry == nullptr || resource.Name.empty() ||
        std::find(used.begin(), used.end(), entry) != used.end()) {
      continue;
    }
    used.push_back(entry);
    MakeTab(*entry, resource.Table.get(), true, 0);
  }
}

void TLanguageTranslateEditor::BtnAddLanguageClick() {
  if (FLang == nullptr || FComboIndex < 0 ||
      static_cast<std::size_t>(FComboIndex) >= FIndexes.ShortIDIndex.size()) {
    return;
  }
  const auto& entry = FIndexes.ShortIDIndex[static_cast<std::size_t>(FComboIndex)];
  for (std::size_t i = 0; i < FTabs.size(); ++i) {
    if (FTabs[i].Caption == entry.LanguageName) {
      FSelectedTab = i;
      return;
    }
  }
  // A locale without a country abbreviation has no key: it could never be saved.
  if (entry.Key.empty()) {
    return;
  }
  MakeTab(entry, FLang->FindLanguageTable(entry.Key), false, kAddedTabWidth);
}

void TLanguageTranslateEditor::BtnDeletClick() {
  if (!FSelectedTab) {
    return;
  }
  const std::size_t deleted = *FSelectedTab;
  FTabs.erase(FTabs.begin() + static_cast<std::ptrdiff_t>(deleted));
  // Keep the visible page within the tabs that are left.
  FPageOffset = std::clamp(FPageOffset, 0, std::max(0, TabCount() - kVisibleTabs));
  if (FTabs.empty()) {
    FSelectedTab.reset();
  } else {
    FSelectedTab = deleted > 0 ? deleted - 1 : 0;
  }
}

void TLanguageTranslateEditor::RewriteRows(TTranslateTab& ATab, bool AKeepGridEdits) {
  const auto& original = FLang->Original();
  const TLanguageTable* table = FLang->FindLanguageTable(ATab.Hint);
  std::map<std::u16string, std::u16string> edits;
  for (std::size_t i = 0, n = UsedRows(ATab); i < n; ++i) {
    edits[ATab.Rows[i].Original] = ATab.Rows[i].Translation;
  }
  const std::size_t before = UsedRows(ATab);
  for (std::size_t i = 0; i < original.Count(); ++i) {
    auto& row = ATab.Rows[i];
    row.Original = original[i];
    const auto edit = edits.find(original[i]);
    if ((AKeepGridEdits || table == nullptr) && edit != edits.end()) {
      row.Translation = edit->second;
    } else if (table != nullptr) {
      row.Translation = table->ValueOf(original[i]).value_or(u"");
      if (row.Translation.empty()) {
        row.Translation = original[i];
      }
    } else {
      row.Translation.clear();
    }
  }
  for (std::size_t i = original.Count(); i < std::max(before, original.Count()); ++i) {
    ATab.Rows[i] = {};
  }
}

void TLanguageTranslateEditor::BTNADDConstTextClick() {
  if (FLang == nullptr || ConstText.empty() || FLang->Original().Contains(ConstText)) {
    return;
  }
  FLang->Original().Add(ConstText);
  const std::size_t n = OriginalCount();
  for (auto& tab : FTabs) {
    if (tab.Rows.size() < n) {
      tab.Rows.resize(tab.Rows.size() + kGrowRows);
    }
    RewriteRows(tab, true);
  }
}

void TLanguageTranslateEditor::BTNDELCONSTTEXTClick() {
  if (FLang == nullptr || !FSelectedTab) {
    return;
  }
  const auto& selected = FTabs[*FSelectedTab];
  if (!selected.SelectedRow) {
    return;
  }
  const std::size_t r = *selected.SelectedRow;
  const std::u16string text = selected.Rows[r].Original;
  if (text.empty() || !FLang->Original().Remove(text)) {
    return;
  }
  const std::size_t n = OriginalCount();
  for (auto& tab : FTabs) {
    if (r >= tab.Rows.size()) {
      continue;
    }
    std::size_t i = r;
    while (i + 1 < tab.Rows.size() && !tab.Rows[i + 1].Original.empty()) {
      tab.Rows[i] = tab.Rows[i + 1];
      ++i;
    }
    tab.Rows[i] = {};
    if (n < tab.Rows.size()) {
      tab.Rows[n] = {};
    }
  }
}

void TLanguageTranslateEditor::RefreshTranslationGrids() {
  if (FLang == nullptr) {
    return;
  }
  const std::size_t n = OriginalCount();
  for (auto& tab : FTabs) {
    if (tab.Rows.size() < n) {
      tab.Rows.resize(n + kGrowRows);
    }
    RewriteRows(tab, false);
  }
}

std::vector<std::u16string> TLanguageTranslateEditor::BuildTextList(std::size_t ATab) const {
  std::vector<std::u16string> lines;
  std::vector<std::u16string> names;
  if (ATab >= FTabs.size()) {
    return lines;
  }
  const auto& tab = FTabs[ATab];
  const std::size_t used = std::min(UsedRows(tab), OriginalCount());
  for (std::size_t i = 0; i < used; ++i) {
    const auto& row = tab.Rows[i];
    if (row.Translation.empty()) {
      continue;
    }
    std::u16string line = row.Original + u"=" + row.Translation;
    const auto at = std::find(names.begin(), names.end(), row.Original);
    if (at != names.end()) {
      lines[static_cast<std::size_t>(at - names.begin())] = std::move(line);
    } else {
      names.push_back(row.Original);
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

bool TLanguageTranslateEditor::SpeedButton2Click() {
  if (!FSelectedTab) {
    return false;
  }
  MemoLines = BuildTextList(*FSelectedTab);
  return true;
}

void TLanguageTranslateEditor::BtnSaveTextListClick() {
  if (FLang == nullptr || !FSelectedTab) {
    return;
  }
  const std::u16string hint = FTabs[*FSelectedTab].Hint;
  // A tab whose language is not stored yet gets its table now, so the edited lines are kept.
  FLang->AddLang(hint);
  TLanguageTable& table = *FLang->FindLanguageTable(hint);
  FLang->Original().Clear();
  for (const auto& line : MemoLines) {
    const std::u16string name(LineName(line).value_or(line));
    if (name.empty()) {
      continue;
    }
    FLang->Original().Add(name);
    SetTableTranslation(table, name, std::u16string(LineValue(line).value_or(u"")));
  }
  // The edited tab shows its new lines; the other tabs follow the new originals and keep their
  // unsaved cell edits, as adding a text does.
  const std::size_t n = OriginalCount();
  for (std::size_t k = 0; k < FTabs.size(); ++k) {
    if (FTabs[k].Rows.size() < n) {
      FTabs[k].Rows.resize(n + kGrowRows);
    }
    RewriteRows(FTabs[k], /*AKeepGridEdits=*/k != *FSelectedTab);
  }
}

bool TLanguageTranslateEditor::BtnSaveClick() {
  if (FLang == nullptr) {
    return false;
  }
  FLang->ClearResources();
  const std::size_t n = OriginalCount();
  for (const auto& tab : FTabs) {
    FLang->AddLang(tab.Hint);
    TLanguageTable& table = *FLang->FindLanguageTable(tab.Hint);
    const std::size_t used = std::min(UsedRows(tab), n);
    for (std::size_t i = 0; i < used; ++i) {
      if (!tab.Rows[i].Translation.empty()) {
        SetTableTranslation(table, tab.Rows[i].Original, tab.Rows[i].Translation);
      }
    }
  }
  // SaveToFile replaces ui.local in one step: a failed write leaves the old file as it was.
  if (!FLang->SaveToFile(UiLocalPath())) {
    return false;
  }
  if (!OwnsLang()) {
    FCloseRequested = true;
  }
  return true;
}

void TLanguageTranslateEditor::BtnPrevPageMouseUp() {
  if (FPageOffset >= 1) {
    --FPageOffset;
  }
}

void TLanguageTranslateEditor::BtnNextPageMouseUp() {
  if (TabCount() - FPageOffset >= kVisibleTabs + 1) {
    ++FPageOffset;
  }
}

void OpenTranslationEditor(TuiLanguage& ALanguage, TPlatform& APlatform,
                           const TShowTranslationEditor& AShow) {
  auto editor = std::make_unique<TLanguageTranslateEditor>(APlatform);
  editor->SetLang(&ALanguage);
  editor->LoadLanguageAndCreateTranslateTabList(ALanguage);
  if (AShow) {
    AShow(*editor);
  }
}

void InstallTranslationEditor(TPlatform& APlatform, TShowTranslationEditor AShow) {
  if (!AShow) {
    SetOpenTranslationEditor({});
    return;
  }
  SetOpenTranslationEditor([&APlatform, show = std::move(AShow)](TuiLanguage& ALanguage) {
    OpenTranslationEditor(ALanguage, APlatform, show);
  });
}

}  // namespace mon
