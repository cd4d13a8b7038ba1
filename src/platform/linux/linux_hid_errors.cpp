#include "platform/linux/linux_hid_errors.h"

#include <cerrno>

#include "platform/hid_system.h"

namespace mon::lnx {

std::uint32_t HidErrorFromErrno(int AErrno) {
  switch (AErrno) {
    case 0:
      return kErrorSuccess;
    case ENODEV:
    case ENXIO:
    case EIO:
    case EPIPE:
    case ESHUTDOWN:
      return kErrorDeviceNotConnected;
    case EBADF:
      return kErrorInvalidHandle;
    default:
      return kErrorGenFailure;
  }
}

}  // namespace mon::lnx
