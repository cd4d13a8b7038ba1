#include "stored_settings.h"

#include "platform/win32/win32_platform.h"
#include "profiles/DMUnit.h"

namespace standin {

int BindKey(int AKey, int AFunctionCode) {
  if (AKey < 0 || AKey >= mon::kButtonEntryCount || AFunctionCode < 0 || AFunctionCode > 0xFFFF) {
    return -1;
  }
  try {
    mon::win32::TWin32Platform backend;
    // The same config.ini (beside this program) and registry key as the monitor's.
    mon::TDM profiles(nullptr, backend.Platform());
    // The profile the monitor takes up on the profile-changed message: the current one of the
    // current profile group, as stored.
    profiles.LoadProfileGroupSettingInfoFromRegistry();
    profiles.LoadCurrentProfileInfoFromRegistry();
    profiles.FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[AKey].nFunctionCode =
        static_cast<mon::Word>(AFunctionCode);
    profiles.SaveCurrentProfileInfoToRegistry();
    return profiles.ProfileIndex();
  } catch (...) {
    return -1;
  }
}

bool SetLanguage(int ALanguageIndex) {
  if (ALanguageIndex < 0 || ALanguageIndex > 255) {
    return false;
  }
  try {
    mon::win32::TWin32Platform backend;
    mon::TDM profiles(nullptr, backend.Platform());
    profiles.FAllProfileSettingInfo.CurrentLanguage = static_cast<mon::Byte>(ALanguageIndex);
    profiles.SaveBackAllProfileSettingInfo();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace standin
