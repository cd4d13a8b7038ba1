// TuiHook: system-wide keyboard and mouse events through the hook library uiHook.dll, plain
// hooking with the registered hook objects, and the key and macro recording modes.
//
// Creation loads the library from the executable's own folder (once per process; an error box
// when it is missing) and starts the worker of the queued delivery path. Per hook kind one
// callback is installed at a time: Start and Record operations replace it, Stop operations
// remove it. Callbacks run on the thread that started them (the main thread), which must pump
// messages; they touch the component without locking. Destruction removes this component's
// callbacks before the library can be unloaded, and joins the worker.
//
// Files: uiHook.cpp (lifecycle, plain hooking, hook objects, queued delivery),
// hook_callbacks.cpp (the plain hook callbacks and their matching rules), hook_recording.cpp
// (the recording modes), hook_library.cpp (the process's library binding), hook_worker.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/component.h"
#include "hook/hook_abi.h"
#include "hook/hook_types.h"
#include "hook/hook_worker.h"
#include "platform/platform.h"

namespace mon {

// Plain hooking. In every event AState is 1 for a press and 0 for a release; ABlocked is the
// library's blocked flag: left True, the event does not reach other programs.
using TOnHookKeyboardKey =
    std::function<void(std::int32_t Key, std::int32_t AState, std::int32_t AKeyExtended,
                       bool& ABlocked, std::uint32_t AScanKey)>;
using TOnHookMouseButton =
    std::function<void(TMouseButtons AuiButton, std::int32_t AState, bool& ABlocked)>;
using TOnHookAllMouseButton = std::function<void(TMouseButtons AuiButton, std::int32_t AState,
                                                 std::int16_t AExValue, bool& ABlocked)>;
// Time is the event's millisecond time as a floating value.
using TOnHookMouseMove = std::function<void(std::int32_t X, std::int32_t Y, double Time)>;

// Recording.
using TOnRecordKeyboardSingleKey = std::function<void(
    std::int32_t Key, std::uint32_t ScanKey, std::int32_t AState, std::int32_t AKeyExtended,
    const std::u16string& SingleKeyString, bool& ABlocked)>;
using TOnRecordKeyboardComboKey = std::function<void(
    std::int32_t Key1, std::int32_t Key1Extended, std::int32_t Key2, std::int32_t Key2Extended,
    std::int32_t Modifier, const std::u16string& ComboKeyString)>;
using TOnRecordKeyboardComboKey2 =
    std::function<void(std::int32_t Key1, std::int32_t ScanKey1, std::int32_t Key1Extended,
                       std::int32_t Key2, std::int32_t ScanKey2, std::int32_t Key2Extended,
                       std::int32_t Modifier, const std::u16string& ComboKeyString)>;
using TOnRecordKeyboardMacroKey =
    std::function<void(std::int32_t MacroType, std::int32_t Key1, std::int32_t AState,
                       std::int32_t Extended, double Time, const std::u16string& MacroKeyString,
                       const std::u16string& MacroKeyStateString, const TMacroKeyList& KeyList)>;
using TOnRecordKeyboardMacroKeyEx = std::function<void(
    std::int32_t MacroType, std::int32_t Key1, std::int32_t AState, std::int32_t Extended,
    double Time, std::uint32_t TotalTime, const std::u16string& MacroKeyString,
    const std::u16string& MacroKeyStateString, const TMacroKeyList& KeyList)>;
// The receiver may keep entry objects of the list (copies of their shared pointers): the
// component only lets go of its own references afterwards.
using TOnStopRecordKeyboardMacroKey = std::function<void(const TMacroKeyList& KeyoboardRecordList)>;
using TOnRecordMouseMacroKey = std::function<void(
    std::int32_t MacroType, TMouseButtons AButton, std::int32_t AState, std::uint16_t X,
    std::uint16_t Y, double Time, const std::u16string& MacroKeyString,
    const std::u16string& MacroKeyStateString, const TMouseMacroKeyList& MouseRecordList)>;
using TOnStopRecordMouseMacroKey = std::function<void(const TMouseMacroKeyList& MouseRecordList)>;

class TuiHook : public TComponent {
 public:
  // The library's file name, looked up in the executable's folder only.
  static constexpr char16_t kLibraryFileName[] = u"uiHook.dll";
  static constexpr char16_t kErrorCaption[] = u"Error";
  static constexpr char16_t kLibraryMissingText[] = u"uiHook.dll can not be found!";
  // The extended keyboard macro records while its list holds at most this many entries.
  static constexpr std::size_t kMaxExtendedMacroEntries = 500;

  // APlatform provides the files (the executable's folder), the dynamic libraries, the message
  // box, the keyboard state and the main thread; it must outlive the component.
  TuiHook(TComponent* AOwner, TPlatform& APlatform);
  ~TuiHook() override;

  std::u16string ClassName() const override { return u"TuiHook"; }

  bool DLLLoaded() const { return FDLLLoaded; }

  // Plain hooking.
  void StartHookKeyboard();
  void StartHookMouse();
  void StopHookKeyboard();
  void StopHookMouse();
  // The component owns the object from then on. The lists may change only while their hook is
  // not calling back (on the main thread).
  void AddKeyboardHookObject(std::unique_ptr<TKeyBoardHookDetailObject> AObject);
  void RemoveAllKeyboardHookObject();
  void AddMouseHookObject(std::unique_ptr<TMouseHookDetailObject> AObject);
  void RemoveAllMouseHookObject();

  // Recording.
  void RecordKeyboardSingleKey();
  void StopRecordKeyboardSingleKey();
  void RecordKeyboardComboKey();
  void StopRecordKeyboardComboKey();
  void RecordKeyboardMacroKey();
  void RecordKeyboardMacroKeyEx();
  void StopRecordKeyboardMacroKey();
  void StopRecordKeyboardMacroKeyEx();
  void RecordMouseMacro();
  void StopRecordMouseMacro();

  // Queued delivery: takes every queued step and raises OnRecordKeyboardMacroKey (keyboard
  // steps) or OnRecordMouseMacroKey (mouse steps) for each, in queue order. Main thread; the
  // worker runs it there whenever data is signalled.
  void ProcessDataEvent();
  // Queues one step and signals the worker. Nothing in the monitor queues steps (the recording
  // callbacks raise their events directly); this is the producer side of the path. Any thread.
  void QueueRecordData(std::shared_ptr<TMacroKeyObject> AKey);
  void QueueRecordData(std::shared_ptr<TMOUSEMacroKeyObject> AKey);

  // Events (unassigned events are not raised).
  const TOnRecordKeyboardSingleKey& OnRecordKeyboardSingleKey() const {
    return FOnRecordKeyboardSingleKey;
  }
  void SetOnRecordKeyboardSingleKey(TOnRecordKeyboardSingleKey AValue) {
    FOnRecordKeyboardSingleKey = std::move(AValue);
  }
  const TOnRecordKeyboardComboKey& OnRecordKeyboardComboKey() const {
    return FOnRecordKeyboardComboKey;
  }
  void SetOnRecordKeyboardComboKey(TOnRecordKeyboardComboKey AValue) {
    FOnRecordKeyboardComboKey = std::move(AValue);
  }
  const TOnRecordKeyboardComboKey2& OnRecordKeyboardComboKey2() const {
    return FOnRecordKeyboardComboKey2;
  }
  void SetOnRecordKeyboardComboKey2(TOnRecordKeyboardComboKey2 AValue) {
    FOnRecordKeyboardComboKey2 = std::move(AValue);
  }
  const TOnRecordKeyboardMacroKey& OnRecordKeyboardMacroKey() const {
    return FOnRecordKeyboardMacroKey;
  }
  void SetOnRecordKeyboardMacroKey(TOnRecordKeyboardMacroKey AValue) {
    FOnRecordKeyboardMacroKey = std::move(AValue);
  }
  const TOnRecordKeyboardMacroKeyEx& OnRecordKeyboardMacroKeyEx() const {
    return FOnRecordKeyboardMacroKeyEx;
  }
  void SetOnRecordKeyboardMacroKeyEx(TOnRecordKeyboardMacroKeyEx AValue) {
    FOnRecordKeyboardMacroKeyEx = std::move(AValue);
  }
  const TOnStopRecordKeyboardMacroKey& OnStopRecordKeyboardMacroKey() const {
    return FOnStopRecordKeyboardMacroKey;
  }
  void SetOnStopRecordKeyboardMacroKey(TOnStopRecordKeyboardMacroKey AValue) {
    FOnStopRecordKeyboardMacroKey = std::move(AValue);
  }
  const TOnStopRecordMouseMacroKey& OnStopRecordMouseMacroKey() const {
    return FOnStopRecordMouseMacroKey;
  }
  void SetOnStopRecordMouseMacroKey(TOnStopRecordMouseMacroKey AValue) {
    FOnStopRecordMouseMacroKey = std::move(AValue);
  }
  const TOnRecordMouseMacroKey& OnRecordMouseMacroKey() const { return FOnRecordMouseMacroKey; }
  void SetOnRecordMouseMacroKey(TOnRecordMouseMacroKey AValue) {
    FOnRecordMouseMacroKey = std::move(AValue);
  }
  const TOnHookKeyboardKey& OnHookKeyboardKey() const { return FOnHookKeyboardKey; }
  void SetOnHookKeyboardKey(TOnHookKeyboardKey AValue) { FOnHookKeyboardKey = std::move(AValue); }
  const TOnHookMouseButton& OnHookMouseButton() const { return FOnHookMouseButton; }
  void SetOnHookMouseButton(TOnHookMouseButton AValue) { FOnHookMouseButton = std::move(AValue); }
  const TOnHookKeyboardKey& OnHookKeyboardAllKey() const { return FOnHookKeyboardAllKey; }
  void SetOnHookKeyboardAllKey(TOnHookKeyboardKey AValue) {
    FOnHookKeyboardAllKey = std::move(AValue);
  }
  const TOnHookAllMouseButton& OnHookMouseAllButton() const { return FOnHookMouseAllButton; }
  void SetOnHookMouseAllButton(TOnHookAllMouseButton AValue) {
    FOnHookMouseAllButton = std::move(AValue);
  }
  const TOnHookMouseMove& OnHookMouseMove() const { return FOnHookMouseMove; }
  void SetOnHookMouseMove(TOnHookMouseMove AValue) { FOnHookMouseMove = std::move(AValue); }

  // State, read by owners and tests.
  const TKeyboardHookObjectList& KeyboardHookObjectList() const { return FKeyboardHookObjectList; }
  const TMouseHookObjectList& MouseHookObjectList() const { return FMouseHookObjectList; }
  const TMacroKeyList& MacroKeyList() const { return FMacroKeyList; }
  const TMouseMacroKeyList& MouseMacroKeyList() const { return FMouseMacroKeyList; }
  const TCOMBOKEY& ComboKeyInfo() const { return FComboKeyInfo; }
  const std::u16string& ComboKeyString() const { return FComboKeyString; }
  bool IsWorkerRunning() const { return FIdThreadComponentDataEvent.IsRunning(); }

  // The callbacks as the hook library calls them: AUserData is the component, ARecord the
  // event record, ABlocked the one-byte blocked flag. Exceptions from event handlers end here
  // (at the central error handler), never in the library.
  static void KeyboardHookCallback(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage,
                                   void* ARecord, std::uint8_t* ABlocked);
  static void MouseHookCallback(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage,
                                void* ARecord, std::uint8_t* ABlocked);
  static void RecordSingleKeyCallback(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage,
                                      void* ARecord, std::uint8_t* ABlocked);
  static void RecordComboKeyCallback(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage,
                                     void* ARecord, std::uint8_t* ABlocked);
  static void RecordMacroKeyCallback(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage,
                                     void* ARecord, std::uint8_t* ABlocked);
  static void RecordMacroKeyExCallback(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage,
                                       void* ARecord, std::uint8_t* ABlocked);
  static void RecordMouseMacroCallback(void* AUserData, std::int32_t ACode, std::uintptr_t AMessage,
                                       void* ARecord, std::uint8_t* ABlocked);

 private:
  void LoadLibraryOnce();
  void ReplaceKeyboardCallback(TuiHookCallback ACallback);
  void ReplaceMouseCallback(TuiHookCallback ACallback);
  void DisableKeyboard();
  void DisableMouse();

  // The decisions, one per callback; ABlocked is the blocked flag.
  void HookKeyboard(std::int32_t ACode, const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked);
  void HookMouse(std::uint32_t AMessage, const TMSLLHOOKSTRUCT& AEvent, bool& ABlocked);
  void RecordSingleKey(const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked);
  void RecordComboKey(const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked);
  void RecordMacroKey(const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked);
  void RecordMacroKeyEx(const TKBDLLHOOKSTRUCT& AEvent, bool& ABlocked);
  void RecordMouseMacroEvent(std::uint32_t AMessage, const TMSLLHOOKSTRUCT& AEvent);

  void ClearMacroKeyList();
  void ClearMouseMacroKeyList();

  TPlatform& FPlatform;

  bool FDLLLoaded = false;
  TOnRecordKeyboardSingleKey FOnRecordKeyboardSingleKey;
  TOnRecordKeyboardComboKey FOnRecordKeyboardComboKey;
  TOnRecordKeyboardComboKey2 FOnRecordKeyboardComboKey2;
  TOnRecordKeyboardMacroKey FOnRecordKeyboardMacroKey;
  TOnRecordKeyboardMacroKeyEx FOnRecordKeyboardMacroKeyEx;
  TOnStopRecordKeyboardMacroKey FOnStopRecordKeyboardMacroKey;
  TOnStopRecordMouseMacroKey FOnStopRecordMouseMacroKey;
  TOnRecordMouseMacroKey FOnRecordMouseMacroKey;
  TOnHookKeyboardKey FOnHookKeyboardKey;
  TOnHookMouseButton FOnHookMouseButton;
  TCOMBOKEY FComboKeyInfo;
  std::u16string FComboKeyString;
  TMacroKeyList FMacroKeyList;
  TMouseMacroKeyList FMouseMacroKeyList;
  TKeyboardHookObjectList FKeyboardHookObjectList;
  TMouseHookObjectList FMouseHookObjectList;
  TRecordDataQueue FRecordDataToProcessList;
  std::uint32_t FLastTimeKeyboardMacro = 0;
  std::uint32_t FLastTimeKeyboardCombo = 0;
  std::uint32_t FLastTimeMouseMacro = 0;
  TOnHookKeyboardKey FOnHookKeyboardAllKey;
  std::uint32_t FTotalMacroTime = 0;
  TKBDLLHOOKSTRUCT FLastMacroKey;
  std::array<std::uint8_t, 256> FAllKeyState{};
  TOnHookAllMouseButton FOnHookMouseAllButton;
  TOnHookMouseMove FOnHookMouseMove;
  // Last: it starts after everything it delivers to exists, and is joined first.
  TRecordDataWorker FIdThreadComponentDataEvent;
};

}  // namespace mon
