#include "i18n/Languagetranslate.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/component.h"
#include "i18n/embedded_table.h"
#include "i18n/language_stream.h"
#include "i18n_test_support.h"

namespace mon {
namespace {

using Texts = std::vector<std::u16string>;

class TDesignForm : public TForm {
 public:
  using TForm::TForm;
  std::u16string ClassName() const override { return u"TDesignForm"; }
};

class LanguageTranslateTest : public testing::TranslationStateTest {
 protected:
  const std::u16string kUiLocal = u"C:\\Program\\ui.local";

  std::unique_ptr<TuiLanguage> MakeLanguage() {
    return std::make_unique<TuiLanguage>(nullptr, FFake.Platform());
  }
  // A component holding the given originals and languages.
  std::unique_ptr<TuiLanguage> MakeLanguage(const TLanguageStreamContent& AContent) {
    auto language = MakeLanguage();
    language->ReadStream(WriteLanguageStream(AContent));
    return language;
  }
  std::unique_ptr<TLanguageTranslateEditor> MakeEditor(TuiLanguage& ALanguage) {
    auto editor = std::make_unique<TLanguageTranslateEditor>(FFake.Platform());
    editor->SetLang(&ALanguage);
    editor->LoadLanguageAndCreateTranslateTabList(ALanguage);
    return editor;
  }
  // The position of the locale with this language ID in the language box.
  int ComboIndexOf(TLanguageTranslateEditor& AEditor, std::u16string_view AId) {
    const auto& index = AEditor.Indexes().ShortIDIndex;
    for (std::size_t i = 0; i < index.size(); ++i) {
      if (index[i].Key == AId) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  TLanguageStreamContent SavedFile() {
    const auto bytes = FFake.Files.FileBytes(kUiLocal);
    EXPECT_TRUE(bytes.has_value());
    return bytes ? ReadLanguageStream(*bytes) : TLanguageStreamContent{};
  }
  static Texts Originals(const TTranslateTab& ATab, std::size_t ACount) {
    Texts texts;
    for (std::size_t i = 0; i < ACount; ++i) {
      texts.push_back(ATab.Rows[i].Original);
    }
    return texts;
  }
};

TEST_F(LanguageTranslateTest, EmbeddedTableGivesNoTabsAndSavesOnlyTheOriginals) {
  auto language = MakeLanguage();
  language->ReadResourcesBin(EmbeddedResourcesBin());
  ASSERT_EQ(language->Resources().size(), 2u);
  auto editor = MakeEditor(*language);
  EXPECT_EQ(editor->TabCount(), 0);
  EXPECT_FALSE(editor->SelectedTab());

  ASSERT_TRUE(editor->BtnSaveClick());
  const auto saved = SavedFile();
  EXPECT_EQ(saved.OriginalText, language->Original().Text());
  EXPECT_EQ(SplitLines(saved.OriginalText).size(), testing::kEmbeddedOriginalCount);
  EXPECT_TRUE(saved.Languages.empty());
  EXPECT_TRUE(editor->CloseRequested());  // opened on an existing component
}

TEST_F(LanguageTranslateTest, TabsForKnownLanguageIdsWithGridsAndFallback) {
  auto language = MakeLanguage({u"Apple\r\nBanana\r\n",
                                {{u"CH", u"Apple=X\r\n"},
                                 {u"040C", u"Apple=Pomme\r\nBanana=\r\n"},
                                 {u"040c", u"Apple=Again\r\n"},
                                 {u"0409", u""}}});
  auto editor = MakeEditor(*language);
  ASSERT_EQ(editor->TabCount(), 2);  // "CH" unknown, the second "040c" shares the first's entry
  const auto& french = editor->Tabs()[0];
  EXPECT_EQ(french.Caption, u"French (France)");
  EXPECT_EQ(french.Hint, u"040c");
  EXPECT_EQ(french.Rows.size(), 2u + 100u);
  EXPECT_EQ(french.Rows[0].Original, u"Apple");
  EXPECT_EQ(french.Rows[0].Translation, u"Pomme");
  EXPECT_EQ(french.Rows[1].Translation, u"Banana");  // empty translation: the original
  EXPECT_TRUE(french.Rows[2].Original.empty());
  EXPECT_EQ(editor->Tabs()[1].Hint, u"0409");
  EXPECT_EQ(editor->SelectedTab(), 1u);
}

TEST_F(LanguageTranslateTest, AddLanguageFillsOnlyFromAnExistingTable) {
  auto language = MakeLanguage({u"Apple\r\n", {{u"CH", u"Apple=X\r\n"}}});
  auto editor = MakeEditor(*language);
  editor->BtnAddLanguageClick();  // nothing chosen
  EXPECT_EQ(editor->TabCount(), 0);

  editor->SetLangComboIndex(ComboIndexOf(*editor, u"0407"));
  editor->BtnAddLanguageClick();
  ASSERT_EQ(editor->TabCount(), 1);
  EXPECT_EQ(editor->Tabs()[0].Hint, u"0407");
  EXPECT_EQ(editor->Tabs()[0].TabWidth, 150);
  EXPECT_EQ(editor->Tabs()[0].Rows[0].Translation, u"");  // no fallback to the original
  EXPECT_EQ(language->Resources().size(), 1u);            // comes into being at the save

  editor->SetLangComboIndex(ComboIndexOf(*editor, u"0409"));
  editor->BtnAddLanguageClick();
  editor->SetLangComboIndex(ComboIndexOf(*editor, u"0407"));
  editor->BtnAddLanguageClick();  // exists: selected, not added again
  EXPECT_EQ(editor->TabCount(), 2);
  EXPECT_EQ(editor->SelectedTab(), 0u);
}

TEST_F(LanguageTranslateTest, AddConstTextKeepsOrderInEveryGridAndIgnoresDuplicates) {
  auto language = MakeLanguage({u"Apple\r\nCherry\r\nDate\r\n",
                                {{u"040c", u"Apple=Pomme\r\nCherry=Cerise\r\nDate=Datte\r\n"}}});
  auto editor = MakeEditor(*language);
  editor->SetLangComboIndex(ComboIndexOf(*editor, u"0407"));
  editor->BtnAddLanguageClick();
  ASSERT_TRUE(editor->SetTranslation(1, 2, u"Dattel"));  // unsaved edit of "Date"

  editor->ConstText = u"Cherry";
  editor->BTNADDConstTextClick();
  EXPECT_EQ(language->Original().Count(), 3u);
  editor->ConstText = u"";
  editor->BTNADDConstTextClick();
  EXPECT_EQ(language->Original().Count(), 3u);

  editor->ConstText = u"Banana";
  editor->BTNADDConstTextClick();
  ASSERT_EQ(language->Original().Count(), 4u);
  for (const auto& tab : editor->Tabs()) {
    EXPECT_EQ(Originals(tab, 5), (Texts{u"Apple", u"Banana", u"Cherry", u"Date", u""}));
  }
  const auto& french = editor->Tabs()[0].Rows;
  EXPECT_EQ(french[1].Translation, u"Banana");
  EXPECT_EQ(french[2].Translation, u"Cerise");
  EXPECT_EQ(french[3].Translation, u"Datte");
  // The unsaved edit moved down with its original.
  EXPECT_EQ(editor->Tabs()[1].Rows[3].Translation, u"Dattel");
  EXPECT_EQ(editor->Tabs()[1].Rows[1].Translation, u"");
}

TEST_F(LanguageTranslateTest, GridsGrowByThirtyWhenTheyRunFull) {
  auto language = MakeLanguage({u"A\r\n", {{u"040c", u""}}});
  auto editor = MakeEditor(*language);
  ASSERT_EQ(editor->Tabs()[0].Rows.size(), 101u);
  for (int i = 0; i < 101; ++i) {
    std::u16string text(static_cast<std::size_t>(i / 26 + 2), u'x');
    text[0] = static_cast<char16_t>(u'a' + i % 26);
    editor->ConstText = text;
    editor->BTNADDConstTextClick();
  }
  ASSERT_EQ(language->Original().Count(), 102u);
  EXPECT_EQ(editor->Tabs()[0].Rows.size(), 131u);
  EXPECT_EQ(editor->Tabs()[0].Rows[101].Original, language->Original()[101]);
}

TEST_F(LanguageTranslateTest, DeletingRowThreeOfTenMovesTheRestUp) {
  std::u16string originals;
  std::u16string lines;
  for (char16_t c = u'a'; c < u'a' + 10; ++c) {
    originals += std::u16string(1, c) + u"\r\n";
    lines += std::u16string(1, c) + u"=" + std::u16string(1, c) + u"!\r\n";
  }
  auto language = MakeLanguage({originals, {{u"040c", lines}, {u"0409", lines}}});
  auto editor = MakeEditor(*language);
  editor->BTNDELCONSTTEXTClick();  // no row selected
  EXPECT_EQ(language->Original().Count(), 10u);

  editor->SelectTab(0);
  editor->SelectRow(3);
  editor->BTNDELCONSTTEXTClick();
  EXPECT_EQ(language->Original().Count(), 9u);
  EXPECT_FALSE(language->Original().Contains(u"d"));
  for (const auto& tab : editor->Tabs()) {
    EXPECT_EQ(Originals(tab, 10),
              (Texts{u"a", u"b", u"c", u"e", u"f", u"g", u"h", u"i", u"j", u""}));
    EXPECT_EQ(tab.Rows[3].Translation, u"e!");
    EXPECT_EQ(tab.Rows[8].Translation, u"j!");
    EXPECT_EQ(tab.Rows[9].Translation, u"");
  }
  // The table keeps its line until the next save.
  EXPECT_EQ(language->FindLanguageTable(u"040c")->ValueOf(u"d"), u"d!");
}

TEST_F(LanguageTranslateTest, TextListSaveWithANamedValueAndAnEmptyValue) {
  auto language = MakeLanguage(
      {u"Apple\r\nBanana\r\nCherry\r\n",
       {{u"0409", u"Apple=A\r\nCherry=C\r\n"}, {u"040c", u"Banana=Banane\r\nCherry=Cerise\r\n"}}});
  auto editor = MakeEditor(*language);
  editor->SelectTab(1);  // French
  ASSERT_TRUE(editor->SpeedButton2Click());
  EXPECT_EQ(editor->MemoLines, (Texts{u"Apple=Apple", u"Banana=Banane", u"Cherry=Cerise"}));

  editor->MemoLines = {u"Banana=Bananes", u"Cherry="};
  editor->BtnSaveTextListClick();
  EXPECT_EQ(language->Original().Lines(), (Texts{u"Banana", u"Cherry"}));
  const auto* french = language->FindLanguageTable(u"040c");
  EXPECT_EQ(french->ValueOf(u"Banana"), u"Bananes");
  EXPECT_FALSE(french->ValueOf(u"Cherry").has_value());
  // The other language is untouched; its grid follows the new originals.
  EXPECT_EQ(language->FindLanguageTable(u"0409")->ValueOf(u"Cherry"), u"C");
  EXPECT_EQ(Originals(editor->Tabs()[0], 3), (Texts{u"Banana", u"Cherry", u""}));
  EXPECT_EQ(editor->Tabs()[0].Rows[1].Translation, u"C");
  EXPECT_EQ(editor->Tabs()[1].Rows[0].Translation, u"Bananes");
  EXPECT_EQ(editor->Tabs()[1].Rows[1].Translation, u"Cherry");
}

TEST_F(LanguageTranslateTest, TextListSaveKeepsUnsavedEditsOfTheOtherTabs) {
  auto language = MakeLanguage(
      {u"Apple\r\nBanana\r\n", {{u"0407", u"Apple=Apfel\r\n"}, {u"0409", u"Apple=Apple\r\n"}}});
  auto editor = MakeEditor(*language);
  ASSERT_TRUE(editor->SetTranslation(0, 1, u"Banane"));  // German, not saved yet
  editor->SelectTab(1);                                  // English
  ASSERT_TRUE(editor->SpeedButton2Click());
  editor->MemoLines.push_back(u"Cherry=Cherry");
  editor->BtnSaveTextListClick();
  EXPECT_EQ(editor->Tabs()[0].Rows[1].Translation, u"Banane");
  ASSERT_TRUE(editor->BtnSaveClick());
  EXPECT_EQ(language->FindLanguageTable(u"0407")->ValueOf(u"Banana"), u"Banane");
}

TEST_F(LanguageTranslateTest, AddedEditedLanguageRoundTripsThroughUiLocal) {
  auto language = MakeLanguage(
      {u"Apple\r\nBanana\r\n", {{u"CH", u"Apple=X\r\n"}, {u"0409", u"Apple=Apple!\r\n"}}});
  auto editor = MakeEditor(*language);
  editor->SetLangComboIndex(ComboIndexOf(*editor, u"040c"));
  editor->BtnAddLanguageClick();
  ASSERT_TRUE(editor->SetTranslation(1, 0, u"Pomme"));
  ASSERT_TRUE(editor->BtnSaveClick());

  // A new component reads ui.local from the executable's folder when it is made.
  auto reread = MakeLanguage();
  EXPECT_EQ(reread->Original().Lines(), (Texts{u"Apple", u"Banana"}));
  ASSERT_EQ(reread->Resources().size(), 2u);  // "CH" had no tab: dropped
  EXPECT_EQ(reread->Resources()[0].Name, u"0409");
  EXPECT_EQ(reread->Resources()[0].Table->Lines(), (Texts{u"Apple=Apple!", u"Banana=Banana"}));
  EXPECT_EQ(reread->Resources()[1].Name, u"040c");
  EXPECT_EQ(reread->Resources()[1].Table->Lines(), (Texts{u"Apple=Pomme"}));

  // A reopened editor shows the saved language again.
  auto again = MakeEditor(*reread);
  ASSERT_EQ(again->TabCount(), 2);
  EXPECT_EQ(again->Tabs()[1].Rows[0].Translation, u"Pomme");
}

TEST_F(LanguageTranslateTest, FailedSaveKeepsTheOldFileAndTheWindowOpen) {
  FFake.Files.AddFile(kUiLocal, WriteLanguageStream({u"Old\r\n", {}}));
  auto language = MakeLanguage({u"New\r\n", {}});
  auto editor = MakeEditor(*language);
  FFake.Files.FailWrites(true);
  EXPECT_FALSE(editor->BtnSaveClick());
  EXPECT_FALSE(editor->CloseRequested());
  EXPECT_EQ(SavedFile().OriginalText, u"Old\r\n");
}

TEST_F(LanguageTranslateTest, TabsStayMatchedToTheirLanguagesAfterADeletion) {
  auto language = MakeLanguage(
      {u"Apple\r\n",
       {{u"0409", u"Apple=E\r\n"}, {u"040c", u"Apple=F\r\n"}, {u"0407", u"Apple=D\r\n"}}});
  auto editor = MakeEditor(*language);
  editor->SelectTab(0);
  editor->BtnDeletClick();
  EXPECT_EQ(editor->SelectedTab(), 0u);
  editor->RefreshTranslationGrids();
  EXPECT_EQ(editor->Tabs()[0].Rows[0].Translation, u"F");
  EXPECT_EQ(editor->Tabs()[1].Rows[0].Translation, u"D");
  ASSERT_TRUE(editor->BtnSaveClick());
  const auto saved = SavedFile();
  ASSERT_EQ(saved.Languages.size(), 2u);
  EXPECT_EQ(saved.Languages[0].Name, u"040c");
  EXPECT_EQ(saved.Languages[0].TableText, u"Apple=F\r\n");
  EXPECT_EQ(saved.Languages[1].Name, u"0407");
  editor->SelectTab(1);
  editor->BtnDeletClick();
  editor->BtnDeletClick();
  EXPECT_EQ(editor->TabCount(), 0);
  EXPECT_FALSE(editor->SelectedTab());
  editor->BtnDeletClick();  // nothing selected: nothing
}

TEST_F(LanguageTranslateTest, PagingLimits) {
  // Nine distinct languages with a country abbreviation.
  FFake.Locale.Locales.clear();
  const std::u16string ids[] = {u"0401", u"0402", u"0403", u"0404", u"0405",
                                u"0406", u"0407", u"0408", u"0409"};
  TLcid lcid = 0x0401;
  for (const auto& id : ids) {
    FFake.Locale.Locales.push_back({lcid++, id, id, u"LLL", u"CCC"});
  }
  auto language = MakeLanguage({u"A\r\n", {}});
  auto editor = MakeEditor(*language);
  for (int i = 0; i < 8; ++i) {
    editor->SetLangComboIndex(i);
    editor->BtnAddLanguageClick();
  }
  ASSERT_EQ(editor->TabCount(), 8);
  editor->BtnPrevPageMouseUp();
  EXPECT_EQ(editor->PageOffset(), 0);
  editor->BtnNextPageMouseUp();  // eight tabs all fit
  EXPECT_EQ(editor->PageOffset(), 0);
  EXPECT_TRUE(editor->IsTabVisible(7));

  editor->SetLangComboIndex(8);
  editor->BtnAddLanguageClick();
  EXPECT_FALSE(editor->IsTabVisible(8));
  editor->BtnNextPageMouseUp();
  EXPECT_EQ(editor->PageOffset(), 1);
  EXPECT_FALSE(editor->IsTabVisible(0));
  EXPECT_TRUE(editor->IsTabVisible(8));
  editor->BtnNextPageMouseUp();
  EXPECT_EQ(editor->PageOffset(), 1);
  editor->BtnPrevPageMouseUp();
  editor->BtnPrevPageMouseUp();
  EXPECT_EQ(editor->PageOffset(), 0);
}

TEST_F(LanguageTranslateTest, StandAloneEditorMakesItsOwnComponentFromUiLocal) {
  FFake.Files.AddFile(kUiLocal, WriteLanguageStream({u"Apple\r\n", {{u"040c", u"Apple=P\r\n"}}}));
  TLanguageTranslateEditor editor(FFake.Platform());
  editor.FormShow();
  ASSERT_TRUE(editor.OwnsLang());
  ASSERT_EQ(editor.TabCount(), 1);
  EXPECT_EQ(editor.Tabs()[0].Rows[0].Translation, u"P");
  ASSERT_TRUE(editor.BtnSaveClick());
  EXPECT_FALSE(editor.CloseRequested());
  EXPECT_FALSE(editor.LangComboItems().empty());
}

TEST_F(LanguageTranslateTest, DesignModeActiveOpensTheEditorOnTheComponent) {
  TDesignForm form(nullptr);
  form.SetDesigning(true);
  TuiLanguage language(&form, FFake.Platform());
  language.ReadStream(WriteLanguageStream({u"Apple\r\n", {{u"040c", u""}}}));
  TuiLanguage* seen = nullptr;
  int tabs = -1;
  InstallTranslationEditor(FFake.Platform(), [&](TLanguageTranslateEditor& AEditor) {
    seen = AEditor.Lang();
    tabs = AEditor.TabCount();
  });
  language.SetActive(true);
  InstallTranslationEditor(FFake.Platform(), {});
  EXPECT_EQ(seen, &language);
  EXPECT_EQ(tabs, 1);
  EXPECT_FALSE(language.Active());
  EXPECT_TRUE(language.Original().Contains(u"Wheel Down(Mouse)"));
}

}  // namespace
}  // namespace mon
