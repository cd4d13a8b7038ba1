#include "ui/about_panel.h"

#include "ui/about_images.h"

namespace mon {
namespace {

constexpr TColor kHeadingColor = TColor::Rgb(0x5E, 0xD2, 0xF7);
constexpr TColor kTextColor = TColor::Rgb(0xC9, 0xD3, 0xE0);
constexpr TColor kWhite = TColor::Rgb(0xFF, 0xFF, 0xFF);

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

}  // namespace

TAboutPanelImages LoadAboutPanelImages(std::vector<std::u16string>* AErrors) {
  TAboutPanelImages images;
  images.Background = Decode(AboutBackgroundPng(), u"background", AErrors);
  images.WebButton = Decode(AboutWebButtonPng(), u"web button", AErrors);
  images.OKNormal = Decode(AboutOKNormalPng(), u"OK button (normal)", AErrors);
  images.OKHot = Decode(AboutOKHotPng(), u"OK button (hot)", AErrors);
  images.OKPressed = Decode(AboutOKPressedPng(), u"OK button (pressed)", AErrors);
  return images;
}

TAboutPanel::TAboutPanel(TComponent* AOwner, const TAboutPanelImages& AImages,
                         TTranslateFunction ATranslate)
    : TVectorScene(AOwner, kAboutPanelWidth, kAboutPanelHeight) {
  SetName(u"AboutScene");
  SetTranslator(std::move(ATranslate));
  SetBackgroundColor(TColor::Rgb(0x0C, 0x11, 0x18));

  FResources.AddButtonStyle(OKButtonStyle(AImages));

  FBackground = &Add<TImageElement>(u"Background", TRect{0, 0, kAboutPanelWidth, kAboutPanelHeight},
                                    AImages.Background);

  // The information area; the texts sit right of the accent bar the background draws at its
  // left edge.
  FInfoArea = &Add<TSceneElement>(u"InfoArea", TRect{43, 81, 425, 223});
  constexpr int kInset = 16;
  constexpr int kWidth = 425 - 2 * kInset;
  const auto text = [this](const char16_t* AName, TRect ABounds, const char16_t* AText,
                           const TTextStyle& AStyle) {
    TTextElement& element = FInfoArea->Add<TTextElement>(AName, ABounds, AText);
    element.ApplyStyle(AStyle);
    return &element;
  };
  FLabel1 = text(u"Label1", TRect{kInset, 10, kWidth, 24}, u"Hardware & Software Information:",
                 PanelText(16, true, kHeadingColor));
  FLabel2 = text(u"Label2", TRect{kInset, 40, kWidth, 20}, u"Hardware Core:1.00.00",
                 PanelText(13, false, kTextColor));
  FLabel3 = text(u"Label3", TRect{kInset, 62, kWidth, 20}, u"Software Core:1.00.00",
                 PanelText(13, false, kTextColor));
  FLabel4 = text(u"Label4", TRect{kInset, 100, kWidth, 24}, u"Software Update Website:",
                 PanelText(16, true, kHeadingColor));
  FTextWeb = text(u"TextWeb", TRect{kInset, 130, kWidth, 20}, kAboutWebAddress,
                  PanelText(13, false, kWhite));
  FBtnGoWeb =
      &FInfoArea->Add<TImageButton>(u"BtnGoWeb", TRect{kInset, 162, 77, 31}, AImages.WebButton);

  FBtnOK = &Add<TStateButton>(u"BtnOK", TRect{208, 325, 94, 27}, u"OK");
  FBtnOK->ApplyStyle(*FResources.FindButtonStyle(kAboutOKButtonStyle));
}

TStateButtonStyle TAboutPanel::OKButtonStyle(const TAboutPanelImages& AImages) const {
  return TStateButtonStyle{kAboutOKButtonStyle, AImages.OKNormal, AImages.OKHot, AImages.OKPressed,
                           PanelText(13, true, kWhite)};
}

void TAboutPanel::SetImages(const TAboutPanelImages& AImages) {
  FResources.AddButtonStyle(OKButtonStyle(AImages));
  FBackground->SetImage(AImages.Background);
  FBtnGoWeb->SetImage(AImages.WebButton);
  FBtnOK->ApplyStyle(*FResources.FindButtonStyle(kAboutOKButtonStyle));
}

}  // namespace mon
