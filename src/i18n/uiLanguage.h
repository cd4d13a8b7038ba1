// The language component: the language choice of the program, the translation of the Caption
// and Hint texts of every form that owns a language component, the language-ID lookups, and in
// design mode the collection of texts for the translation editor.
//
// Process-wide, shared by all language components (main thread only):
// - ParentFormList: the forms that own a language component, in creation order, once per
//   component they own. An entry leaves the list when its component or its form is destroyed,
//   so the form walk never meets a form that no longer exists; uiParentFormCount is the number
//   of entries.
// - the locale indexes (LanguageIDIndex, ShortIDIndex): rebuilt by every new component and kept
//   until the last component is destroyed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/component.h"
#include "i18n/language_store.h"
#include "i18n/locale_index.h"
#include "i18n/translation.h"

namespace mon {

class TuiLanguage;

// Called for an owned component whose class is in CustomClassList: the handler does all the
// work for it (the walk neither translates its properties nor walks what it owns). ATextList
// collects the original texts of the walk, AList is the walk's visited list, BaseName the
// dotted owner path of the component being walked, ATranslate whether the walk applies
// translations (true) or only collects (false).
using TOnCustomTranslate = std::function<void(
    TComponent& Sender, TComponent& AComponent, std::vector<std::u16string>& ATextList,
    std::vector<TComponent*>& AList, const std::u16string& BaseName, bool ATranslate)>;

// Raised at the end of every TuiLanguage::SetLang with the new Lang and its long name.
using TOnLanguageChanged =
    std::function<void(TComponent& Sender, const std::u16string& LanguageShortID,
                       const std::u16string& LanguageLongName)>;

class TuiLanguage : public TLanguageStore {
 public:
  // Outside design mode: fills the locale indexes and, when the executable's folder holds
  // ui.local, reads it (its languages come before those of the form data the host reads next).
  // A form owner is appended to ParentFormList.
  TuiLanguage(TComponent* AOwner, TPlatform& APlatform);
  ~TuiLanguage() override;

  std::u16string ClassName() const override { return u"TuiLanguage"; }

  // In design mode, setting it true collects the texts to translate and opens the translation
  // editor; it reads false again once the editor is closed (or could not be opened). Outside
  // design mode the value is only stored.
  bool Active() const { return FActive; }
  void SetActive(bool AValue);

  // Hides the store's AutoSelect (whose own value stays true and acts when loading ends):
  // setting true selects the user's language code at once.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool AValue);

  // The current short ID as last set through SetLang; hides the store's Lang.
  const std::u16string& Lang() const { return FLanguageName; }
  // The monitor's language switch: the store-level SetLang, then (outside design mode) every
  // form of ParentFormList has its components' Caption and Hint translated, then
  // OnLanguageChanged.
  void SetLang(const std::u16string& AValue);

  // Always reads false. Setting true in design mode asks for a language file ("*.Local") and
  // replaces every language by the file's.
  bool ActiveLoadFromFile() const { return false; }
  void SetActiveLoadFromFile(bool AValue);

  // Class names (matched case-insensitively against a component's exact class name) whose
  // texts their owners set: the walk leaves them alone.
  const std::vector<std::u16string>& SpecialClassName() const { return FTranslateSpecialClassList; }
  // Class names handed to OnCustomTranslate; empty by default. Assigning copies the list.
  const std::vector<std::u16string>& CustomClassList() const { return FTranslateCustomClassList; }
  void SetCustomClassList(const std::vector<std::u16string>& AValue);
  // The text properties translated on every component: "Caption", "Hint".
  const std::vector<std::u16string>& TranslatePropertyList() const {
    return FTranslatePropertyList;
  }

  TOnCustomTranslate OnCustomTranslate;
  TOnLanguageChanged OnLanguageChanged;

  int uiParentFormCount() const { return GetuiParentFormCount(); }
  int GetuiParentFormCount() const;

  // The system default language ID as four upper-case hexadecimal digits ("0409").
  std::u16string GetOSDefaultLang();
  // Position of the first language whose name equals AIndex (case-insensitive); -1 if none.
  int GetLanguageIndexByShortID(std::u16string_view AIndex) const;
  // The name of language AIndex; the empty string when AIndex is out of range.
  std::u16string GetLanguageShortIDByIndex(int AIndex) const;
  // The language name of the first LanguageIDIndex / ShortIDIndex entry whose key equals the
  // argument; the empty string if none.
  std::u16string GetLanguageLongNameByLangID(std::u16string_view LangID) const;
  std::u16string GetLanguageLongNameByShortID(std::u16string_view ShortID) const;

  // The form walk. TranslateComponentTree: nothing for nullptr; an empty ABaseName becomes
  // ComponentBaseName(AComponent); a component owning nothing gets TranslateProperties, any
  // other WalkOwnedComponents with a fresh visited list holding the component.
  void TranslateComponentTree(TComponent* AComponent, std::vector<std::u16string>& ATextList,
                              bool ATranslate, std::u16string ABaseName);
  // TranslateProperties on AComponent, then each owned component in ownership order by the
  // first rule that applies: special class (left alone), custom class (OnCustomTranslate),
  // a form owned by the application object (skipped), a vector scene (recorded as visited,
  // skipped: scenes translate themselves), already visited (skipped), otherwise recorded and
  // walked with the same base name below a form, else with ABaseName + "." + the walked
  // component's name.
  void WalkOwnedComponents(TComponent& AComponent, std::vector<std::u16string>& ATextList,
                           bool ATranslate, const std::u16string& ABaseName,
                           std::vector<TComponent*>& AVisited);
  // For each name of TranslatePropertyList: a non-empty text is appended to ATextList and
  // passed through TranslateText; with ATranslate a non-empty result is written back. A
  // component without the property, or whose property cannot be read, is skipped.
  void TranslateProperties(TComponent& AComponent, std::vector<std::u16string>& ATextList,
                           bool ATranslate);
  // Components of the special classes keep their texts: their owners set them.
  void TranslateSpecialComponent(TComponent& AComponent);
  // A form or data module: its class name; else with an owner: the owner's class name when the
  // owner is a form, otherwise ComponentBaseName(owner) + "." + the owner's name; no owner: the
  // empty string. Any failure gives the empty string.
  static std::u16string ComponentBaseName(const TComponent* AComponent);

 private:
  bool InClassList(const std::vector<std::u16string>& AList, std::u16string_view AClass) const;
  void CollectDesignTexts();

  bool FActive = false;
  bool FAutoSelect = false;
  std::u16string FLanguageName;
  std::vector<std::u16string> FTranslatePropertyList;
  std::vector<std::u16string> FTranslateSpecialClassList;
  std::vector<std::u16string> FTranslateCustomClassList;
};

// The forms of ParentFormList, in order (a form appears once per language component it owns).
std::vector<TComponent*> ParentFormList();
// The process-wide locale indexes, or nullptr while no language component exists.
const TLocaleIndexes* LanguageLocaleIndexes();

// The texts design mode adds to the originals besides those it collects (texts the hook
// subsystem shows without passing them through a form).
inline constexpr std::u16string_view kDesignModeExtraTexts[] = {u"Down",
                                                                u"Up",
                                                                u"ms",
                                                                u"Mouse Click",
                                                                u"Mouse Right Click",
                                                                u"Mouse Middle Click",
                                                                u"Backward(Mouse)",
                                                                u"Forward(Mouse)",
                                                                u"Wheel up(Mouse)",
                                                                u"Wheel Down(Mouse)"};

// Design-mode hooks of the translation editor (process-wide; an empty function is no hook).
// OpenTranslationEditor shows the editor modally on the component and returns when it closes.
using TOpenTranslationEditor = std::function<void(TuiLanguage& ALanguage)>;
void SetOpenTranslationEditor(TOpenTranslationEditor AHook);
// ChooseLanguageFile shows a file-open dialog with the filter AFilter and returns the chosen
// file, or nullopt.
using TChooseLanguageFile =
    std::function<std::optional<std::u16string>(const std::u16string& AFilter)>;
void SetChooseLanguageFile(TChooseLanguageFile AHook);

}  // namespace mon
