// Functions of system libraries the monitor needs only once its icon is up (COM for the audio
// endpoint, the multimedia mixer), bound at their first use instead of imported. Every imported
// library is loaded and initialised before the program's first line runs; under Wine these two
// add about a tenth to the time until the icon shows.
#pragma once

#include <windows.h>

#include <mmsystem.h>
#include <objbase.h>

namespace mon::win32 {

// All or nothing: either every function is bound or Bound is false and none is.
struct TComFunctions {
  bool Bound = false;
  decltype(&::CoInitializeEx) CoInitializeEx = nullptr;
  decltype(&::CoUninitialize) CoUninitialize = nullptr;
  decltype(&::CoCreateInstance) CoCreateInstance = nullptr;
};

struct TMixerFunctions {
  bool Bound = false;
  decltype(&::mixerGetNumDevs) GetNumDevs = nullptr;
  decltype(&::mixerOpen) Open = nullptr;
  decltype(&::mixerClose) Close = nullptr;
  decltype(&::mixerGetLineInfoW) GetLineInfo = nullptr;
  decltype(&::mixerGetLineControlsW) GetLineControls = nullptr;
  decltype(&::mixerGetControlDetailsW) GetControlDetails = nullptr;
  decltype(&::mixerSetControlDetails) SetControlDetails = nullptr;
};

// The process's binding of ole32 and of winmm, made by the first call (any thread) and kept for
// the life of the process, as an import would be.
const TComFunctions& ComFunctions();
const TMixerFunctions& MixerFunctions();

}  // namespace mon::win32
