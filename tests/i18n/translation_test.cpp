#include "i18n/translation.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "i18n_test_support.h"

namespace mon {
namespace {

using testing::MakeTable;
using testing::TOneTextScene;

class TranslateTextTest : public testing::TranslationStateTest {
 protected:
  TLanguageTable Chinese() {
    return MakeTable(FFake.Locale, {u"Config=\u6253\u5f00\u914d\u7f6e", u" CLOSE= \u5173\u95ed",
                                    u"CLOSE=\u5173\u95ed", u"Empty=", u"a=b=c"});
  }
};

TEST_F(TranslateTextTest, WithoutTableTextsComeBackUnchanged) {
  EXPECT_EQ(TranslateText(u""), u"");
  EXPECT_EQ(TranslateText(u"Config"), u"Config");
  EXPECT_EQ(CurrentLanguageTable(), nullptr);
}

TEST_F(TranslateTextTest, CurrentTableTranslatesExactNamesOnly) {
  const TLanguageTable table = Chinese();
  ApplyLanguageTable(&table);
  EXPECT_EQ(TranslateText(u"Config"), u"\u6253\u5f00\u914d\u7f6e");
  EXPECT_EQ(TranslateText(u" CLOSE"), u" \u5173\u95ed");
  EXPECT_EQ(TranslateText(u"CLOSE"), u"\u5173\u95ed");
  EXPECT_EQ(TranslateText(u"GAMING MOUSE MONITOR"), u"GAMING MOUSE MONITOR");
  EXPECT_EQ(TranslateText(u"config"), u"config");
  EXPECT_EQ(TranslateText(u"Empty"), u"Empty");  // an empty translation keeps the original
  EXPECT_EQ(TranslateText(u"a=b"), u"a=b");      // an original holding "=" is never translated
  EXPECT_EQ(TranslateText(u""), u"");
}

TEST_F(TranslateTextTest, TheCurrentTableIsAPrivateCopyAndNoneChangesNothing) {
  TLanguageTable table = Chinese();
  ApplyLanguageTable(&table);
  table.Clear();
  EXPECT_EQ(TranslateText(u"CLOSE"), u"\u5173\u95ed");
  ApplyLanguageTable(nullptr);
  EXPECT_EQ(TranslateText(u"CLOSE"), u"\u5173\u95ed");
  ApplyLanguageTable(CurrentLanguageTable());  // re-applying the current table is safe
  EXPECT_EQ(TranslateText(u"CLOSE"), u"\u5173\u95ed");
  RevertToOriginal();
  EXPECT_EQ(TranslateText(u"CLOSE"), u"CLOSE");
}

TEST_F(TranslateTextTest, ScenesSwitchThroughTheirOriginals) {
  const TLanguageTable chinese = Chinese();
  const TLanguageTable english = MakeTable(FFake.Locale, {u"Config=Configuration"});
  TOneTextScene scene(u"Config");
  RegisterTranslatedScene(scene);
  RegisterTranslatedScene(scene);  // at most once

  ApplyLanguageTable(&chinese);
  EXPECT_EQ(scene.Text, u"\u6253\u5f00\u914d\u7f6e");
  EXPECT_EQ(scene.Retranslations, 1);
  // Chinese back to "Config" (reverse lookup), then into English.
  ApplyLanguageTable(&english);
  EXPECT_EQ(scene.Text, u"Configuration");
  EXPECT_EQ(scene.Retranslations, 3);
  RevertToOriginal();
  EXPECT_EQ(scene.Text, u"Config");
  RevertToOriginal();  // without a current table nothing happens
  EXPECT_EQ(scene.Retranslations, 4);

  UnregisterTranslatedScene(scene);
  ApplyLanguageTable(&chinese);
  EXPECT_EQ(scene.Text, u"Config");
}

TEST_F(TranslateTextTest, ASceneThrowingDuringTheRevertStillEndsIt) {
  struct TThrowingScene : TTranslatedScene {
    ~TThrowingScene() { UnregisterTranslatedScene(*this); }
    void Retranslate() override {
      if (Throw) {
        throw std::runtime_error("scene failed");
      }
    }
    bool Throw = false;
  } scene;
  const TLanguageTable table = Chinese();
  RegisterTranslatedScene(scene);
  ApplyLanguageTable(&table);
  scene.Throw = true;
  EXPECT_THROW(RevertToOriginal(), std::runtime_error);
  EXPECT_EQ(CurrentLanguageTable(), nullptr);
  // The reverse flag is clear again: a later table translates forwards.
  scene.Throw = false;
  ApplyLanguageTable(&table);
  EXPECT_EQ(TranslateText(u"Config"), u"\u6253\u5f00\u914d\u7f6e");
}

TEST_F(TranslateTextTest, ScenesMayUnregisterThemselvesAndOthersDuringARound) {
  TOneTextScene second(u"CLOSE");
  struct TLeavingScene : TTranslatedScene {
    ~TLeavingScene() { UnregisterTranslatedScene(*this); }
    void Retranslate() override {
      UnregisterTranslatedScene(*this);
      UnregisterTranslatedScene(*Other);
    }
    TTranslatedScene* Other = nullptr;
  } first;
  first.Other = &second;
  RegisterTranslatedScene(first);
  RegisterTranslatedScene(second);
  RetranslateScenes();
  EXPECT_EQ(second.Retranslations, 0);
  EXPECT_FALSE(IsTranslatedSceneRegistered(first));
}

TEST_F(TranslateTextTest, TextCollectionRecordsEveryNonEmptyTextOnceSorted) {
  const TLanguageTable table = Chinese();
  ApplyLanguageTable(&table);
  BeginTextCollection(FFake.Locale);
  EXPECT_EQ(CurrentLanguageTable(), nullptr);  // collecting starts from the originals
  TranslateText(u"b");
  TranslateText(u"");
  TranslateText(u"a");
  TranslateText(u"b");
  BeginTextCollection(FFake.Locale);  // keeps what was collected
  TranslateText(u"B");
  ASSERT_NE(CollectedTexts(), nullptr);
  EXPECT_EQ(CollectedTexts()->Lines(), (std::vector<std::u16string>{u"a", u"b", u"B"}));
  EndTextCollection();
  EXPECT_EQ(CollectedTexts(), nullptr);
}

}  // namespace
}  // namespace mon
