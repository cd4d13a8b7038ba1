// A growable block of bytes with a position: the in-memory image of one stored record.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace mon {

class TMemoryStream {
 public:
  std::int64_t Size() const { return static_cast<std::int64_t>(FBytes.size()); }
  // Resizes the block; bytes added at the end are zero. A position beyond the new end moves to
  // the end. A negative size counts as 0.
  void SetSize(std::int64_t ASize);

  std::int64_t Position() const { return static_cast<std::int64_t>(FPosition); }
  // Any position from 0 up; a write beyond the end fills the gap with zeros.
  void SetPosition(std::int64_t APosition);

  // Writes ACount bytes at the position, growing the block as needed (it never shrinks), and
  // moves the position past them. Returns the number written (0 for a count below 1).
  std::int64_t Write(const void* ABuffer, std::int64_t ACount);
  // Copies up to ACount bytes from the position on and moves the position past them. Returns
  // the number copied; fewer than ACount when the block ends first.
  std::int64_t Read(void* ABuffer, std::int64_t ACount);

  // The block itself, for handlers that edit the bytes in place.
  std::uint8_t* Memory() { return FBytes.data(); }
  const std::uint8_t* Memory() const { return FBytes.data(); }
  std::span<std::uint8_t> Bytes() { return FBytes; }
  std::span<const std::uint8_t> Bytes() const { return FBytes; }

  // Takes ABytes as the whole content (the block takes their size, nothing is copied) and moves
  // the position to 0.
  void Assign(std::vector<std::uint8_t>&& ABytes);

 private:
  std::vector<std::uint8_t> FBytes;
  std::size_t FPosition = 0;
};

}  // namespace mon
