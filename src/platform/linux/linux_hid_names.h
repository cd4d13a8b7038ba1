// How the hidraw nodes are named to the core: the interface paths and the hardware IDs, both in
// the forms Windows gives, so the include list of config.ini and the matching rules work
// unchanged.
//
// Paths: a node with one top-level collection is its device node ("/dev/hidraw0"); each
// collection of a node with several is the node with "&colNN" appended, NN its 1-based number in
// descriptor order with at least two decimal digits ("/dev/hidraw0&col01", "/dev/hidraw0&col02"),
// as Windows names each collection its own interface.
//
// Hardware IDs, most specific first: "HID\VID_vvvv&PID_pppp&MI_mm&ColNN", "HID\VID_vvvv&PID_pppp&
// MI_mm", "HID\VID_vvvv&PID_pppp" (vendor and product as four upper-case hex digits, the USB
// interface number as two); "&MI_mm" only where the device has a USB interface number, "&ColNN"
// only on nodes with several collections.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mon::lnx {

// The bus, vendor and product of a HID device's HID_ID property ("0003:0000047F:0000C056").
struct THidBusIds {
  std::uint16_t Bus = 0;
  std::uint16_t Vendor = 0;
  std::uint16_t Product = 0;
};

// nullopt unless AText is three colon-separated hex numbers, each fitting its field (vendor and
// product are written with eight digits but are 16-bit numbers).
std::optional<THidBusIds> ParseHidId(std::string_view AText);

// The USB interface number as sysfs writes it (two hex digits, "03"); nullopt for anything else.
std::optional<std::uint8_t> ParseInterfaceNumber(std::string_view AText);

// The USB device's release number as sysfs writes it (bcdDevice, four hex digits, "0100");
// nullopt for anything else.
std::optional<std::uint16_t> ParseReleaseNumber(std::string_view AText);

// The hardware IDs of collection ACollectionIndex (0-based) of a node with ACollectionCount
// collections.
std::vector<std::u16string> HidHardwareIds(const THidBusIds& AIds,
                                           std::optional<std::uint8_t> AInterfaceNumber,
                                           std::size_t ACollectionIndex,
                                           std::size_t ACollectionCount);

// The interface path of collection ACollectionIndex (0-based) of the node ADevNode.
std::u16string HidInterfacePath(std::string_view ADevNode, std::size_t ACollectionIndex,
                                std::size_t ACollectionCount);

// A path taken apart again: the device node and the 0-based collection index (0 for a path
// without "&colNN").
struct THidInterfacePath {
  std::string DevNode;
  std::size_t CollectionIndex = 0;
};

// nullopt unless APath is "/dev/NAME" (NAME plain ASCII without a slash) with at most one
// "&colNN" (any letter case, NN from 1 to 255) at its end.
std::optional<THidInterfacePath> ParseHidInterfacePath(std::u16string_view APath);

}  // namespace mon::lnx
