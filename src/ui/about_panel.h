// The content of the monitor's About panel: a 504 x 400 scene with its background, the
// information texts, the web button and the OK state button.
#pragma once

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

// The decoded images of the panel; an image that could not be decoded is null and the panel
// simply lacks it.
struct TAboutPanelImages {
  TImageRef Background;
  TImageRef WebButton;
  TImageRef OKNormal;
  TImageRef OKHot;
  TImageRef OKPressed;
};

// Decodes the images compiled into the program. The reason of every failure (there should be
// none) is appended to AErrors when given.
TAboutPanelImages LoadAboutPanelImages(std::vector<std::u16string>* AErrors = nullptr);

// The panel's scene. Texts pass through ATranslate when their style is applied, that is at
// construction, and again on every Retranslate. Click handlers go on BtnOK().OnClick and
// BtnGoWeb().OnClick; BtnGoWeb should open WebAddress().
class TAboutPanel : public TVectorScene {
 public:
  TAboutPanel(TComponent* AOwner, const TAboutPanelImages& AImages,
              TTranslateFunction ATranslate = {});

  // Puts these images in place of the ones shown (empty ones: the panel shows none). A panel
  // that is not on screen needs none: the monitor decodes them when the panel is shown and lets
  // them go when it is hidden.
  void SetImages(const TAboutPanelImages& AImages);
  bool HasImages() const { return FBackground->Image() != nullptr; }

  TImageElement& Background() { return *FBackground; }
  TSceneElement& InfoArea() { return *FInfoArea; }
  TTextElement& Label1() { return *FLabel1; }
  TTextElement& Label2() { return *FLabel2; }
  TTextElement& Label3() { return *FLabel3; }
  TTextElement& Label4() { return *FLabel4; }
  TTextElement& TextWeb() { return *FTextWeb; }
  TImageButton& BtnGoWeb() { return *FBtnGoWeb; }
  TStateButton& BtnOK() { return *FBtnOK; }
  const TStyleResources& Resources() const { return FResources; }

  // Exactly the text TextWeb shows.
  const std::u16string& WebAddress() const { return FTextWeb->Text(); }

 private:
  TStateButtonStyle OKButtonStyle(const TAboutPanelImages& AImages) const;

  TStyleResources FResources;
  TImageElement* FBackground = nullptr;
  TSceneElement* FInfoArea = nullptr;
  TTextElement* FLabel1 = nullptr;
  TTextElement* FLabel2 = nullptr;
  TTextElement* FLabel3 = nullptr;
  TTextElement* FLabel4 = nullptr;
  TTextElement* FTextWeb = nullptr;
  TImageButton* FBtnGoWeb = nullptr;
  TStateButton* FBtnOK = nullptr;
};

}  // namespace mon
