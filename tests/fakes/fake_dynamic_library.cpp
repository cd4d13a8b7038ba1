#include "fake_dynamic_library.h"

#include "framework/text.h"

namespace mon::testing {

std::u16string TFakeDynamicLibraries::Key(const std::u16string& APath) {
  std::u16string key = FoldCase(APath);
  for (auto& c : key) {
    if (c == u'/') {
      c = u'\\';
    }
  }
  return key;
}

void TFakeDynamicLibraries::AddLibrary(const std::u16string& APath, TExports AExports) {
  std::lock_guard lock(FLock);
  FLibraries[Key(APath)] = TLibrary{APath, std::move(AExports), 0};
}

std::vector<std::u16string> TFakeDynamicLibraries::OpenRequests() const {
  std::lock_guard lock(FLock);
  return FOpenRequests;
}

int TFakeDynamicLibraries::OpenCount(const std::u16string& APath) const {
  std::lock_guard lock(FLock);
  const auto found = FLibraries.find(Key(APath));
  return found == FLibraries.end() ? 0 : found->second.Opened;
}

TLibraryHandle TFakeDynamicLibraries::OpenLibrary(const std::u16string& APath) {
  std::lock_guard lock(FLock);
  FOpenRequests.push_back(APath);
  const bool full =
      (APath.size() >= 3 && APath[1] == u':' && (APath[2] == u'\\' || APath[2] == u'/')) ||
      (APath.size() >= 2 && APath[0] == u'\\' && APath[1] == u'\\');
  if (!full) {
    return nullptr;
  }
  const auto found = FLibraries.find(Key(APath));
  if (found == FLibraries.end()) {
    return nullptr;
  }
  ++found->second.Opened;
  return &found->second;
}

TExportAddress TFakeDynamicLibraries::FindExport(TLibraryHandle ALibrary, const char* AName) {
  if (ALibrary == nullptr || AName == nullptr) {
    return nullptr;
  }
  std::lock_guard lock(FLock);
  const auto& exports = static_cast<TLibrary*>(ALibrary)->Exports;
  const auto found = exports.find(AName);
  return found == exports.end() ? nullptr : found->second;
}

void TFakeDynamicLibraries::CloseLibrary(TLibraryHandle ALibrary) {
  if (ALibrary == nullptr) {
    return;
  }
  auto* library = static_cast<TLibrary*>(ALibrary);
  if (OnClose) {
    OnClose(library->Path);
  }
  std::lock_guard lock(FLock);
  --library->Opened;
}

}  // namespace mon::testing
