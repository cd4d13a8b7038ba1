// Dynamic libraries held in memory: a test registers a "file" with its exports under a full
// path; opening counts uses, closing gives them back.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"

namespace mon::testing {

class TFakeDynamicLibraries final : public TDynamicLibraries {
 public:
  using TExports = std::map<std::string, TExportAddress>;

  // A library file at APath (compared without regard to case) with the given exports.
  void AddLibrary(const std::u16string& APath, TExports AExports);

  // Every path OpenLibrary was asked for, in order.
  std::vector<std::u16string> OpenRequests() const;
  // Uses of the library at APath not yet given back.
  int OpenCount(const std::u16string& APath) const;
  // Runs inside CloseLibrary, before the use is given back (a test looks at the state there).
  std::function<void(const std::u16string& APath)> OnClose;

  // Like the real backends: relative paths fail without any search.
  TLibraryHandle OpenLibrary(const std::u16string& APath) override;
  TExportAddress FindExport(TLibraryHandle ALibrary, const char* AName) override;
  void CloseLibrary(TLibraryHandle ALibrary) override;
  bool SystemWideHooksSupported() override { return HooksSupported; }

  // False: a system without system-wide hooks (as the Linux backend).
  bool HooksSupported = true;

 private:
  struct TLibrary {
    std::u16string Path;
    TExports Exports;
    int Opened = 0;
  };
  static std::u16string Key(const std::u16string& APath);

  mutable std::mutex FLock;
  std::map<std::u16string, TLibrary> FLibraries;
  std::vector<std::u16string> FOpenRequests;
};

}  // namespace mon::testing
