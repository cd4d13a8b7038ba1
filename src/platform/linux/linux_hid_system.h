// The HID service of the Linux backend: the hidraw nodes that udev knows, each top-level
// collection of a node presented as an interface of its own (paths and hardware IDs as
// linux_hid_names.h describes them), opened as TLinuxHidDevice.
//
// Only the Windows HID interface class enumerates anything. A node whose HID device has no
// readable HID_ID or whose report descriptor cannot be read or parsed is left out. Every call
// makes its own udev context, so all of them may be called from any thread.
#pragma once

#include "platform/hid_system.h"

namespace mon::lnx {

class TLinuxHidSystem final : public THidSystem {
 public:
  // kHidInterfaceClassGuid, which the core passes back to EnumerateInterfaces.
  std::optional<TGuid> HidInterfaceClass() override;
  std::vector<THidInterface> EnumerateInterfaces(const TGuid& AInterfaceClass) override;
  // Opens the node of APath read-write (non-blocking for Overlapped) for the collection that
  // APath names; nullptr when APath is not an interface of a present hidraw node or the node
  // cannot be opened.
  std::unique_ptr<THidDevice> OpenDevice(const std::u16string& APath, THidOpenMode AMode) override;
};

}  // namespace mon::lnx
