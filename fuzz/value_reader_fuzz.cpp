// Differential fuzzing of the value reader: every scan path, with blocks down to one byte and
// bytes that arrive a few at a time, must read exactly what the plain reader reads from the same
// bytes. Any difference aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "differential_read.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string differs =
      disagreement_with_plain_reader(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!differs.empty()) {
    std::fprintf(stderr, "%s\n", differs.c_str());
    std::abort();
  }
  return 0;
}
