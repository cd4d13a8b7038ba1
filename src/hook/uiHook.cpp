#include "hook/uiHook.h"

#include <exception>

#include "framework/application.h"
#include "framework/text.h"
#include "hook/hook_library.h"

namespace mon {

TuiHook::TuiHook(TComponent* AOwner, TPlatform& APlatform)
    : TComponent(AOwner),
      FPlatform(APlatform),
      FIdThreadComponentDataEvent(APlatform.MainThread, [this] {
        try {
          ProcessDataEvent();
        } catch (...) {
          HandleApplicationException(std::current_exception());
        }
      }) {
  LoadLibraryOnce();
}

TuiHook::~TuiHook() {
  // Our callbacks first, then the library: an installed hook of a freed component (or of an
  // unloaded library) would crash the process at the next key press.
  if (FDLLLoaded) {
    THookLibrary::Release(this);
    FDLLLoaded = false;
  }
  FIdThreadComponentDataEvent.Stop();
  ClearMacroKeyList();
  ClearMouseMacroKeyList();
  RemoveAllKeyboardHookObject();
  RemoveAllMouseHookObject();
}

void TuiHook::LoadLibraryOnce() {
  // Only the copy beside the executable: never the current folder or the search path, where a
  // planted library would run inside the user's logon. When another component of this process
  // has loaded the library already, this one shares it.
  const std::u16string folder = FPlatform.Files.ExecutableFolder();
  const std::u16string path =
      folder.empty() ? std::u16string() : IncludeTrailingBackslash(folder) + kLibraryFileName;
  const THookLibraryLoad result = THookLibrary::Acquire(FPlatform.Libraries, path);
  FDLLLoaded = result == THookLibraryLoad::Loaded;
  if (result == THookLibraryLoad::NotFound) {
    FPlatform.MessageBox.ShowMessageBox(kLibraryMissingText, kErrorCaption, TMessageBoxIcon::Error);
  }
}

void TuiHook::ReplaceKeyboardCallback(TuiHookCallback ACallback) {
  if (FDLLLoaded) {
    THookLibrary::DisableKeyboardHook();
    THookLibrary::EnableKeyboardHook(ACallback, this);
  }
}

void TuiHook::ReplaceMouseCallback(TuiHookCallback ACallback) {
  if (FDLLLoaded) {
    THookLibrary::DisableMouseHook();
    THookLibrary::EnableMouseHook(ACallback, this);
  }
}

void TuiHook::DisableKeyboard() {
  if (FDLLLoaded) {
    THookLibrary::DisableKeyboardHook();
  }
}

void TuiHook::DisableMouse() {
  if (FDLLLoaded) {
    THookLibrary::DisableMouseHook();
  }
}

void TuiHook::StartHookKeyboard() {
  ReplaceKeyboardCallback(&TuiHook::KeyboardHookCallback);
}

void TuiHook::StartHookMouse() {
  ReplaceMouseCallback(&TuiHook::MouseHookCallback);
}

void TuiHook::StopHookKeyboard() {
  DisableKeyboard();
}

void TuiHook::StopHookMouse() {
  DisableMouse();
}

void TuiHook::AddKeyboardHookObject(std::unique_ptr<TKeyBoardHookDetailObject> AObject) {
  if (AObject == nullptr) {
    return;
  }
  std::u16string key = IntToText(AObject->FKeyBoardHookDetail.KeyboardVKKey);
  FKeyboardHookObjectList.Add(std::move(key), std::move(AObject));
}

void TuiHook::RemoveAllKeyboardHookObject() {
  FKeyboardHookObjectList.Clear();
}

void TuiHook::AddMouseHookObject(std::unique_ptr<TMouseHookDetailObject> AObject) {
  if (AObject == nullptr) {
    return;
  }
  std::u16string key = IntToText(static_cast<int>(AObject->FMouseHookDetail.MouseButton));
  FMouseHookObjectList.Add(std::move(key), std::move(AObject));
}

void TuiHook::RemoveAllMouseHookObject() {
  FMouseHookObjectList.Clear();
}

void TuiHook::QueueRecordData(std::shared_ptr<TMacroKeyObject> AKey) {
  if (AKey == nullptr) {
    return;
  }
  FRecordDataToProcessList.Push({1, std::move(AKey), nullptr});
  FIdThreadComponentDataEvent.SignalData();
}

void TuiHook::QueueRecordData(std::shared_ptr<TMOUSEMacroKeyObject> AKey) {
  if (AKey == nullptr) {
    return;
  }
  FRecordDataToProcessList.Push({0, nullptr, std::move(AKey)});
  FIdThreadComponentDataEvent.SignalData();
}

void TuiHook::ProcessDataEvent() {
  // Taken out under the queue's lock; the events run outside it, so a handler may queue more.
  const std::vector<TRecordDataItem> items = FRecordDataToProcessList.TakeAll();
  for (const TRecordDataItem& item : items) {
    if (item.DataType == 1 && item.KeyObject != nullptr) {
      const TMACROKEYHOOK& key = item.KeyObject->FMacroKey;
      if (FOnRecordKeyboardMacroKey) {
        FOnRecordKeyboardMacroKey(key.nKeyType, key.nKeyValue, key.nKeyState, key.nKeyValueExtended,
                                  key.Time, key.MacroKeyString, key.MacroKeyStateString,
                                  FMacroKeyList);
      }
    } else if (item.DataType == 0 && item.MouseObject != nullptr) {
      const TMOUSEMACROKEY& key = item.MouseObject->FMOUSEMacroKey;
      if (FOnRecordMouseMacroKey) {
        FOnRecordMouseMacroKey(key.nKeyType, key.MouseButton, key.nKeyState, key.X, key.Y, key.Time,
                               key.MacroKeyString, key.MacroKeyStateString, FMouseMacroKeyList);
      }
    }
  }
}

void TuiHook::ClearMacroKeyList() {
  FMacroKeyList.Clear();
}

void TuiHook::ClearMouseMacroKeyList() {
  FMouseMacroKeyList.Clear();
}

}  // namespace mon
