#include "i18n/translation.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace mon {

namespace {

struct TTranslationState {
  std::unique_ptr<TLanguageTable> CurrentTable;
  bool Reverse = false;
  std::unique_ptr<TSortedTextList> Collection;
  std::vector<TTranslatedScene*> Scenes;
};

TTranslationState& State() {
  static TTranslationState state;
  return state;
}

bool IsRegistered(const TTranslatedScene* AScene) {
  const auto& scenes = State().Scenes;
  return std::find(scenes.begin(), scenes.end(), AScene) != scenes.end();
}

}  // namespace

std::u16string TranslateText(std::u16string_view AText) {
  if (AText.empty()) {
    return {};
  }
  TTranslationState& state = State();
  if (state.Collection) {
    state.Collection->Add(std::u16string(AText));
  }
  if (!state.CurrentTable) {
    return std::u16string(AText);
  }
  std::optional<std::u16string> result =
      state.Reverse ? state.CurrentTable->NameOf(AText) : state.CurrentTable->ValueOf(AText);
  if (!result || result->empty()) {
    return std::u16string(AText);
  }
  return std::move(*result);
}

void ApplyLanguageTable(const TLanguageTable* ATable) {
  if (ATable == nullptr) {
    return;
  }
  // Copy first: ATable may be owned by a store whose scenes react to the revert.
  auto copy = std::make_unique<TLanguageTable>(*ATable);
  RevertToOriginal();
  State().CurrentTable = std::move(copy);
  RetranslateScenes();
}

void RevertToOriginal() {
  TTranslationState& state = State();
  if (!state.CurrentTable) {
    return;
  }
  struct TEndReverse {
    TTranslationState& State;
    ~TEndReverse() {
      State.Reverse = false;
      State.CurrentTable.reset();
    }
  } endReverse{state};
  state.Reverse = true;
  RetranslateScenes();
}

void BeginTextCollection(TLocale& ALocale) {
  RevertToOriginal();
  TTranslationState& state = State();
  if (!state.Collection) {
    state.Collection = std::make_unique<TSortedTextList>(ALocale);
  }
}

void EndTextCollection() {
  State().Collection.reset();
}

const TSortedTextList* CollectedTexts() {
  return State().Collection.get();
}

void RegisterTranslatedScene(TTranslatedScene& AScene) {
  auto& scenes = State().Scenes;
  if (std::find(scenes.begin(), scenes.end(), &AScene) == scenes.end()) {
    scenes.push_back(&AScene);
  }
}

void UnregisterTranslatedScene(TTranslatedScene& AScene) {
  std::erase(State().Scenes, &AScene);
}

bool IsTranslatedSceneRegistered(const TTranslatedScene& AScene) {
  return IsRegistered(&AScene);
}

void RetranslateScenes() {
  // A scene may register or unregister scenes (itself included) while it re-translates.
  const std::vector<TTranslatedScene*> round = State().Scenes;
  for (TTranslatedScene* scene : round) {
    if (IsRegistered(scene)) {  // by address only: an unregistered scene may be gone
      scene->Retranslate();
    }
  }
}

const TLanguageTable* CurrentLanguageTable() {
  return State().CurrentTable.get();
}

}  // namespace mon
