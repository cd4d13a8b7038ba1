#include "fake_platform.h"

namespace mon::testing {

TFakePlatform::TFakePlatform()
    : FPlatform{.Files = Files,
                .Clock = Clock,
                .Windows = Windows,
                .Debug = Debug,
                .MessageBox = MessageBox,
                .Audio = Audio,
                .Registry = Registry,
                .Locale = Locale,
                .Libraries = Libraries,
                .Keyboard = Keyboard,
                .MainThread = MainThread,
                .HiddenWindows = HiddenWindows,
                .Hid = Hid,
                .Desktop = Desktop,
                .Mutexes = Mutexes} {}

}  // namespace mon::testing
