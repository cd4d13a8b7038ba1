#include "ui/win32/scene_view.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace mon::win32 {
namespace {

// Selects an object into a DC for a scope.
class TSelection {
 public:
  TSelection(HDC ADC, HGDIOBJ AObject) : FDC(ADC), FPrevious(::SelectObject(ADC, AObject)) {}
  ~TSelection() {
    if (FPrevious != nullptr && FPrevious != HGDI_ERROR) {
      ::SelectObject(FDC, FPrevious);
    }
  }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FPrevious;
};

// A top-down 32-bit DIB section; APixels receives its BGRA memory.
TUniqueBitmap CreateTopDownDib(int AWidth, int AHeight, void** APixels) {
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = AWidth;
  info.bmiHeader.biHeight = -AHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  *APixels = nullptr;
  TUniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, APixels, nullptr, 0));
  if (*APixels == nullptr) {
    bitmap.Reset();
  }
  return bitmap;
}

// BGRA pixels of a DIB as straight RGBA with every alpha 255.
TRgbaImage OpaqueImageFromBgra(const std::uint8_t* ABgra, int AWidth, int AHeight) {
  TRgbaImage image;
  image.Width = static_cast<std::uint32_t>(AWidth);
  image.Height = static_cast<std::uint32_t>(AHeight);
  image.Pixels.resize(static_cast<std::size_t>(AWidth) * AHeight * 4);
  for (std::size_t i = 0; i < image.Pixels.size(); i += 4) {
    image.Pixels[i] = ABgra[i + 2];
    image.Pixels[i + 1] = ABgra[i + 1];
    image.Pixels[i + 2] = ABgra[i];
    image.Pixels[i + 3] = 255;
  }
  return image;
}

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM AFound) {
  *reinterpret_cast<bool*>(AFound) = true;
  return 0;
}

bool FontFamilyInstalled(HDC ADC, const std::wstring& AFace) {
  if (AFace.empty() || AFace.size() >= LF_FACESIZE) {
    return false;
  }
  LOGFONTW query;
  std::memset(&query, 0, sizeof query);
  query.lfCharSet = DEFAULT_CHARSET;
  std::memcpy(query.lfFaceName, AFace.c_str(), (AFace.size() + 1) * sizeof(wchar_t));
  bool found = false;
  ::EnumFontFamiliesExW(ADC, &query, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

TPoint PointFromLParam(LPARAM ALParam) {
  // Signed: with the pointer captured, positions left of or above the window are negative.
  return TPoint{static_cast<short>(LOWORD(ALParam)), static_cast<short>(HIWORD(ALParam))};
}

COLORREF ColorRef(TColor AColor) {
  return RGB(AColor.R, AColor.G, AColor.B);
}

RECT WinRect(const TRect& ARect) {
  return RECT{ARect.Left, ARect.Top, ARect.Right(), ARect.Bottom()};
}

}  // namespace

struct TSceneView::TCachedImage {
  TImageRef Image;  // keeps the pixels, and so the cache key, alive
  TUniqueBitmap Bitmap;
};

// Draws into one device context for one rendering.
class TSceneView::TPainter final : public TScenePainter {
 public:
  TPainter(TSceneView& AView, HDC ADC)
      : FView(AView), FDC(ADC), FSource(::CreateCompatibleDC(ADC)) {}

  void FillRect(const TRect& ABounds, TColor AColor) override {
    const TUniqueGdiObject<HBRUSH> brush(::CreateSolidBrush(ColorRef(AColor)));
    const RECT rect = WinRect(ABounds);
    if (brush) {
      ::FillRect(FDC, &rect, brush.Get());
    }
  }

  void DrawImage(const TImageRef& AImage, const TRect& ADest, std::uint8_t AOpacity) override {
    HBITMAP bitmap = FView.BitmapFor(AImage);
    if (bitmap == nullptr || !FSource || ADest.Width <= 0 || ADest.Height <= 0) {
      return;
    }
    const TSelection selection(FSource.Get(), bitmap);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, AOpacity, AC_SRC_ALPHA};
    ::GdiAlphaBlend(FDC, ADest.Left, ADest.Top, ADest.Width, ADest.Height, FSource.Get(), 0, 0,
                    static_cast<int>(AImage->Width), static_cast<int>(AImage->Height), blend);
  }

  void DrawTextLine(const std::u16string& AText, const TTextStyle& AStyle, const TRect& ABounds,
                    TTextAlign AAlign) override {
    HFONT font = FView.FontFor(AStyle);
    const TSelection selection(
        FDC, font != nullptr ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(FDC, TRANSPARENT);
    ::SetTextColor(FDC, ColorRef(AStyle.Color));
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    format |= AAlign == TTextAlign::Center  ? DT_CENTER
              : AAlign == TTextAlign::Right ? DT_RIGHT
                                            : DT_LEFT;
    RECT rect = WinRect(ABounds);
    const std::wstring text = ToWide(AText);
    ::DrawTextW(FDC, text.c_str(), static_cast<int>(text.size()), &rect, format);
  }

 private:
  TSceneView& FView;
  HDC FDC;
  TUniqueMemoryDC FSource;
};

TSceneView::TSceneView(TVectorScene& AScene) : FScene(AScene) {}

TSceneView::~TSceneView() {
  Detach();
  ReleaseGdiObjects();
}

void TSceneView::Attach(HWND AWindow) {
  FWindow = AWindow;
  FTrackingLeave = false;
  FScene.SetChangedHandler([AWindow] { ::InvalidateRect(AWindow, nullptr, FALSE); });
  ::InvalidateRect(AWindow, nullptr, FALSE);
}

void TSceneView::Detach() {
  if (FWindow != nullptr) {
    FScene.SetChangedHandler(nullptr);
    FWindow = nullptr;
  }
}

bool TSceneView::HandleMessage(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam,
                               LRESULT& AResult) {
  if (AWindow == nullptr || AWindow != FWindow) {
    return false;
  }
  AResult = 0;
  switch (AMessage) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = ::BeginPaint(AWindow, &paint)) {
        Render(dc);
        ::EndPaint(AWindow, &paint);
      }
      return true;
    }
    case WM_PRINTCLIENT:
      Render(reinterpret_cast<HDC>(AWParam));
      return true;
    case WM_ERASEBKGND:
      // The scene covers the whole client area.
      AResult = 1;
      return true;
    case WM_MOUSEMOVE:
      TrackLeave();
      FScene.MouseMove(PointFromLParam(ALParam));
      return true;
    case WM_MOUSELEAVE:
      FTrackingLeave = false;
      FScene.MouseLeave();
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FScene.MouseDown(PointFromLParam(ALParam))) {
        ::SetCapture(AWindow);
      }
      return true;
    case WM_LBUTTONUP: {
      // Release first: the click handler may destroy the window, and with it this view.
      if (::GetCapture() == AWindow) {
        FReleasingCapture = true;
        ::ReleaseCapture();
        FReleasingCapture = false;
      }
      FScene.MouseUp(PointFromLParam(ALParam));
      // Nothing of the view may be touched after the click.
      return true;
    }
    case WM_CAPTURECHANGED:
      if (!FReleasingCapture && reinterpret_cast<HWND>(ALParam) != AWindow) {
        FScene.CancelPress();
      }
      return true;
    case WM_CANCELMODE:
      FScene.CancelPress();
      return false;
    case WM_SHOWWINDOW:
      if (AWParam == FALSE) {
        // Hidden: no button stays lit or held for the next showing, and no image bitmap is kept
        // for a panel nobody sees (they are made again at the next paint).
        FScene.CancelPress();
        FScene.MouseLeave();
        FTrackingLeave = false;
        FImages.clear();
      }
      return false;
    case WM_SETCURSOR:
      if (LOWORD(ALParam) == HTCLIENT) {
        POINT cursor{};
        if (::GetCursorPos(&cursor) && ::ScreenToClient(AWindow, &cursor) &&
            FScene.HitTestButton(TPoint{cursor.x, cursor.y}) != nullptr) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
          AResult = TRUE;
          return true;
        }
      }
      return false;
    default:
      return false;
  }
}

void TSceneView::Render(HDC ADC) {
  DropUnusedImages();
  const int width = FScene.Width();
  const int height = FScene.Height();
  // Drawn off-screen first, so the window never shows a half-drawn scene.
  void* bits = nullptr;
  const TUniqueBitmap buffer = CreateTopDownDib(width, height, &bits);
  const TUniqueMemoryDC back(::CreateCompatibleDC(ADC));
  if (!buffer || !back) {
    TPainter direct(*this, ADC);
    FScene.Paint(direct);
    return;
  }
  {
    const TSelection selection(back.Get(), buffer.Get());
    {
      TPainter painter(*this, back.Get());
      FScene.Paint(painter);
    }
    ::GdiFlush();
    ::BitBlt(ADC, 0, 0, width, height, back.Get(), 0, 0, SRCCOPY);
  }
  // A window larger than the scene shows the scene's background colour beyond it.
  RECT clip{};
  if (::GetClipBox(ADC, &clip) != ERROR && (clip.right > width || clip.bottom > height)) {
    TPainter painter(*this, ADC);
    const TColor color = FScene.BackgroundColor();
    if (clip.right > width) {
      painter.FillRect(TRect{width, 0, clip.right - width, std::max<int>(clip.bottom, height)},
                       color);
    }
    if (clip.bottom > height) {
      painter.FillRect(TRect{0, height, width, clip.bottom - height}, color);
    }
  }
}

TRgbaImage TSceneView::RenderToImage() {
  void* bits = nullptr;
  const TUniqueBitmap target = CreateTopDownDib(FScene.Width(), FScene.Height(), &bits);
  const TUniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
  if (!target || !dc) {
    return {};
  }
  {
    const TSelection selection(dc.Get(), target.Get());
    Render(dc.Get());
    ::GdiFlush();
  }
  return OpaqueImageFromBgra(static_cast<const std::uint8_t*>(bits), FScene.Width(),
                             FScene.Height());
}

std::wstring TSceneView::ResolveFontFace(const std::u16string& AFamily) {
  const auto known = FFaces.find(AFamily);
  if (known != FFaces.end()) {
    return known->second;
  }
  std::wstring face = L"MS Shell Dlg 2";
  if (const TUniqueWindowDC screen(::GetDC(nullptr)); screen) {
    for (const std::wstring& candidate :
         {ToWide(AFamily), std::wstring(L"Tahoma"), std::wstring(L"Arial"),
          std::wstring(L"Segoe UI"), std::wstring(L"Liberation Sans"),
          std::wstring(L"DejaVu Sans")}) {
      if (FontFamilyInstalled(screen.Get(), candidate)) {
        face = candidate;
        break;
      }
    }
  }
  FFaces.emplace(AFamily, face);
  return face;
}

HFONT TSceneView::FontFor(const TTextStyle& AStyle) {
  const TFontKey key{AStyle.Family, AStyle.Size, AStyle.Bold};
  const auto known = FFonts.find(key);
  if (known != FFonts.end()) {
    return known->second.Get();
  }
  const std::wstring face = ResolveFontFace(AStyle.Family);
  // A negative height asks for the em height in pixels.
  HFONT font = ::CreateFontW(-AStyle.Size, 0, 0, 0, AStyle.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                             FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str());
  if (font != nullptr) {
    FFonts.emplace(key, TUniqueFont(font));
  }
  return font;
}

HBITMAP TSceneView::BitmapFor(const TImageRef& AImage) {
  if (!AImage || AImage->IsEmpty() || !AImage->IsConsistent() ||
      AImage->Width > static_cast<std::uint32_t>(kMaxPngSide) ||
      AImage->Height > static_cast<std::uint32_t>(kMaxPngSide)) {
    return nullptr;
  }
  const auto known = FImages.find(AImage.get());
  if (known != FImages.end()) {
    return known->second->Bitmap.Get();
  }
  void* bits = nullptr;
  TUniqueBitmap bitmap =
      CreateTopDownDib(static_cast<int>(AImage->Width), static_cast<int>(AImage->Height), &bits);
  if (!bitmap) {
    return nullptr;
  }
  // GdiAlphaBlend wants premultiplied BGRA.
  auto* out = static_cast<std::uint8_t*>(bits);
  const std::vector<std::uint8_t>& in = AImage->Pixels;
  for (std::size_t i = 0; i < in.size(); i += 4) {
    const unsigned alpha = in[i + 3];
    out[i] = static_cast<std::uint8_t>((in[i + 2] * alpha + 127) / 255);
    out[i + 1] = static_cast<std::uint8_t>((in[i + 1] * alpha + 127) / 255);
    out[i + 2] = static_cast<std::uint8_t>((in[i] * alpha + 127) / 255);
    out[i + 3] = static_cast<std::uint8_t>(alpha);
  }
  ::GdiFlush();
  auto cached = std::make_unique<TCachedImage>();
  cached->Image = AImage;
  cached->Bitmap = std::move(bitmap);
  HBITMAP result = cached->Bitmap.Get();
  FImages.emplace(AImage.get(), std::move(cached));
  return result;
}

void TSceneView::DropUnusedImages() {
  // An image only the cache still holds is no longer in the scene.
  for (auto entry = FImages.begin(); entry != FImages.end();) {
    if (entry->second->Image.use_count() == 1) {
      entry = FImages.erase(entry);
    } else {
      ++entry;
    }
  }
}

void TSceneView::ReleaseGdiObjects() {
  FFonts.clear();
  FImages.clear();
}

void TSceneView::TrackLeave() {
  if (FTrackingLeave) {
    return;
  }
  TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FWindow, 0};
  FTrackingLeave = ::TrackMouseEvent(&track) != FALSE;
}

std::optional<TRgbaImage> CaptureWindowClient(HWND AWindow) {
  RECT client{};
  if (!::GetClientRect(AWindow, &client) || client.right <= 0 || client.bottom <= 0) {
    return std::nullopt;
  }
  const int width = client.right;
  const int height = client.bottom;
  const TUniqueWindowDC windowDC(::GetDC(AWindow), {AWindow});
  if (!windowDC) {
    return std::nullopt;
  }
  std::optional<TRgbaImage> result;
  {
    void* bits = nullptr;
    const TUniqueBitmap target = CreateTopDownDib(width, height, &bits);
    const TUniqueMemoryDC dc(::CreateCompatibleDC(windowDC.Get()));
    if (target && dc) {
      const TSelection selection(dc.Get(), target.Get());
      if (::BitBlt(dc.Get(), 0, 0, width, height, windowDC.Get(), 0, 0, SRCCOPY)) {
        ::GdiFlush();
        result = OpaqueImageFromBgra(static_cast<const std::uint8_t*>(bits), width, height);
      }
    }
  }
  return result;
}

}  // namespace mon::win32
