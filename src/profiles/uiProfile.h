// TuiProfile: a non-visual component that owns the byte image of one stored record and moves it,
// unchanged and whole, between memory, a file and a binary registry value. It knows nothing of
// the record inside: the owner copies its record in with Write and out with Read, and supplies
// the factory content through OnRestoreToDefault. Before and after every load and save it raises
// events through which the owner can look at the image and cancel the operation.
//
// Stored forms: a file holds exactly the image's bytes; the registry holds them as the REG_BINARY
// value named FileName in key KeyPath below RootKey. No header, length or checksum.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/component.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "profiles/memory_stream.h"

namespace mon {

// Fills the image with factory content, in place.
using TuiProfileOnRestoreToDefault = std::function<void(TMemoryStream& AStream)>;
// Raised before an operation with bContinue set to true; false on return cancels it.
using TuiProfileEvent = std::function<void(TMemoryStream& AStream, bool& bContinue)>;
// Raised after a successful operation.
using TuiProfileEvent2 = std::function<void(TMemoryStream& AStream)>;

// Largest file or registry value a store takes in (138 times the largest record). Anything
// larger is treated as unreadable, so hostile data never makes us allocate without bound.
inline constexpr std::uint64_t kMaxStoredImageBytes = 16u << 20;

class TuiProfile : public TComponent {
 public:
  TuiProfile(TComponent* AOwner, TFileSystem& AFiles, TRegistry& ARegistry);

  std::u16string ClassName() const override { return u"TuiProfile"; }

  // Properties ------------------------------------------------------------------------------

  TRegistryRoot RootKey() const { return FRootKey; }
  void SetRootKey(TRegistryRoot AValue) { FRootKey = AValue; }
  const std::u16string& KeyPath() const { return FKeyPath; }
  void SetKeyPath(std::u16string AValue) { FKeyPath = std::move(AValue); }
  // The file's name, which is also the registry value's name.
  const std::u16string& FileName() const { return FFileName; }
  void SetFileName(std::u16string AValue) { FFileName = std::move(AValue); }
  // The file's folder, kept with a trailing backslash. Takes a new value only when it names an
  // existing folder; an empty text or a missing folder leaves the old value.
  const std::u16string& FilePath() const { return FFilePath; }
  void SetFilePath(const std::u16string& AValue);
  // The size recorded by the last Write or Size assignment (loads do not change it). Assigning
  // a different size resizes the image (new bytes are zero) and moves its position to 0; a
  // negative size or one above kMaxStoredImageBytes is refused.
  std::int64_t Size() const { return FSize; }
  void SetSize(std::int64_t AValue);

  // KeyPath, FileName and FilePath by name, as the form data sets them.
  std::optional<std::u16string> GetTextProperty(std::u16string_view AName) const override;
  bool SetTextProperty(std::u16string_view AName, const std::u16string& AValue) override;

  // Events; each may be unassigned.
  TuiProfileOnRestoreToDefault OnRestoreToDefault;
  TuiProfileEvent OnBeforeSaveToRegistry;
  TuiProfileEvent OnBeforeSaveToFile;
  TuiProfileEvent OnBeforeLoadFromRegistry;
  TuiProfileEvent OnBeforeLoadFromFile;
  TuiProfileEvent2 OnAfterSaveToRegistry;
  TuiProfileEvent2 OnAfterSaveToFile;
  TuiProfileEvent2 OnAfterLoadFromRegistry;
  TuiProfileEvent2 OnAfterLoadFromFile;

  // The image.
  TMemoryStream& Stream() { return FMemoryStream; }
  const TMemoryStream& Stream() const { return FMemoryStream; }

  // Operations --------------------------------------------------------------------------------

  // Writes ACount bytes of ABuffer at the start of the image and records the image's size. The
  // image grows as needed and never shrinks: bytes after ACount stay. Returns the number written.
  std::int32_t Write(const void* ABuffer, std::int32_t ACount);
  // Copies up to ACount bytes from the start of the image into ABuffer and returns how many; the
  // bytes of ABuffer beyond that number are left as they were.
  std::int32_t Read(void* ABuffer, std::int32_t ACount);

  // Replaces the image with the bytes of FilePath + FileName. False (image unchanged) when
  // cancelled, when FilePath is empty, or when the file is missing, unreadable or larger than
  // kMaxStoredImageBytes.
  bool LoadStreamFromFile();
  // The same from a full path, leaving FilePath and FileName alone. A missing file raises no
  // event.
  bool LoadStreamFromFile(const std::u16string& strFilewithpath);
  // Replaces the image with the REG_BINARY value FileName of KeyPath below RootKey (the key is
  // created when missing). False (image unchanged, no after-event) when cancelled, when the root
  // is not HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE or KeyPath or FileName is empty, when the key
  // cannot be opened, and when the value is missing, is not REG_BINARY (a value of another type
  // counts as absent and is left as it is), is larger than kMaxStoredImageBytes or cannot be
  // read. An empty value loads as an empty image.
  bool LoadStreamFromRegistry();

  // Prepares a later SaveStreamToFile(): creates the path's folder when missing (one level) and
  // takes its folder and name as FilePath and FileName. False when the folder cannot be made.
  // Raises no events.
  bool PreSaveStreamToFile(const std::u16string& strFileWithPath);
  // Makes FilePath + FileName hold exactly the image. The bytes go to a temporary file that then
  // replaces the target, so a crash never leaves a half-written profile. False when cancelled,
  // FilePath or FileName is empty, or writing fails (the old file is then untouched).
  bool SaveStreamToFile();
  // The same to a full path, leaving FilePath and FileName alone; a missing folder is created
  // first (one level), and when that fails nothing else happens.
  bool SaveStreamToFile(const std::u16string& strFileWithPath);
  // Stores the image as the REG_BINARY value FileName of KeyPath below RootKey, creating the key
  // when missing. False when cancelled, on an unusable root, key path or name, or when opening
  // or writing fails.
  bool SaveStreamToRegistry();

  // Lets OnRestoreToDefault fill the image with factory content; nothing when it is unassigned.
  // The component never calls it itself.
  void RestoreToDefault();

 private:
  bool MayContinue(const TuiProfileEvent& AEvent);
  // Raises an after-load or after-save event, if set.
  void Notify(const TuiProfileEvent2& AEvent);
  // Reads APath (bounded) into the image and raises OnAfterLoadFromFile; false when it cannot
  // be read, the image then unchanged.
  bool AdoptFileImage(const std::u16string& APath);
  bool HasRegistryPlace() const;
  bool EnsureFolder(const std::u16string& AFolder);
  bool WriteFile(const std::u16string& APath);

  TFileSystem& FFiles;
  TRegistry& FRegistry;
  TMemoryStream FMemoryStream;
  TRegistryRoot FRootKey = 0;
  std::u16string FKeyPath;
  std::u16string FFileName;
  std::u16string FFilePath;
  std::int64_t FSize = 0;
};

}  // namespace mon
