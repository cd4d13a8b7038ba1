#include "profiles/uiProfile.h"

namespace mon {

TuiProfile::TuiProfile(TComponent* AOwner, TFileSystem& AFiles, TRegistry& ARegistry)
    : TComponent(AOwner), FFiles(AFiles), FRegistry(ARegistry) {}

void TuiProfile::SetFilePath(const std::u16string& AValue) {
  if (AValue == FFilePath || AValue.empty() || !FFiles.DirectoryExists(AValue)) {
    return;
  }
  FFilePath = IncludeTrailingBackslash(AValue);
}

void TuiProfile::SetSize(std::int64_t AValue) {
  if (AValue == FSize || AValue < 0 || static_cast<std::uint64_t>(AValue) > kMaxStoredImageBytes) {
    return;
  }
  FSize = AValue;
  FMemoryStream.SetSize(AValue);
  FMemoryStream.SetPosition(0);
}

std::optional<std::u16string> TuiProfile::GetTextProperty(std::u16string_view AName) const {
  if (AName == u"KeyPath") {
    return FKeyPath;
  }
  if (AName == u"FileName") {
    return FFileName;
  }
  if (AName == u"FilePath") {
    return FFilePath;
  }
  return TComponent::GetTextProperty(AName);
}

bool TuiProfile::SetTextProperty(std::u16string_view AName, const std::u16string& AValue) {
  if (AName == u"KeyPath") {
    SetKeyPath(AValue);
    return true;
  }
  if (AName == u"FileName") {
    SetFileName(AValue);
    return true;
  }
  if (AName == u"FilePath") {
    SetFilePath(AValue);
    return true;
  }
  return TComponent::SetTextProperty(AName, AValue);
}

std::int32_t TuiProfile::Write(const void* ABuffer, std::int32_t ACount) {
  FMemoryStream.SetPosition(0);
  const auto written = FMemoryStream.Write(ABuffer, ACount);
  FSize = FMemoryStream.Size();
  return static_cast<std::int32_t>(written);
}

std::int32_t TuiProfile::Read(void* ABuffer, std::int32_t ACount) {
  FMemoryStream.SetPosition(0);
  return static_cast<std::int32_t>(FMemoryStream.Read(ABuffer, ACount));
}

void TuiProfile::Notify(const TuiProfileEvent2& AEvent) {
  if (AEvent) {
    AEvent(FMemoryStream);
  }
}

bool TuiProfile::AdoptFileImage(const std::u16string& APath) {
  auto bytes = FFiles.ReadWholeFile(APath, kMaxStoredImageBytes);
  if (!bytes) {
    return false;
  }
  FMemoryStream.Assign(std::move(*bytes));
  Notify(OnAfterLoadFromFile);
  return true;
}

bool TuiProfile::MayContinue(const TuiProfileEvent& AEvent) {
  bool bContinue = true;
  if (AEvent) {
    AEvent(FMemoryStream, bContinue);
  }
  return bContinue;
}

bool TuiProfile::HasRegistryPlace() const {
  return (FRootKey == kRegistryCurrentUser || FRootKey == kRegistryLocalMachine) &&
         !FKeyPath.empty() && !FFileName.empty();
}

bool TuiProfile::EnsureFolder(const std::u16string& AFolder) {
  if (AFolder.empty()) {
    return false;
  }
  if (FFiles.DirectoryExists(AFolder)) {
    return true;
  }
  std::u16string folder = AFolder;
  if (folder.size() > 1 && IsPathSeparator(folder.back())) {
    folder.pop_back();
  }
  return FFiles.MakeDirectory(folder);
}

bool TuiProfile::WriteFile(const std::u16string& APath) {
  return FFiles.WriteWholeFile(APath, FMemoryStream.Bytes());
}

bool TuiProfile::LoadStreamFromFile() {
  if (!MayContinue(OnBeforeLoadFromFile) || FFilePath.empty()) {
    return false;
  }
  FFilePath = IncludeTrailingBackslash(FFilePath);
  const std::u16string path = FFilePath + FFileName;
  if (!FFiles.FileExists(path)) {
    return false;
  }
  return AdoptFileImage(path);
}

bool TuiProfile::LoadStreamFromFile(const std::u16string& strFilewithpath) {
  if (!FFiles.FileExists(strFilewithpath) || !MayContinue(OnBeforeLoadFromFile) ||
      !FFiles.FileExists(strFilewithpath)) {
    return false;
  }
  return AdoptFileImage(strFilewithpath);
}

bool TuiProfile::LoadStreamFromRegistry() {
  if (!MayContinue(OnBeforeLoadFromRegistry) || !HasRegistryPlace()) {
    return false;
  }
  {
    const auto key = FRegistry.OpenKey(FRootKey, FKeyPath, true, TRegistryAccess::Read);
    if (!key) {
      return false;
    }
    const auto info = key->QueryValue(FFileName);
    if (!info || info->Type != kRegistryBinary || info->Size > kMaxStoredImageBytes) {
      return false;
    }
    // Read into a block of its own and adopt it, so that a read that fails half-way (the value
    // changed meanwhile) leaves the image as it was.
    std::vector<std::uint8_t> bytes(info->Size);
    const auto read = key->ReadValue(FFileName, bytes);
    if (!read || read->Type != kRegistryBinary) {
      return false;
    }
    bytes.resize(read->Size);
    FMemoryStream.Assign(std::move(bytes));
  }
  Notify(OnAfterLoadFromRegistry);
  return true;
}

bool TuiProfile::PreSaveStreamToFile(const std::u16string& strFileWithPath) {
  TPathParts parts = SplitPath(strFileWithPath);
  if (!EnsureFolder(parts.Folder)) {
    return false;
  }
  FFilePath = std::move(parts.Folder);
  FFileName = std::move(parts.Name);
  return true;
}

bool TuiProfile::SaveStreamToFile() {
  if (!MayContinue(OnBeforeSaveToFile) || FFilePath.empty()) {
    return false;
  }
  FFilePath = IncludeTrailingBackslash(FFilePath);
  if (FFileName.empty() || !WriteFile(FFilePath + FFileName)) {
    return false;
  }
  Notify(OnAfterSaveToFile);
  return true;
}

bool TuiProfile::SaveStreamToFile(const std::u16string& strFileWithPath) {
  const TPathParts parts = SplitPath(strFileWithPath);
  if (!EnsureFolder(parts.Folder) || !MayContinue(OnBeforeSaveToFile) || parts.Name.empty() ||
      !WriteFile(strFileWithPath)) {
    return false;
  }
  Notify(OnAfterSaveToFile);
  return true;
}

bool TuiProfile::SaveStreamToRegistry() {
  if (!MayContinue(OnBeforeSaveToRegistry) || !HasRegistryPlace()) {
    return false;
  }
  {
    const auto key = FRegistry.OpenKey(FRootKey, FKeyPath, true, TRegistryAccess::ReadWrite);
    if (!key || !key->WriteBinary(FFileName, FMemoryStream.Bytes())) {
      return false;
    }
  }
  Notify(OnAfterSaveToRegistry);
  return true;
}

void TuiProfile::RestoreToDefault() {
  if (OnRestoreToDefault) {
    OnRestoreToDefault(FMemoryStream);
  }
}

}  // namespace mon
