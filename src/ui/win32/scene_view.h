// Shows a vector scene in a Win32 window: draws it with GDI (images blended with GdiAlphaBlend,
// texts with DrawTextW in the scene's fonts, or a font that exists when a family is missing) and
// turns the window's mouse messages into the scene's hover, press and click.
//
// Use from the window procedure of the window that shows the scene:
//
//   LRESULT result = 0;
//   if (FSceneView.HandleMessage(AWindow, AMessage, AWParam, ALParam, result)) {
//     return result;
//   }
//   return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
//
// after FSceneView.Attach(window) (in WM_CREATE, or right after creation). Clicks arrive on the
// scene's buttons' OnClick, on the calling thread, from within HandleMessage; a handler may hide
// or destroy the window and the view. Main (user-interface) thread only.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "platform/win32/unique_resource.h"
#include "ui/scene.h"

namespace mon::win32 {

class TSceneView {
 public:
  // The scene must outlive the view (or the view must be detached first).
  explicit TSceneView(TVectorScene& AScene);
  ~TSceneView();
  TSceneView(const TSceneView&) = delete;
  TSceneView& operator=(const TSceneView&) = delete;

  // Shows the scene in AWindow: scene changes invalidate the window from now on.
  void Attach(HWND AWindow);
  // Stops invalidating the window; messages are no longer handled.
  void Detach();
  HWND Window() const { return FWindow; }
  TVectorScene& Scene() const { return FScene; }

  // Handles, for the attached window, WM_PAINT, WM_PRINTCLIENT, WM_ERASEBKGND, the left-button
  // and move messages, WM_MOUSELEAVE, WM_CAPTURECHANGED, WM_CANCELMODE, WM_SHOWWINDOW and
  // WM_SETCURSOR. Returns true with AResult set when the message is done; false when the window
  // procedure should pass it on to DefWindowProcW (always for WM_CANCELMODE and WM_SHOWWINDOW,
  // which the view only observes, and for messages of other windows).
  bool HandleMessage(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam, LRESULT& AResult);

  // Draws the whole scene into ADC at (0, 0), as WM_PAINT does.
  void Render(HDC ADC);
  // The scene as the window shows it, drawn off-screen (every alpha 255); empty on a GDI
  // failure.
  TRgbaImage RenderToImage();

  // The face used for a font family: the family itself when installed, else the first
  // installed of Tahoma, Arial, Segoe UI, Liberation Sans, DejaVu Sans, else "MS Shell Dlg 2".
  std::wstring ResolveFontFace(const std::u16string& AFamily);

 private:
  class TPainter;
  struct TCachedImage;
  using TFontKey = std::tuple<std::u16string, int, bool>;

  HFONT FontFor(const TTextStyle& AStyle);
  HBITMAP BitmapFor(const TImageRef& AImage);
  void DropUnusedImages();
  void ReleaseGdiObjects();
  void TrackLeave();

  TVectorScene& FScene;
  HWND FWindow = nullptr;
  bool FTrackingLeave = false;
  bool FReleasingCapture = false;
  std::map<std::u16string, std::wstring> FFaces;
  std::map<TFontKey, TUniqueFont> FFonts;
  std::map<const TRgbaImage*, std::unique_ptr<TCachedImage>> FImages;
};

// The client area of AWindow as it is on the screen now (every alpha 255), read back with
// BitBlt from the window's device context; nullopt on failure.
std::optional<TRgbaImage> CaptureWindowClient(HWND AWindow);

}  // namespace mon::win32
