// The factory content of every stored record, applied to a record in place. The profile
// manager's OnRestoreToDefault handlers (DMUnit) run these on their stores' images.
//
// Only the fields named here are set; every other field keeps its bytes (a stored profile that
// is reset keeps its function lists, wheel entries, macros, application list, paths, fire-key
// values and CPI levels 5 to 10). The test profile is cleared whole first.
#pragma once

#include <string>

#include "app/shared_definitions.h"
#include "platform/clock.h"
#include "profiles/records.h"

namespace mon {

inline constexpr Integer kDefaultFileVersion = 259;

// Game profile AGame (0..4; the default game profile uses 0): header with a new UID, the 14
// buttons (tables G1, G2, G3), pointer, report rate, CPI levels 0..4 and the LED.
void ApplyGameProfileDefaults(TMouseProfileInfo& AProfile, int AGame, TClock& AClock);

// The test profile: cleared whole, then one key-report bit per key from key 5 on.
void ApplyTestProfileDefaults(TMouseProfileInfo& AProfile, TClock& AClock);

// The profile-group record: five profiles kept in the registry, named APrefix1.pfd to
// APrefix5.pfd, with their folder AProfilePath (which ends with a backslash) and a macro folder
// below it. An empty AProfilePath (no documents folder) leaves both folders empty.
void ApplyProfileSettingGroupDefaults(TProfileSettingGroup& AGroup,
                                      const TOptionsFromConfigFile& AOptions,
                                      const std::u16string& AProfilePath);

// The all-settings record: entry 0 in use, current game 4, language 0.
void ApplyAllSettingsDefaults(TALLGAMESINFO& ASettings);

// The two partial resets of a profile: CPI levels 0..3 (level 4 cleared), and the report rate
// with the LED.
void ApplyDefaultCPISetting(TMouseProfileInfo& AProfile);
void ApplyDefaultLightAndReportAdvancedSetting(TMouseProfileInfo& AProfile);

}  // namespace mon
