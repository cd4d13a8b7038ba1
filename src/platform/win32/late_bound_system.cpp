#include "platform/win32/late_bound_system.h"

#include "platform/win32/dynamic_library.h"

namespace mon::win32 {

namespace {

// Binds each named function into its member; all of them or none.
template <class TFunctions>
class TBinder {
 public:
  TBinder(const TDynamicLibrary& ALibrary, TFunctions& AFunctions)
      : FLibrary(ALibrary), FFunctions(AFunctions) {}

  template <class T>
  TBinder& Bind(T& AFunction, const char* AName) {
    AFunction = FLibrary.Function<T>(AName);
    FComplete = FComplete && AFunction != nullptr;
    return *this;
  }

  void Finish() {
    if (FComplete) {
      FFunctions.Bound = true;
    } else {
      FFunctions = TFunctions{};
    }
  }

 private:
  const TDynamicLibrary& FLibrary;
  TFunctions& FFunctions;
  bool FComplete = true;
};

struct TBoundCom {
  TDynamicLibrary Library = TDynamicLibrary::LoadSafely(L"ole32.dll");
  TComFunctions Functions;
  TBoundCom() {
    TBinder(Library, Functions)
        .Bind(Functions.CoInitializeEx, "CoInitializeEx")
        .Bind(Functions.CoUninitialize, "CoUninitialize")
        .Bind(Functions.CoCreateInstance, "CoCreateInstance")
        .Finish();
  }
};

struct TBoundMixer {
  TDynamicLibrary Library = TDynamicLibrary::LoadSafely(L"winmm.dll");
  TMixerFunctions Functions;
  TBoundMixer() {
    TBinder(Library, Functions)
        .Bind(Functions.GetNumDevs, "mixerGetNumDevs")
        .Bind(Functions.Open, "mixerOpen")
        .Bind(Functions.Close, "mixerClose")
        .Bind(Functions.GetLineInfo, "mixerGetLineInfoW")
        .Bind(Functions.GetLineControls, "mixerGetLineControlsW")
        .Bind(Functions.GetControlDetails, "mixerGetControlDetailsW")
        .Bind(Functions.SetControlDetails, "mixerSetControlDetails")
        .Finish();
  }
};

}  // namespace

// Never freed: like an import, a bound library stays until the process ends (a free at exit could
// come before the last COM call of another object's destructor).
const TComFunctions& ComFunctions() {
  static const TBoundCom& bound = *new TBoundCom;
  return bound.Functions;
}

const TMixerFunctions& MixerFunctions() {
  static const TBoundMixer& bound = *new TBoundMixer;
  return bound.Functions;
}

}  // namespace mon::win32
