// A monitor-like host (a form owning the hook component, the Win32 platform with the message box
// seam replaced) whose folder lacks a usable uiHook.dll. Built twice: beside no library at all,
// run from a current folder that holds the real library (which must not be picked up), and
// beside a library that lacks one export (MON_HOST_WITH_INCOMPLETE_LIBRARY).
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "framework/component.h"
#include "hook/uiHook.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_dynamic_library.h"
#include "platform/win32/win32_platform.h"

// After the headers of ours: <windows.h> renames MessageBox, the platform bundle's member, which
// this file means.
#include <windows.h>
#undef MessageBox

namespace mon::testing {
namespace {

std::wstring ExecutableFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring full(path, length);
  return full.substr(0, full.find_last_of(L"\\/") + 1);
}

#ifndef MON_HOST_WITH_INCOMPLETE_LIBRARY
std::wstring CurrentFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, path);
  std::wstring folder(path, length);
  if (!folder.empty() && folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}
#endif

TEST(THookHostTest, CreationWithoutAUsableLibrary) {
  win32::TWin32Platform backend;
  TRecordingMessageBox boxes;
  TPlatform platform = WithService(backend.Platform(), boxes);
  TForm mainWindow(nullptr);
  int keyboardStops = 0;
  {
    TuiHook hook(&mainWindow, platform);
    EXPECT_EQ(mainWindow.ComponentCount(), 1u);
    EXPECT_FALSE(hook.DLLLoaded());
#ifdef MON_HOST_WITH_INCOMPLETE_LIBRARY
    // Found but incomplete: unloaded again, silently.
    EXPECT_TRUE(boxes.Shown.empty());
    EXPECT_EQ(::GetModuleHandleW((ExecutableFolder() + L"uiHook.dll").c_str()), nullptr);
#else
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Caption, u"Error");
    EXPECT_EQ(boxes.Shown[0].Text, u"uiHook.dll can not be found!");
    EXPECT_EQ(boxes.Shown[0].Icon, TMessageBoxIcon::Error);
    // The library in the current folder was not loaded in its place.
    EXPECT_EQ(::GetModuleHandleW(L"uiHook.dll"), nullptr);
#endif
    // Every operation is safe; the stop events still come.
    hook.SetOnStopRecordKeyboardMacroKey([&](const TMacroKeyList&) { ++keyboardStops; });
    hook.StartHookKeyboard();
    hook.StartHookMouse();
    hook.RecordKeyboardMacroKeyEx();
    hook.StopRecordKeyboardMacroKeyEx();
    hook.StopHookMouse();
    EXPECT_TRUE(hook.IsWorkerRunning());
  }
  EXPECT_EQ(keyboardStops, 1);
  EXPECT_EQ(mainWindow.ComponentCount(), 0u);
  EXPECT_LE(boxes.Shown.size(), 1u);
}

#ifndef MON_HOST_WITH_INCOMPLETE_LIBRARY
// What makes the test above meaningful: the current folder holds a complete, loadable library,
// which a lookup by bare name would have found.
TEST(THookHostTest, TheCurrentFolderHoldsALoadableLibraryThatOnlyAFullPathOpens) {
  const std::wstring planted = CurrentFolder() + L"uiHook.dll";
  ASSERT_NE(::GetFileAttributesW(planted.c_str()), INVALID_FILE_ATTRIBUTES)
      << "run this test from the folder of the real uiHook.dll";
  ASSERT_NE(CurrentFolder(), ExecutableFolder());
  win32::TWin32DynamicLibraries libraries;
  EXPECT_EQ(libraries.OpenLibrary(u"uiHook.dll"), nullptr);
  EXPECT_EQ(libraries.OpenLibrary(u".\\uiHook.dll"), nullptr);
  TLibraryHandle library = libraries.OpenLibrary(win32::FromWide(planted));
  ASSERT_NE(library, nullptr);
  EXPECT_NE(libraries.FindExport(library, "EnableKeyboardHook"), nullptr);
  EXPECT_EQ(libraries.FindExport(library, "NoSuchExport"), nullptr);
  libraries.CloseLibrary(library);
  EXPECT_TRUE(win32::IsFullPath(u"C:\\x\\uiHook.dll"));
  EXPECT_TRUE(win32::IsFullPath(u"\\\\server\\share\\uiHook.dll"));
  EXPECT_FALSE(win32::IsFullPath(u"C:uiHook.dll"));
  EXPECT_FALSE(win32::IsFullPath(u"\\uiHook.dll"));
}
#endif

}  // namespace
}  // namespace mon::testing
