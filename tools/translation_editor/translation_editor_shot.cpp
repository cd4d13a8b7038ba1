// Opens the translation editor on a small made-up language list (two languages, a few texts)
// and saves what its window shows as a PNG file:
//   translation_editor_shot OUTPUT.png
// The editor is laid out for the DPI of the screen (under Wine the LogPixels value of
// HKCU\Control Panel\Desktop when the program starts). Prints the picture's size and that DPI;
// exits with 0 when the file was written, 1 otherwise.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "i18n/Languagetranslate.h"
#include "i18n/language_stream.h"
#include "i18n/win32/translation_editor_window.h"
#include "platform/win32/dpi.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "ui/png_codec.h"
#include "ui/win32/scene_view.h"

namespace {

void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

const mon::TLanguageStreamContent kSample{
    u"About\r\nApply\r\nCancel\r\nConfig\r\nExit\r\nMacro Record\r\nOK\r\nReset Settings\r\n"
    u"Save As\r\nStop Record\r\n",
    {{u"040c",
      u"About=\u00C0 propos\r\nApply=Appliquer\r\nCancel=Annuler\r\nConfig=Configuration\r\n"
      u"Exit=Quitter\r\nMacro Record=Enregistrer une macro\r\nReset Settings=R\u00E9initialiser\r\n"
      u"Save As=Enregistrer sous\r\n"},
     {u"0407",
      u"About=\u00DCber\r\nApply=\u00DCbernehmen\r\nCancel=Abbrechen\r\nExit=Beenden\r\n"
      u"Save As=Speichern unter\r\nStop Record=Aufnahme beenden\r\n"}}};

}  // namespace

int main() {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (arguments == nullptr || count != 2) {
    std::fprintf(stderr, "usage: translation_editor_shot OUTPUT.png\n");
    return 2;
  }
  const std::u16string output = mon::win32::FromWide(arguments[1]);
  ::LocalFree(arguments);

  mon::win32::TWin32Platform platform;
  mon::TuiLanguage language(nullptr, platform.Platform());
  language.ClearResources();
  language.ReadStream(mon::WriteLanguageStream(kSample));
  mon::TLanguageTranslateEditor editor(platform.Platform());
  editor.SetLang(&language);
  editor.LoadLanguageAndCreateTranslateTabList(language);
  editor.SelectTab(0);
  editor.SelectRow(4);

  mon::win32::TTranslationEditorWindow window(editor);
  if (!window.Create()) {
    std::fprintf(stderr, "the window could not be created\n");
    return 1;
  }
  // Not activated: under Wine without a window manager that only costs time here.
  window.Show(SW_SHOWNOACTIVATE);
  PumpMessages();
  ::RedrawWindow(window.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages();
  const auto image = mon::win32::CaptureWindowClient(window.Handle());
  const auto png = image ? mon::EncodePng(*image) : std::nullopt;
  if (!png || !platform.Platform().Files.WriteWholeFile(output, *png)) {
    std::fprintf(stderr, "the screenshot could not be written\n");
    return 1;
  }
  std::printf("%u x %u pixels at %u DPI\n", image->Width, image->Height, window.Dpi());
  return 0;
}
