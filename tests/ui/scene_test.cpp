// The scene model: layout, hit testing, the hover/press state machine and its clicks, painting
// decisions and re-translation.
#include "ui/scene.h"

#include <gtest/gtest.h>

#include <map>

#include "recording_painter.h"

namespace mon {
namespace {

using testing::TPaintCall;
using testing::TRecordingPainter;

TImageRef SolidImage(std::uint32_t AWidth, std::uint32_t AHeight, std::uint8_t AValue) {
  auto image = std::make_shared<TRgbaImage>();
  image->Width = AWidth;
  image->Height = AHeight;
  image->Pixels.assign(static_cast<std::size_t>(AWidth) * AHeight * 4, AValue);
  return image;
}

// Two buttons side by side in a panel at (100, 50), and a third overlapping the second.
class SceneTest : public ::testing::Test {
 protected:
  SceneTest() : Scene(nullptr, 400, 300) {
    Scene.SetChangedHandler([this] { ++Changes; });
    Panel = &Scene.Add<TSceneElement>(u"Panel", TRect{100, 50, 200, 100});
    Left = &Panel->Add<TImageButton>(u"Left", TRect{10, 10, 50, 20}, SolidImage(50, 20, 1));
    Right = &Panel->Add<TImageButton>(u"Right", TRect{70, 10, 50, 20}, SolidImage(50, 20, 2));
    Over = &Panel->Add<TImageButton>(u"Over", TRect{100, 10, 50, 20}, SolidImage(50, 20, 3));
    Caption = &Panel->Add<TTextElement>(u"Caption", TRect{0, 0, 200, 10}, u"caption");
    for (TButtonElement* button : {Left, Right, Over}) {
      button->OnClick = [this](TButtonElement& ASender) { Clicks.push_back(ASender.Name()); };
    }
  }

  static TPoint Inside(TButtonElement* AButton) { return AButton->AbsoluteBounds().Centre(); }

  TVectorScene Scene;
  TSceneElement* Panel = nullptr;
  TImageButton* Left = nullptr;
  TImageButton* Right = nullptr;
  TImageButton* Over = nullptr;
  TTextElement* Caption = nullptr;
  std::vector<std::u16string> Clicks;
  int Changes = 0;
};

TEST_F(SceneTest, ChildBoundsAreRelativeToTheirParent) {
  EXPECT_EQ(Left->AbsoluteBounds(), (TRect{110, 60, 50, 20}));
  Panel->SetBounds(TRect{0, 0, 200, 100});
  EXPECT_EQ(Left->AbsoluteBounds(), (TRect{10, 10, 50, 20}));
  EXPECT_EQ(Scene.Find(u"Right"), Right);
  EXPECT_EQ(Scene.Find(u"nothing"), nullptr);
  EXPECT_EQ(Left->Scene(), &Scene);
  EXPECT_EQ(Left->Parent(), Panel);
}

TEST_F(SceneTest, HitTestFindsTheTopmostShowingEnabledButton) {
  EXPECT_EQ(Scene.HitTestButton({110, 60}), Left);
  EXPECT_EQ(Scene.HitTestButton({159, 79}), Left);  // last pixel inside
  EXPECT_EQ(Scene.HitTestButton({160, 60}), nullptr);
  EXPECT_EQ(Scene.HitTestButton({110, 80}), nullptr);
  // Right and Over overlap at x 200..219: the one added later is on top.
  EXPECT_EQ(Scene.HitTestButton({205, 65}), Over);
  Over->SetEnabled(false);
  EXPECT_EQ(Scene.HitTestButton({205, 65}), Right);
  Over->SetEnabled(true);
  Over->SetVisible(false);
  EXPECT_EQ(Scene.HitTestButton({205, 65}), Right);
  // A hidden or disabled ancestor hides its buttons.
  Panel->SetEnabled(false);
  EXPECT_EQ(Scene.HitTestButton({110, 60}), nullptr);
  Panel->SetEnabled(true);
  Panel->SetVisible(false);
  EXPECT_EQ(Scene.HitTestButton({110, 60}), nullptr);
  EXPECT_FALSE(Left->IsShowing());
}

TEST_F(SceneTest, TextsDoNotBlockButtonsButAreFoundByThePlainHitTest) {
  // The caption lies over the panel's top edge, above the buttons' row; move it over Left.
  Caption->SetBounds(TRect{0, 5, 200, 30});
  EXPECT_EQ(Scene.HitTestButton({110, 60}), Left);
  EXPECT_EQ(Scene.HitTest({110, 60}), Caption);
  EXPECT_EQ(Scene.HitTest({5, 5}), &Scene.Root());
  EXPECT_EQ(Scene.HitTest({400, 5}), nullptr);
}

TEST_F(SceneTest, PressAndReleaseOnTheSameButtonClicksOnce) {
  EXPECT_EQ(Left->State(), TButtonState::Normal);
  Scene.MouseMove(Inside(Left));
  EXPECT_EQ(Left->State(), TButtonState::Hot);
  EXPECT_EQ(Scene.HotButton(), Left);
  EXPECT_TRUE(Scene.MouseDown(Inside(Left)));
  EXPECT_EQ(Left->State(), TButtonState::Pressed);
  EXPECT_TRUE(Clicks.empty());
  Scene.MouseUp(Inside(Left));
  EXPECT_EQ(Clicks, std::vector<std::u16string>{u"Left"});
  EXPECT_EQ(Left->State(), TButtonState::Hot);
  EXPECT_EQ(Scene.PressedButton(), nullptr);
  Scene.MouseLeave();
  EXPECT_EQ(Left->State(), TButtonState::Normal);
}

TEST_F(SceneTest, LeavingThePressedButtonShowsItNormalAndReturningPressed) {
  Scene.MouseDown(Inside(Left));
  Scene.MouseMove(Inside(Right));
  EXPECT_EQ(Left->State(), TButtonState::Normal);
  // No other button lights up while one is held.
  EXPECT_EQ(Right->State(), TButtonState::Normal);
  Scene.MouseMove(Inside(Left));
  EXPECT_EQ(Left->State(), TButtonState::Pressed);
  Scene.MouseUp(Inside(Left));
  EXPECT_EQ(Clicks.size(), 1u);
}

TEST_F(SceneTest, ReleaseElsewhereOrAfterACancelDoesNotClick) {
  Scene.MouseDown(Inside(Left));
  Scene.MouseUp(Inside(Right));
  EXPECT_TRUE(Clicks.empty());
  EXPECT_EQ(Right->State(), TButtonState::Hot);

  Scene.MouseDown(Inside(Left));
  Scene.CancelPress();
  EXPECT_EQ(Left->State(), TButtonState::Normal);
  Scene.MouseUp(Inside(Left));
  EXPECT_TRUE(Clicks.empty());

  // Down on no button, up on one.
  EXPECT_FALSE(Scene.MouseDown({5, 5}));
  Scene.MouseUp(Inside(Left));
  EXPECT_TRUE(Clicks.empty());
}

TEST_F(SceneTest, AButtonHiddenOrDisabledWhilePressedDoesNotClick) {
  Scene.MouseDown(Inside(Left));
  Left->SetVisible(false);
  EXPECT_EQ(Scene.PressedButton(), nullptr);
  Left->SetVisible(true);
  Scene.MouseUp(Inside(Left));
  EXPECT_TRUE(Clicks.empty());

  Scene.MouseDown(Inside(Right));
  Panel->SetEnabled(false);
  Panel->SetEnabled(true);
  Scene.MouseUp(Inside(Right));
  EXPECT_TRUE(Clicks.empty());
}

TEST_F(SceneTest, StateChangesAreReported) {
  const int before = Changes;
  const TPoint centre = Inside(Left);
  Scene.MouseMove(centre);
  EXPECT_EQ(Changes, before + 1);
  Scene.MouseMove(TPoint{centre.X + 1, centre.Y});
  EXPECT_EQ(Changes, before + 1);  // same button: nothing to repaint
  Scene.MouseDown(Inside(Left));
  EXPECT_EQ(Changes, before + 2);
  Caption->SetText(u"other");
  EXPECT_EQ(Changes, before + 3);
}

TEST(SceneClickTest, AClickHandlerMayDestroyTheScene) {
  auto scene = std::make_unique<TVectorScene>(nullptr, 100, 100);
  int changes = 0;
  scene->SetChangedHandler([&changes] { ++changes; });
  TStateButton& button = scene->Add<TStateButton>(u"BtnOK", TRect{0, 0, 50, 20}, u"OK");
  bool clicked = false;
  button.OnClick = [&](TButtonElement&) {
    clicked = true;
    scene.reset();
  };
  scene->MouseDown({10, 10});
  scene->MouseUp({10, 10});
  EXPECT_TRUE(clicked);
  EXPECT_EQ(scene, nullptr);
}

TEST(SceneClickTest, AnUnassignedClickIsNotRaised) {
  TVectorScene scene(nullptr, 100, 100);
  TImageButton& button = scene.Add<TImageButton>(u"B", TRect{0, 0, 50, 20}, nullptr);
  scene.MouseDown({10, 10});
  scene.MouseUp({10, 10});
  EXPECT_EQ(button.State(), TButtonState::Hot);
}

TEST(ScenePaintTest, StateButtonDrawsTheImageOfItsStateAndItsCaption) {
  TVectorScene scene(nullptr, 200, 100);
  scene.SetBackgroundColor(TColor::Rgb(1, 2, 3));
  const TImageRef normal = SolidImage(94, 27, 10);
  const TImageRef hot = SolidImage(94, 27, 20);
  const TImageRef pressed = SolidImage(94, 27, 30);
  const TTextStyle caption{u"Face", 13, true, TColor::Rgb(255, 255, 255)};
  TStateButton& button = scene.Add<TStateButton>(u"BtnOK", TRect{20, 30, 94, 27}, u"OK");
  button.ApplyStyle(TStateButtonStyle{u"MyStateBtn", normal, hot, pressed, caption});

  const auto paint = [&scene] {
    TRecordingPainter painter;
    scene.Paint(painter);
    return painter;
  };
  TRecordingPainter atRest = paint();
  ASSERT_EQ(atRest.Calls.size(), 3u);
  EXPECT_EQ(atRest.Calls[0].Kind, TPaintCall::TKind::Fill);
  EXPECT_EQ(atRest.Calls[0].Bounds, (TRect{0, 0, 200, 100}));
  EXPECT_EQ(atRest.Calls[0].Color, TColor::Rgb(1, 2, 3));
  EXPECT_EQ(atRest.Calls[1].Image, normal.get());
  EXPECT_EQ(atRest.Calls[1].Bounds, (TRect{20, 30, 94, 27}));
  EXPECT_EQ(atRest.Calls[2].Text, u"OK");
  EXPECT_EQ(atRest.Calls[2].Style, caption);
  EXPECT_EQ(atRest.Calls[2].Align, TTextAlign::Center);
  EXPECT_EQ(atRest.Calls[2].Bounds, (TRect{20, 30, 94, 27}));

  scene.MouseMove({30, 40});
  EXPECT_NE(paint().FindImage(hot.get()), nullptr);
  scene.MouseDown({30, 40});
  TRecordingPainter down = paint();
  EXPECT_NE(down.FindImage(pressed.get()), nullptr);
  EXPECT_EQ(down.FindText(u"OK")->Bounds, (TRect{20, 31, 94, 27}));

  // A style without a hot image shows the normal one when hot.
  button.ApplyStyle(TStateButtonStyle{u"Plain", normal, nullptr, nullptr, caption});
  scene.MouseUp({30, 40});
  EXPECT_NE(paint().FindImage(normal.get()), nullptr);
}

TEST(ScenePaintTest, HiddenElementsAndMissingImagesDrawNothing) {
  TVectorScene scene(nullptr, 200, 100);
  TSceneElement& area = scene.Add<TSceneElement>(u"Area", TRect{10, 10, 100, 50});
  area.Add<TTextElement>(u"T", TRect{0, 0, 100, 20}, u"inside");
  scene.Add<TImageElement>(u"Broken", TRect{0, 0, 10, 10}, nullptr);
  scene.Add<TImageElement>(u"Empty", TRect{0, 0, 10, 10}, std::make_shared<TRgbaImage>());
  scene.Add<TTextElement>(u"Blank", TRect{0, 0, 10, 10}, u"");
  TImageButton& web = scene.Add<TImageButton>(u"Web", TRect{0, 60, 77, 31}, SolidImage(77, 31, 1));

  TRecordingPainter painter;
  scene.Paint(painter);
  ASSERT_EQ(painter.Calls.size(), 3u);  // fill, the text, the web button
  EXPECT_EQ(painter.FindText(u"inside")->Bounds, (TRect{10, 10, 100, 20}));
  EXPECT_EQ(painter.FindImage(web.Image().get())->Opacity, TImageButton::kRestOpacity);

  area.SetVisible(false);
  TRecordingPainter hidden;
  scene.Paint(hidden);
  EXPECT_EQ(hidden.FindText(u"inside"), nullptr);
}

// Translations both ways: each text control keeps only its current text, so a function that
// maps a translation back to its original restores the original texts.
class SceneTranslationTest : public ::testing::Test {
 protected:
  SceneTranslationTest() : Scene(nullptr, 200, 100) {
    Scene.SetTranslator([this](const std::u16string& AText) {
      Seen.push_back(AText);
      const auto& table = Reverse ? Backward : Forward;
      const auto found = table.find(AText);
      return found != table.end() ? found->second : AText;
    });
  }

  TVectorScene Scene;
  bool Reverse = false;
  std::map<std::u16string, std::u16string> Forward = {{u"OK", u"Ja"}, {u"Title", u"Titel"}};
  std::map<std::u16string, std::u16string> Backward = {{u"Ja", u"OK"}, {u"Titel", u"Title"}};
  std::vector<std::u16string> Seen;
};

TEST_F(SceneTranslationTest, ApplyingAStyleTranslatesAndRetranslateGoesBackAndForth) {
  TTextElement& title = Scene.Add<TTextElement>(u"Label1", TRect{0, 0, 100, 20}, u"Title");
  TStateButton& ok = Scene.Add<TStateButton>(u"BtnOK", TRect{0, 50, 94, 27}, u"OK");
  EXPECT_EQ(title.Text(), u"Title");  // no style applied yet
  title.ApplyStyle(TTextStyle{u"Face", 16, true, {}});
  ok.ApplyStyle(TStateButtonStyle{u"MyStateBtn", nullptr, nullptr, nullptr, {}});
  EXPECT_EQ(title.Text(), u"Titel");
  EXPECT_EQ(ok.Text(), u"Ja");

  Reverse = true;
  Scene.Retranslate();
  EXPECT_EQ(title.Text(), u"Title");
  EXPECT_EQ(ok.Text(), u"OK");
  Reverse = false;
  Scene.Retranslate();
  EXPECT_EQ(title.Text(), u"Titel");
  EXPECT_EQ(ok.Text(), u"Ja");
}

TEST_F(SceneTranslationTest, OnlyAutoTranslatedTextsAndShownHintsAreTranslated) {
  TTextElement& fixed = Scene.Add<TTextElement>(u"Fixed", TRect{0, 0, 100, 20}, u"Title");
  fixed.SetAutoTranslate(false);
  TTextElement& hinted = Scene.Add<TTextElement>(u"Hinted", TRect{0, 20, 100, 20}, u"none");
  hinted.SetHint(u"OK");
  TStateButton& shown = Scene.Add<TStateButton>(u"Shown", TRect{0, 50, 94, 27}, u"");
  shown.SetHint(u"Title");
  shown.SetShowHint(true);

  Seen.clear();
  Scene.Retranslate();
  EXPECT_EQ(fixed.Text(), u"Title");
  EXPECT_EQ(hinted.Hint(), u"OK");
  EXPECT_EQ(shown.Hint(), u"Titel");
  // Every auto-translated text is read through the function (which may collect them), in
  // scene order; empty texts too, hidden hints not.
  EXPECT_EQ(Seen, (std::vector<std::u16string>{u"none", u"", u"Title"}));
}

TEST(SceneTranslationWithoutFunctionTest, NothingChanges) {
  TVectorScene scene(nullptr, 100, 100);
  TTextElement& text = scene.Add<TTextElement>(u"T", TRect{0, 0, 100, 20}, u"Title");
  text.ApplyStyle(TTextStyle{});
  scene.Retranslate();
  EXPECT_EQ(text.Text(), u"Title");
}

TEST(SceneComponentTest, AFormCanOwnTheScene) {
  TForm form(nullptr);
  TVectorScene scene(&form, 10, 10);
  scene.SetName(u"AboutScene");
  EXPECT_EQ(form.FindComponent(u"AboutScene"), &scene);
  EXPECT_EQ(scene.ClassName(), u"TVectorScene");
}

}  // namespace
}  // namespace mon
