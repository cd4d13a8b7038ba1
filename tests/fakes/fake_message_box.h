// Message boxes recorded instead of shown.
#pragma once

#include <string>
#include <vector>

#include "platform/message_box.h"

namespace mon::testing {

class TRecordingMessageBox final : public TMessageBox {
 public:
  struct TShown {
    std::u16string Text;
    std::u16string Caption;
    TMessageBoxIcon Icon;
  };
  std::vector<TShown> Shown;
  void ShowMessageBox(const std::u16string& AText, const std::u16string& ACaption,
                      TMessageBoxIcon AIcon) override {
    Shown.push_back({AText, ACaption, AIcon});
  }
};

}  // namespace mon::testing
