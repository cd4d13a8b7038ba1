#include "platform/hid_system.h"

namespace mon {

std::vector<std::u16string> SplitMultiString(std::u16string_view AText) {
  std::vector<std::u16string> texts;
  std::size_t start = 0;
  while (start < AText.size()) {
    std::size_t end = AText.find(u'\0', start);
    if (end == std::u16string_view::npos) {
      end = AText.size();
    }
    if (end == start) {
      break;
    }
    texts.emplace_back(AText.substr(start, end - start));
    start = end + 1;
  }
  return texts;
}

}  // namespace mon
