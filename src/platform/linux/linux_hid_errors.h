// The Windows system error code the core decides on for an errno of a hidraw call.
#pragma once

#include <cstdint>

namespace mon::lnx {

// ENODEV, ENXIO, EIO, EPIPE, ESHUTDOWN: the device is gone (kErrorDeviceNotConnected); EBADF:
// kErrorInvalidHandle; 0: kErrorSuccess; anything else: kErrorGenFailure.
std::uint32_t HidErrorFromErrno(int AErrno);

}  // namespace mon::lnx
