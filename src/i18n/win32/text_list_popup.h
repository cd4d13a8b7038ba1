// The text-list popup (PopupTextList) of the translation editor: all pairs of original text
// and translation of one language as plain lines "original=translation" in a multi-line memo
// (MemoTextList), applied by its "Save" button (BtnSaveTextList). Like the editor it is laid out
// for the DPI of its monitor and follows it (WM_DPICHANGED), with a font of its own.
//
// Main (user-interface) thread only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace mon::win32 {

// The popup's class name and the IDs of its controls.
inline constexpr wchar_t kTextListPopupClassName[] = L"TPopupTextList";
inline constexpr int kIdMemoTextList = 201;
inline constexpr int kIdBtnSaveTextList = 202;

// Shows ALines in the popup, modally above AOwner (disabled meanwhile), and returns the memo's
// lines when "Save" was pressed, or nullopt when the popup was closed otherwise (Esc, the close
// box) or could not be opened.
std::optional<std::vector<std::u16string>> ShowTextListPopup(
    HWND AOwner, const std::vector<std::u16string>& ALines);

}  // namespace mon::win32
