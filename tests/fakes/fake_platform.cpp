#include "fake_platform.h"

namespace mon::testing {

TFakePlatform::TFakePlatform() : FPlatform(PlatformOf(*this)) {}

}  // namespace mon::testing
