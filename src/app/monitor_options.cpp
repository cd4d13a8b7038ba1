#include "app/monitor_options.h"

#include "platform/config_file.h"

namespace mon {

TMonitorOptions LoadMonitorOptions(TFileSystem& AFiles, TLocale& ALocale) {
  const TIniFile ini = LoadConfigFile(AFiles, ALocale);
  TMonitorOptions options;
  options.TrayMicrophoneState = ini.ReadInteger(u"OtherConfig", u"TrayMicrophoneState", 1) != 0;
  options.ShowNotices = ini.ReadInteger(u"OtherConfig", u"ShowNotices", 1) != 0;
  return options;
}

}  // namespace mon
