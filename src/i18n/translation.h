// The process-wide translation: one current language table that every text of the program is
// passed through (TranslateText), the scenes that re-read their texts when it changes, and the
// collection of texts that design mode uses to find what needs translating.
//
// The state lives from its first use to the end of the process and is shared by every language
// store. Main thread only: nothing here has locks. The locale of a table handed to
// ApplyLanguageTable, and that given to BeginTextCollection, must stay alive while the current
// table or the collection exists (in the program the platform lives as long as the process).
#pragma once

#include <string>
#include <string_view>

#include "i18n/language_table.h"

namespace mon {

// A vector scene of the UI toolkit whose texts follow the current language. On Retranslate it
// replaces each of its translatable texts with TranslateText of the text it shows now; while
// RevertToOriginal runs, TranslateText maps translations back to their originals, so a
// language switch turns every text back into its original first and then into the new
// language.
class TTranslatedScene {
 public:
  virtual void Retranslate() = 0;

 protected:
  ~TTranslatedScene() = default;
};

// The text in the current language:
// 1. the empty text stays empty;
// 2. while a text collection exists, the text is added to it;
// 3. without a current table the text comes back unchanged;
// 4. otherwise the value of the first line whose name equals the text (while RevertToOriginal
//    runs: the name of the first line whose value equals the text);
// 5. no such line, or an empty result: the text unchanged.
std::u16string TranslateText(std::u16string_view AText);

// Nullptr: no effect at all. Otherwise RevertToOriginal, then the current table becomes a copy
// of ATable, then every registered scene re-translates.
void ApplyLanguageTable(const TLanguageTable* ATable);

// With a current table: the scenes re-translate back to their originals, then (also when a
// scene throws) the current table is discarded. Without one nothing happens.
void RevertToOriginal();

// RevertToOriginal, then starts collecting every non-empty text passed to TranslateText into a
// sorted list ordered by ALocale (an existing collection is kept as it is).
void BeginTextCollection(TLocale& ALocale);
void EndTextCollection();
// The collected texts, or nullptr when no collection runs.
const TSortedTextList* CollectedTexts();

// A scene is registered at most once. A scene must unregister before it is destroyed.
void RegisterTranslatedScene(TTranslatedScene& AScene);
void UnregisterTranslatedScene(TTranslatedScene& AScene);
bool IsTranslatedSceneRegistered(const TTranslatedScene& AScene);

// Asks every registered scene, in registration order, to Retranslate. A scene unregistered by
// an earlier one during the round is skipped; one registered during the round waits for the
// next.
void RetranslateScenes();

// The current table, or nullptr.
const TLanguageTable* CurrentLanguageTable();

}  // namespace mon
