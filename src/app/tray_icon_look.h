// Which icon the tray shows: the microphone's state (muted or not) and the colours of the
// taskbar (Windows 10 and 11 keep light or dark for the user) pick one of four icon files beside
// the monitor, or, where a file is missing, the program's own icon for them.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace mon {

// The icon files, below the monitor's folder.
inline constexpr char16_t kTrayIconRelativePath[] = u"images\\0409\\icons\\logo.ico";
inline constexpr char16_t kTrayMutedIconRelativePath[] = u"images\\0409\\icons\\logo_muted.ico";
inline constexpr char16_t kTrayLightTaskbarIconRelativePath[] =
    u"images\\0409\\icons\\logo_light_taskbar.ico";
inline constexpr char16_t kTrayMutedLightTaskbarIconRelativePath[] =
    u"images\\0409\\icons\\logo_muted_light_taskbar.ico";

// Where the current user's taskbar colours are kept: SystemUsesLightTheme is 1 for light, 0 for
// dark.
inline constexpr char16_t kPersonalizeKeyPath[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
inline constexpr char16_t kSystemUsesLightThemeValueName[] = u"SystemUsesLightTheme";

// Light when SystemUsesLightTheme is the DWORD 1; dark when it is 0 or any other number, or
// missing (systems before Windows 10), or not a four-byte DWORD.
TTaskbarTheme ReadTaskbarTheme(TRegistry& ARegistry);

class TTrayIconLook {
 public:
  // Both must outlive the look.
  TTrayIconLook(TFileSystem& AFiles, TRegistry& ARegistry);

  // Looks for the icon files in the monitor's folder and reads the taskbar's colours.
  void Load();
  // Reads the taskbar's colours again (they changed, or may have); true when they differ from
  // the ones read before.
  bool ReloadTheme();
  void SetState(TTrayIconState AState) { FState = AState; }

  TTrayIconState State() const { return FState; }
  TTaskbarTheme Theme() const { return FTheme; }
  // The icon file for the state and theme; nullopt when it is not there.
  const std::optional<std::u16string>& File() const;

 private:
  static std::size_t IndexOf(TTrayIconState AState, TTaskbarTheme ATheme);

  TFileSystem& FFiles;
  TRegistry& FRegistry;
  std::array<std::optional<std::u16string>, 4> FFilesByLook;  // by IndexOf
  TTrayIconState FState = TTrayIconState::Normal;
  TTaskbarTheme FTheme = TTaskbarTheme::Dark;
};

}  // namespace mon
