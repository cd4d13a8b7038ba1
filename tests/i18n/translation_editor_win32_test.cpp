// The translation editor's real window under Wine: its controls and their captions, edits made
// through the controls (text box, buttons, language box, tabs, the grid's cell editor, the
// text-list popup) reaching the model, and ui.local as the language store reads it back. The
// model runs on the real Win32 platform; only the executable's folder is a private temporary
// one, so that ui.local is written there.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "i18n/Languagetranslate.h"
#include "i18n/language_store.h"
#include "i18n/language_stream.h"
#include "i18n/translation.h"
#include "i18n/win32/text_list_popup.h"
#include "i18n/win32/translation_editor_window.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace mon {
namespace {

using win32::FromWide;
using win32::ToWide;
using win32::TTranslationEditorWindow;
using Texts = std::vector<std::u16string>;

constexpr wchar_t kCaption[] = L"Language Translate v1.2 VELDRA INC.";

// The real file system, except that the executable's folder is AFolder.
class TFolderFiles final : public TFileSystem {
 public:
  TFolderFiles(TFileSystem& AReal, std::u16string AFolder)
      : FReal(AReal), FFolder(std::move(AFolder)) {}
  std::u16string ExecutableFolder() override { return FFolder; }
  bool FileExists(const std::u16string& APath) override { return FReal.FileExists(APath); }
  bool DirectoryExists(const std::u16string& APath) override {
    return FReal.DirectoryExists(APath);
  }
  bool MakeDirectory(const std::u16string& APath) override { return FReal.MakeDirectory(APath); }
  std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath,
                                                         std::uint64_t AMaxBytes) override {
    return FReal.ReadWholeFile(APath, AMaxBytes);
  }
  bool WriteWholeFile(const std::u16string& APath, std::span<const std::uint8_t> ABytes) override {
    return FReal.WriteWholeFile(APath, ABytes);
  }
  bool RemoveFile(const std::u16string& APath) override { return FReal.RemoveFile(APath); }
  std::optional<std::u16string> DocumentsFolder() override { return FReal.DocumentsFolder(); }

 private:
  TFileSystem& FReal;
  std::u16string FFolder;
};

std::u16string Text(HWND AWindow) {
  wchar_t buffer[1024] = {};
  ::GetWindowTextW(AWindow, buffer, static_cast<int>(std::size(buffer)));
  return FromWide(buffer);
}

std::wstring ClassOf(HWND AWindow) {
  wchar_t name[128] = {};
  ::GetClassNameW(AWindow, name, static_cast<int>(std::size(name)));
  return name;
}

std::u16string CellText(HWND AList, int ARow, int AColumn) {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = AColumn;
  item.pszText = buffer;
  item.cchTextMax = static_cast<int>(std::size(buffer));
  ::SendMessageW(AList, LVM_GETITEMTEXTW, static_cast<WPARAM>(ARow),
                 reinterpret_cast<LPARAM>(&item));
  return FromWide(buffer);
}

Texts TabCaptions(HWND ATabs) {
  Texts captions;
  const int count = TabCtrl_GetItemCount(ATabs);
  for (int i = 0; i < count; ++i) {
    wchar_t buffer[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    ::SendMessageW(ATabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    captions.push_back(FromWide(buffer));
  }
  return captions;
}

// Polls ACondition until it holds or ATimeout has passed; true when it held.
bool WaitFor(const std::function<bool()>& ACondition,
             std::chrono::milliseconds ATimeout = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + ATimeout;
  while (!ACondition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    ::Sleep(5);
  }
  return true;
}

// Waits for the shown top-level window of this class and caption (the window exists a little
// before it is shown and its model loaded); nullptr when none appears.
HWND WaitForShownWindow(const wchar_t* AClass, const wchar_t* ACaption) {
  HWND window = nullptr;
  WaitFor([&] {
    window = ::FindWindowW(AClass, ACaption);
    return window != nullptr && ::IsWindowVisible(window);
  });
  return window != nullptr && ::IsWindowVisible(window) ? window : nullptr;
}

class TranslationEditorWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RevertToOriginal();
    EndTextCollection();
  }
  // A new empty folder of this test.
  static std::filesystem::path MakeFolder() {
    const auto base = std::filesystem::temp_directory_path();
    for (unsigned attempt = 0;; ++attempt) {
      auto candidate = base / ("mon-editor-" + std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(attempt));
      if (std::filesystem::create_directory(candidate)) {
        return candidate;
      }
    }
  }
  void TearDown() override {
    InstallTranslationEditor(FPlatform, {});
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
    RevertToOriginal();
  }

  std::u16string UiLocal() { return FFiles->ExecutableFolder() + u"ui.local"; }
  void WriteUiLocal(const TLanguageStreamContent& AContent) {
    ASSERT_TRUE(FFiles->WriteWholeFile(UiLocal(), WriteLanguageStream(AContent)));
  }
  // ui.local as the language store reads it.
  std::unique_ptr<TLanguageStore> ReadUiLocal() {
    auto store = std::make_unique<TLanguageStore>(nullptr, FPlatform);
    EXPECT_TRUE(store->LoadFromFile(UiLocal()));
    return store;
  }
  static Texts LanguageNames(const TLanguageStore& AStore) {
    Texts names;
    for (const auto& resource : AStore.Resources()) {
      names.push_back(resource.Name);
    }
    return names;
  }
  // The short-ID index entry of a language ID, and its position in the language box.
  static int ComboIndexOf(const TLanguageTranslateEditor& AEditor, std::u16string_view AId) {
    const auto& index = AEditor.Indexes().ShortIDIndex;
    for (std::size_t i = 0; i < index.size(); ++i) {
      if (CompareCodeUnits(index[i].Key, AId, TCompareCase::IgnoreCase) == 0) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  static std::u16string NameOf(const TLanguageTranslateEditor& AEditor, std::u16string_view AId) {
    const int i = ComboIndexOf(AEditor, AId);
    return i < 0 ? u"" : AEditor.Indexes().ShortIDIndex[static_cast<std::size_t>(i)].LanguageName;
  }

  // The window's control of this caption (any class).
  static HWND Child(HWND AWindow, const wchar_t* ACaption) {
    return ::FindWindowExW(AWindow, nullptr, nullptr, ACaption);
  }
  static void Click(HWND AWindow, const wchar_t* ACaption) {
    const HWND button = Child(AWindow, ACaption);
    ASSERT_NE(button, nullptr) << "no button " << ToUtf8(ACaption);
    ::SendMessageW(button, BM_CLICK, 0, 0);
  }
  static std::string ToUtf8(const wchar_t* AText) {
    char buffer[256] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, AText, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
  }
  static void SelectTabThroughControl(HWND AWindow, int AIndex) {
    const HWND tabs = ::GetDlgItem(AWindow, win32::kIdTabs);
    TabCtrl_SetCurSel(tabs, AIndex);
    NMHDR header{tabs, static_cast<UINT_PTR>(win32::kIdTabs), static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageW(AWindow, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  }
  static void ChooseLanguage(HWND AWindow, int AIndex) {
    const HWND combo = ::GetDlgItem(AWindow, win32::kIdLangCombo);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(AIndex), 0);
    ::SendMessageW(AWindow, WM_COMMAND, MAKEWPARAM(win32::kIdLangCombo, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
  }
  static void SelectRow(HWND AList, int ARow) {
    ListView_SetItemState(AList, ARow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }

  win32::TWin32Platform FWin32;
  std::filesystem::path FFolder = MakeFolder();
  // The real files, with the executable's folder in the test's folder.
  std::unique_ptr<TFolderFiles> FFiles =
      std::make_unique<TFolderFiles>(FWin32.Platform().Files, FromWide(FFolder.wstring()) + u"\\");
  TPlatform FPlatform = WithService(FWin32.Platform(), *FFiles);
};

const TLanguageStreamContent kFruit{
    u"Apple\r\nBanana\r\nCherry\r\n",
    {{u"040c", u"Apple=Pomme\r\nCherry=Cerise\r\n"}, {u"CH", u"Apple=X\r\n"}}};

TEST_F(TranslationEditorWindowTest, OpensOnUiLocalWithEveryControlAndItsCaption) {
  WriteUiLocal({kFruit.OriginalText, {kFruit.Languages[0], {u"0407", u"Apple=Apfel\r\n"}}});
  TLanguageTranslateEditor editor(FPlatform);
  TTranslationEditorWindow window(editor);
  ASSERT_TRUE(window.Create());
  window.Show(SW_SHOWNOACTIVATE);
  const HWND hwnd = window.Handle();
  EXPECT_TRUE(editor.OwnsLang());  // the stand-alone path: made from ui.local

  EXPECT_EQ(Text(hwnd), FromWide(kCaption));
  EXPECT_EQ(ClassOf(hwnd), L"TuiLanguageDesignForm");
  RECT frame{};
  ::GetWindowRect(hwnd, &frame);
  EXPECT_EQ(frame.right - frame.left, 930);
  EXPECT_EQ(frame.bottom - frame.top, 508);
  for (const wchar_t* caption :
       {L"Add Language", L"Delete Language", L"Prev Page", L"Next Page", L"Add Const Text",
        L"Delete Item From List", L"Save to language file", L"Get/Set Text List"}) {
    const HWND button = Child(hwnd, caption);
    ASSERT_NE(button, nullptr) << ToUtf8(caption);
    EXPECT_EQ(ClassOf(button), L"Button");
    EXPECT_TRUE(::IsWindowVisible(button));
  }
  for (const wchar_t* caption : {L"Langs List\xFF1A", L"Type Text to translate:"}) {
    ASSERT_NE(Child(hwnd, caption), nullptr) << ToUtf8(caption);
    EXPECT_EQ(ClassOf(Child(hwnd, caption)), L"Static");
  }
  EXPECT_EQ(ClassOf(::GetDlgItem(hwnd, win32::kIdTBConstText)), L"Edit");

  const HWND combo = ::GetDlgItem(hwnd, win32::kIdLangCombo);
  ASSERT_EQ(ClassOf(combo), L"ComboBox");
  const Texts items = editor.LangComboItems();
  ASSERT_FALSE(items.empty());
  ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(items.size()));
  for (std::size_t i : {std::size_t{0}, items.size() / 2, items.size() - 1}) {
    wchar_t buffer[256] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(FromWide(buffer), items[i]) << i;
  }

  // "CH" names no system language: two tabs, the last one made selected.
  const HWND tabs = ::GetDlgItem(hwnd, win32::kIdTabs);
  ASSERT_EQ(ClassOf(tabs), L"SysTabControl32");
  EXPECT_EQ(TabCaptions(tabs), (Texts{NameOf(editor, u"040c"), NameOf(editor, u"0407")}));
  EXPECT_FALSE(NameOf(editor, u"040c").empty());
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), 1);

  const HWND list = window.Grid().Handle();
  ASSERT_EQ(ClassOf(list), L"SysListView32");
  EXPECT_EQ(ListView_GetColumnWidth(list, 0), 380);
  EXPECT_EQ(ListView_GetColumnWidth(list, 1), 440);
  EXPECT_EQ(ListView_GetItemCount(list), 3 + 100);
  EXPECT_EQ(CellText(list, 0, 1), u"Apfel");
  SelectTabThroughControl(hwnd, 0);
  EXPECT_EQ(editor.SelectedTab(), 0u);
  EXPECT_EQ(CellText(list, 0, 0), u"Apple");
  EXPECT_EQ(CellText(list, 0, 1), u"Pomme");
  EXPECT_EQ(CellText(list, 1, 1), u"Banana");  // no translation: the original
  EXPECT_EQ(CellText(list, 2, 1), u"Cerise");
  EXPECT_EQ(CellText(list, 3, 0), u"");
}

TEST_F(TranslationEditorWindowTest, EditsThroughTheControlsAreSavedToUiLocal) {
  WriteUiLocal(kFruit);
  TLanguageTranslateEditor editor(FPlatform);
  TTranslationEditorWindow window(editor);
  ASSERT_TRUE(window.Create());
  window.Show(SW_SHOWNOACTIVATE);
  const HWND hwnd = window.Handle();
  const HWND list = window.Grid().Handle();

  // A new original sorts in between; the rows below it move down.
  ::SendMessageW(::GetDlgItem(hwnd, win32::kIdTBConstText), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"Avocado"));
  Click(hwnd, L"Add Const Text");
  EXPECT_EQ(CellText(list, 1, 0), u"Avocado");
  EXPECT_EQ(CellText(list, 2, 0), u"Banana");

  // A language from the box gets its own, empty tab.
  const int german = ComboIndexOf(editor, u"0407");
  ASSERT_GE(german, 0);
  ChooseLanguage(hwnd, german);
  Click(hwnd, L"Add Language");
  const HWND tabs = ::GetDlgItem(hwnd, win32::kIdTabs);
  EXPECT_EQ(TabCtrl_GetItemCount(tabs), 2);
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), 1);
  EXPECT_EQ(CellText(list, 0, 0), u"Apple");
  EXPECT_EQ(CellText(list, 0, 1), u"");

  // F2 on the selected row edits its translation; Enter keeps the text.
  SelectRow(list, 0);
  ASSERT_EQ(editor.Tabs()[1].SelectedRow, 0u);
  ::SendMessageW(list, WM_KEYDOWN, VK_F2, 0);
  HWND edit = window.Grid().EditBox();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(::GetParent(edit), list);
  RECT box{};
  ::GetWindowRect(edit, &box);
  ::MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&box), 2);
  EXPECT_GE(box.left, 380);  // over the translation, never over the original
  ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Apfel"));
  ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(window.Grid().EditBox(), nullptr);
  EXPECT_EQ(CellText(list, 0, 1), u"Apfel");
  EXPECT_EQ(CellText(list, 0, 0), u"Apple");

  // A double-click opens the editor as well; Esc drops what was typed.
  RECT cell{};
  ListView_GetSubItemRect(list, 3, 1, LVIR_BOUNDS, &cell);
  ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM(cell.left + 10, (cell.top + cell.bottom) / 2));
  edit = window.Grid().EditBox();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(window.Grid().EditRow(), 3u);
  ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Kirsche?"));
  ::SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(CellText(list, 3, 1), u"");
  // Rows past the originals have nothing to translate.
  EXPECT_FALSE(window.Grid().BeginEdit(4));

  // "Banana" leaves the list of originals in every tab.
  SelectRow(list, 2);
  Click(hwnd, L"Delete Item From List");
  EXPECT_EQ(CellText(list, 2, 0), u"Cherry");
  SelectTabThroughControl(hwnd, 0);
  EXPECT_EQ(CellText(list, 2, 0), u"Cherry");
  EXPECT_EQ(CellText(list, 2, 1), u"Cerise");

  Click(hwnd, L"Save to language file");
  EXPECT_TRUE(::IsWindow(hwnd));  // the window made its own component: it stays open
  const auto saved = ReadUiLocal();
  EXPECT_EQ(saved->Original().Lines(), (Texts{u"Apple", u"Avocado", u"Cherry"}));
  ASSERT_EQ(LanguageNames(*saved), (Texts{u"040c", u"0407"}));
  const TLanguageTable& french = *saved->FindLanguageTable(u"040c");
  EXPECT_EQ(french.ValueOf(u"Apple"), u"Pomme");
  EXPECT_EQ(french.ValueOf(u"Cherry"), u"Cerise");
  EXPECT_FALSE(french.ValueOf(u"Banana"));
  const TLanguageTable& germanTable = *saved->FindLanguageTable(u"0407");
  EXPECT_EQ(germanTable.Lines(), (Texts{u"Apple=Apfel"}));
}

TEST_F(TranslationEditorWindowTest, TenLanguagesPageThroughEightTabsAndOneIsDeleted) {
  TLanguageTranslateEditor probe(FPlatform);
  TLanguageStreamContent content{u"Apple\r\n", {}};
  for (const auto& entry : probe.Indexes().ShortIDIndex) {
    bool known = false;
    for (const auto& language : content.Languages) {
      known = known || CompareCodeUnits(language.Name, entry.Key, TCompareCase::IgnoreCase) == 0;
    }
    if (!entry.Key.empty() && !known && content.Languages.size() < 10) {
      content.Languages.push_back({entry.Key, u"Apple=" + entry.Key + u"\r\n"});
    }
  }
  ASSERT_EQ(content.Languages.size(), 10u);
  WriteUiLocal(content);
  TLanguageTranslateEditor editor(FPlatform);
  TTranslationEditorWindow window(editor);
  ASSERT_TRUE(window.Create());
  window.Show(SW_SHOWNOACTIVATE);
  const HWND hwnd = window.Handle();
  const HWND tabs = ::GetDlgItem(hwnd, win32::kIdTabs);
  ASSERT_EQ(editor.TabCount(), 10);
  const auto caption = [&](int ATab) {
    return editor.Tabs()[static_cast<std::size_t>(ATab)].Caption;
  };
  ASSERT_EQ(TabCtrl_GetItemCount(tabs), 8);
  EXPECT_EQ(TabCaptions(tabs).front(), caption(0));
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), -1);  // the selected last tab is off the page
  // The grid still shows the selected tab's language.
  EXPECT_EQ(CellText(window.Grid().Handle(), 0, 1), content.Languages[9].Name);

  Click(hwnd, L"Next Page");
  Click(hwnd, L"Next Page");
  Click(hwnd, L"Next Page");  // 10 - 2 < 9: stays on the last page
  EXPECT_EQ(editor.PageOffset(), 2);
  EXPECT_EQ(TabCaptions(tabs).front(), caption(2));
  EXPECT_EQ(TabCaptions(tabs).back(), caption(9));
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), 7);

  SelectTabThroughControl(hwnd, 0);  // tab 2
  EXPECT_EQ(editor.SelectedTab(), 2u);
  const std::u16string deleted = caption(2);
  Click(hwnd, L"Delete Language");
  EXPECT_EQ(editor.TabCount(), 9);
  EXPECT_EQ(editor.PageOffset(), 1);
  EXPECT_EQ(TabCtrl_GetItemCount(tabs), 8);
  for (const auto& shown : TabCaptions(tabs)) {
    EXPECT_NE(shown, deleted);
  }
  Click(hwnd, L"Prev Page");
  EXPECT_EQ(TabCaptions(tabs).front(), caption(0));

  Click(hwnd, L"Save to language file");
  const auto saved = ReadUiLocal();
  EXPECT_EQ(saved->Resources().size(), 9u);
}

TEST_F(TranslationEditorWindowTest, AFailedSaveIsReportedAndTheWindowStaysOpen) {
  TLanguageTranslateEditor editor(FPlatform);
  TTranslationEditorWindow window(editor);
  std::vector<std::u16string> reported;
  window.SetOnSaveFailed([&](HWND, const std::u16string& APath) { reported.push_back(APath); });
  ASSERT_TRUE(window.Create());
  window.Show(SW_SHOWNOACTIVATE);
  std::filesystem::remove_all(FFolder);  // nowhere to write ui.local now
  Click(window.Handle(), L"Save to language file");
  EXPECT_EQ(reported, (Texts{UiLocal()}));
  EXPECT_TRUE(::IsWindow(window.Handle()));
}

// The design-mode road: activating a language component opens the modal editor on it; the
// text-list popup replaces the originals; saving writes ui.local and closes the editor.
TEST_F(TranslationEditorWindowTest, DesignModeOpensTheModalEditorAndItsSaveClosesIt) {
  WriteUiLocal(kFruit);
  TuiLanguage language(nullptr, FPlatform);
  ASSERT_EQ(language.Resources().size(), 2u);
  language.SetDesigning(true);
  InstallTranslationEditor(FPlatform, win32::ShowTranslationEditorWindow);

  std::u16string memoBefore;
  bool popupClosed = false;
  bool editorClosed = false;
  std::thread driver([&] {
    const HWND editor = WaitForShownWindow(L"TuiLanguageDesignForm", kCaption);
    if (editor == nullptr) {
      return;
    }
    // Posted: the popup is modal, the click returns only when it closes.
    ::PostMessageW(Child(editor, L"Get/Set Text List"), BM_CLICK, 0, 0);
    if (const HWND popup = WaitForShownWindow(win32::kTextListPopupClassName, nullptr)) {
      EXPECT_FALSE(::IsWindowEnabled(editor));
      const HWND memo = ::GetDlgItem(popup, win32::kIdMemoTextList);
      memoBefore = Text(memo);
      ::SendMessageW(memo, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(L"Apple=Pomme\r\nCherry=\r\nDurian=Durion\r\n"));
      ::SendMessageW(Child(popup, L"Save"), BM_CLICK, 0, 0);
      popupClosed = WaitFor([&] { return !::IsWindow(popup); });
      EXPECT_TRUE(::IsWindowEnabled(editor));
    }
    ::PostMessageW(Child(editor, L"Save to language file"), BM_CLICK, 0, 0);
    editorClosed = WaitFor([&] { return !::IsWindow(editor); });
    if (!editorClosed) {
      ::PostMessageW(editor, WM_CLOSE, 0, 0);  // never leave the test waiting on the window
    }
  });
  language.SetActive(true);
  driver.join();

  EXPECT_TRUE(popupClosed);
  EXPECT_TRUE(editorClosed);
  EXPECT_FALSE(language.Active());
  // The memo showed the tab's pairs, design texts included (their translation is the text).
  EXPECT_NE(memoBefore.find(u"Apple=Pomme\r\n"), std::u16string::npos);
  EXPECT_NE(memoBefore.find(u"Mouse Click=Mouse Click\r\n"), std::u16string::npos);
  EXPECT_EQ(language.Original().Lines(), (Texts{u"Apple", u"Cherry", u"Durian"}));
  const auto saved = ReadUiLocal();
  EXPECT_EQ(saved->Original().Lines(), (Texts{u"Apple", u"Cherry", u"Durian"}));
  ASSERT_EQ(LanguageNames(*saved), (Texts{u"040c"}));
  const TLanguageTable& french = *saved->FindLanguageTable(u"040c");
  EXPECT_EQ(french.ValueOf(u"Durian"), u"Durion");
  // An empty value removed the line; the grid then shows the original, which is saved.
  EXPECT_EQ(french.ValueOf(u"Cherry"), u"Cherry");
}

// The stand-alone road through the modal function: no component is given, the window makes its
// own from ui.local, and a save leaves it open until the translator closes it.
TEST_F(TranslationEditorWindowTest, StandAloneModalEditorStaysOpenAfterSaving) {
  WriteUiLocal(kFruit);
  TLanguageTranslateEditor editor(FPlatform);
  bool savedWhileOpen = false;
  std::thread driver([&] {
    const HWND window = WaitForShownWindow(L"TuiLanguageDesignForm", kCaption);
    if (window == nullptr) {
      return;
    }
    ::SendMessageW(::GetDlgItem(window, win32::kIdTBConstText), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(L"Zucchini"));
    ::SendMessageW(Child(window, L"Add Const Text"), BM_CLICK, 0, 0);
    ::SendMessageW(Child(window, L"Save to language file"), BM_CLICK, 0, 0);
    // The window closes itself only on a posted request, made when the model asks for it.
    savedWhileOpen = ::IsWindow(window) != 0 && !editor.CloseRequested();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  });
  win32::ShowTranslationEditorWindow(editor);
  driver.join();

  EXPECT_TRUE(savedWhileOpen);
  EXPECT_TRUE(editor.OwnsLang());
  const auto saved = ReadUiLocal();
  EXPECT_EQ(saved->Original().Lines(), (Texts{u"Apple", u"Banana", u"Cherry", u"Zucchini"}));
  EXPECT_EQ(LanguageNames(*saved), (Texts{u"040c"}));
}

}  // namespace
}  // namespace mon
