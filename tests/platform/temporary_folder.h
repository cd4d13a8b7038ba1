// A fresh folder below /tmp for one test, removed with everything in it when the test ends.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace mon::testing {

class TTemporaryFolder {
 public:
  TTemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "montestXXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      FPath = pattern;
    }
  }
  ~TTemporaryFolder() {
    std::error_code ignored;
    if (!FPath.empty()) {
      std::filesystem::remove_all(FPath, ignored);
    }
  }
  TTemporaryFolder(const TTemporaryFolder&) = delete;
  TTemporaryFolder& operator=(const TTemporaryFolder&) = delete;

  // Empty when the folder could not be made.
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

}  // namespace mon::testing
