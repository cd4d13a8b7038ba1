// A small retained-mode drawing layer: a scene of nested elements (images, texts, image
// buttons, state buttons) with hit testing, a hover/press state machine that raises click events,
// and texts that re-read themselves through a translation function. The scene knows nothing of
// the operating system: a backend draws it through TScenePainter and feeds it pointer input
// (src/ui/win32/scene_view.h for Win32).
//
// Everything here runs on the user-interface thread.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/component.h"
#include "ui/geometry.h"
#include "ui/png_codec.h"

namespace mon {

class TVectorScene;
class TButtonElement;

// Text in, text in the current language out (the text itself when there is no translation).
using TTranslateFunction = std::function<std::u16string(const std::u16string&)>;

enum class TTextAlign { Left, Center, Right };

// How a text is drawn. Size is the height of the font's em square in scene pixels.
struct TTextStyle {
  std::u16string Family;
  int Size = 13;
  bool Bold = false;
  TColor Color = TColor::Rgb(0, 0, 0);
  bool operator==(const TTextStyle&) const = default;
};

using TImageRef = std::shared_ptr<const TRgbaImage>;

// What a backend provides to draw a scene. Coordinates are scene pixels from the scene's top
// left corner.
class TScenePainter {
 public:
  virtual ~TScenePainter() = default;
  // Fills ABounds with AColor (opaque fill; the alpha of AColor is ignored).
  virtual void FillRect(const TRect& ABounds, TColor AColor) = 0;
  // Draws AImage scaled to ADest, blended over what is there by its alpha multiplied by
  // AOpacity (255: as the image is).
  virtual void DrawImage(const TImageRef& AImage, const TRect& ADest, std::uint8_t AOpacity) = 0;
  // Draws one line of AText inside ABounds, vertically centred, horizontally as AAlign says,
  // clipped to ABounds.
  virtual void DrawTextLine(const std::u16string& AText, const TTextStyle& AStyle,
                            const TRect& ABounds, TTextAlign AAlign) = 0;
};

enum class TButtonState { Normal, Hot, Pressed };

// A node of the scene. A plain element draws nothing and serves as a layout area for its
// children, whose bounds are relative to it. Children are drawn in the order they were added
// (later ones on top) and owned by their parent.
class TSceneElement {
 public:
  TSceneElement(std::u16string AName, const TRect& ABounds);
  virtual ~TSceneElement();
  TSceneElement(const TSceneElement&) = delete;
  TSceneElement& operator=(const TSceneElement&) = delete;

  const std::u16string& Name() const { return FName; }
  // Relative to the parent element.
  const TRect& Bounds() const { return FBounds; }
  void SetBounds(const TRect& AValue);
  // Relative to the scene.
  TRect AbsoluteBounds() const;

  bool Visible() const { return FVisible; }
  void SetVisible(bool AValue);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue);
  // Visible together with every ancestor.
  bool IsShowing() const;

  TSceneElement* Parent() const { return FParent; }
  TVectorScene* Scene() const { return FScene; }
  std::size_t ChildCount() const { return FChildren.size(); }
  TSceneElement& Child(std::size_t AIndex) const { return *FChildren.at(AIndex); }

  // Creates a child of type T from AArgs and returns it; the element owns it.
  template <class T, class... TArgs>
  T& Add(TArgs&&... AArgs) {
    auto child = std::make_unique<T>(std::forward<TArgs>(AArgs)...);
    T& result = *child;
    Adopt(std::move(child));
    return result;
  }

  // The first element of this name in this element's subtree (itself included), or null.
  TSceneElement* Find(std::u16string_view AName);

  // Buttons react to the pointer; other elements let it through to what lies below.
  virtual TButtonElement* AsButton() { return nullptr; }

 protected:
  // Draws the element itself; its children are drawn after it. AAbsolute is its place in the
  // scene.
  virtual void Paint(TScenePainter& APainter, const TRect& AAbsolute) const;
  // Replaces the element's texts with their translations (see TVectorScene::Retranslate).
  virtual void Retranslate(const TTranslateFunction& ATranslate);
  // Tells the scene that the picture changed.
  void Changed() const;
  // The scene's translation function, or an empty one when none is set.
  const TTranslateFunction& Translator() const;

 private:
  friend class TVectorScene;
  void Adopt(std::unique_ptr<TSceneElement> AChild);
  void AttachTo(TSceneElement* AParent, TVectorScene* AScene);
  void PaintTree(TScenePainter& APainter, TPoint AOrigin) const;
  void RetranslateTree(const TTranslateFunction& ATranslate);
  TButtonElement* HitTestButton(TPoint APoint, TPoint AOrigin);
  TSceneElement* HitTestAny(TPoint APoint, TPoint AOrigin);

  std::u16string FName;
  TRect FBounds;
  bool FVisible = true;
  bool FEnabled = true;
  TSceneElement* FParent = nullptr;
  TVectorScene* FScene = nullptr;
  std::vector<std::unique_ptr<TSceneElement>> FChildren;
};

// An image fitted to the element's bounds.
class TImageElement : public TSceneElement {
 public:
  TImageElement(std::u16string AName, const TRect& ABounds, TImageRef AImage);
  const TImageRef& Image() const { return FImage; }
  void SetImage(TImageRef AValue);

 protected:
  void Paint(TScenePainter& APainter, const TRect& AAbsolute) const override;

 private:
  TImageRef FImage;
};

// The part every text control shares: a text and a hint that follow the language when
// AutoTranslate is on (the default).
class TTextControlData {
 public:
  const std::u16string& Text() const { return FText; }
  bool AutoTranslate() const { return FAutoTranslate; }
  const std::u16string& Hint() const { return FHint; }
  bool ShowHint() const { return FShowHint; }

 protected:
  explicit TTextControlData(std::u16string AText) : FText(std::move(AText)) {}
  // Text := translate(Text) when AutoTranslate is on; Hint := translate(Hint) when
  // AutoTranslate and ShowHint are on and the hint is not empty. Each control keeps only its
  // current text, so a translation function that maps translations back to their originals
  // turns the control back into its original text.
  void TranslateTexts(const TTranslateFunction& ATranslate);

  std::u16string FText;
  bool FAutoTranslate = true;
  std::u16string FHint;
  bool FShowHint = false;
};

// One line of text.
class TTextElement : public TSceneElement, public TTextControlData {
 public:
  TTextElement(std::u16string AName, const TRect& ABounds, std::u16string AText,
               TTextAlign AAlign = TTextAlign::Left);

  void SetText(std::u16string AValue);
  void SetAutoTranslate(bool AValue) { FAutoTranslate = AValue; }
  void SetHint(std::u16string AValue) { FHint = std::move(AValue); }
  void SetShowHint(bool AValue) { FShowHint = AValue; }
  TTextAlign Align() const { return FAlign; }
  const TTextStyle& Style() const { return FStyle; }
  // Sets the look and, as every styled text control does, passes the texts through the scene's
  // translation function.
  void ApplyStyle(const TTextStyle& AStyle);
  // Changes the look only (the same style at another screen resolution): the texts stay as they
  // are.
  void Restyle(const TTextStyle& AStyle);

 protected:
  void Paint(TScenePainter& APainter, const TRect& AAbsolute) const override;
  void Retranslate(const TTranslateFunction& ATranslate) override;

 private:
  TTextAlign FAlign;
  TTextStyle FStyle;
};

// What the pointer can click. The visual state comes from the scene's pointer state.
class TButtonElement : public TSceneElement {
 public:
  using TClickEvent = std::function<void(TButtonElement& Sender)>;
  using TSceneElement::TSceneElement;

  TButtonElement* AsButton() override { return this; }
  TButtonState State() const;

  // Raised when the pointer is pressed and released on the button; may be unassigned.
  TClickEvent OnClick;
};

// A button drawn from one image: dimmed slightly at rest, full when hot, shifted down one pixel
// while pressed.
class TImageButton : public TButtonElement {
 public:
  static constexpr std::uint8_t kRestOpacity = 220;

  TImageButton(std::u16string AName, const TRect& ABounds, TImageRef AImage);
  const TImageRef& Image() const { return FImage; }
  void SetImage(TImageRef AValue);

 protected:
  void Paint(TScenePainter& APainter, const TRect& AAbsolute) const override;

 private:
  TImageRef FImage;
};

// The named look of a state button: one image per state and the caption's style.
struct TStateButtonStyle {
  std::u16string Name;
  TImageRef Normal;
  TImageRef Hot;
  TImageRef Pressed;
  TTextStyle Text;
};

// Named styles shared by the controls of a scene.
class TStyleResources {
 public:
  void AddButtonStyle(TStateButtonStyle AStyle);
  // The style of that name, or null.
  const TStateButtonStyle* FindButtonStyle(std::u16string_view AName) const;

 private:
  std::map<std::u16string, TStateButtonStyle, std::less<>> FButtonStyles;
};

// A button with a caption drawn over the image of its state (normal, hot, pressed); a state
// without an image of its own uses the normal image. The caption moves down one pixel while
// pressed.
class TStateButton : public TButtonElement, public TTextControlData {
 public:
  TStateButton(std::u16string AName, const TRect& ABounds, std::u16string AText);

  void SetText(std::u16string AValue);
  void SetAutoTranslate(bool AValue) { FAutoTranslate = AValue; }
  void SetHint(std::u16string AValue) { FHint = std::move(AValue); }
  void SetShowHint(bool AValue) { FShowHint = AValue; }
  const TStateButtonStyle& Style() const { return FStyle; }
  // Takes the images and caption style and, as every styled text control does, passes the texts
  // through the scene's translation function.
  void ApplyStyle(const TStateButtonStyle& AStyle);

 protected:
  void Paint(TScenePainter& APainter, const TRect& AAbsolute) const override;
  void Retranslate(const TTranslateFunction& ATranslate) override;

 private:
  TStateButtonStyle FStyle;
};

// The scene: a component (so a form can own it) holding the element tree, the pointer state
// and the translation function.
class TVectorScene : public TComponent {
 public:
  TVectorScene(TComponent* AOwner, int AWidth, int AHeight);
  ~TVectorScene() override;
  std::u16string ClassName() const override { return u"TVectorScene"; }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // A new size for the scene and its root (a layout for another screen resolution).
  void SetSize(int AWidth, int AHeight);
  // Painted under everything, also where an image is missing.
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor AValue);

  // The root element covers the whole scene.
  TSceneElement& Root() { return *FRoot; }
  template <class T, class... TArgs>
  T& Add(TArgs&&... AArgs) {
    return FRoot->Add<T>(std::forward<TArgs>(AArgs)...);
  }
  TSceneElement* Find(std::u16string_view AName) { return FRoot->Find(AName); }

  // The translation function the texts are read through; empty: texts stay as they are.
  void SetTranslator(TTranslateFunction AValue) { FTranslator = std::move(AValue); }
  const TTranslateFunction& Translator() const { return FTranslator; }
  // Every text control with AutoTranslate on replaces its text with the translation of its
  // current text (and its hint likewise, when ShowHint is on and the hint is not empty).
  // Without a translation function nothing changes.
  void Retranslate();

  // Called whenever the picture changes (texts, images, visibility, pointer states), so a
  // backend can schedule a repaint. May be empty.
  void SetChangedHandler(std::function<void()> AValue) { FChangedHandler = std::move(AValue); }

  void Paint(TScenePainter& APainter) const;

  // The topmost showing element under APoint (the root when no other), or null outside the
  // scene.
  TSceneElement* HitTest(TPoint APoint);
  // The topmost showing, enabled button under APoint, or null. Other elements do not block it.
  TButtonElement* HitTestButton(TPoint APoint) const;

  // Pointer input, in scene coordinates. A click is raised when the primary button goes down
  // and comes up on the same button; moving off the pressed button and back is allowed.
  void MouseMove(TPoint APoint);
  // True when a button was pressed: the backend should capture the pointer until MouseUp.
  bool MouseDown(TPoint APoint);
  // Raises the click, if any, as its very last action, so the handler may hide or destroy the
  // scene's window or the scene itself.
  void MouseUp(TPoint APoint);
  // The pointer left the scene.
  void MouseLeave();
  // The press ends without a click (capture lost, window disabled).
  void CancelPress();

  // The button under the pointer (while pressing: the pressed button if the pointer is on it).
  TButtonElement* HotButton() const { return FHot; }
  TButtonElement* PressedButton() const { return FPressed; }
  TButtonState StateOf(const TButtonElement& AButton) const;

 private:
  friend class TSceneElement;
  void NotifyChanged() const;
  // Drops the pointer states of buttons that are no longer showing or enabled.
  void ForgetUnreachableButtons();
  void SetPointerState(TButtonElement* AHot, TButtonElement* APressed);

  int FWidth;
  int FHeight;
  TColor FBackgroundColor = TColor::Rgb(0, 0, 0);
  std::unique_ptr<TSceneElement> FRoot;
  TTranslateFunction FTranslator;
  std::function<void()> FChangedHandler;
  TButtonElement* FHot = nullptr;
  TButtonElement* FPressed = nullptr;
};

}  // namespace mon
