#include "app/tray_icon_look.h"

namespace mon {

TTaskbarTheme ReadTaskbarTheme(TRegistry& ARegistry) {
  const auto key = ARegistry.OpenKey(kRegistryCurrentUser, kPersonalizeKeyPath,
                                     /*ACreate=*/false, TRegistryAccess::Read);
  const std::optional<std::uint32_t> light =
      key ? key->ReadDWord(kSystemUsesLightThemeValueName) : std::nullopt;
  return light == 1u ? TTaskbarTheme::Light : TTaskbarTheme::Dark;
}

TTrayIconLook::TTrayIconLook(TFileSystem& AFiles, TRegistry& ARegistry)
    : FFiles(AFiles), FRegistry(ARegistry) {}

std::size_t TTrayIconLook::IndexOf(TTrayIconState AState, TTaskbarTheme ATheme) {
  return (AState == TTrayIconState::Muted ? 1 : 0) + (ATheme == TTaskbarTheme::Light ? 2 : 0);
}

void TTrayIconLook::Load() {
  const std::u16string folder = IncludeTrailingBackslash(FFiles.ExecutableFolder());
  const struct {
    TTrayIconState State;
    TTaskbarTheme Theme;
    const char16_t* RelativePath;
  } files[] = {
      {TTrayIconState::Normal, TTaskbarTheme::Dark, kTrayIconRelativePath},
      {TTrayIconState::Muted, TTaskbarTheme::Dark, kTrayMutedIconRelativePath},
      {TTrayIconState::Normal, TTaskbarTheme::Light, kTrayLightTaskbarIconRelativePath},
      {TTrayIconState::Muted, TTaskbarTheme::Light, kTrayMutedLightTaskbarIconRelativePath},
  };
  for (const auto& file : files) {
    const std::u16string path = folder + file.RelativePath;
    std::optional<std::u16string>& found = FFilesByLook[IndexOf(file.State, file.Theme)];
    found.reset();
    if (FFiles.FileExists(path)) {
      found = path;
    }
  }
  FTheme = ReadTaskbarTheme(FRegistry);
}

bool TTrayIconLook::ReloadTheme() {
  const TTaskbarTheme theme = ReadTaskbarTheme(FRegistry);
  if (theme == FTheme) {
    return false;
  }
  FTheme = theme;
  return true;
}

const std::optional<std::u16string>& TTrayIconLook::File() const {
  return FFilesByLook[IndexOf(FState, FTheme)];
}

}  // namespace mon
