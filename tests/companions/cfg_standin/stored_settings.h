// What the configuration program stores when the user binds a key or chooses a language, in the
// same records the monitor reads.
#pragma once

#include "platform/platform.h"

namespace standin {

// Which profile a key binding goes to: the current one of the current profile group, which a
// running monitor takes up on the profile-changed message, or the one a monitor takes up when
// it starts (the all-settings record's current game).
enum class TBindingProfile { OfCurrentGroup, AtMonitorStart };

// Binds key AKey (0..13) of that profile to AFunctionCode and saves the profile in the registry.
// Returns the profile's index (0..4), or -1 when AKey is out of range or the profile manager
// cannot start.
int BindKey(mon::TPlatform& APlatform, int AKey, int AFunctionCode,
            TBindingProfile AProfile = TBindingProfile::OfCurrentGroup);

// Sets the language the monitor and this program show (its index in the monitor's language
// list) in the all-settings record and saves it. False when the profile manager cannot start.
bool SetLanguage(mon::TPlatform& APlatform, int ALanguageIndex);

}  // namespace standin
