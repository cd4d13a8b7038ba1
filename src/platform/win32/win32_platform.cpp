#include "platform/win32/win32_platform.h"

namespace mon::win32 {

TWin32Platform::TWin32Platform() {
  FPlatform.Files = &FFiles;
  FPlatform.Clock = &FClock;
  FPlatform.Windows = &FWindows;
  FPlatform.Debug = &FDebug;
  FPlatform.MessageBox = &FMessageBox;
  FPlatform.Audio = &FAudio;
  FPlatform.Registry = &FRegistry;
  FPlatform.Locale = &FLocale;
  FPlatform.Libraries = &FLibraries;
  FPlatform.Keyboard = &FKeyboard;
  FPlatform.MainThread = &FMainThread;
  FPlatform.HiddenWindows = &FHiddenWindows;
  FPlatform.Hid = &FHid;
  FPlatform.Desktop = &FDesktop;
  FPlatform.Mutexes = &FMutexes;
}

}  // namespace mon::win32
