// Starts the profile manager on stored records made of the input: the registry values of the
// group record, the all-settings record, the five profiles (under their factory names) and the
// recorded macro, each absent or of any type and content, and the five profile files in the
// documents' profile folder, each absent or of any content. Then it checks what must hold for
// any input:
// - the start writes only the group and all-settings values, and only when they were not
//   loadable; what it writes is the factory record, binary and of the record's size;
// - every other value stays as it was, type and bytes, and no other value appears;
// - files it did not mean to write stay as they were; a file it creates is the factory profile
//   of the entry naming it;
// - each store holds what its place holds (or factory content where nothing usable is stored),
//   and the working copies are those images cut or zero-filled to their records;
// - the monitor's reload after a message of the configuration program writes nothing;
// - the current profile saved to the registry or a file is read back as it was.
// A violated property aborts, which libFuzzer reports as a crash with the input.
//
// Input: a flags byte (see kFlag...), then per slot (see TSlot) a selector byte: bits 0..1 are
// the form (0 and 3 absent, 1 raw, 2 patched), bits 2..4 the registry type (kTypes). Raw: a
// 16-bit little-endian length (at most kMaxRawBytes) and the bytes. Patched: the factory record
// of the slot, resized by a signed byte (new bytes zero), then a count byte (at most kMaxPatches)
// and per patch a 24-bit offset (modulo the size), a length byte (at most kMaxPatchBytes) and
// the bytes, cut at the record's end. A short input leaves the remaining slots absent.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fake_platform.h"
#include "framework/text.h"
#include "profiles/DMUnit.h"

namespace {

using mon::TDM;
using mon::testing::TFakePlatform;
using mon::testing::TMemoryFileSystem;
using mon::testing::TMemoryRegistry;
using TBytes = std::vector<std::uint8_t>;
using TView = std::span<const std::uint8_t>;

constexpr char16_t kDocuments[] = u"C:\\Users\\me\\Documents";
constexpr char16_t kProfileFolder[] = u"C:\\Users\\me\\Documents\\Profile";
constexpr char16_t kOutFolder[] = u"C:\\Out";
constexpr char16_t kOutFile[] = u"C:\\Out\\saved.pfd";

constexpr std::uint8_t kFlagDocumentsExist = 1;
constexpr std::uint8_t kFlagProfileFolderExists = 2;
constexpr std::uint8_t kFlagReload = 4;
constexpr std::uint8_t kFlagSaveToRegistry = 8;
constexpr std::uint8_t kFlagSaveToFile = 16;
constexpr std::uint8_t kFlagLoadMacro = 32;

constexpr std::size_t kMaxRawBytes = 4096;
constexpr int kMaxPatches = 16;
constexpr std::size_t kMaxPatchBytes = 64;
constexpr std::array<mon::TRegistryValueType, 8> kTypes{
    mon::kRegistryBinary, mon::kRegistryBinary, mon::kRegistryBinary, mon::kRegistryBinary,
    mon::kRegistryString, mon::kRegistryDWord,  mon::kRegistryNone,   7 /* multi-string */};

constexpr std::size_t kProfileBytes = sizeof(mon::TMouseProfileInfo);
constexpr int kGames = mon::kGameProfileCount;

// Registry slots first (group, all settings, five profiles, macro), then the five files.
enum TSlot : int {
  kGroupSlot,
  kAllSettingsSlot,
  kFirstGameSlot,
  kMacroSlot = kFirstGameSlot + kGames
};
constexpr int kFirstFileSlot = kMacroSlot + 1;
constexpr int kRegistrySlotCount = kFirstFileSlot;
constexpr int kSlotCount = kFirstFileSlot + kGames;

void Require(bool ACondition) {
  if (!ACondition) {
    std::abort();
  }
}

TView ImageOf(const mon::TuiProfile& AStore) {
  return AStore.Stream().Bytes();
}

template <class T>
TView RecordBytes(const T& ARecord) {
  return {reinterpret_cast<const std::uint8_t*>(&ARecord), sizeof(T)};
}

TBytes Copy(TView ABytes) {
  return {ABytes.begin(), ABytes.end()};
}

bool Same(TView A, TView B) {
  return std::ranges::equal(A, B);
}

// ARecord is AImage read into a zeroed record: the image's bytes, cut or followed by zeros.
bool IsReadIntoZeros(TView ARecord, TView AImage) {
  const std::size_t common = std::min(ARecord.size(), AImage.size());
  return Same(ARecord.first(common), AImage.first(common)) &&
         std::ranges::all_of(ARecord.subspan(common),
                             [](std::uint8_t AByte) { return AByte == 0; });
}

bool StartsWith(TView ABytes, TView APrefix) {
  return ABytes.size() >= APrefix.size() && Same(ABytes.first(APrefix.size()), APrefix);
}

// The world every run starts from: no config.ini, a known documents folder, a fixed clock.
void Prepare(TFakePlatform& APlatform, std::uint8_t AFlags) {
  APlatform.Files.SetDocumentsFolder(std::u16string(kDocuments));
  if (AFlags & kFlagDocumentsExist) {
    APlatform.Files.AddDirectory(kDocuments);
  }
  if (AFlags & kFlagProfileFolderExists) {
    APlatform.Files.AddDirectory(kProfileFolder);
  }
  APlatform.Files.AddDirectory(kOutFolder);
  APlatform.Clock.Now = {2024, 5, 6, 7, 8, 9, 10};
}

// What a first start on an empty registry makes: the factory records as the manager writes them.
struct TReference {
  std::u16string KeyPath;
  std::array<std::u16string, kRegistrySlotCount> ValueNames;
  std::array<std::u16string, kRegistrySlotCount> FoldedValueNames;  // as the registry keeps them
  TBytes Group;
  TBytes AllSettings;
  std::array<TBytes, kGames> Games;
};

const TReference& Reference() {
  static const TReference reference = [] {
    auto platform = std::make_unique<TFakePlatform>();
    Prepare(*platform, kFlagDocumentsExist | kFlagProfileFolderExists);
    const auto dm = std::make_unique<TDM>(nullptr, platform->Platform());
    TReference made;
    made.KeyPath = dm->FOptionsFromConfigFile.ProfileRegFolder;
    made.Group = Copy(ImageOf(dm->uiProfileSettingGroup));
    made.AllSettings = Copy(ImageOf(dm->uiProfileAllSettingInfo));
    made.ValueNames[kGroupSlot] = mon::kProfileSettingGroupValueName;
    made.ValueNames[kAllSettingsSlot] = mon::kAllSettingsValueName;
    made.ValueNames[kMacroSlot] = mon::kRecordMacroValueName;
    for (int i = 0; i < kGames; ++i) {
      made.Games[i] = Copy(ImageOf(*dm->ProfileStore(i)));
      made.ValueNames[kFirstGameSlot + i] = dm->ProfileStore(i)->FileName();
    }
    for (int slot = 0; slot < kRegistrySlotCount; ++slot) {
      made.FoldedValueNames[slot] = mon::FoldCase(made.ValueNames[slot]);
      for (int other = 0; other < slot; ++other) {
        Require(made.FoldedValueNames[other] != made.FoldedValueNames[slot]);
      }
    }
    return made;
  }();
  return reference;
}

std::u16string FilePathOfSlot(int ASlot) {
  return std::u16string(kProfileFolder) + u"\\" +
         Reference().ValueNames[kFirstGameSlot + ASlot - kFirstFileSlot];
}

// The factory record a patched slot starts from.
TBytes BaseOfSlot(int ASlot) {
  const TReference& reference = Reference();
  if (ASlot == kGroupSlot) {
    return reference.Group;
  }
  if (ASlot == kAllSettingsSlot) {
    return reference.AllSettings;
  }
  if (ASlot == kMacroSlot) {
    return TBytes(sizeof(mon::TMACROKEYINFO), 0);
  }
  const int game = ASlot < kFirstFileSlot ? ASlot - kFirstGameSlot : ASlot - kFirstFileSlot;
  return reference.Games[static_cast<std::size_t>(game)];
}

// An object built in storage kept for the whole process: a fresh platform and manager per
// input without mapping and faulting in their half megabyte each time (most of the time an
// input takes otherwise). One instance of each type at a time.
template <class T>
class TInPlace {
 public:
  template <class... TArgs>
  explicit TInPlace(TArgs&&... AArgs) : FObject(new (Storage()) T(std::forward<TArgs>(AArgs)...)) {}
  ~TInPlace() { FObject->~T(); }
  TInPlace(const TInPlace&) = delete;
  TInPlace& operator=(const TInPlace&) = delete;
  T& operator*() const { return *FObject; }
  T* operator->() const { return FObject; }

 private:
  static void* Storage() {
    alignas(T) static std::byte storage[sizeof(T)];
    return storage;
  }
  T* FObject;
};

// Reads the input front to back; past its end every read gives zeros.
class TInput {
 public:
  explicit TInput(std::span<const std::uint8_t> AData) : FData(AData) {}
  bool AtEnd() const { return FPosition >= FData.size(); }
  std::uint8_t Byte() { return AtEnd() ? 0 : FData[FPosition++]; }
  std::uint32_t Number(int ABytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < ABytes; ++i) {
      value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    }
    return value;
  }
  std::span<const std::uint8_t> Take(std::size_t ACount) {
    const std::size_t count = std::min(ACount, FData.size() - std::min(FPosition, FData.size()));
    const auto taken = FData.subspan(std::min(FPosition, FData.size()), count);
    FPosition += count;
    return taken;
  }

 private:
  std::span<const std::uint8_t> FData;
  std::size_t FPosition = 0;
};

std::optional<TMemoryRegistry::TValue> DecodeSlot(TInput& AInput, int ASlot) {
  if (AInput.AtEnd()) {
    return std::nullopt;
  }
  const std::uint8_t selector = AInput.Byte();
  TMemoryRegistry::TValue value;
  value.Type = kTypes[(selector >> 2) & 7];
  switch (selector & 3) {
    case 1: {
      const auto bytes = AInput.Take(std::min<std::size_t>(AInput.Number(2), kMaxRawBytes));
      value.Bytes.assign(bytes.begin(), bytes.end());
      return value;
    }
    case 2: {
      value.Bytes = BaseOfSlot(ASlot);
      const auto delta = static_cast<std::int8_t>(AInput.Byte());
      value.Bytes.resize(
          static_cast<std::size_t>(static_cast<std::int64_t>(value.Bytes.size()) + delta));
      const int patches = std::min<int>(AInput.Byte(), kMaxPatches);
      for (int i = 0; i < patches && !value.Bytes.empty(); ++i) {
        const std::size_t offset = AInput.Number(3) % value.Bytes.size();
        const auto bytes = AInput.Take(std::min<std::size_t>(AInput.Byte(), kMaxPatchBytes));
        const std::size_t count = std::min(bytes.size(), value.Bytes.size() - offset);
        std::copy_n(bytes.begin(), count,
                    value.Bytes.begin() + static_cast<std::ptrdiff_t>(offset));
      }
      return value;
    }
    default:
      return std::nullopt;
  }
}

bool SameValue(const std::optional<TMemoryRegistry::TValue>& A,
               const std::optional<TMemoryRegistry::TValue>& B) {
  return A.has_value() == B.has_value() && (!A || (A->Type == B->Type && A->Bytes == B->Bytes));
}

bool IsBinary(const std::optional<TMemoryRegistry::TValue>& AValue) {
  return AValue && AValue->Type == mon::kRegistryBinary;
}

// What is stored: the values of the slots' names, the number of values, every file.
struct TSnapshot {
  std::array<std::optional<TMemoryRegistry::TValue>, kRegistrySlotCount> Values;
  std::size_t ValueCount = 0;
  std::map<std::u16string, TBytes> Files;
};

std::optional<TMemoryRegistry::TValue> StoredValue(TFakePlatform& APlatform,
                                                   const std::u16string& AName) {
  return APlatform.Registry.Value(mon::kRegistryCurrentUser, Reference().KeyPath, AName);
}

TSnapshot Snapshot(TFakePlatform& APlatform) {
  TSnapshot snapshot;
  // The key's values read once (a snapshot is taken several times an input); each slot's name
  // is its own (Reference), so every value moves to one slot at most.
  auto values = APlatform.Registry.Values(mon::kRegistryCurrentUser, Reference().KeyPath);
  for (int slot = 0; slot < kRegistrySlotCount; ++slot) {
    const auto found = values.find(Reference().FoldedValueNames[slot]);
    if (found != values.end()) {
      snapshot.Values[slot] = std::move(found->second);
    }
  }
  snapshot.ValueCount = values.size();
  for (const auto& key : APlatform.Files.FileKeys()) {
    snapshot.Files[key] = std::move(*APlatform.Files.FileBytes(key));
  }
  return snapshot;
}

bool SameSnapshot(const TSnapshot& A, const TSnapshot& B) {
  for (int slot = 0; slot < kRegistrySlotCount; ++slot) {
    if (!SameValue(A.Values[slot], B.Values[slot])) {
      return false;
    }
  }
  return A.ValueCount == B.ValueCount && A.Files == B.Files;
}

// The start wrote the group and all-settings values only where they were not loadable, and
// then the factory record; every other value is as it was.
void CheckStartRegistry(const TSnapshot& ABefore, const TSnapshot& AAfter) {
  std::size_t written = 0;
  for (int slot = 0; slot < kRegistrySlotCount; ++slot) {
    const auto& before = ABefore.Values[slot];
    const auto& after = AAfter.Values[slot];
    if ((slot == kGroupSlot || slot == kAllSettingsSlot) && !IsBinary(before)) {
      Require(IsBinary(after));
      Require(after->Bytes == (slot == kGroupSlot ? Reference().Group : Reference().AllSettings));
      written += before ? 0 : 1;
    } else {
      Require(SameValue(before, after));
    }
  }
  Require(AAfter.ValueCount == ABefore.ValueCount + written);
}

struct TFileTarget {
  bool Used = false;  // file mode with a folder and a name
  std::u16string Path;
};

TFileTarget FileTargetOf(const mon::TPROFILESETTING& AEntry) {
  const std::u16string folder = mon::ReadFixedText(AEntry.szProfileFolder);
  const std::u16string name = mon::ReadFixedText(AEntry.szProfileFileName);
  if (AEntry.StorageMode != mon::STORAGE_FILE || folder.empty() || name.empty()) {
    return {};
  }
  return {true, mon::IncludeTrailingBackslash(folder) + name};
}

// Files kept as they were; a new one only where a file-kept profile is missing, holding the
// factory profile of the first entry naming it.
void CheckStartFiles(const TDM& ADM, const TSnapshot& ABefore, const TSnapshot& AAfter) {
  for (const auto& [key, bytes] : ABefore.Files) {
    const auto found = AAfter.Files.find(key);
    Require(found != AAfter.Files.end() && found->second == bytes);
  }
  for (const auto& [key, bytes] : AAfter.Files) {
    if (ABefore.Files.count(key) != 0) {
      continue;
    }
    bool named = false;
    for (int i = 0; i < kGames && !named; ++i) {
      const TFileTarget target = FileTargetOf(ADM.FProfileSettingGroup.ProfileSettingList[i]);
      if (target.Used && TMemoryFileSystem::Key(target.Path) == key) {
        Require(bytes == Reference().Games[static_cast<std::size_t>(i)]);
        named = true;
      }
    }
    Require(named);
  }
}

// The value a start left under AName: only the slots' names can be held (CheckStartRegistry
// counts the values), so it is looked up in the snapshot taken after the start.
const std::optional<TMemoryRegistry::TValue>& ValueAfterStart(const TSnapshot& AAfter,
                                                              const std::u16string& AName) {
  static const std::optional<TMemoryRegistry::TValue> absent;
  for (int slot = 0; slot < kRegistrySlotCount; ++slot) {
    if (mon::SameTextIgnoreCase(Reference().ValueNames[slot], AName)) {
      return AAfter.Values[slot];
    }
  }
  return absent;
}

// Each game store holds what its place holds, or factory content; the working copies are the
// images read into zeroed records.
void CheckStartImages(const TDM& ADM, const TSnapshot& AAfter) {
  Require(
      IsReadIntoZeros(RecordBytes(ADM.FProfileSettingGroup), ImageOf(ADM.uiProfileSettingGroup)));
  Require(IsReadIntoZeros(RecordBytes(ADM.FAllProfileSettingInfo),
                          ImageOf(ADM.uiProfileAllSettingInfo)));

  for (int i = 0; i < kGames; ++i) {
    const mon::TPROFILESETTING& entry = ADM.FProfileSettingGroup.ProfileSettingList[i];
    const mon::TuiProfile& store = *ADM.ProfileStore(i);
    const std::u16string name = mon::ReadFixedText(entry.szProfileFileName);
    Require(store.FileName() == name);
    const TView image = ImageOf(store);
    const TBytes& factory = Reference().Games[static_cast<std::size_t>(i)];
    if (entry.StorageMode == mon::STORAGE_REGISTRY) {
      const auto& value = ValueAfterStart(AAfter, name);
      Require(Same(image, !name.empty() && IsBinary(value) ? value->Bytes : factory));
    } else if (entry.StorageMode == mon::STORAGE_FILE) {
      const TFileTarget target = FileTargetOf(entry);
      const auto file =
          target.Used ? AAfter.Files.find(TMemoryFileSystem::Key(target.Path)) : AAfter.Files.end();
      Require(Same(image, file != AAfter.Files.end() ? file->second : factory));
    } else {
      Require(image.size() == kProfileBytes && IsReadIntoZeros(image, {}));
    }
  }

  // The current game when it is one, else the group's profile (bad indexes count as 0).
  const auto& groupRecord = ADM.FProfileSettingGroup;
  const int groupIndex = TDM::IsProfileGroupIndexInRange(groupRecord.CurrentProfileGroup)
                             ? groupRecord.CurrentProfileGroup
                             : 0;
  const int ofGroup = groupRecord.ProfileIndexOfProfileGroup[groupIndex];
  const int currentGame = ADM.FAllProfileSettingInfo.CurrentGame;
  Require(ADM.ProfileGroupIndex() == groupIndex);
  Require(ADM.ProfileIndex() == (TDM::IsProfileIndexInRange(currentGame)
                                     ? currentGame
                                     : (TDM::IsProfileIndexInRange(ofGroup) ? ofGroup : 0)));
  Require(IsReadIntoZeros(RecordBytes(ADM.FCurrentProfileInfo),
                          ImageOf(*ADM.ProfileStore(ADM.ProfileIndex()))));
}

// The working copy starts with the current store's image (bytes beyond a short image are kept).
void CheckWorkingCopy(const TDM& ADM) {
  Require(TDM::IsProfileIndexInRange(ADM.ProfileIndex()));
  Require(TDM::IsProfileGroupIndexInRange(ADM.ProfileGroupIndex()));
  const TView image = ImageOf(*ADM.ProfileStore(ADM.ProfileIndex()));
  const TView working = RecordBytes(ADM.FCurrentProfileInfo);
  const std::size_t common = std::min(image.size(), working.size());
  Require(Same(image.first(common), working.first(common)));
}

// The monitor's reload on a message of the configuration program: it only reads.
void Reload(TFakePlatform& APlatform, TDM& ADM) {
  const TSnapshot before = Snapshot(APlatform);
  ADM.LoadProfileGroupSettingInfoFromRegistry();
  ADM.LoadAllProfileInfoFromRegistry();
  ADM.LoadCurrentProfileInfoFromRegistry();
  Require(SameSnapshot(before, Snapshot(APlatform)));
  CheckWorkingCopy(ADM);
}

// Saves the working copy to the current profile's value and loads it back: the value is the
// image, nothing else changes, and the working copy comes back as it was.
void SaveToRegistryAndReload(TFakePlatform& APlatform, TDM& ADM) {
  const TSnapshot before = Snapshot(APlatform);
  const TBytes working = Copy(RecordBytes(ADM.FCurrentProfileInfo));
  const mon::TuiProfile& store = *ADM.ProfileStore(ADM.ProfileIndex());
  const std::u16string name = store.FileName();
  const bool existed = StoredValue(APlatform, name).has_value();
  ADM.SaveCurrentProfileInfoToRegistry();

  const TView image = ImageOf(store);
  Require(StartsWith(image, working));
  const TSnapshot after = Snapshot(APlatform);
  Require(after.Files == before.Files);
  if (name.empty()) {
    Require(SameSnapshot(before, after));
  } else {
    const auto value = StoredValue(APlatform, name);
    Require(IsBinary(value) && Same(value->Bytes, image));
    for (int slot = 0; slot < kRegistrySlotCount; ++slot) {
      if (!mon::SameTextIgnoreCase(Reference().ValueNames[slot], name)) {
        Require(SameValue(before.Values[slot], after.Values[slot]));
      }
    }
    Require(after.ValueCount == before.ValueCount + (existed ? 0 : 1));
  }
  ADM.LoadCurrentProfileInfoFromRegistry();
  Require(Same(RecordBytes(ADM.FCurrentProfileInfo), working));
}

// Saves the current profile's image to a file and loads it back.
void SaveToFileAndReload(TFakePlatform& APlatform, TDM& ADM) {
  TSnapshot before = Snapshot(APlatform);
  const TBytes image = Copy(ImageOf(*ADM.ProfileStore(ADM.ProfileIndex())));
  ADM.SaveCurrentProfileInfoToFile(kOutFile);
  const auto saved = APlatform.Files.FileBytes(kOutFile);
  Require(saved && *saved == image);
  before.Files[TMemoryFileSystem::Key(kOutFile)] = image;
  Require(SameSnapshot(before, Snapshot(APlatform)));
  ADM.LoadCurrentProfileInfoFromFile(kOutFile);
  Require(Same(ImageOf(*ADM.ProfileStore(ADM.ProfileIndex())), image));
  CheckWorkingCopy(ADM);
}

// The recorded macro is the stored binary value read into a zeroed record, or stays zero.
void LoadMacro(TFakePlatform& APlatform, TDM& ADM) {
  ADM.LoadRecordMacroInfoFromRegistry();
  const auto value = StoredValue(APlatform, mon::kRecordMacroValueName);
  Require(IsReadIntoZeros(RecordBytes(ADM.FRecordMacroInfo),
                          IsBinary(value) ? TView(value->Bytes) : TView()));
}

void CheckMacroIndexList(TDM& ADM) {
  std::vector<mon::Integer> list = ADM.GetAllProfilesMacroIndexList();
  Require(list.size() <= static_cast<std::size_t>(kGames * mon::kButtonEntryCount));
  std::sort(list.begin(), list.end());
  Require(std::adjacent_find(list.begin(), list.end()) == list.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  const TReference& reference = Reference();
  TInput input(std::span<const std::uint8_t>(AData, ASize));
  const std::uint8_t flags = input.Byte();

  TInPlace<TFakePlatform> platform;
  Prepare(*platform, flags);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    auto value = DecodeSlot(input, slot);
    if (!value) {
      continue;
    }
    if (slot < kRegistrySlotCount) {
      platform->Registry.SetValue(mon::kRegistryCurrentUser, reference.KeyPath,
                                  reference.ValueNames[slot], value->Type, std::move(value->Bytes));
    } else {
      platform->Files.AddFile(FilePathOfSlot(slot), std::move(value->Bytes));
    }
  }

  const TSnapshot before = Snapshot(*platform);
  TInPlace<TDM> dm(nullptr, platform->Platform());
  const TSnapshot after = Snapshot(*platform);
  CheckStartRegistry(before, after);
  CheckStartFiles(*dm, before, after);
  CheckStartImages(*dm, after);
  CheckMacroIndexList(*dm);

  if (flags & kFlagReload) {
    Reload(*platform, *dm);
  }
  if (flags & kFlagSaveToRegistry) {
    SaveToRegistryAndReload(*platform, *dm);
  }
  if (flags & kFlagSaveToFile) {
    SaveToFileAndReload(*platform, *dm);
  }
  if (flags & kFlagLoadMacro) {
    LoadMacro(*platform, *dm);
  }
  return 0;
}
