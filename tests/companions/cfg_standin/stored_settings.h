// What the configuration program stores when the user binds a key or chooses a language, in the
// same records the monitor reads.
#pragma once

#include "platform/platform.h"

namespace standin {

// Binds key AKey (0..13) of the current profile of the current profile group to AFunctionCode and
// saves the profile. Returns the current game profile's index (0..4), or -1 when AKey is out of
// range or the profile manager cannot start.
int BindKey(mon::TPlatform& APlatform, int AKey, int AFunctionCode);

// Sets the language the monitor and this program show (its index in the monitor's language
// list) in the all-settings record and saves it. False when the profile manager cannot start.
bool SetLanguage(mon::TPlatform& APlatform, int ALanguageIndex);

}  // namespace standin
