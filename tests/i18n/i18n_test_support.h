// Shared helpers of the localization tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "embedded_table_counts.h"
#include "fake_platform.h"
#include "i18n/language_table.h"
#include "i18n/translation.h"

namespace mon::testing {

// The process-wide translation state is cleared before and after every test.
class TranslationStateTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearTranslationState(); }
  void TearDown() override { ClearTranslationState(); }
  static void ClearTranslationState() {
    RevertToOriginal();
    EndTextCollection();
  }

  TFakePlatform FFake;
};

inline TLanguageTable MakeTable(TLocale& ALocale, std::initializer_list<std::u16string> ALines) {
  TLanguageTable table(ALocale);
  for (const auto& line : ALines) {
    table.Add(line);
  }
  return table;
}

// A scene with one text control whose text follows the current language.
class TOneTextScene : public TTranslatedScene {
 public:
  explicit TOneTextScene(std::u16string AText) : Text(std::move(AText)) {}
  ~TOneTextScene() { UnregisterTranslatedScene(*this); }
  void Retranslate() override {
    ++Retranslations;
    Text = TranslateText(Text);
  }
  std::u16string Text;
  int Retranslations = 0;
};

}  // namespace mon::testing
