// The registry of the current user (and of the machine), as the core needs it: keys opened with
// or without creation, values queried for type and size, raw values read and written, and the
// two typed helpers for binary and DWORD values.
//
// Key paths use '\' between levels and compare without regard to case, as in the Windows
// registry; so do value names. The empty value name is the key's default value.
//
// A backend that has no registry of its own (the Linux monitor) backs these calls with any
// key-value store that keeps the same key paths, value names, types and bytes.
//
// Every method may be called from any thread; none throws.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mon {

// A registry root as a plain number: the values of the Windows predefined keys, so that a root
// read from stored data or a component property means the same everywhere.
using TRegistryRoot = std::uint32_t;
inline constexpr TRegistryRoot kRegistryCurrentUser = 0x80000001;   // HKEY_CURRENT_USER
inline constexpr TRegistryRoot kRegistryLocalMachine = 0x80000002;  // HKEY_LOCAL_MACHINE

// Value types, numbered as in the Windows registry.
using TRegistryValueType = std::uint32_t;
inline constexpr TRegistryValueType kRegistryNone = 0;  // untyped bytes
inline constexpr TRegistryValueType kRegistryString = 1;
inline constexpr TRegistryValueType kRegistryBinary = 3;
inline constexpr TRegistryValueType kRegistryDWord = 4;

struct TRegistryValueInfo {
  TRegistryValueType Type = kRegistryNone;
  std::uint32_t Size = 0;  // bytes of data
};

enum class TRegistryAccess { Read, ReadWrite };

// An open key. Destroying it closes the key.
class TRegistryKey {
 public:
  virtual ~TRegistryKey() = default;

  // Type and data size of value AName; nullopt when the value does not exist or cannot be
  // queried.
  virtual std::optional<TRegistryValueInfo> QueryValue(const std::u16string& AName) = 0;

  // Copies the data of value AName into ABuffer and returns its type and the number of bytes
  // copied. nullopt when the value does not exist, when ABuffer is smaller than the data (the
  // value may have grown since QueryValue) or when reading fails; ABuffer's bytes are then
  // unspecified.
  virtual std::optional<TRegistryValueInfo> ReadValue(const std::u16string& AName,
                                                      std::span<std::uint8_t> ABuffer) = 0;

  // Creates or replaces value AName with the given type and bytes. False when the key was
  // opened for reading only or writing fails; the old value is then untouched.
  virtual bool WriteValue(const std::u16string& AName, TRegistryValueType AType,
                          std::span<const std::uint8_t> AData) = 0;

  // Typed helpers on top of the three calls above.
  bool WriteBinary(const std::u16string& AName, std::span<const std::uint8_t> AData);
  bool WriteDWord(const std::u16string& AName, std::uint32_t AValue);
  // The value when it exists, is a DWORD and holds four bytes; nullopt otherwise.
  std::optional<std::uint32_t> ReadDWord(const std::u16string& AName);
};

class TRegistry {
 public:
  virtual ~TRegistry() = default;

  // Opens key APath below ARoot (kRegistryCurrentUser or kRegistryLocalMachine). With ACreate,
  // missing levels are created first. nullptr when the root is not one of the two, the key does
  // not exist (without ACreate), or opening or creating fails (for instance for lack of rights).
  virtual std::unique_ptr<TRegistryKey> OpenKey(TRegistryRoot ARoot, const std::u16string& APath,
                                                bool ACreate, TRegistryAccess AAccess) = 0;
};

}  // namespace mon
