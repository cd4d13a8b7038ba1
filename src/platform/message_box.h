// Modal message boxes with an OK button. They block the calling thread until dismissed.
#pragma once

#include <string>

namespace mon {

enum class TMessageBoxIcon { None, Error, Warning, Information };

class TMessageBox {
 public:
  virtual ~TMessageBox() = default;
  // Shows AText with the caption ACaption, without owner window. Main thread.
  virtual void ShowMessageBox(const std::u16string& AText, const std::u16string& ACaption,
                              TMessageBoxIcon AIcon) = 0;
};

}  // namespace mon
