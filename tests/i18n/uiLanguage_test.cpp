#include "i18n/uiLanguage.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "framework/application.h"
#include "framework/text.h"
#include "i18n/embedded_table.h"
#include "i18n/language_stream.h"
#include "i18n_test_support.h"

namespace mon {
namespace {

using Texts = std::vector<std::u16string>;

const std::u16string kConfigCh = u"\u6253\u5f00\u914d\u7f6e";
const std::u16string kExitCh = u"\u9000\u51fa\u8f6f\u4ef6";
const std::u16string kAboutCh = u"\u5173\u4e8e\u8f6f\u4ef6";
const std::u16string kOkCh = u"\u786e\u5b9a";

// A component of any class name, with Caption and Hint.
class TItem : public TTextComponent {
 public:
  TItem(TComponent* AOwner, std::u16string AClass, std::u16string AName,
        std::u16string ACaption = u"", std::u16string AHint = u"")
      : TTextComponent(AOwner), FClass(std::move(AClass)) {
    SetName(std::move(AName));
    SetCaption(std::move(ACaption));
    SetHint(std::move(AHint));
  }
  std::u16string ClassName() const override { return FClass; }

 private:
  std::u16string FClass;
};

class TMainForm : public TForm {
 public:
  using TForm::TForm;
  std::u16string ClassName() const override { return u"TMainForm"; }
};

// A vector scene: its caption follows the current language by itself; its hint does not.
class TScene : public TItem, public TTranslatedScene {
 public:
  TScene(TComponent* AOwner, std::u16string ACaption, std::u16string AHint)
      : TItem(AOwner, u"TuiScene", u"Scene1", std::move(ACaption), std::move(AHint)) {
    RegisterTranslatedScene(*this);
  }
  ~TScene() override { UnregisterTranslatedScene(*this); }
  void Retranslate() override {
    if (Fail) {
      throw std::runtime_error("scene failed");
    }
    SetCaption(TranslateText(Caption()));
  }
  bool Fail = false;
};

// A component whose Caption cannot be read.
class TUnreadable : public TItem {
 public:
  using TItem::TItem;
  std::optional<std::u16string> GetTextProperty(std::u16string_view AName) const override {
    if (AName == u"Caption") {
      throw std::runtime_error("unreadable");
    }
    return TItem::GetTextProperty(AName);
  }
};

class UiLanguageTest : public testing::TranslationStateTest {
 protected:
  void TearDown() override {
    SetOpenTranslationEditor({});
    SetChooseLanguageFile({});
    TranslationStateTest::TearDown();
  }
  // The language component as the host makes it: construction, the form data (the embedded
  // table), then Loaded.
  std::unique_ptr<TuiLanguage> MakeLanguage(TComponent* AOwner) {
    auto language = std::make_unique<TuiLanguage>(AOwner, FFake.Platform());
    language->SetName(u"uiLanguage1");
    language->BeginLoading();
    language->ReadResourcesBin(EmbeddedResourcesBin());
    language->EndLoading();
    return language;
  }
  void AddLocalFile(const TLanguageStreamContent& AContent) {
    FFake.Files.AddFile(u"C:\\Program\\ui.local", WriteLanguageStream(AContent));
  }
};

TEST_F(UiLanguageTest, LanguageIndexLookups) {
  TMainForm form(nullptr);
  auto language = MakeLanguage(&form);
  EXPECT_EQ(language->GetLanguageIndexByShortID(u"ch"), 0);
  EXPECT_EQ(language->GetLanguageIndexByShortID(u"US"), 1);
  EXPECT_EQ(language->GetLanguageIndexByShortID(u"en"), -1);
  EXPECT_EQ(language->GetLanguageShortIDByIndex(0), u"CH");
  EXPECT_EQ(language->GetLanguageShortIDByIndex(1), u"US");
  EXPECT_EQ(language->GetLanguageShortIDByIndex(2), u"");
  EXPECT_EQ(language->GetLanguageShortIDByIndex(-1), u"");
}

TEST_F(UiLanguageTest, UiLocalLanguagesComeBeforeTheEmbeddedOnes) {
  AddLocalFile(
      {u"Config\r\n", {{u"CH", u"Config=FILE\r\n"}, {u"DE", u"Config=Konfiguration\r\n"}}});
  TMainForm form(nullptr);
  auto language = MakeLanguage(&form);
  ASSERT_EQ(language->Resources().size(), 4u);
  EXPECT_EQ(language->GetLanguageShortIDByIndex(1), u"DE");
  EXPECT_EQ(language->GetLanguageShortIDByIndex(2), u"CH");
  EXPECT_EQ(language->GetLanguageShortIDByIndex(3), u"US");
  EXPECT_EQ(language->Original().Count(),
            testing::kEmbeddedOriginalCount);  // the form data's originals replace the file's
  language->SetLang(u"CH");                    // the file's table
  EXPECT_EQ(TranslateText(u"Config"), u"FILE");
}

TEST_F(UiLanguageTest, SetLangTranslatesCaptionsAndHintsOfEveryParentForm) {
  TMainForm form(nullptr);
  TItem label(&form, u"TLabel", u"Label1", u"Config", u"Exit");
  TItem panel(&form, u"TPanel", u"Panel1");
  TItem inner(&panel, u"TLabel", u"Label2", u"About");
  auto language = MakeLanguage(&form);
  TMainForm other(nullptr);
  TItem button(&other, u"TButton", u"Button1", u"OK");
  auto otherLanguage = MakeLanguage(&other);

  language->SetLang(u"CH");
  EXPECT_EQ(language->Lang(), u"CH");
  EXPECT_EQ(label.Caption(), kConfigCh);
  EXPECT_EQ(label.Hint(), kExitCh);
  EXPECT_EQ(inner.Caption(), kAboutCh);
  EXPECT_EQ(button.Caption(), kOkCh);  // every form with a language component
}

TEST_F(UiLanguageTest, EnRevertsScenesButLeavesFormCaptions) {
  TMainForm form(nullptr);
  TItem label(&form, u"TLabel", u"Label1", u"Config");
  TScene scene(&form, u"About", u"Config");
  auto language = MakeLanguage(&form);
  language->SetLang(u"CH");
  EXPECT_EQ(scene.Caption(), kAboutCh);
  EXPECT_EQ(scene.Hint(), u"Config");  // the walk leaves scenes alone
  language->SetLang(u"en");
  EXPECT_EQ(scene.Caption(), u"About");
  EXPECT_EQ(label.Caption(), kConfigCh);
}

TEST_F(UiLanguageTest, ChineseThenEnglishLeavesChineseCaptions) {
  TMainForm form(nullptr);
  TItem label(&form, u"TLabel", u"Label1", u"OK");
  auto language = MakeLanguage(&form);
  language->SetLang(u"CH");
  language->SetLang(u"US");
  EXPECT_EQ(label.Caption(), kOkCh);  // "US" has no line for the Chinese text
  EXPECT_EQ(TranslateText(u"Help & Support:"), u"Help & Support");
}

TEST_F(UiLanguageTest, UnknownNamesKeepTheTableAndTheEventReportsLongNames) {
  TMainForm form(nullptr);
  auto language = MakeLanguage(&form);
  std::vector<std::pair<std::u16string, std::u16string>> events;
  language->OnLanguageChanged = [&](TComponent& Sender, const std::u16string& AShortID,
                                    const std::u16string& ALongName) {
    EXPECT_EQ(&Sender, language.get());
    events.emplace_back(AShortID, ALongName);
  };
  language->SetLang(u"CH");
  language->SetLang(u"0409");
  EXPECT_EQ(language->Lang(), u"0409");
  EXPECT_EQ(TranslateText(u"Config"), kConfigCh);
  EXPECT_EQ(events, (std::vector<std::pair<std::u16string, std::u16string>>{
                        {u"CH", u""}, {u"0409", u"English (United States)"}}));
}

TEST_F(UiLanguageTest, WalkLeavesSpecialClassesAndHandsCustomClassesToTheEvent) {
  TMainForm form(nullptr);
  TItem menuItem(&form, u"TMenuItem", u"Item1", u"Config");
  TItem insideMenu(&menuItem, u"TLabel", u"Label0", u"Config");
  TItem statusBar(&form, u"tstatusbar", u"Status1", u"Exit");  // class names ignore case
  TItem panel(&form, u"TPanel", u"Panel1");
  TItem subPanel(&panel, u"TPanel", u"Panel2");
  TItem custom(&subPanel, u"TUIBUTTON", u"Button1", u"Config");
  TItem insideCustom(&custom, u"TLabel", u"Label3", u"Config");
  TItem later(&subPanel, u"TLabel", u"Label4", u"Exit");
  auto language = MakeLanguage(&form);
  language->SetCustomClassList({u"TuiButton"});

  struct TCall {
    TComponent* Component;
    std::u16string BaseName;
    bool Translate;
    std::size_t Visited;
  };
  std::vector<TCall> calls;
  language->OnCustomTranslate = [&](TComponent&, TComponent& AComponent, Texts& ATexts,
                                    std::vector<TComponent*>& AList,
                                    const std::u16string& ABaseName, bool ATranslate) {
    calls.push_back({&AComponent, ABaseName, ATranslate, AList.size()});
    ATexts.push_back(u"from handler");
    AList.push_back(&later);  // visited: the walk must skip it
  };
  language->SetLang(u"CH");

  EXPECT_EQ(menuItem.Caption(), u"Config");
  EXPECT_EQ(insideMenu.Caption(), u"Config");
  EXPECT_EQ(statusBar.Caption(), u"Exit");
  EXPECT_EQ(custom.Caption(), u"Config");
  EXPECT_EQ(insideCustom.Caption(), u"Config");
  EXPECT_EQ(later.Caption(), u"Exit");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Component, &custom);
  EXPECT_EQ(calls[0].BaseName, u"TMainForm.Panel1");
  EXPECT_TRUE(calls[0].Translate);
  EXPECT_EQ(calls[0].Visited, 3u);  // the form, Panel1, Panel2
}

TEST_F(UiLanguageTest, WalkCollectsTextsInOrderAndSkipsWhatItCannotRead) {
  TMainForm form(nullptr);
  form.SetCaption(u"About");
  TItem label(&form, u"TLabel", u"Label1", u"Config", u"Exit");
  TUnreadable unreadable(&form, u"TLabel", u"Label2", u"Config", u"OK");
  TComponent plain(&form);  // no text properties
  TItem last(&form, u"TLabel", u"Label3", u"Unknown text");
  auto language = MakeLanguage(&form);
  language->SetLang(u"CH");

  Texts texts;
  language->TranslateComponentTree(&form, texts, false, u"");
  // The captions are Chinese now; without translation nothing changes.
  EXPECT_EQ(texts, (Texts{kAboutCh, kConfigCh, kExitCh, kOkCh, u"Unknown text"}));
  EXPECT_EQ(unreadable.Hint(), kOkCh);
  EXPECT_EQ(last.Caption(), u"Unknown text");
  language->TranslateComponentTree(nullptr, texts, true, u"");
  EXPECT_EQ(texts.size(), 5u);
}

TEST_F(UiLanguageTest, WalkFromTheApplicationSkipsItsForms) {
  TApplication application;
  TMainForm form(&application);
  TItem label(&form, u"TLabel", u"Label1", u"Config");
  TItem helper(&application, u"TLabel", u"Helper", u"Exit");
  TMainForm host(nullptr);
  auto language = MakeLanguage(&host);
  language->SetLang(u"CH");
  Texts texts;
  language->TranslateComponentTree(&application, texts, true, u"");
  EXPECT_EQ(label.Caption(), u"Config");
  EXPECT_EQ(helper.Caption(), kExitCh);
}

TEST_F(UiLanguageTest, ComponentBaseNames) {
  TMainForm form(nullptr);
  TItem panel(&form, u"TPanel", u"Panel1");
  TItem subPanel(&panel, u"TPanel", u"Panel2");
  TItem label(&subPanel, u"TLabel", u"Label1");
  TDataModule module(nullptr);
  module.SetName(u"DM");
  TItem onModule(&module, u"TTimer", u"Timer1");
  TItem loose(nullptr, u"TLabel", u"Loose");
  EXPECT_EQ(TuiLanguage::ComponentBaseName(&form), u"TMainForm");
  EXPECT_EQ(TuiLanguage::ComponentBaseName(&panel), u"TMainForm");
  EXPECT_EQ(TuiLanguage::ComponentBaseName(&label), u"TMainForm.Panel1.Panel2");
  EXPECT_EQ(TuiLanguage::ComponentBaseName(&module), u"TDataModule");
  EXPECT_EQ(TuiLanguage::ComponentBaseName(&onModule), u"TDataModule.DM");  // not a form
  EXPECT_EQ(TuiLanguage::ComponentBaseName(&loose), u"");
  EXPECT_EQ(TuiLanguage::ComponentBaseName(nullptr), u"");

  class TBrokenForm : public TForm {
   public:
    using TForm::TForm;
    std::u16string ClassName() const override { throw std::runtime_error("broken"); }
  } broken(nullptr);
  TItem onBroken(&broken, u"TLabel", u"Label1");
  EXPECT_EQ(TuiLanguage::ComponentBaseName(&onBroken), u"");
}

TEST_F(UiLanguageTest, ParentFormListFollowsComponentsAndForms) {
  TMainForm form(nullptr);
  auto first = MakeLanguage(&form);
  auto second = MakeLanguage(&form);
  EXPECT_EQ(ParentFormList(), (std::vector<TComponent*>{&form, &form}));
  EXPECT_EQ(first->uiParentFormCount(), 2);

  // Owners that are not forms are not listed, and their components take nothing away.
  TDataModule module(nullptr);
  auto onModule = MakeLanguage(&module);
  auto unowned = MakeLanguage(nullptr);
  EXPECT_EQ(first->GetuiParentFormCount(), 2);
  onModule.reset();
  unowned.reset();
  EXPECT_EQ(first->GetuiParentFormCount(), 2);

  second.reset();
  EXPECT_EQ(first->GetuiParentFormCount(), 1);

  // A form destroyed before its language component leaves the list at once.
  auto doomed = std::make_unique<TMainForm>(nullptr);
  auto orphan = MakeLanguage(doomed.get());
  EXPECT_EQ(first->GetuiParentFormCount(), 2);
  doomed.reset();
  EXPECT_EQ(ParentFormList(), (std::vector<TComponent*>{&form}));
  orphan->SetLang(u"CH");  // walks only the living form
  orphan.reset();
  EXPECT_EQ(first->GetuiParentFormCount(), 1);
}

TEST_F(UiLanguageTest, AFormDestroyedDuringTheWalkIsNotVisited) {
  TMainForm form(nullptr);
  TItem custom(&form, u"TDestroyer", u"Destroyer1");
  auto language = MakeLanguage(&form);
  auto doomed = std::make_unique<TMainForm>(nullptr);
  TItem label(doomed.get(), u"TLabel", u"Label1", u"Config");
  auto doomedLanguage = MakeLanguage(doomed.get());
  language->SetCustomClassList({u"TDestroyer"});
  language->OnCustomTranslate = [&](TComponent&, TComponent&, Texts&, std::vector<TComponent*>&,
                                    const std::u16string&, bool) { doomed.reset(); };
  language->SetLang(u"CH");
  EXPECT_EQ(doomed, nullptr);
  EXPECT_EQ(label.Caption(), u"Config");  // its form left the list before its turn
  EXPECT_EQ(ParentFormList(), (std::vector<TComponent*>{&form}));
}

TEST_F(UiLanguageTest, LocaleIndexesAnswerLongNames) {
  FFake.Locale.Find(0x040c)->AbbrevCountryName = u"FRAN";  // does not fit 4 units
  TMainForm form(nullptr);
  auto language = MakeLanguage(&form);
  EXPECT_EQ(language->GetLanguageLongNameByLangID(u"0409"), u"English (United States)");
  EXPECT_EQ(language->GetLanguageLongNameByLangID(u"0407"), u"German (Germany)");  // the first
  EXPECT_EQ(language->GetLanguageLongNameByLangID(u"040C"), u"French (France)");
  EXPECT_EQ(language->GetLanguageLongNameByLangID(u"0000"), u"");
  EXPECT_EQ(language->GetLanguageLongNameByShortID(u"0804"), u"Chinese (Simplified, PRC)");
  EXPECT_EQ(language->GetLanguageLongNameByShortID(u"CH"), u"");
  EXPECT_EQ(language->GetLanguageLongNameByShortID(u"040c"), u"");
  EXPECT_EQ(language->GetLanguageLongNameByShortID(u"1000"), u"");
  // Locales without a country abbreviation sit under the empty key.
  EXPECT_EQ(language->GetLanguageLongNameByShortID(u""), u"French (France)");
}

TEST_F(UiLanguageTest, LocaleIndexesStayValidWhileAnyComponentLives) {
  TMainForm form(nullptr);
  auto first = MakeLanguage(&form);
  FFake.Locale.Find(0x0409)->LanguageName = u"Rebuilt";
  auto second = MakeLanguage(&form);
  EXPECT_EQ(first->GetLanguageLongNameByLangID(u"0409"), u"Rebuilt");  // rebuilt by the newest
  second.reset();
  EXPECT_EQ(first->GetLanguageLongNameByLangID(u"0409"), u"Rebuilt");
  ASSERT_NE(LanguageLocaleIndexes(), nullptr);
  first.reset();
  EXPECT_EQ(LanguageLocaleIndexes(), nullptr);
}

TEST_F(UiLanguageTest, LocalesAreEnumeratedAtTheFirstLookUpOnly) {
  TMainForm form(nullptr);
  auto first = MakeLanguage(&form);
  auto second = MakeLanguage(&form);
  EXPECT_EQ(FFake.Locale.SupportedLocalesCalls, 0);  // a tray program that never asks pays nothing
  EXPECT_EQ(first->GetLanguageLongNameByLangID(u"0409"), u"English (United States)");
  EXPECT_EQ(second->GetLanguageLongNameByShortID(u"0804"), u"Chinese (Simplified, PRC)");
  EXPECT_EQ(FFake.Locale.SupportedLocalesCalls, 1);
}

TEST_F(UiLanguageTest, OsDefaultLanguageInUpperCaseHex) {
  TMainForm form(nullptr);
  auto language = MakeLanguage(&form);
  FFake.Locale.SystemLangId = 0x0804;
  EXPECT_EQ(language->GetOSDefaultLang(), u"0804");
  FFake.Locale.SystemLangId = 0x040a;
  EXPECT_EQ(language->GetOSDefaultLang(), u"040A");
}

TEST_F(UiLanguageTest, AutoSelectAtLoadAppliesTheTableButLeavesLangAndCaptions) {
  FFake.Locale.UserLcid = 0x0804;
  TMainForm form(nullptr);
  TItem label(&form, u"TLabel", u"Label1", u"Config");
  auto language = MakeLanguage(&form);
  EXPECT_EQ(TranslateText(u"Config"), kConfigCh);  // the store's own AutoSelect, at Loaded
  EXPECT_EQ(language->Lang(), u"");
  EXPECT_FALSE(language->AutoSelect());
  EXPECT_EQ(label.Caption(), u"Config");

  language->SetAutoSelect(true);  // the component's AutoSelect switches at once
  EXPECT_EQ(language->Lang(), u"ch");
  EXPECT_EQ(label.Caption(), kConfigCh);
}

class UiLanguageDesignTest : public UiLanguageTest {
 protected:
  void SetUp() override {
    UiLanguageTest::SetUp();
    FForm.SetDesigning(true);
  }
  TMainForm FForm{nullptr};
};

TEST_F(UiLanguageDesignTest, CreationReadsNoFileAndListsNoLocales) {
  AddLocalFile({u"X\r\n", {{u"DE", u"X=Y\r\n"}}});
  auto language = MakeLanguage(&FForm);
  EXPECT_EQ(language->Resources().size(), 2u);
  EXPECT_EQ(language->GetLanguageLongNameByLangID(u"0409"), u"");
}

TEST_F(UiLanguageDesignTest, SetLangChangesTheTableButWalksNoForm) {
  TItem label(&FForm, u"TLabel", u"Label1", u"Config");
  auto language = MakeLanguage(&FForm);
  language->SetLang(u"CH");
  EXPECT_EQ(TranslateText(u"Config"), kConfigCh);
  EXPECT_EQ(label.Caption(), u"Config");
}

TEST_F(UiLanguageDesignTest, ActivatingCollectsEveryTextAndOpensTheEditor) {
  TItem label(&FForm, u"TLabel", u"Label1", u"New caption", u"New hint");
  TScene scene(&FForm, u"Scene text", u"");
  auto language = MakeLanguage(&FForm);
  language->SetLang(u"CH");
  std::vector<TuiLanguage*> opened;
  bool activeWhileOpen = false;
  Texts originals;
  SetOpenTranslationEditor([&](TuiLanguage& ALanguage) {
    opened.push_back(&ALanguage);
    activeWhileOpen = ALanguage.Active();
    originals = ALanguage.Original().Lines();
  });

  language->SetActive(true);
  EXPECT_FALSE(language->Active());  // the editor was closed
  ASSERT_EQ(opened, (std::vector<TuiLanguage*>{language.get()}));
  EXPECT_TRUE(activeWhileOpen);
  const auto has = [&](std::u16string_view AText) {
    return std::find(originals.begin(), originals.end(), AText) != originals.end();
  };
  EXPECT_TRUE(has(u"Scene text"));
  EXPECT_TRUE(has(u"New caption"));
  EXPECT_TRUE(has(u"New hint"));
  for (const auto text : kDesignModeExtraTexts) {
    EXPECT_TRUE(has(text)) << Utf16ToUtf8(text);
  }
  EXPECT_EQ(originals.size(),
            testing::kEmbeddedOriginalCount + 3u);  // the ten extra texts are originals already
  EXPECT_EQ(CollectedTexts(), nullptr);
  EXPECT_EQ(CurrentLanguageTable(), nullptr);  // collecting reverted to the originals
}

TEST_F(UiLanguageDesignTest, ActiveFallsBackWhenTheEditorCannotOpenOrCollectingFails) {
  TScene scene(&FForm, u"Scene text", u"");
  auto language = MakeLanguage(&FForm);
  language->SetActive(true);  // no editor hook
  EXPECT_FALSE(language->Active());

  SetOpenTranslationEditor([](TuiLanguage&) { throw std::runtime_error("editor failed"); });
  EXPECT_THROW(language->SetActive(true), std::runtime_error);
  EXPECT_FALSE(language->Active());

  bool opened = false;
  SetOpenTranslationEditor([&](TuiLanguage&) { opened = true; });
  scene.Fail = true;
  language->SetActive(true);
  EXPECT_FALSE(language->Active());
  EXPECT_FALSE(opened);
  EXPECT_EQ(CollectedTexts(), nullptr);  // the collection does not outlive the failure
}

TEST_F(UiLanguageTest, ActiveOutsideDesignModeIsOnlyStored) {
  TMainForm form(nullptr);
  auto language = MakeLanguage(&form);
  bool opened = false;
  SetOpenTranslationEditor([&](TuiLanguage&) { opened = true; });
  language->SetActive(true);
  EXPECT_TRUE(language->Active());
  EXPECT_FALSE(opened);
}

TEST_F(UiLanguageDesignTest, LoadingALanguageFileReplacesEveryLanguage) {
  FFake.Files.AddFile(u"C:\\Lang\\de.Local",
                      WriteLanguageStream({u"X\r\n", {{u"DE", u"X=Y\r\n"}}}));
  auto language = MakeLanguage(&FForm);
  std::vector<std::u16string> filters;
  SetChooseLanguageFile([&](const std::u16string& AFilter) -> std::optional<std::u16string> {
    filters.push_back(AFilter);
    return u"C:\\Lang\\de.Local";
  });
  language->SetActiveLoadFromFile(true);
  EXPECT_FALSE(language->ActiveLoadFromFile());
  EXPECT_EQ(filters, (Texts{u"Language Files|*.Local"}));
  ASSERT_EQ(language->Resources().size(), 1u);
  EXPECT_EQ(language->Resources()[0].Name, u"DE");
  EXPECT_EQ(language->Original().Lines(), (Texts{u"X"}));

  SetChooseLanguageFile([&](const std::u16string&) -> std::optional<std::u16string> {
    return std::nullopt;  // cancelled
  });
  language->SetActiveLoadFromFile(true);
  EXPECT_EQ(language->Resources().size(), 1u);

  FForm.SetDesigning(false);
  SetChooseLanguageFile([&](const std::u16string& AFilter) -> std::optional<std::u16string> {
    filters.push_back(AFilter);
    return std::nullopt;
  });
  language->SetActiveLoadFromFile(true);
  EXPECT_EQ(filters.size(), 1u);
}

}  // namespace
}  // namespace mon
