// The content of the monitor's About panel: a 504 x 400 scene (at 96 DPI; scaled with the
// screen's resolution) with its background, the information texts, the web button and the OK
// state button.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/scene.h"

namespace mon {

inline constexpr int kAboutPanelWidth = 504;
inline constexpr int kAboutPanelHeight = 400;
// The address TextWeb shows and BtnGoWeb opens.
inline constexpr char16_t kAboutWebAddress[] = u"https://www.korvaldz.example";
inline constexpr char16_t kAboutFontFamily[] = u"Myriad Pro";
// The style of BtnOK in the panel's style resources.
inline constexpr char16_t kAboutOKButtonStyle[] = u"MyStateBtn";

// The decoded images of the panel, drawn at ScalePercent hundredths of their 1x size; an image
// that could not be decoded is null and the panel simply lacks it.
struct TAboutPanelImages {
  int ScalePercent = 100;
  TImageRef Background;
  TImageRef WebButton;
  TImageRef OKNormal;
  TImageRef OKHot;
  TImageRef OKPressed;
};

// Decodes the images compiled into the program that suit a screen of ADpi: those of the smallest
// scale at or above ADpi / 96 (the largest there is above 2x), so that they are only ever
// shrunk to fit. The reason of every failure (there should be none) is appended to AErrors when
// given.
TAboutPanelImages LoadAboutPanelImages(int ADpi = kDesignDpi,
                                       std::vector<std::u16string>* AErrors = nullptr);

// The panel's scene. Texts pass through ATranslate when their style is applied, that is at
// construction, and again on every Retranslate. Click handlers go on BtnOK().OnClick and
// BtnGoWeb().OnClick; BtnGoWeb should open WebAddress().
//
// It is laid out for 96 DPI until SetDpi says otherwise; its size, places, fonts and images then
// follow that resolution.
class TAboutPanel : public TVectorScene {
 public:
  TAboutPanel(TComponent* AOwner, const TAboutPanelImages& AImages,
              TTranslateFunction ATranslate = {});

  // Puts these images in place of the ones shown (empty ones: the panel shows none). An image
  // whose size differs from its element's at the panel's resolution is drawn anew at that size
  // (from a larger scale: shrunk; never grown from the 1x images but at more than 2x). A panel
  // that is not on screen needs none: the monitor decodes them when the panel is shown and lets
  // them go when it is hidden.
  void SetImages(const TAboutPanelImages& AImages);
  bool HasImages() const { return FBackground->Image() != nullptr; }

  // Lays the panel out for a screen of ADpi (96: 504 x 400), brought into kDesignDpi to kMaxDpi.
  // The images it has are fitted again; images of a better suited scale are the caller's to load
  // (LoadAboutPanelImages(ADpi)).
  void SetDpi(int ADpi);
  int Dpi() const { return FDpi; }

  TImageElement& Background() { return *FBackground; }
  TSceneElement& InfoArea() { return *FInfoArea; }
  TTextElement& Label1() { return *FTexts[0]; }
  TTextElement& Label2() { return *FTexts[1]; }
  TTextElement& Label3() { return *FTexts[2]; }
  TTextElement& Label4() { return *FTexts[3]; }
  TTextElement& TextWeb() { return *FTexts[4]; }
  TImageButton& BtnGoWeb() { return *FBtnGoWeb; }
  TStateButton& BtnOK() { return *FBtnOK; }
  const TStyleResources& Resources() const { return FResources; }

  // Exactly the text TextWeb shows.
  const std::u16string& WebAddress() const { return FTexts[4]->Text(); }

 private:
  // ASource fitted to ABounds' size: ASource itself when it has that size already.
  static TImageRef Fitted(const TImageRef& ASource, const TRect& ABounds);
  TStateButtonStyle OKButtonStyle() const;
  // Shows FImages, each fitted to its element.
  void ShowImages();

  int FDpi = kDesignDpi;
  // The images as given to SetImages; what the elements show is fitted from these.
  TAboutPanelImages FImages;
  TStyleResources FResources;
  TImageElement* FBackground = nullptr;
  TSceneElement* FInfoArea = nullptr;
  // Label1, Label2, Label3, Label4, TextWeb.
  std::array<TTextElement*, 5> FTexts{};
  TImageButton* FBtnGoWeb = nullptr;
  TStateButton* FBtnOK = nullptr;
};

}  // namespace mon
