// ValueList: the values of one value file, held whole in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// Leaves new elements uninitialised, so that growing a list in order to decode values straight
// into it does not first write zeros over memory that the reader is about to fill.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}

  template <typename U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
  template <typename U, typename... Args>
  void construct(U* place, Args&&... args) {
    ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
  }
};

// Signed 32-bit values in file order (the output) or ascending order (the reference).
using ValueList = std::vector<std::int32_t, UninitialisedAllocator<std::int32_t>>;
