// A byte source over memory, for feeding the reader without files.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "value_reader.hpp"

// Gives `bytes`, then fails with `fail_with` if it is not 0, else ends.
inline ByteSource memory_bytes(std::string_view bytes, int fail_with = 0) {
  return [bytes, fail_with](char* into, std::size_t capacity) mutable -> std::ptrdiff_t {
    if (bytes.empty() && fail_with != 0) {
      errno = fail_with;
      return -1;
    }
    const std::size_t size = std::min(capacity, bytes.size());
    std::memcpy(into, bytes.data(), size);
    bytes.remove_prefix(size);
    return static_cast<std::ptrdiff_t>(size);
  };
}
