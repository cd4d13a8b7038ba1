// The monitor's own switches in config.ini (section OtherConfig), beyond the options it shares
// with the configuration program. A missing key, or any value but 0, leaves a feature on; 0 turns
// it off and the monitor behaves as it did before the feature existed.
#pragma once

#include "platform/file_system.h"
#include "platform/locale.h"

namespace mon {

struct TMonitorOptions {
  // TrayMicrophoneState: the tray icon and hint show whether the microphone is muted.
  bool TrayMicrophoneState = true;
  // ShowNotices: short notices beside the tray icon when the mouse mutes or unmutes the
  // microphone or selects a profile.
  bool ShowNotices = true;
};

TMonitorOptions LoadMonitorOptions(TFileSystem& AFiles, TLocale& ALocale);

}  // namespace mon
