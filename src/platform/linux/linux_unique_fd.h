// A file descriptor owned by one object: closed when the owner goes, moved but never copied.
#pragma once

#include <unistd.h>

#include <utility>

namespace mon::lnx {

class TUniqueFd {
 public:
  TUniqueFd() = default;
  explicit TUniqueFd(int AFd) : FFd(AFd) {}
  ~TUniqueFd() { Reset(); }
  TUniqueFd(TUniqueFd&& AOther) noexcept : FFd(std::exchange(AOther.FFd, -1)) {}
  TUniqueFd& operator=(TUniqueFd&& AOther) noexcept {
    if (this != &AOther) {
      Reset(std::exchange(AOther.FFd, -1));
    }
    return *this;
  }
  TUniqueFd(const TUniqueFd&) = delete;
  TUniqueFd& operator=(const TUniqueFd&) = delete;

  int Get() const { return FFd; }
  explicit operator bool() const { return FFd >= 0; }
  void Reset(int AFd = -1) {
    if (FFd >= 0) {
      ::close(FFd);
    }
    FFd = AFd;
  }

 private:
  int FFd = -1;
};

}  // namespace mon::lnx
