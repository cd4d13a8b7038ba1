#include "i18n/uiLanguage.h"

#include <algorithm>
#include <map>
#include <memory>

#include "platform/file_system.h"

namespace mon {

namespace {

constexpr std::u16string_view kLocalLanguageFile = u"ui.local";
constexpr std::u16string_view kLanguageFileFilter = u"Language Files|*.Local";

struct TParentFormEntry {
  TComponent* Form;
  const TuiLanguage* Language;
};

struct TLanguageComponentState {
  std::vector<TParentFormEntry> ParentForms;
  // The destroy handler each listed form carries, by form.
  std::map<TComponent*, std::size_t> FormHandlers;
  // Built from IndexLocale at the first lookup after a component was made (enumerating every
  // locale the system knows costs start-up time and memory a tray program rarely needs).
  std::unique_ptr<TLocaleIndexes> Indexes;
  TLocale* IndexLocale = nullptr;  // the platform's, which outlives every component; null: design
  std::size_t LiveComponents = 0;
  TOpenTranslationEditor OpenTranslationEditor;
  TChooseLanguageFile ChooseLanguageFile;
};

TLanguageComponentState& State() {
  static TLanguageComponentState state;
  return state;
}

const TLocaleIndexes* CurrentLocaleIndexes() {
  TLanguageComponentState& state = State();
  if (state.LiveComponents == 0) {
    return nullptr;
  }
  if (!state.Indexes) {
    state.Indexes = std::make_unique<TLocaleIndexes>(
        state.IndexLocale != nullptr ? BuildLocaleIndexes(*state.IndexLocale) : TLocaleIndexes());
  }
  return state.Indexes.get();
}

void RegisterParentForm(TComponent& AForm, const TuiLanguage& ALanguage) {
  TLanguageComponentState& state = State();
  state.ParentForms.push_back({&AForm, &ALanguage});
  if (state.FormHandlers.count(&AForm) == 0) {
    TComponent* const form = &AForm;
    state.FormHandlers[form] = AForm.AddDestroyHandler([form](TComponent&) {
      TLanguageComponentState& current = State();
      std::erase_if(current.ParentForms,
                    [form](const TParentFormEntry& AEntry) { return AEntry.Form == form; });
      current.FormHandlers.erase(form);
    });
  }
}

void UnregisterLanguage(const TuiLanguage& ALanguage) {
  TLanguageComponentState& state = State();
  const auto entry =
      std::find_if(state.ParentForms.begin(), state.ParentForms.end(),
                   [&](const TParentFormEntry& AEntry) { return AEntry.Language == &ALanguage; });
  if (entry == state.ParentForms.end()) {
    return;  // never registered, or its form is gone already
  }
  TComponent* const form = entry->Form;
  state.ParentForms.erase(entry);
  const bool formStillListed =
      std::any_of(state.ParentForms.begin(), state.ParentForms.end(),
                  [form](const TParentFormEntry& AEntry) { return AEntry.Form == form; });
  if (!formStillListed) {
    // The form is alive: had it been destroyed, its handler would have removed the entry.
    const auto handler = state.FormHandlers.find(form);
    if (handler != state.FormHandlers.end()) {
      form->RemoveDestroyHandler(handler->second);
      state.FormHandlers.erase(handler);
    }
  }
}

bool IsParentForm(const TComponent* AForm) {
  const auto& forms = State().ParentForms;
  return std::any_of(forms.begin(), forms.end(),
                     [AForm](const TParentFormEntry& AEntry) { return AEntry.Form == AForm; });
}

std::u16string HexDigits4(std::uint16_t AValue) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text(4, u'0');
  for (int i = 3; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[AValue & 0xF];
    AValue = static_cast<std::uint16_t>(AValue >> 4);
  }
  return text;
}

}  // namespace

TuiLanguage::TuiLanguage(TComponent* AOwner, TPlatform& APlatform)
    : TLanguageStore(AOwner, APlatform) {
  TLanguageComponentState& state = State();
  // Every new component replaces the indexes (built at the next lookup); they stay until the
  // last component goes.
  state.Indexes.reset();
  state.IndexLocale = IsDesigning() ? nullptr : &Locale();
  ++state.LiveComponents;
  try {
    FTranslatePropertyList = {u"Caption", u"Hint"};
    FTranslateSpecialClassList = {u"TMenuItem", u"TTabControl", u"TTabSheet",   u"TListView",
                                  u"TTreeView", u"TStatusBar",  u"TComboBoxEx", u"TuiMenuEx"};
    if (AOwner != nullptr && AOwner->IsForm()) {
      RegisterParentForm(*AOwner, *this);
    }
    if (!IsDesigning()) {
      const std::u16string localFile =
          IncludeTrailingBackslash(Files().ExecutableFolder()) + std::u16string(kLocalLanguageFile);
      if (Files().FileExists(localFile)) {
        ClearResources();
        LoadFromFile(localFile);
      }
    }
  } catch (...) {
    UnregisterLanguage(*this);
    if (--state.LiveComponents == 0) {
      state.Indexes.reset();
      state.IndexLocale = nullptr;
    }
    throw;
  }
}

TuiLanguage::~TuiLanguage() {
  TLanguageComponentState& state = State();
  UnregisterLanguage(*this);
  if (--state.LiveComponents == 0) {
    state.Indexes.reset();
    state.IndexLocale = nullptr;
  }
}

void TuiLanguage::SetActive(bool AValue) {
  if (AValue == FActive) {
    return;
  }
  FActive = AValue;
  if (!FActive || !IsDesigning()) {
    return;
  }
  try {
    CollectDesignTexts();
  } catch (...) {
    FActive = false;
    return;
  }
  // The editor is modal; once it is closed, or when it cannot be opened, Active reads false.
  try {
    const TOpenTranslationEditor editor = State().OpenTranslationEditor;
    if (editor) {
      editor(*this);
    }
  } catch (...) {
    FActive = false;
    throw;
  }
  FActive = false;
}

void TuiLanguage::CollectDesignTexts() {
  // 1. What the registered scenes show, in their original texts.
  {
    struct TEndCollection {
      ~TEndCollection() { EndTextCollection(); }
    } endCollection;
    BeginTextCollection(Locale());
    RetranslateScenes();
    if (const TSortedTextList* collected = CollectedTexts()) {
      for (const auto& text : collected->Lines()) {
        Original().Add(text);  // a text already there is not added again
      }
    }
  }
  // 2. The captions and hints of every form with a language component, untranslated.
  std::vector<std::u16string> texts;
  for (TComponent* form : ParentFormList()) {
    if (IsParentForm(form)) {
      TranslateComponentTree(form, texts, false, u"");
    }
  }
  for (auto& text : texts) {
    Original().Add(std::move(text));
  }
  // 3. Texts shown elsewhere.
  for (const auto text : kDesignModeExtraTexts) {
    Original().Add(std::u16string(text));
  }
}

void TuiLanguage::SetAutoSelect(bool AValue) {
  FAutoSelect = AValue;
  if (AValue) {
    SetLang(GetUserLanguageCode());
  }
}

void TuiLanguage::SetLang(const std::u16string& AValue) {
  TLanguageStore::SetLang(AValue);
  FLanguageName = AValue;
  if (!IsDesigning()) {
    std::vector<std::u16string> texts;  // shared by the whole walk, then discarded
    for (TComponent* form : ParentFormList()) {
      // A handler run by the walk may have destroyed a form of this round.
      if (IsParentForm(form)) {
        TranslateComponentTree(form, texts, true, u"");
      }
    }
  }
  if (OnLanguageChanged) {
    OnLanguageChanged(*this, FLanguageName, GetLanguageLongNameByShortID(FLanguageName));
  }
}

void TuiLanguage::SetActiveLoadFromFile(bool AValue) {
  if (!AValue || !IsDesigning()) {
    return;
  }
  const TChooseLanguageFile choose = State().ChooseLanguageFile;
  if (!choose) {
    return;
  }
  const std::optional<std::u16string> file = choose(std::u16string(kLanguageFileFilter));
  if (file) {
    ClearResources();
    LoadFromFile(*file);
  }
}

void TuiLanguage::SetCustomClassList(const std::vector<std::u16string>& AValue) {
  FTranslateCustomClassList = AValue;
}

int TuiLanguage::GetuiParentFormCount() const {
  return static_cast<int>(State().ParentForms.size());
}

std::u16string TuiLanguage::GetOSDefaultLang() {
  return HexDigits4(Locale().SystemDefaultLangId());
}

int TuiLanguage::GetLanguageIndexByShortID(std::u16string_view AIndex) const {
  const auto index = IndexOfLanguage(AIndex);
  return index ? static_cast<int>(*index) : -1;
}

std::u16string TuiLanguage::GetLanguageShortIDByIndex(int AIndex) const {
  if (AIndex < 0 || static_cast<std::size_t>(AIndex) >= Resources().size()) {
    return {};
  }
  return Resources()[static_cast<std::size_t>(AIndex)].Name;
}

std::u16string TuiLanguage::GetLanguageLongNameByLangID(std::u16string_view LangID) const {
  const TLocaleIndexes* indexes = CurrentLocaleIndexes();
  if (indexes == nullptr) {
    return {};
  }
  const TLocaleIndexEntry* entry = FindLocaleIndexEntry(indexes->LanguageIDIndex, LangID, Locale());
  return entry != nullptr ? entry->LanguageName : std::u16string();
}

std::u16string TuiLanguage::GetLanguageLongNameByShortID(std::u16string_view ShortID) const {
  const TLocaleIndexes* indexes = CurrentLocaleIndexes();
  if (indexes == nullptr) {
    return {};
  }
  const TLocaleIndexEntry* entry = FindLocaleIndexEntry(indexes->ShortIDIndex, ShortID, Locale());
  return entry != nullptr ? entry->LanguageName : std::u16string();
}

bool TuiLanguage::InClassList(const std::vector<std::u16string>& AList,
                              std::u16string_view AClass) const {
  return std::any_of(AList.begin(), AList.end(), [&](const std::u16string& AName) {
    return Locale().CompareUserLocale(AName, AClass, TCompareCase::IgnoreCase) == 0;
  });
}

void TuiLanguage::TranslateComponentTree(TComponent* AComponent,
                                         std::vector<std::u16string>& ATextList, bool ATranslate,
                                         std::u16string ABaseName) {
  if (AComponent == nullptr) {
    return;
  }
  if (ABaseName.empty()) {
    ABaseName = ComponentBaseName(AComponent);
  }
  std::vector<TComponent*> visited{AComponent};
  if (AComponent->ComponentCount() == 0) {
    TranslateProperties(*AComponent, ATextList, ATranslate);
  } else {
    WalkOwnedComponents(*AComponent, ATextList, ATranslate, ABaseName, visited);
  }
}

void TuiLanguage::WalkOwnedComponents(TComponent& AComponent,
                                      std::vector<std::u16string>& ATextList, bool ATranslate,
                                      const std::u16string& ABaseName,
                                      std::vector<TComponent*>& AVisited) {
  TranslateProperties(AComponent, ATextList, ATranslate);
  // By index, re-reading the count: a custom handler may create or destroy components.
  for (std::size_t i = 0; i < AComponent.ComponentCount(); ++i) {
    TComponent* child = AComponent.Components(i);
    if (child == nullptr) {
      continue;
    }
    const std::u16string className = child->ClassName();
    if (InClassList(FTranslateSpecialClassList, className)) {
      TranslateSpecialComponent(*child);
      continue;
    }
    if (InClassList(FTranslateCustomClassList, className)) {
      if (OnCustomTranslate) {
        OnCustomTranslate(*this, *child, ATextList, AVisited, ABaseName, ATranslate);
      }
      continue;
    }
    if (AComponent.IsApplication() && child->IsForm()) {
      continue;
    }
    if (dynamic_cast<TTranslatedScene*>(child) != nullptr) {
      AVisited.push_back(child);
      continue;
    }
    if (std::find(AVisited.begin(), AVisited.end(), child) != AVisited.end()) {
      continue;
    }
    AVisited.push_back(child);
    WalkOwnedComponents(*child, ATextList, ATranslate,
                        AComponent.IsForm() ? ABaseName : ABaseName + u"." + AComponent.Name(),
                        AVisited);
  }
}

void TuiLanguage::TranslateProperties(TComponent& AComponent,
                                      std::vector<std::u16string>& ATextList, bool ATranslate) {
  for (const auto& property : FTranslatePropertyList) {
    std::optional<std::u16string> text;
    try {
      text = AComponent.GetTextProperty(property);
    } catch (...) {
      continue;  // a property that cannot be read is skipped
    }
    if (!text || text->empty()) {
      continue;
    }
    ATextList.push_back(*text);
    const std::u16string translated = TranslateText(*text);
    if (ATranslate && !translated.empty()) {
      AComponent.SetTextProperty(property, translated);
    }
  }
}

void TuiLanguage::TranslateSpecialComponent(TComponent&) {}

std::u16string TuiLanguage::ComponentBaseName(const TComponent* AComponent) {
  try {
    if (AComponent == nullptr) {
      return {};
    }
    if (AComponent->IsForm() || AComponent->IsDataModule()) {
      return AComponent->ClassName();
    }
    const TComponent* owner = AComponent->Owner();
    if (owner == nullptr) {
      return {};
    }
    if (owner->IsForm()) {
      return owner->ClassName();
    }
    return ComponentBaseName(owner) + u"." + owner->Name();
  } catch (...) {
    return {};
  }
}

std::vector<TComponent*> ParentFormList() {
  std::vector<TComponent*> forms;
  for (const auto& entry : State().ParentForms) {
    forms.push_back(entry.Form);
  }
  return forms;
}

const TLocaleIndexes* LanguageLocaleIndexes() {
  return CurrentLocaleIndexes();
}

void SetOpenTranslationEditor(TOpenTranslationEditor AHook) {
  State().OpenTranslationEditor = std::move(AHook);
}

void SetChooseLanguageFile(TChooseLanguageFile AHook) {
  State().ChooseLanguageFile = std::move(AHook);
}

}  // namespace mon
