#include "i18n/language_store.h"

#include <stdexcept>

#include "framework/text.h"
#include "i18n/language_stream.h"
#include "i18n/translation.h"

namespace mon {

TLanguageStore::TLanguageStore(TComponent* AOwner, TPlatform& APlatform)
    : TComponent(AOwner), FPlatform(&APlatform), FOriginal(APlatform.Locale) {}

TLanguageStore::~TLanguageStore() = default;

void TLanguageStore::SetLang(const std::u16string& AValue) {
  FLang = AValue;
  if (IsLoading()) {
    return;
  }
  if (AValue == u"en") {
    RevertToOriginal();
  } else {
    ApplyLanguageTable(FindLanguageTable(AValue));
  }
}

std::optional<std::size_t> TLanguageStore::IndexOfLanguage(std::u16string_view AName) const {
  for (std::size_t i = 0; i < FResources.size(); ++i) {
    if (Locale().CompareUserLocale(FResources[i].Name, AName, TCompareCase::IgnoreCase) == 0) {
      return i;
    }
  }
  return std::nullopt;
}

TLanguageTable* TLanguageStore::FindLanguageTable(std::u16string_view AName) {
  const auto index = IndexOfLanguage(AName);
  return index ? FResources[*index].Table.get() : nullptr;
}

const TLanguageTable* TLanguageStore::FindLanguageTable(std::u16string_view AName) const {
  const auto index = IndexOfLanguage(AName);
  return index ? FResources[*index].Table.get() : nullptr;
}

void TLanguageStore::AddLang(const std::u16string& AName) {
  if (IndexOfLanguage(AName)) {
    return;
  }
  FResources.push_back({AName, std::make_unique<TLanguageTable>(Locale())});
}

bool TLanguageStore::LoadFromFile(const std::u16string& AFileName) {
  if (!Files().FileExists(AFileName)) {
    return false;
  }
  const auto bytes = Files().ReadWholeFile(AFileName, kMaxLanguageFileBytes);
  if (!bytes) {
    return false;
  }
  ReadStream(*bytes);
  return true;
}

bool TLanguageStore::SaveToFile(const std::u16string& AFileName) const {
  return Files().WriteWholeFile(AFileName, WriteStream());
}

void TLanguageStore::ReadStream(std::span<const std::uint8_t> ABytes) {
  TLanguageStreamContent content = ReadLanguageStream(ABytes);
  FOriginal.SetText(content.OriginalText);
  for (auto& language : content.Languages) {
    auto table = std::make_unique<TLanguageTable>(Locale());
    table->SetText(language.TableText);
    FResources.push_back({std::move(language.Name), std::move(table)});
  }
}

std::vector<std::uint8_t> TLanguageStore::WriteStream() const {
  TLanguageStreamContent content;
  content.OriginalText = FOriginal.Text();
  for (const auto& resource : FResources) {
    content.Languages.push_back({resource.Name, resource.Table->Text()});
  }
  return WriteLanguageStream(content);
}

std::optional<std::vector<std::uint8_t>> TLanguageStore::ResourcesBinToWrite() const {
  if (!FStoreInForm || FResources.empty()) {
    return std::nullopt;
  }
  return WriteStream();
}

std::u16string TLanguageStore::GetUserLanguageCode() {
  const auto abbreviation = LocaleInfoInBuffer(Locale(), Locale().UserDefaultLcid(),
                                               TLocaleInfoType::AbbrevLanguageName, 4);
  if (!abbreviation) {
    return {};
  }
  return FoldCase(std::u16string_view(*abbreviation).substr(0, 2));
}

void TLanguageStore::Loaded() {
  TComponent::Loaded();
  if (FAutoSelect) {
    FLang = GetUserLanguageCode();
  }
  if (!FLang.empty()) {
    ApplyLanguageTable(FindLanguageTable(FLang));
  }
}

}  // namespace mon
