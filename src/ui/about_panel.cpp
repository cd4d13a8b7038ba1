#include "ui/about_panel.h"

#include <algorithm>

#include "ui/about_images.h"
#include "ui/image_resampling.h"

namespace mon {
namespace {

constexpr TColor kHeadingColor = TColor::Rgb(0x5E, 0xD2, 0xF7);
constexpr TColor kTextColor = TColor::Rgb(0xC9, 0xD3, 0xE0);
constexpr TColor kWhite = TColor::Rgb(0xFF, 0xFF, 0xFF);

// The layout at 96 DPI; every other resolution scales it.
constexpr TRect kBackgroundBounds{0, 0, kAboutPanelWidth, kAboutPanelHeight};
// The information area; the texts sit right of the accent bar the background draws at its left
// edge.
constexpr TRect kInfoAreaBounds{43, 81, 425, 223};
constexpr int kInset = 16;
constexpr int kTextWidth = 425 - 2 * kInset;
constexpr TRect kWebButtonBounds{kInset, 162, 77, 31};  // in the information area
constexpr TRect kOKButtonBounds{208, 325, 94, 27};
constexpr int kOKFontSize = 13;

struct TTextPlace {
  const char16_t* Name = nullptr;
  TRect Bounds;  // in the information area
  const char16_t* Text = nullptr;
  int FontSize = 0;
  bool Bold = false;
  TColor Color;
};

// In the order of TAboutPanel::FTexts.
constexpr TTextPlace kTextPlaces[] = {
    {u"Label1",
     {kInset, 10, kTextWidth, 24},
     u"Hardware & Software Information:",
     16,
     true,
     kHeadingColor},
    {u"Label2", {kInset, 40, kTextWidth, 20}, u"Hardware Core:1.00.00", 13, false, kTextColor},
    {u"Label3", {kInset, 62, kTextWidth, 20}, u"Software Core:1.00.00", 13, false, kTextColor},
    {u"Label4",
     {kInset, 100, kTextWidth, 24},
     u"Software Update Website:",
     16,
     true,
     kHeadingColor},
    {u"TextWeb", {kInset, 130, kTextWidth, 20}, kAboutWebAddress, 13, false, kWhite},
};

TImageRef Decode(std::span<const std::uint8_t> APng, const char16_t* AName,
                 std::vector<std::u16string>* AErrors) {
  TPngDecodeResult result = DecodePng(APng);
  if (!result) {
    if (AErrors != nullptr) {
      AErrors->push_back(std::u16string(AName) + u": " + result.Error);
    }
    return nullptr;
  }
  return std::make_shared<const TRgbaImage>(std::move(*result.Image));
}

TTextStyle PanelText(int ASize, bool ABold, TColor AColor) {
  return TTextStyle{kAboutFontFamily, ASize, ABold, AColor};
}

TTextStyle PanelText(const TTextPlace& APlace, int ADpi) {
  return PanelText(ScaledToDpi(APlace.FontSize, ADpi), APlace.Bold, APlace.Color);
}

// The images drawn for the smallest scale that is at least ADpi / 96, else the largest.
const TAboutImagePngs& ImagePngsFor(int ADpi) {
  const std::span<const TAboutImagePngs> sets = AboutImagePngSets();
  for (const TAboutImagePngs& set : sets) {
    if (set.ScalePercent * kDesignDpi >= ADpi * 100) {
      return set;
    }
  }
  return sets.back();
}

}  // namespace

TAboutPanelImages LoadAboutPanelImages(int ADpi, std::vector<std::u16string>* AErrors) {
  const TAboutImagePngs& pngs = ImagePngsFor(ADpi);
  TAboutPanelImages images;
  images.ScalePercent = pngs.ScalePercent;
  images.Background = Decode(pngs.Background, u"background", AErrors);
  images.WebButton = Decode(pngs.WebButton, u"web button", AErrors);
  images.OKNormal = Decode(pngs.OKNormal, u"OK button (normal)", AErrors);
  images.OKHot = Decode(pngs.OKHot, u"OK button (hot)", AErrors);
  images.OKPressed = Decode(pngs.OKPressed, u"OK button (pressed)", AErrors);
  return images;
}

TAboutPanel::TAboutPanel(TComponent* AOwner, const TAboutPanelImages& AImages,
                         TTranslateFunction ATranslate)
    : TVectorScene(AOwner, kAboutPanelWidth, kAboutPanelHeight), FImages(AImages) {
  SetName(u"AboutScene");
  SetTranslator(std::move(ATranslate));
  SetBackgroundColor(TColor::Rgb(0x0C, 0x11, 0x18));

  FResources.AddButtonStyle(OKButtonStyle());

  FBackground = &Add<TImageElement>(u"Background", kBackgroundBounds,
                                    Fitted(AImages.Background, kBackgroundBounds));
  FInfoArea = &Add<TSceneElement>(u"InfoArea", kInfoAreaBounds);
  for (std::size_t i = 0; i < FTexts.size(); ++i) {
    const TTextPlace& place = kTextPlaces[i];
    FTexts[i] = &FInfoArea->Add<TTextElement>(place.Name, place.Bounds, place.Text);
    FTexts[i]->ApplyStyle(PanelText(place, kDesignDpi));
  }
  FBtnGoWeb = &FInfoArea->Add<TImageButton>(u"BtnGoWeb", kWebButtonBounds,
                                            Fitted(AImages.WebButton, kWebButtonBounds));

  FBtnOK = &Add<TStateButton>(u"BtnOK", kOKButtonBounds, u"OK");
  FBtnOK->ApplyStyle(*FResources.FindButtonStyle(kAboutOKButtonStyle));
}

TImageRef TAboutPanel::Fitted(const TImageRef& ASource, const TRect& ABounds) {
  if (!ASource || ASource->IsEmpty() || ABounds.Width <= 0 || ABounds.Height <= 0 ||
      (ASource->Width == static_cast<std::uint32_t>(ABounds.Width) &&
       ASource->Height == static_cast<std::uint32_t>(ABounds.Height))) {
    return ASource;
  }
  TRgbaImage fitted = ResampledImage(*ASource, static_cast<std::uint32_t>(ABounds.Width),
                                     static_cast<std::uint32_t>(ABounds.Height));
  if (fitted.IsEmpty()) {
    return ASource;  // the painter stretches it instead
  }
  return std::make_shared<const TRgbaImage>(std::move(fitted));
}

TStateButtonStyle TAboutPanel::OKButtonStyle() const {
  const TRect bounds = ScaledToDpi(kOKButtonBounds, FDpi);
  return TStateButtonStyle{kAboutOKButtonStyle, Fitted(FImages.OKNormal, bounds),
                           Fitted(FImages.OKHot, bounds), Fitted(FImages.OKPressed, bounds),
                           PanelText(ScaledToDpi(kOKFontSize, FDpi), true, kWhite)};
}

void TAboutPanel::SetImages(const TAboutPanelImages& AImages) {
  FImages = AImages;
  ShowImages();
}

void TAboutPanel::ShowImages() {
  FResources.AddButtonStyle(OKButtonStyle());
  FBackground->SetImage(Fitted(FImages.Background, FBackground->Bounds()));
  FBtnGoWeb->SetImage(Fitted(FImages.WebButton, FBtnGoWeb->Bounds()));
  FBtnOK->ApplyStyle(*FResources.FindButtonStyle(kAboutOKButtonStyle));
}

void TAboutPanel::SetDpi(int ADpi) {
  ADpi = std::clamp(ADpi, kDesignDpi, kMaxDpi);
  if (ADpi == FDpi) {
    return;
  }
  FDpi = ADpi;
  SetSize(ScaledToDpi(kAboutPanelWidth, FDpi), ScaledToDpi(kAboutPanelHeight, FDpi));
  FBackground->SetBounds(ScaledToDpi(kBackgroundBounds, FDpi));
  FInfoArea->SetBounds(ScaledToDpi(kInfoAreaBounds, FDpi));
  for (std::size_t i = 0; i < FTexts.size(); ++i) {
    FTexts[i]->SetBounds(ScaledToDpi(kTextPlaces[i].Bounds, FDpi));
    FTexts[i]->Restyle(PanelText(kTextPlaces[i], FDpi));
  }
  FBtnGoWeb->SetBounds(ScaledToDpi(kWebButtonBounds, FDpi));
  FBtnOK->SetBounds(ScaledToDpi(kOKButtonBounds, FDpi));
  ShowImages();
}

}  // namespace mon
