// The differential check: values, ending, line and shown text must all agree.
#include "differential_read.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

#include "memory_bytes.hpp"
#include "plain_reader.hpp"
#include "value_reader.hpp"

namespace {

// Gives the bytes in pieces of 1 to 61 bytes, as a pipe whose writer is slower than its reader
// does, so that a block holds only part of what it could.
ByteSource trickled_bytes(std::string_view bytes) {
  return [bytes, turn = std::size_t{0}](char* into, std::size_t capacity) mutable {
    const std::size_t size = std::min({capacity, bytes.size(), 1 + turn++ * 7 % 61});
    std::memcpy(into, bytes.data(), size);
    bytes.remove_prefix(size);
    return static_cast<std::ptrdiff_t>(size);
  };
}

std::string what_differs(const ValueList& values, const ReadResult& result,
                         const PlainRead& expected) {
  if (!std::equal(values.begin(), values.end(), expected.values.begin(), expected.values.end())) {
    return "values";
  }
  const ReadEnd expected_end = expected.malformed ? ReadEnd::malformed_value : ReadEnd::end_of_file;
  if (result.end != expected_end) return "ending";
  if (result.line != expected.line) return "line";
  if (result.text() != expected.text || result.text_cut != expected.text_cut) return "text";
  return "";
}

}  // namespace

std::string disagreement_with_plain_reader(std::string_view bytes) {
  std::istringstream stream{std::string(bytes)};
  const PlainRead expected = plain_read(stream);
  std::vector<ScanPath> paths{ScanPath::general, ScanPath::scalar};
  if (simd_supported()) paths.push_back(ScanPath::simd);
  constexpr std::size_t kBlockSizes[] = {1, 2, 3, 5, 7, 16, 63, 64, 65, 100, 4096, 4097, 65536};
  for (const ScanPath path : paths) {
    for (const bool trickled : {false, true}) {
      for (const std::size_t block_size : kBlockSizes) {
        // Pieces of up to 61 bytes leave a large block mostly empty; a small one they fill.
        if (trickled && block_size < 4096) continue;
        ValueList values;
        const ReadResult result = read_value_file(
            trickled ? trickled_bytes(bytes) : memory_bytes(bytes), values, {block_size, path});
        const std::string differs = what_differs(values, result, expected);
        if (!differs.empty()) {
          return differs + " differ on scan path " + std::to_string(static_cast<int>(path)) +
                 ", block size " + std::to_string(block_size) + (trickled ? ", trickled" : "");
        }
      }
    }
  }
  return "";
}
