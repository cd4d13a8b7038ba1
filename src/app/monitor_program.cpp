#include "app/monitor_program.h"

#include <exception>

#include "app/MouseMonitor.h"
#include "app/shared_definitions.h"
#include "app/single_instance.h"
#include "framework/application.h"
#include "i18n/translation.h"
#include "profiles/DMUnit.h"

namespace mon {

int RunMonitorProgram(TPlatform& APlatform) {
  auto instance = TSingleInstance::Acquire(APlatform.Mutexes, MON_MAIN_CLASS);
  if (!instance) {
    return 0;  // another monitor runs in this logon
  }

  TApplication application;
  application.MainFormOnTaskBar = false;
  application.ShowMainForm = false;
  application.OnException = [&APlatform](const std::u16string& AMessage) {
    APlatform.Debug.Write(AMessage);
    APlatform.MessageBox.ShowMessageBox(AMessage, Application()->Title(), TMessageBoxIcon::Error);
  };

  // The language in force is process-wide and holds on to APlatform's locale: it goes when the
  // run ends, however it ends.
  struct TLanguageReset {
    ~TLanguageReset() { RevertToOriginal(); }
  } languageReset;

  try {
    TDM dataModule(nullptr, APlatform);
    TKORVALDZ314MONMAIN mainWindow(&application, APlatform, dataModule);
    const int exitCode = APlatform.Desktop.RunMessageLoop();
    instance->Release();
    return exitCode;
  } catch (...) {
    application.HandleException(std::current_exception());
    return 1;
  }
}

}  // namespace mon
