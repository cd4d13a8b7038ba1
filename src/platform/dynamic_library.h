// Libraries of machine code loaded at run time, and the addresses of their exports.
//
// A library is named by its full path only: no folder is searched (not the current folder, not
// the system's search path), so a file planted elsewhere is never picked up in place of ours.
#pragma once

#include <string>

namespace mon {

// An opaque handle of a loaded library; nullptr means none.
using TLibraryHandle = void*;

// The address of an export in its generic form. Cast it to the export's real function type
// (reinterpret_cast) before calling it.
using TExportAddress = void (*)();

class TDynamicLibraries {
 public:
  virtual ~TDynamicLibraries() = default;

  // Loads the library file APath, which must be a full path (a drive or network path on
  // Windows, an absolute path on POSIX). Returns its handle, or nullptr when the file is missing,
  // is no loadable library or APath is relative; nothing is shown to the user. Every successful
  // call must be paired with one CloseLibrary. Any thread.
  virtual TLibraryHandle OpenLibrary(const std::u16string& APath) = 0;

  // The address of the export named AName (the undecorated name as the library exports it), or
  // nullptr when ALibrary has no such export or ALibrary is nullptr. Any thread.
  virtual TExportAddress FindExport(TLibraryHandle ALibrary, const char* AName) = 0;

  // Releases one OpenLibrary of ALibrary; nullptr is ignored. Export addresses of the library
  // must not be called afterwards. Any thread.
  virtual void CloseLibrary(TLibraryHandle ALibrary) = 0;

  // False where the system gives a user program no system-wide keyboard and mouse hooks (Linux):
  // the hook library is then not looked for at all. Any thread.
  virtual bool SystemWideHooksSupported() { return true; }
};

}  // namespace mon
