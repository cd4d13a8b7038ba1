// A painter that records what a scene draws, for tests of the drawing logic.
#pragma once

#include <string>
#include <vector>

#include "ui/scene.h"

namespace mon::testing {

struct TPaintCall {
  enum class TKind { Fill, Image, Text } Kind;
  TRect Bounds;
  const TRgbaImage* Image = nullptr;  // Image
  std::uint8_t Opacity = 0;           // Image
  std::u16string Text;                // Text
  TTextStyle Style;                   // Text
  TTextAlign Align = TTextAlign::Left;
  TColor Color;  // Fill
};

class TRecordingPainter final : public TScenePainter {
 public:
  void FillRect(const TRect& ABounds, TColor AColor) override {
    Calls.push_back(TPaintCall{TPaintCall::TKind::Fill, ABounds, nullptr, 0, {}, {}, {}, AColor});
  }
  void DrawImage(const TImageRef& AImage, const TRect& ADest, std::uint8_t AOpacity) override {
    Calls.push_back(
        TPaintCall{TPaintCall::TKind::Image, ADest, AImage.get(), AOpacity, {}, {}, {}, {}});
  }
  void DrawTextLine(const std::u16string& AText, const TTextStyle& AStyle, const TRect& ABounds,
                    TTextAlign AAlign) override {
    Calls.push_back(
        TPaintCall{TPaintCall::TKind::Text, ABounds, nullptr, 0, AText, AStyle, AAlign, {}});
  }

  // The first text call with this text, or null.
  const TPaintCall* FindText(const std::u16string& AText) const {
    for (const TPaintCall& call : Calls) {
      if (call.Kind == TPaintCall::TKind::Text && call.Text == AText) {
        return &call;
      }
    }
    return nullptr;
  }
  // The first image call with this image, or null.
  const TPaintCall* FindImage(const TRgbaImage* AImage) const {
    for (const TPaintCall& call : Calls) {
      if (call.Kind == TPaintCall::TKind::Image && call.Image == AImage) {
        return &call;
      }
    }
    return nullptr;
  }

  std::vector<TPaintCall> Calls;
};

}  // namespace mon::testing
