// The language store: the original (English) texts and one language table per language, read
// from and written to the language data stream (language_stream.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/component.h"
#include "i18n/language_table.h"
#include "platform/platform.h"

namespace mon {

// One language of a store: its name (the short ID, such as "CH") and its table.
struct TLanguageResource {
  std::u16string Name;
  std::unique_ptr<TLanguageTable> Table;
};

class TLanguageStore : public TComponent {
 public:
  // Largest language file LoadFromFile reads; a larger one is ignored like a missing one.
  static constexpr std::uint64_t kMaxLanguageFileBytes = std::uint64_t{64} * 1024 * 1024;

  // APlatform's Files and Locale must be set and outlive the store.
  TLanguageStore(TComponent* AOwner, TPlatform& APlatform);
  ~TLanguageStore() override;

  std::u16string ClassName() const override { return u"TLanguageStore"; }

  // The language name last given to SetLang or chosen when loading finished.
  const std::u16string& Lang() const { return FLang; }

  // Store-level language switch: stores AValue; while the component is being loaded nothing
  // else happens. "en" (exactly) reverts to the original texts; any other name applies the
  // table of the first language of that name (case-insensitive); an unknown name leaves the
  // current table in force.
  void SetLang(const std::u16string& AValue);

  // The languages in load order. Names compare case-insensitively; the first of a name wins.
  std::vector<TLanguageResource>& Resources() { return FResources; }
  const std::vector<TLanguageResource>& Resources() const { return FResources; }
  // Index of the first language named AName (case-insensitive), or nullopt.
  std::optional<std::size_t> IndexOfLanguage(std::u16string_view AName) const;
  // The table of the first language named AName (case-insensitive), or nullptr.
  TLanguageTable* FindLanguageTable(std::u16string_view AName);
  const TLanguageTable* FindLanguageTable(std::u16string_view AName) const;
  // Frees every language table and empties Resources.
  void ClearResources() { FResources.clear(); }

  // The original texts known to the store (for the translation editor; translation itself
  // does not use them).
  TSortedTextList& Original() { return FOriginal; }
  const TSortedTextList& Original() const { return FOriginal; }

  // Select the language named after the user's language code when loading finishes.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool AValue) { FAutoSelect = AValue; }
  // Kept for the form data; not used by this program.
  const std::u16string& FileName() const { return FFileName; }
  void SetFileName(std::u16string AValue) { FFileName = std::move(AValue); }
  // Whether the form data carries ResourcesBin.
  bool StoreInForm() const { return FStoreInForm; }
  void SetStoreInForm(bool AValue) { FStoreInForm = AValue; }

  // Appends an empty table named AName unless a language of that name (case-insensitive) is
  // there already.
  void AddLang(const std::u16string& AName);

  // Reads the language data stream of the file, appending its languages to Resources and
  // replacing Original. False, with nothing changed, when the file is missing, unreadable or
  // larger than kMaxLanguageFileBytes; nothing is reported.
  bool LoadFromFile(const std::u16string& AFileName);
  // Writes the whole store to the file (replacing it in one step, never leaving it truncated).
  // False when the file cannot be written.
  bool SaveToFile(const std::u16string& AFileName) const;

  // Reading and writing the stream: Original is replaced by the stream's originals, the
  // stream's languages are appended after those already there.
  void ReadStream(std::span<const std::uint8_t> ABytes);
  std::vector<std::uint8_t> WriteStream() const;

  // The form-data property ResourcesBin. Reading is ReadStream; the value to write is the
  // stream, or nullopt (the property is not written) unless StoreInForm is set and there is
  // at least one language.
  void ReadResourcesBin(std::span<const std::uint8_t> ABytes) { ReadStream(ABytes); }
  std::optional<std::vector<std::uint8_t>> ResourcesBinToWrite() const;

  // The first two letters, in lower case, of the user locale's abbreviated language name
  // ("ENU" gives "en", "CHS" "ch"), read into a 4-unit buffer; the empty string when that
  // fails.
  std::u16string GetUserLanguageCode();

 protected:
  // After the form data: with AutoSelect the store's Lang becomes GetUserLanguageCode; then a
  // non-empty Lang applies the table of the first language of that name (none: no effect).
  void Loaded() override;

  TPlatform& Platform() const { return *FPlatform; }
  TLocale& Locale() const { return FPlatform->Locale; }
  TFileSystem& Files() const { return FPlatform->Files; }

 private:
  TPlatform* FPlatform;
  std::u16string FLang;
  std::vector<TLanguageResource> FResources;
  TSortedTextList FOriginal;
  bool FAutoSelect = true;
  std::u16string FFileName;
  bool FStoreInForm = true;
};

}  // namespace mon
