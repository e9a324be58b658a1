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

  // Bit i is set when byte i of the 64 bytes in `blocks` equals `byte`.
  static std::uint64_t equal_bits(const uint8x16_t (&blocks)[4], std::uint8_t byte) {
    const uint8x16_t wanted = vdupq_n_u8(byte);
    const uint8x16_t matches[4] = {vceqq_u8(blocks[0], wanted), vceqq_u8(blocks[1], wanted),
                                   vceqq_u8(blocks[2], wanted), vceqq_u8(blocks[3], wanted)};
    return bits_of(matches);
  }

  static ByteClasses classes(const char* text) {
    uint8x16_t blocks[4], blank[4];
    for (int i = 0; i < 4; ++i) {
      blocks[i] = vld1q_u8(reinterpret_cast<const std::uint8_t*>(text) + 16 * i);
      blank[i] = vcleq_u8(blocks[i], vdupq_n_u8(0x20));
    }
    return {bits_of(blank),
            equal_bits(blocks, ' ') | equal_bits(blocks, '\t') | equal_bits(blocks, '\v') |
                equal_bits(blocks, '\f'),
            equal_bits(blocks, '\n'), equal_bits(blocks, '\r'), equal_bits(blocks, '#')};
  }

  using State = MarkState;
  static void start(State& state) { state = {}; }

  // The marks of marks_of: blanks and spaces for every 64 bytes, the rest of ByteClasses only
  // where a "\r" or a "#" (or "!" or "\"", which share a test with it) is, or a line starts with
  // blanks, as on the scalar path.
  static std::uint64_t mark_bits(const char* text, State& state) {
    uint8x16_t blank[4], spaces[4];
    uint8x16_t rare = vdupq_n_u8(0);
    for (int i = 0; i < 4; ++i) {
      const uint8x16_t bytes = vld1q_u8(reinterpret_cast<const std::uint8_t*>(text) + 16 * i);
      blank[i] = vcleq_u8(bytes, vdupq_n_u8(0x20));
      // Space, and tab, vertical tab or form feed: 0x09 to 0x0c but the newline.
      spaces[i] = vorrq_u8(vceqq_u8(bytes, vdupq_n_u8(' ')),
                           vbicq_u8(vcleq_u8(vsubq_u8(bytes, vdupq_n_u8(0x09)), vdupq_n_u8(3)),
                                    vceqq_u8(bytes, vdupq_n_u8('\n'))));
      rare = vorrq_u8(rare, vorrq_u8(vceqq_u8(bytes, vdupq_n_u8('\r')),
                                     vbicq_u8(vcleq_u8(bytes, vdupq_n_u8('#')), blank[i])));
    }
    const std::uint64_t blank_bits = bits_of(blank), space_bits = bits_of(spaces);
    const std::uint64_t ends = blank_bits & ~space_bits;
    const std::uint64_t line_starts = ends << 1 | state.line_ends >> 63;
    if (vmaxvq_u8(rare) != 0 || (state.returns | state.carry | (space_bits & line_starts)) != 0)
        [[unlikely]]
      return marks_by_classes<SimdLines>(text, state);
    const std::uint64_t tokens = ~blank_bits & (space_bits << 1 | state.spaces >> 63);
    state.spaces = space_bits;
    state.line_ends = ends;
    return tokens | ends;
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
