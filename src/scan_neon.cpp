// The NEON classifier, on 64-bit ARM, where every processor has NEON: 64 bytes classified at
// once; digits are converted as on the scalar path.
#include "whole_lines.hpp"

#if defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))

#include <arm_neon.h>

namespace scan {
namespace {

// Classifies 64 bytes at once with NEON; digits are converted as on the scalar path.
struct SimdLines {
  // Bit i is set when byte i of the 64 compared is all ones.
  static std::uint64_t bits_of(const uint8x16_t (&matches)[4]) {
    // Each byte weighted by its place in its eight, then summed in pairs three times over: the
    // sixteen bytes of each comparison become two, in order.
    const uint8x16_t weights = {1, 2, 4, 8, 16, 32, 64, 128, 1, 2, 4, 8, 16, 32, 64, 128};
    const uint8x16_t first =
        vpaddq_u8(vandq_u8(matches[0], weights), vandq_u8(matches[1], weights));
    const uint8x16_t second =
        vpaddq_u8(vandq_u8(matches[2], weights), vandq_u8(matches[3], weights));
    const uint8x16_t quads = vpaddq_u8(first, second);
    return vgetq_lane_u64(vreinterpretq_u64_u8(vpaddq_u8(quads, quads)), 0);
  }

  using Before = std::uint64_t;

  static std::uint64_t mark_bits(const char* text, Before& before) {
    uint8x16_t blank[4], spaces[4];
    for (int i = 0; i < 4; ++i) {
      const uint8x16_t bytes = vld1q_u8(reinterpret_cast<const std::uint8_t*>(text) + 16 * i);
      blank[i] = vcleq_u8(bytes, vdupq_n_u8(0x20));
      spaces[i] = vorrq_u8(vceqq_u8(bytes, vdupq_n_u8(' ')), vceqq_u8(bytes, vdupq_n_u8('\t')));
    }
    return marks_of(bits_of(blank), bits_of(spaces), before);
  }

  static std::size_t digit_run(const char* text) { return scalar_digit_run(text); }
  static std::uint64_t digits_value(const char* digits, std::size_t count) {
    return scalar_digits_value(digits, count);
  }
};
}  // namespace

std::size_t read_whole_lines_simd(const char*& next, const char* end, std::int32_t* out,
                                  std::size_t capacity, std::uint64_t& newlines) {
  return read_whole_lines<SimdLines>(next, end, out, capacity, newlines);
}

bool simd_lines_supported() {
  return true;
}

}  // namespace scan

#endif
