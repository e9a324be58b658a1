// The scalar classifier: eight bytes at a time in 64-bit words, on any processor; the
// one for x86-64 without AVX2, for compilers without the vector paths, and for big-endian
// machines.
#include <cstring>

#include "whole_lines.hpp"

namespace scan {
namespace {

// The eight bytes at `text` as a word whose lowest byte is the first, on a machine of either
// byte order: the classifier counts on bit 8 * i + 7 belonging to byte i.
std::uint64_t little_endian_word(const char* text) {
  std::uint64_t word;
  std::memcpy(&word, text, 8);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t swapped = 0;
    for (int i = 0; i < 8; ++i, word >>= 8)
      swapped = swapped << 8 | (word & 0xff);
    word = swapped;
  }
  return word;
}

// Classifies bytes eight at a time without vector instructions.
struct ScalarLines {
  static constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7f, kHigh = 0x8080808080808080;

  // Bit 7 of each byte is set when that byte of `word` is zero: adding 0x7f to its low seven
  // bits carries into bit 7 unless they are all clear, and never into the next byte.
  static std::uint64_t zero_bytes(std::uint64_t word) {
    return ~(((word & kLow7) + kLow7) | word) & kHigh;
  }

  // Bit i of the result is bit 7 of byte i of `flags`: the multiplier moves each to the top
  // byte, where no two of them meet.
  static std::uint64_t gathered(std::uint64_t flags) {
    return ((flags >> 7) * 0x0102040810204080) >> 56;
  }

  // Bit 63 is set when the byte before the 64 was a space or tab.
  using Before = std::uint64_t;

  static std::uint64_t mark_bits(const char* text, Before& before) {
    std::uint64_t blank = 0, spaces = 0;
    for (unsigned base = 0; base < 64; base += 8) {
      const std::uint64_t word = little_endian_word(text + base);
      // Bit 7 of a byte is set when the byte is at most 0x20: adding 0x5f to its low seven bits
      // carries into bit 7 exactly when they exceed 0x20, and a high byte has it set already.
      blank |= gathered(~(((word & kLow7) + 0x5f5f5f5f5f5f5f5f) | word) & kHigh) << base;
      spaces |=
          gathered(zero_bytes(word ^ 0x2020202020202020) | zero_bytes(word ^ 0x0909090909090909))
          << base;
    }
    return marks_of(blank, spaces, before);
  }

  static std::size_t digit_run(const char* text) { return scalar_digit_run(text); }
  static std::uint64_t digits_value(const char* digits, std::size_t count) {
    return scalar_digits_value(digits, count);
  }
};

}  // namespace

std::size_t read_whole_lines_scalar(const char*& next, const char* end, std::int32_t* out,
                                    std::size_t capacity, std::uint64_t& newlines) {
  return read_whole_lines<ScalarLines>(next, end, out, capacity, newlines);
}

}  // namespace scan
