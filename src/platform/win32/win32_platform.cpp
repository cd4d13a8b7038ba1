#include "platform/win32/win32_platform.h"

namespace mon::win32 {

TWin32Platform::TWin32Platform()
    : FPlatform{.Files = FFiles,
                .Clock = FClock,
                .Windows = FWindows,
                .Debug = FDebug,
                .MessageBox = FMessageBox,
                .Audio = FAudio,
                .Registry = FRegistry,
                .Locale = FLocale,
                .Libraries = FLibraries,
                .Keyboard = FKeyboard,
                .MainThread = FMainThread,
                .HiddenWindows = FHiddenWindows,
                .Hid = FHid,
                .Desktop = FDesktop,
                .Mutexes = FMutexes} {}

}  // namespace mon::win32
