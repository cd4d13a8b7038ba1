#include "stored_settings.h"

#include "profiles/DMUnit.h"

namespace standin {

int BindKey(mon::TPlatform& APlatform, int AKey, int AFunctionCode, TBindingProfile AProfile) {
  if (AKey < 0 || AKey >= mon::kButtonEntryCount || AFunctionCode < 0 || AFunctionCode > 0xFFFF) {
    return -1;
  }
  try {
    // The same config.ini (beside this program) and registry key as the monitor's.
    mon::TDM profiles(nullptr, APlatform);
    // A started profile manager holds the profile a monitor starts with; the monitor takes up
    // the current one of the current profile group, as stored, on the profile-changed message.
    if (AProfile == TBindingProfile::OfCurrentGroup) {
      profiles.LoadProfileGroupSettingInfoFromRegistry();
      profiles.LoadCurrentProfileInfoFromRegistry();
    }
    profiles.FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[AKey].nFunctionCode =
        static_cast<mon::Word>(AFunctionCode);
    profiles.SaveCurrentProfileInfoToRegistry();
    return profiles.ProfileIndex();
  } catch (...) {
    return -1;
  }
}

bool SetLanguage(mon::TPlatform& APlatform, int ALanguageIndex) {
  if (ALanguageIndex < 0 || ALanguageIndex > 255) {
    return false;
  }
  try {
    mon::TDM profiles(nullptr, APlatform);
    profiles.FAllProfileSettingInfo.CurrentLanguage = static_cast<mon::Byte>(ALanguageIndex);
    profiles.SaveBackAllProfileSettingInfo();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace standin
