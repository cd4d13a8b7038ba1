// The HID system on Windows: SetupAPI for the device walk and the HID class driver (hid.dll) for
// attributes, capabilities, feature reports and button parsing, both bound at run time from
// "SetupApi.dll" and "HID.dll" on first use. Input reports are read with ReadFileEx and a
// completion routine while the thread waits alertably on its stop event.
#pragma once

#include <memory>
#include <mutex>

#include "platform/hid_system.h"

namespace mon::win32 {

class TWin32HidSystem final : public THidSystem {
 public:
  TWin32HidSystem();
  ~TWin32HidSystem() override;

  std::optional<TGuid> HidInterfaceClass() override;
  std::vector<THidInterface> EnumerateInterfaces(const TGuid& AInterfaceClass) override;
  std::unique_ptr<THidDevice> OpenDevice(const std::u16string& APath, THidOpenMode AMode) override;

  // True when both libraries loaded and every function the walk needs was found.
  bool IsBound();

  struct TApi;

 private:
  const TApi& Api();

  std::once_flag FBindOnce;
  std::unique_ptr<TApi> FApi;
};

}  // namespace mon::win32
