#include "platform/win32/win32_named_mutex.h"

#include <windows.h>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace mon::win32 {

namespace {

class TWin32OwnedMutex final : public TOwnedMutex {
 public:
  explicit TWin32OwnedMutex(TUniqueHandle AHandle) : FHandle(std::move(AHandle)) {}
  ~TWin32OwnedMutex() override { Release(); }
  void Release() override {
    if (FOwned) {
      ::ReleaseMutex(FHandle.Get());
      FOwned = false;
    }
  }

 private:
  TUniqueHandle FHandle;
  bool FOwned = true;
};

}  // namespace

bool TWin32NamedMutexes::MutexExists(const std::u16string& AName) {
  // MUTEX_ALL_ACCESS, not inheritable.
  TUniqueHandle mutex(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, ToWide(AName).c_str()));
  return mutex.IsValid();
}

std::unique_ptr<TOwnedMutex> TWin32NamedMutexes::CreateOwnedMutex(const std::u16string& AName,
                                                                  bool& AAlreadyExisted) {
  TUniqueHandle mutex(::CreateMutexW(nullptr, TRUE, ToWide(AName).c_str()));
  AAlreadyExisted = ::GetLastError() == ERROR_ALREADY_EXISTS;
  if (!mutex || AAlreadyExisted) {
    return nullptr;  // an existing mutex is not owned by us: closing our handle is all we do
  }
  return std::make_unique<TWin32OwnedMutex>(std::move(mutex));
}

}  // namespace mon::win32
