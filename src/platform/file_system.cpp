#include "platform/file_system.h"

namespace mon {

bool IsPathSeparator(char16_t AChar) {
  return AChar == u'\\' || AChar == u'/';
}

std::u16string IncludeTrailingBackslash(const std::u16string& AFolder) {
  if (AFolder.empty() || IsPathSeparator(AFolder.back())) {
    return AFolder;
  }
  return AFolder + u'\\';
}

TPathParts SplitPath(const std::u16string& APath) {
  for (std::size_t i = APath.size(); i > 0; --i) {
    if (IsPathSeparator(APath[i - 1])) {
      return {APath.substr(0, i), APath.substr(i)};
    }
  }
  return {std::u16string(), APath};
}

}  // namespace mon
