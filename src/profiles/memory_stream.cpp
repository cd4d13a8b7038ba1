#include "profiles/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace mon {

void TMemoryStream::SetSize(std::int64_t ASize) {
  FBytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(ASize, 0)));
  FPosition = std::min(FPosition, FBytes.size());
}

void TMemoryStream::SetPosition(std::int64_t APosition) {
  FPosition = static_cast<std::size_t>(std::max<std::int64_t>(APosition, 0));
}

std::int64_t TMemoryStream::Write(const void* ABuffer, std::int64_t ACount) {
  if (ACount <= 0 || ABuffer == nullptr) {
    return 0;
  }
  const auto count = static_cast<std::size_t>(ACount);
  if (FPosition + count > FBytes.size()) {
    FBytes.resize(FPosition + count);
  }
  std::memcpy(FBytes.data() + FPosition, ABuffer, count);
  FPosition += count;
  return ACount;
}

std::int64_t TMemoryStream::Read(void* ABuffer, std::int64_t ACount) {
  if (ACount <= 0 || ABuffer == nullptr || FPosition >= FBytes.size()) {
    return 0;
  }
  const std::size_t count = std::min(static_cast<std::size_t>(ACount), FBytes.size() - FPosition);
  std::memcpy(ABuffer, FBytes.data() + FPosition, count);
  FPosition += count;
  return static_cast<std::int64_t>(count);
}

void TMemoryStream::Assign(std::vector<std::uint8_t>&& ABytes) {
  FBytes = std::move(ABytes);
  FPosition = 0;
}

}  // namespace mon
