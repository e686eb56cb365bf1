// Process-wide state that is built on first use and never destroyed. The session state
// holds references to the database client, which lives in another library; tearing it down
// while the process exits would call into a library that may already be finalised, so the
// state simply stays until the process is gone.
#pragma once

#include <new>
#include <utility>

namespace talmo {

template <class T>
class NoDestructor {
 public:
  template <class... Args>
  explicit NoDestructor(Args&&... args) {
    ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T& get() noexcept { return *std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace talmo
