// The translation editor on its own, for a translator: it edits the ui.local beside this
// executable (starting from an empty list when there is none) and ends when its window is
// closed. Not shipped with the monitor.
#include <windows.h>

#include "framework/application.h"
#include "i18n/Languagetranslate.h"
#include "i18n/win32/translation_editor_window.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  mon::TApplication application;
  application.SetTitle(u"Language Translate");
  application.OnException = [](const std::u16string& AMessage) {
    ::MessageBoxW(::GetActiveWindow(), mon::win32::ToWide(AMessage).c_str(), L"Language Translate",
                  MB_OK | MB_ICONERROR);
  };
  mon::win32::TWin32Platform platform;
  // No component is given: the window's FormShow makes its own from ui.local.
  mon::TLanguageTranslateEditor editor(platform.Platform());
  mon::win32::ShowTranslationEditorWindow(editor);
  return 0;
}
