// Arrays whose memory comes from malloc, which says there is none by returning null.
// libstdc++'s nothrow `new` says it by throwing std::bad_alloc and catching it inside, and
// under a limit that leaves no room even for the exception, that throw ends the process.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>

struct FreeMemory {
  void operator()(void* memory) const { std::free(memory); }
};

template <typename T>
using MallocArray = std::unique_ptr<T[], FreeMemory>;

// Room for `count` values of T (left as malloc leaves them), or null.
template <typename T>
MallocArray<T> malloc_array(std::size_t count) {
  // Types whose objects malloc's memory holds without a constructor run.
  static_assert(std::is_arithmetic_v<T> ||
                (std::is_aggregate_v<T> && std::is_trivially_destructible_v<T>));
  if (count > SIZE_MAX / sizeof(T)) return nullptr;
  return MallocArray<T>(static_cast<T*>(std::malloc(count * sizeof(T))));
}
