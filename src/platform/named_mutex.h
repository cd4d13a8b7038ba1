// Named kernel mutexes in the logon's local namespace: the guard that keeps one monitor per
// logon.
#pragma once

#include <memory>
#include <string>

namespace mon {

// A mutex this process created and owns. Destroying it releases ownership (when still owned)
// and closes it, so the name disappears once no process holds it.
class TOwnedMutex {
 public:
  virtual ~TOwnedMutex() = default;
  // Gives up ownership; the mutex stays open until destruction. Owning thread only.
  virtual void Release() = 0;
};

class TNamedMutexes {
 public:
  virtual ~TNamedMutexes() = default;
  // True when a mutex named AName exists and can be opened with full access.
  virtual bool MutexExists(const std::u16string& AName) = 0;
  // Creates the mutex, owned by the calling thread from creation. Returns nullptr when it
  // cannot be created; AAlreadyExisted tells whether another process had it already (then the
  // caller does not own it and nothing is returned).
  virtual std::unique_ptr<TOwnedMutex> CreateOwnedMutex(const std::u16string& AName,
                                                        bool& AAlreadyExisted) = 0;
};

}  // namespace mon
