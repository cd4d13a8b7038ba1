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
    Images = LoadAboutPanelImages(kDesignDpi, &errors);
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

// On screens of higher resolution: the panel's layout scaled, its texts larger, and its images
// those drawn for the resolution, or shrunk from the next larger ones, never grown from 1x.
class AboutPanelResolutionTest : public ::testing::Test {
 protected:
  static TAboutPanelImages Load(int ADpi) {
    std::vector<std::u16string> errors;
    TAboutPanelImages images = LoadAboutPanelImages(ADpi, &errors);
    EXPECT_TRUE(errors.empty());
    return images;
  }

  // Every image the panel draws has the size of the place it is drawn at.
  static void ExpectImagesDrawnPixelForPixel(TAboutPanel& APanel) {
    TRecordingPainter painter;
    APanel.Paint(painter);
    int images = 0;
    for (const testing::TPaintCall& call : painter.Calls) {
      if (call.Kind == testing::TPaintCall::TKind::Image) {
        ++images;
        EXPECT_EQ(static_cast<int>(call.Image->Width), call.Bounds.Width);
        EXPECT_EQ(static_cast<int>(call.Image->Height), call.Bounds.Height);
      }
    }
    EXPECT_EQ(images, 3);  // background, web button, OK button
  }
};

TEST_F(AboutPanelResolutionTest, ImagesComeFromTheSmallestScaleAtLeastTheScreens) {
  const struct {
    int Dpi;
    int ScalePercent;
  } cases[] = {{96, 100}, {120, 150}, {144, 150}, {168, 200}, {192, 200}, {288, 200}};
  for (const auto& one : cases) {
    const TAboutPanelImages images = Load(one.Dpi);
    EXPECT_EQ(images.ScalePercent, one.ScalePercent) << one.Dpi;
    ASSERT_TRUE(images.Background) << one.Dpi;
    EXPECT_EQ(images.Background->Width, static_cast<std::uint32_t>(504 * one.ScalePercent / 100));
  }
}

TEST_F(AboutPanelResolutionTest, At150PercentTheLayoutIsScaledAndDrawnFromThe150Images) {
  const TAboutPanelImages images = Load(144);
  TAboutPanel panel(nullptr, TAboutPanelImages{});
  panel.SetDpi(144);
  panel.SetImages(images);
  EXPECT_EQ(panel.Dpi(), 144);
  EXPECT_EQ(panel.Width(), 756);
  EXPECT_EQ(panel.Height(), 600);
  EXPECT_EQ(panel.Background().AbsoluteBounds(), (TRect{0, 0, 756, 600}));
  // 43, 81, 425, 223 times 1.5, halves rounded up.
  const TRect area{65, 122, 638, 335};
  EXPECT_EQ(panel.InfoArea().AbsoluteBounds(), area);
  EXPECT_EQ(panel.Label1().AbsoluteBounds(), (TRect{65 + 24, 122 + 15, 590, 36}));
  EXPECT_EQ(panel.TextWeb().AbsoluteBounds(), (TRect{65 + 24, 122 + 195, 590, 30}));
  EXPECT_EQ(panel.BtnGoWeb().AbsoluteBounds(), (TRect{65 + 24, 122 + 243, 116, 47}));
  EXPECT_EQ(panel.BtnOK().AbsoluteBounds(), (TRect{312, 488, 141, 41}));
  // The column keeps its order inside the area.
  int previousBottom = area.Top;
  for (TSceneElement* element :
       {static_cast<TSceneElement*>(&panel.Label1()), static_cast<TSceneElement*>(&panel.Label2()),
        static_cast<TSceneElement*>(&panel.Label3()), static_cast<TSceneElement*>(&panel.Label4()),
        static_cast<TSceneElement*>(&panel.TextWeb()),
        static_cast<TSceneElement*>(&panel.BtnGoWeb())}) {
    EXPECT_GE(element->AbsoluteBounds().Top, previousBottom) << Utf16ToUtf8(element->Name());
    EXPECT_LE(element->AbsoluteBounds().Bottom(), area.Bottom());
    previousBottom = element->AbsoluteBounds().Bottom();
  }
  // Texts half as large again.
  EXPECT_EQ(panel.Label1().Style().Size, 24);
  EXPECT_EQ(panel.Label2().Style().Size, 20);  // 13 x 1.5 = 19.5
  EXPECT_EQ(panel.BtnOK().Style().Text.Size, 20);
  EXPECT_TRUE(panel.Label1().Style().Bold);
  // The 1.5x images themselves, as they are.
  EXPECT_EQ(panel.Background().Image(), images.Background);
  EXPECT_EQ(panel.BtnGoWeb().Image(), images.WebButton);
  EXPECT_EQ(panel.BtnOK().Style().Normal, images.OKNormal);
  ExpectImagesDrawnPixelForPixel(panel);
  // The pointer is in screen pixels too.
  bool clicked = false;
  panel.BtnOK().OnClick = [&clicked](TButtonElement&) { clicked = true; };
  panel.MouseDown({312 + 140, 488 + 40});
  panel.MouseUp({312 + 140, 488 + 40});
  EXPECT_TRUE(clicked);
}

TEST_F(AboutPanelResolutionTest, At125PercentThe150ImagesAreShrunkToFit) {
  const TAboutPanelImages images = Load(120);
  ASSERT_EQ(images.ScalePercent, 150);
  TAboutPanel panel(nullptr, images);
  panel.SetDpi(120);
  EXPECT_EQ(panel.Width(), 630);
  EXPECT_EQ(panel.Height(), 500);
  ASSERT_NE(panel.Background().Image(), nullptr);
  EXPECT_NE(panel.Background().Image(), images.Background);
  EXPECT_EQ(panel.Background().Image()->Width, 630u);
  // Shrunk, not made anew: the background's colour in the middle of the header is kept.
  const TColor source = images.Background->PixelAt(378, 48);
  const TColor shrunk = panel.Background().Image()->PixelAt(315, 40);
  EXPECT_NEAR(shrunk.R, source.R, 6);
  EXPECT_NEAR(shrunk.G, source.G, 6);
  EXPECT_NEAR(shrunk.B, source.B, 6);
  ExpectImagesDrawnPixelForPixel(panel);
}

TEST_F(AboutPanelResolutionTest, BackAt96TheLayoutIsTodaysAndOddResolutionsAreBounded) {
  const TAboutPanelImages images = Load(96);
  TAboutPanel fresh(nullptr, images);
  TAboutPanel panel(nullptr, images);
  panel.SetDpi(168);
  panel.SetDpi(96);
  EXPECT_EQ(panel.Width(), fresh.Width());
  EXPECT_EQ(panel.Height(), fresh.Height());
  for (const char16_t* name : {u"Background", u"InfoArea", u"Label1", u"Label2", u"Label3",
                               u"Label4", u"TextWeb", u"BtnGoWeb", u"BtnOK"}) {
    EXPECT_EQ(panel.Find(name)->AbsoluteBounds(), fresh.Find(name)->AbsoluteBounds())
        << Utf16ToUtf8(name);
  }
  EXPECT_EQ(panel.Label4().Style(), fresh.Label4().Style());
  EXPECT_EQ(panel.Background().Image(), fresh.Background().Image());
  // A resolution no screen has is brought into the accepted range.
  panel.SetDpi(0);
  EXPECT_EQ(panel.Dpi(), 96);
  panel.SetDpi(1 << 30);
  EXPECT_EQ(panel.Dpi(), 480);
  EXPECT_EQ(panel.Width(), 2520);
}

}  // namespace
}  // namespace mon
