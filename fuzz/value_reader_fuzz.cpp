// Differential fuzzing of the value reader: every scan path, with blocks down to one byte, must
// read exactly what the plain reader reads from the same bytes. Any difference aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "memory_bytes.hpp"
#include "plain_reader.hpp"
#include "value_reader.hpp"

namespace {

[[noreturn]] void report(const char* what, ScanPath path, std::size_t block_size) {
  std::fprintf(stderr, "difference in %s: scan path %d, block size %zu\n", what,
               static_cast<int>(path), block_size);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream stream(bytes);
  const PlainRead expected = plain_read(stream);
  const ReadEnd expected_end = expected.malformed ? ReadEnd::malformed_value : ReadEnd::end_of_file;

  for (const ScanPath path : {ScanPath::general, ScanPath::scalar, ScanPath::simd}) {
    if (path == ScanPath::simd && !simd_supported()) continue;
    for (const std::size_t block_size : {1u, 2u, 3u, 5u, 16u, 63u, 64u, 65u, 4096u}) {
      ValueList values;
      const ReadResult result =
          read_value_file(memory_bytes(bytes), values, SIZE_MAX, {block_size, path});
      if (std::vector<std::int32_t>(values.begin(), values.end()) != expected.values) {
        report("values", path, block_size);
      }
      if (result.end != expected_end) report("ending", path, block_size);
      if (result.line != expected.line) report("line", path, block_size);
      if (result.text != expected.text || result.text_cut != expected.text_cut) {
        report("text", path, block_size);
      }
    }
  }
  return 0;
}
