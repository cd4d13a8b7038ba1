#include "fake_named_mutex.h"

namespace mon::testing {

namespace {

class TFakeOwnedMutex final : public TOwnedMutex {
 public:
  explicit TFakeOwnedMutex(int& AOpenCount) : FOpenCount(AOpenCount) { ++FOpenCount; }
  ~TFakeOwnedMutex() override { --FOpenCount; }
  void Release() override {}

 private:
  int& FOpenCount;
};

}  // namespace

std::unique_ptr<TOwnedMutex> TFakeNamedMutexes::CreateOwnedMutex(const std::u16string& AName,
                                                                 bool& AAlreadyExisted) {
  AAlreadyExisted = CreateRaceLost || FOpenCount[AName] > 0;
  if (AAlreadyExisted) {
    return nullptr;
  }
  return std::make_unique<TFakeOwnedMutex>(FOpenCount[AName]);
}

}  // namespace mon::testing
