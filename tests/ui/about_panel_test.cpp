// The About panel's content: places, sizes, texts and styles, its images, its two clicks and its
// translation.
#include "ui/about_panel.h"

#include <gtest/gtest.h>

#include <map>

#include "framework/text.h"
#include "recording_painter.h"

namespace mon {
namespace {

using testing::TRecordingPainter;

class AboutPanelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::vector<std::u16string> errors;
    Images = LoadAboutPanelImages(&errors);
    for (const auto& error : errors) {
      ADD_FAILURE() << Utf16ToUtf8(error);
    }
  }

  static TAboutPanelImages Images;
};

TAboutPanelImages AboutPanelTest::Images;

TEST_F(AboutPanelTest, ImagesHaveTheirSizesAndTheOKStatesDiffer) {
  ASSERT_TRUE(Images.Background && Images.WebButton && Images.OKNormal && Images.OKHot &&
              Images.OKPressed);
  EXPECT_EQ(Images.Background->Width, 504u);
  EXPECT_EQ(Images.Background->Height, 400u);
  EXPECT_EQ(Images.WebButton->Width, 77u);
  EXPECT_EQ(Images.WebButton->Height, 31u);
  for (const TImageRef& ok : {Images.OKNormal, Images.OKHot, Images.OKPressed}) {
    EXPECT_EQ(ok->Width, 94u);
    EXPECT_EQ(ok->Height, 27u);
  }
  EXPECT_NE(Images.OKNormal->Pixels, Images.OKHot->Pixels);
  EXPECT_NE(Images.OKHot->Pixels, Images.OKPressed->Pixels);
  // The background covers the panel; the buttons have transparent rounded corners.
  EXPECT_EQ(Images.Background->PixelAt(0, 0).A, 255);
  EXPECT_EQ(Images.Background->PixelAt(250, 200).A, 255);
  EXPECT_EQ(Images.OKNormal->PixelAt(0, 0).A, 0);
  EXPECT_EQ(Images.OKNormal->PixelAt(47, 13).A, 255);
}

TEST_F(AboutPanelTest, ElementsSitWhereThePanelPutsThem) {
  TAboutPanel panel(nullptr, Images);
  EXPECT_EQ(panel.Width(), 504);
  EXPECT_EQ(panel.Height(), 400);
  EXPECT_EQ(panel.Background().AbsoluteBounds(), (TRect{0, 0, 504, 400}));
  EXPECT_EQ(panel.Background().Image(), Images.Background);
  const TRect area{43, 81, 425, 223};
  EXPECT_EQ(panel.InfoArea().AbsoluteBounds(), area);

  // From the top, each inside the area and below the one before.
  TSceneElement* const column[] = {&panel.Label1(), &panel.Label2(),  &panel.Label3(),
                                   &panel.Label4(), &panel.TextWeb(), &panel.BtnGoWeb()};
  int previousBottom = area.Top;
  for (TSceneElement* element : column) {
    const TRect bounds = element->AbsoluteBounds();
    EXPECT_EQ(element->Parent(), &panel.InfoArea()) << Utf16ToUtf8(element->Name());
    EXPECT_GE(bounds.Top, previousBottom) << Utf16ToUtf8(element->Name());
    EXPECT_GE(bounds.Left, area.Left);
    EXPECT_LE(bounds.Right(), area.Right());
    EXPECT_LE(bounds.Bottom(), area.Bottom());
    previousBottom = bounds.Bottom();
  }
  EXPECT_EQ(panel.BtnGoWeb().Bounds().Width, 77);
  EXPECT_EQ(panel.BtnGoWeb().Bounds().Height, 31);
  EXPECT_EQ(panel.BtnGoWeb().Image(), Images.WebButton);
  EXPECT_EQ(panel.BtnOK().AbsoluteBounds(), (TRect{208, 325, 94, 27}));
  EXPECT_EQ(panel.Find(u"BtnOK"), &panel.BtnOK());
  EXPECT_EQ(panel.Find(u"TextWeb"), &panel.TextWeb());
}

TEST_F(AboutPanelTest, TextsAndStylesAreThePanelsOwn) {
  TAboutPanel panel(nullptr, Images);
  const struct {
    TTextElement& Element;
    const char16_t* Text;
    int Size;
    bool Bold;
  } texts[] = {
      {panel.Label1(), u"Hardware & Software Information:", 16, true},
      {panel.Label2(), u"Hardware Core:1.00.00", 13, false},
      {panel.Label3(), u"Software Core:1.00.00", 13, false},
      {panel.Label4(), u"Software Update Website:", 16, true},
      {panel.TextWeb(), kAboutWebAddress, 13, false},
  };
  for (const auto& text : texts) {
    EXPECT_EQ(text.Element.Text(), text.Text);
    EXPECT_EQ(text.Element.Style().Family, u"Myriad Pro");
    EXPECT_EQ(text.Element.Style().Size, text.Size) << Utf16ToUtf8(text.Text);
    EXPECT_EQ(text.Element.Style().Bold, text.Bold) << Utf16ToUtf8(text.Text);
  }
  EXPECT_EQ(panel.TextWeb().Style().Color, TColor::Rgb(255, 255, 255));
  EXPECT_EQ(panel.WebAddress(), kAboutWebAddress);

  EXPECT_EQ(panel.BtnOK().Text(), u"OK");
  const TStateButtonStyle& style = panel.BtnOK().Style();
  EXPECT_EQ(style.Name, u"MyStateBtn");
  EXPECT_EQ(style.Text.Family, u"Myriad Pro");
  EXPECT_EQ(style.Text.Size, 13);
  EXPECT_TRUE(style.Text.Bold);
  EXPECT_EQ(style.Normal, Images.OKNormal);
  EXPECT_EQ(style.Hot, Images.OKHot);
  EXPECT_EQ(style.Pressed, Images.OKPressed);
  EXPECT_NE(panel.Resources().FindButtonStyle(u"MyStateBtn"), nullptr);
}

TEST_F(AboutPanelTest, BothButtonsRaiseTheirClicks) {
  TAboutPanel panel(nullptr, Images);
  std::vector<std::u16string> clicks;
  const auto record = [&clicks](TButtonElement& ASender) { clicks.push_back(ASender.Name()); };
  panel.BtnOK().OnClick = record;
  panel.BtnGoWeb().OnClick = record;
  for (TButtonElement* button : {static_cast<TButtonElement*>(&panel.BtnOK()),
                                 static_cast<TButtonElement*>(&panel.BtnGoWeb())}) {
    const TPoint centre = button->AbsoluteBounds().Centre();
    EXPECT_EQ(panel.HitTestButton(centre), button);
    panel.MouseMove(centre);
    EXPECT_TRUE(panel.MouseDown(centre));
    panel.MouseUp(centre);
  }
  EXPECT_EQ(clicks, (std::vector<std::u16string>{u"BtnOK", u"BtnGoWeb"}));
  // The texts are not buttons.
  EXPECT_EQ(panel.HitTestButton(panel.TextWeb().AbsoluteBounds().Centre()), nullptr);
  EXPECT_EQ(panel.HitTestButton({5, 5}), nullptr);
}

TEST_F(AboutPanelTest, PaintsEveryTextAndTheOKState) {
  TAboutPanel panel(nullptr, Images);
  TRecordingPainter painter;
  panel.Paint(painter);
  ASSERT_NE(painter.FindImage(Images.Background.get()), nullptr);
  EXPECT_EQ(painter.FindImage(Images.Background.get())->Bounds, (TRect{0, 0, 504, 400}));
  EXPECT_NE(painter.FindImage(Images.OKNormal.get()), nullptr);
  EXPECT_NE(painter.FindImage(Images.WebButton.get()), nullptr);
  for (const char16_t* text :
       {u"Hardware & Software Information:", u"Hardware Core:1.00.00", u"Software Core:1.00.00",
        u"Software Update Website:", kAboutWebAddress, u"OK"}) {
    EXPECT_NE(painter.FindText(text), nullptr) << Utf16ToUtf8(text);
  }
  panel.MouseMove(panel.BtnOK().AbsoluteBounds().Centre());
  TRecordingPainter hot;
  panel.Paint(hot);
  EXPECT_NE(hot.FindImage(Images.OKHot.get()), nullptr);
  EXPECT_EQ(hot.FindImage(Images.OKNormal.get()), nullptr);
}

TEST_F(AboutPanelTest, TextsFollowTheLanguageBothWays) {
  const std::map<std::u16string, std::u16string> table = {
      {u"OK", u"Bestaetigen"}, {u"Software Core:1.00.00", u"Programmkern:1.00.00"}};
  bool reverse = false;
  const auto translate = [&](const std::u16string& AText) {
    for (const auto& [original, translation] : table) {
      if (!reverse && AText == original) {
        return translation;
      }
      if (reverse && AText == translation) {
        return original;
      }
    }
    return AText;
  };
  TAboutPanel panel(nullptr, Images, translate);
  // Translated when built.
  EXPECT_EQ(panel.BtnOK().Text(), u"Bestaetigen");
  EXPECT_EQ(panel.Label3().Text(), u"Programmkern:1.00.00");
  EXPECT_EQ(panel.Label2().Text(), u"Hardware Core:1.00.00");
  reverse = true;
  panel.Retranslate();
  EXPECT_EQ(panel.BtnOK().Text(), u"OK");
  EXPECT_EQ(panel.Label3().Text(), u"Software Core:1.00.00");
  EXPECT_EQ(panel.WebAddress(), kAboutWebAddress);
}

TEST(AboutPanelWithoutImagesTest, StillShowsTextsAndButtons) {
  TAboutPanel panel(nullptr, TAboutPanelImages{});
  TRecordingPainter painter;
  panel.Paint(painter);
  EXPECT_NE(painter.FindText(u"OK"), nullptr);
  bool clicked = false;
  panel.BtnOK().OnClick = [&clicked](TButtonElement&) { clicked = true; };
  panel.MouseDown({250, 330});
  panel.MouseUp({250, 330});
  EXPECT_TRUE(clicked);
}

}  // namespace
}  // namespace mon
