// libudev's reference-counted objects held by RAII owners: each owner drops its one reference.
#pragma once

#include <libudev.h>

#include <memory>

namespace mon::lnx {

struct TUdevRelease {
  void operator()(udev* AObject) const { udev_unref(AObject); }
  void operator()(udev_device* AObject) const { udev_device_unref(AObject); }
  void operator()(udev_enumerate* AObject) const { udev_enumerate_unref(AObject); }
  void operator()(udev_monitor* AObject) const { udev_monitor_unref(AObject); }
};

using TUdev = std::unique_ptr<udev, TUdevRelease>;
using TUdevDevice = std::unique_ptr<udev_device, TUdevRelease>;
using TUdevEnumerate = std::unique_ptr<udev_enumerate, TUdevRelease>;
using TUdevMonitor = std::unique_ptr<udev_monitor, TUdevRelease>;

}  // namespace mon::lnx
