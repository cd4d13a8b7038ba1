#include "ui/scene.h"

namespace mon {
namespace {

const TTranslateFunction kNoTranslator;

}  // namespace

// --- TSceneElement ---

TSceneElement::TSceneElement(std::u16string AName, const TRect& ABounds)
    : FName(std::move(AName)), FBounds(ABounds) {}

TSceneElement::~TSceneElement() = default;

void TSceneElement::SetBounds(const TRect& AValue) {
  if (FBounds == AValue) {
    return;
  }
  FBounds = AValue;
  Changed();
}

TRect TSceneElement::AbsoluteBounds() const {
  TRect result = FBounds;
  for (const TSceneElement* parent = FParent; parent != nullptr; parent = parent->FParent) {
    result = result.Moved(parent->FBounds.Left, parent->FBounds.Top);
  }
  return result;
}

void TSceneElement::SetVisible(bool AValue) {
  if (FVisible == AValue) {
    return;
  }
  FVisible = AValue;
  if (FScene != nullptr) {
    FScene->ForgetUnreachableButtons();
  }
  Changed();
}

void TSceneElement::SetEnabled(bool AValue) {
  if (FEnabled == AValue) {
    return;
  }
  FEnabled = AValue;
  if (FScene != nullptr) {
    FScene->ForgetUnreachableButtons();
  }
  Changed();
}

bool TSceneElement::IsShowing() const {
  for (const TSceneElement* element = this; element != nullptr; element = element->FParent) {
    if (!element->FVisible) {
      return false;
    }
  }
  return true;
}

TSceneElement* TSceneElement::Find(std::u16string_view AName) {
  if (FName == AName) {
    return this;
  }
  for (const auto& child : FChildren) {
    if (TSceneElement* found = child->Find(AName)) {
      return found;
    }
  }
  return nullptr;
}

void TSceneElement::Paint(TScenePainter&, const TRect&) const {}

void TSceneElement::Retranslate(const TTranslateFunction&) {}

void TSceneElement::Changed() const {
  if (FScene != nullptr) {
    FScene->NotifyChanged();
  }
}

const TTranslateFunction& TSceneElement::Translator() const {
  return FScene != nullptr ? FScene->Translator() : kNoTranslator;
}

void TSceneElement::Adopt(std::unique_ptr<TSceneElement> AChild) {
  AChild->AttachTo(this, FScene);
  FChildren.push_back(std::move(AChild));
  Changed();
}

void TSceneElement::AttachTo(TSceneElement* AParent, TVectorScene* AScene) {
  FParent = AParent;
  FScene = AScene;
  for (const auto& child : FChildren) {
    child->AttachTo(this, AScene);
  }
}

void TSceneElement::PaintTree(TScenePainter& APainter, TPoint AOrigin) const {
  if (!FVisible) {
    return;
  }
  const TRect absolute = FBounds.Moved(AOrigin.X, AOrigin.Y);
  Paint(APainter, absolute);
  for (const auto& child : FChildren) {
    child->PaintTree(APainter, TPoint{absolute.Left, absolute.Top});
  }
}

void TSceneElement::RetranslateTree(const TTranslateFunction& ATranslate) {
  Retranslate(ATranslate);
  for (const auto& child : FChildren) {
    child->RetranslateTree(ATranslate);
  }
}

TButtonElement* TSceneElement::HitTestButton(TPoint APoint, TPoint AOrigin) {
  if (!FVisible || !FEnabled) {
    return nullptr;
  }
  const TRect absolute = FBounds.Moved(AOrigin.X, AOrigin.Y);
  // Topmost first: the last child is drawn last.
  for (auto child = FChildren.rbegin(); child != FChildren.rend(); ++child) {
    if (TButtonElement* hit =
            (*child)->HitTestButton(APoint, TPoint{absolute.Left, absolute.Top})) {
      return hit;
    }
  }
  return absolute.Contains(APoint) ? AsButton() : nullptr;
}

TSceneElement* TSceneElement::HitTestAny(TPoint APoint, TPoint AOrigin) {
  if (!FVisible) {
    return nullptr;
  }
  const TRect absolute = FBounds.Moved(AOrigin.X, AOrigin.Y);
  for (auto child = FChildren.rbegin(); child != FChildren.rend(); ++child) {
    if (TSceneElement* hit = (*child)->HitTestAny(APoint, TPoint{absolute.Left, absolute.Top})) {
      return hit;
    }
  }
  return absolute.Contains(APoint) ? this : nullptr;
}

// --- TImageElement ---

TImageElement::TImageElement(std::u16string AName, const TRect& ABounds, TImageRef AImage)
    : TSceneElement(std::move(AName), ABounds), FImage(std::move(AImage)) {}

void TImageElement::SetImage(TImageRef AValue) {
  FImage = std::move(AValue);
  Changed();
}

void TImageElement::Paint(TScenePainter& APainter, const TRect& AAbsolute) const {
  if (FImage && !FImage->IsEmpty()) {
    APainter.DrawImage(FImage, AAbsolute, 255);
  }
}

// --- Text controls ---

void TTextControlData::TranslateTexts(const TTranslateFunction& ATranslate) {
  if (!ATranslate || !FAutoTranslate) {
    return;
  }
  FText = ATranslate(FText);
  if (FShowHint && !FHint.empty()) {
    FHint = ATranslate(FHint);
  }
}

TTextElement::TTextElement(std::u16string AName, const TRect& ABounds, std::u16string AText,
                           TTextAlign AAlign)
    : TSceneElement(std::move(AName), ABounds),
      TTextControlData(std::move(AText)),
      FAlign(AAlign) {}

void TTextElement::SetText(std::u16string AValue) {
  FText = std::move(AValue);
  Changed();
}

void TTextElement::ApplyStyle(const TTextStyle& AStyle) {
  FStyle = AStyle;
  TranslateTexts(Translator());
  Changed();
}

void TTextElement::Restyle(const TTextStyle& AStyle) {
  if (FStyle == AStyle) {
    return;
  }
  FStyle = AStyle;
  Changed();
}

void TTextElement::Paint(TScenePainter& APainter, const TRect& AAbsolute) const {
  if (!FText.empty()) {
    APainter.DrawTextLine(FText, FStyle, AAbsolute, FAlign);
  }
}

void TTextElement::Retranslate(const TTranslateFunction& ATranslate) {
  TranslateTexts(ATranslate);
}

// --- Buttons ---

TButtonState TButtonElement::State() const {
  return Scene() != nullptr ? Scene()->StateOf(*this) : TButtonState::Normal;
}

TImageButton::TImageButton(std::u16string AName, const TRect& ABounds, TImageRef AImage)
    : TButtonElement(std::move(AName), ABounds), FImage(std::move(AImage)) {}

void TImageButton::SetImage(TImageRef AValue) {
  FImage = std::move(AValue);
  Changed();
}

void TImageButton::Paint(TScenePainter& APainter, const TRect& AAbsolute) const {
  if (!FImage || FImage->IsEmpty()) {
    return;
  }
  switch (State()) {
    case TButtonState::Normal:
      APainter.DrawImage(FImage, AAbsolute, kRestOpacity);
      break;
    case TButtonState::Hot:
      APainter.DrawImage(FImage, AAbsolute, 255);
      break;
    case TButtonState::Pressed:
      APainter.DrawImage(FImage, AAbsolute.Moved(0, 1), 255);
      break;
  }
}

void TStyleResources::AddButtonStyle(TStateButtonStyle AStyle) {
  std::u16string name = AStyle.Name;
  FButtonStyles.insert_or_assign(std::move(name), std::move(AStyle));
}

const TStateButtonStyle* TStyleResources::FindButtonStyle(std::u16string_view AName) const {
  const auto found = FButtonStyles.find(AName);
  return found != FButtonStyles.end() ? &found->second : nullptr;
}

TStateButton::TStateButton(std::u16string AName, const TRect& ABounds, std::u16string AText)
    : TButtonElement(std::move(AName), ABounds), TTextControlData(std::move(AText)) {}

void TStateButton::SetText(std::u16string AValue) {
  FText = std::move(AValue);
  Changed();
}

void TStateButton::ApplyStyle(const TStateButtonStyle& AStyle) {
  FStyle = AStyle;
  TranslateTexts(Translator());
  Changed();
}

void TStateButton::Paint(TScenePainter& APainter, const TRect& AAbsolute) const {
  const TButtonState state = State();
  const TImageRef* image = &FStyle.Normal;
  if (state == TButtonState::Hot && FStyle.Hot) {
    image = &FStyle.Hot;
  } else if (state == TButtonState::Pressed && FStyle.Pressed) {
    image = &FStyle.Pressed;
  }
  if (*image && !(*image)->IsEmpty()) {
    APainter.DrawImage(*image, AAbsolute, 255);
  }
  if (!FText.empty()) {
    const TRect caption = state == TButtonState::Pressed ? AAbsolute.Moved(0, 1) : AAbsolute;
    APainter.DrawTextLine(FText, FStyle.Text, caption, TTextAlign::Center);
  }
}

void TStateButton::Retranslate(const TTranslateFunction& ATranslate) {
  TranslateTexts(ATranslate);
}

// --- TVectorScene ---

TVectorScene::TVectorScene(TComponent* AOwner, int AWidth, int AHeight)
    : TComponent(AOwner),
      FWidth(AWidth),
      FHeight(AHeight),
      FRoot(std::make_unique<TSceneElement>(u"", TRect{0, 0, AWidth, AHeight})) {
  FRoot->AttachTo(nullptr, this);
}

TVectorScene::~TVectorScene() {
  // No more notifications while the elements go.
  FChangedHandler = nullptr;
  FHot = nullptr;
  FPressed = nullptr;
  FRoot.reset();
}

void TVectorScene::SetSize(int AWidth, int AHeight) {
  if (FWidth == AWidth && FHeight == AHeight) {
    return;
  }
  FWidth = AWidth;
  FHeight = AHeight;
  FRoot->SetBounds(TRect{0, 0, AWidth, AHeight});
  NotifyChanged();
}

void TVectorScene::SetBackgroundColor(TColor AValue) {
  if (FBackgroundColor == AValue) {
    return;
  }
  FBackgroundColor = AValue;
  NotifyChanged();
}

void TVectorScene::Retranslate() {
  if (!FTranslator) {
    return;
  }
  // A copy: a translation function must not be able to pull itself away while it runs.
  const TTranslateFunction translate = FTranslator;
  FRoot->RetranslateTree(translate);
  NotifyChanged();
}

void TVectorScene::Paint(TScenePainter& APainter) const {
  APainter.FillRect(TRect{0, 0, FWidth, FHeight}, FBackgroundColor);
  FRoot->PaintTree(APainter, TPoint{0, 0});
}

TSceneElement* TVectorScene::HitTest(TPoint APoint) {
  return FRoot->HitTestAny(APoint, {0, 0});
}

TButtonElement* TVectorScene::HitTestButton(TPoint APoint) const {
  return FRoot->HitTestButton(APoint, TPoint{0, 0});
}

void TVectorScene::MouseMove(TPoint APoint) {
  TButtonElement* const under = HitTestButton(APoint);
  if (FPressed != nullptr) {
    SetPointerState(under == FPressed ? FPressed : nullptr, FPressed);
  } else {
    SetPointerState(under, nullptr);
  }
}

bool TVectorScene::MouseDown(TPoint APoint) {
  TButtonElement* const under = HitTestButton(APoint);
  SetPointerState(under, under);
  return under != nullptr;
}

void TVectorScene::MouseUp(TPoint APoint) {
  TButtonElement* const under = HitTestButton(APoint);
  TButtonElement* const clicked = FPressed != nullptr && under == FPressed ? FPressed : nullptr;
  SetPointerState(under, nullptr);
  if (clicked != nullptr && clicked->OnClick) {
    // A copy, so the handler may reassign the event or destroy the button.
    const TButtonElement::TClickEvent handler = clicked->OnClick;
    handler(*clicked);
  }
}

void TVectorScene::MouseLeave() {
  SetPointerState(nullptr, FPressed);
}

void TVectorScene::CancelPress() {
  SetPointerState(FPressed != nullptr ? nullptr : FHot, nullptr);
}

TButtonState TVectorScene::StateOf(const TButtonElement& AButton) const {
  if (FHot != &AButton) {
    return TButtonState::Normal;
  }
  return FPressed == &AButton ? TButtonState::Pressed : TButtonState::Hot;
}

void TVectorScene::NotifyChanged() const {
  if (FChangedHandler) {
    FChangedHandler();
  }
}

void TVectorScene::ForgetUnreachableButtons() {
  const auto reachable = [](const TButtonElement* AButton) {
    if (AButton == nullptr || !AButton->IsShowing()) {
      return false;
    }
    for (const TSceneElement* element = AButton; element != nullptr; element = element->Parent()) {
      if (!element->Enabled()) {
        return false;
      }
    }
    return true;
  };
  SetPointerState(reachable(FHot) ? FHot : nullptr, reachable(FPressed) ? FPressed : nullptr);
}

void TVectorScene::SetPointerState(TButtonElement* AHot, TButtonElement* APressed) {
  if (FHot == AHot && FPressed == APressed) {
    return;
  }
  FHot = AHot;
  FPressed = APressed;
  NotifyChanged();
}

}  // namespace mon
