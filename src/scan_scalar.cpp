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
  static constexpr std::uint64_t kOnes = 0x0101010101010101;

  // Bit 7 of each byte is set when that byte of `word` is zero: adding 0x7f to its low seven
  // bits carries into bit 7 unless they are all clear, and never into the next byte.
  static std::uint64_t zero_bytes(std::uint64_t word) {
    return ~(((word & kLow7) + kLow7) | word) & kHigh;
  }

  // Bit 7 of each byte is set when that byte of `word` is `byte`.
  static std::uint64_t equal_bytes(std::uint64_t word, unsigned char byte) {
    return zero_bytes(word ^ (kOnes * byte));
  }

  // Bit i of the result is bit 7 of byte i of `flags`: the multiplier moves each to the top
  // byte, where no two of them meet.
  static std::uint64_t gathered(std::uint64_t flags) {
    return ((flags >> 7) * 0x0102040810204080) >> 56;
  }

  // Bit 7 of each byte is set when that byte of `word` is at most `most` (below 0x80): adding
  // 0x7f - most to its low seven bits carries into bit 7 exactly when they exceed it, and a high
  // byte has it set already.
  static std::uint64_t bytes_up_to(std::uint64_t word, unsigned char most) {
    return ~(((word & kLow7) + kOnes * (0x7f - most)) | word) & kHigh;
  }

  // Bit 7 of each byte is set when that byte of `word` is a space, tab, vertical tab or form
  // feed: 0x20, or from 0x09 to 0x0c but the newline.
  static std::uint64_t space_bytes(std::uint64_t word) {
    return equal_bytes(word, ' ') |
           (bytes_up_to(word, 0x0c) & ~bytes_up_to(word, 0x08) & ~equal_bytes(word, '\n'));
  }

  using State = MarkState;
  static void start(State& state) { state = {}; }

  // The marks of marks_of. Blanks and spaces are gathered for every 64 bytes, as for the usual
  // line they are all it takes; the "\r"s and "\n"s only where a "\r" is, and the "#"s only
  // where a "#" (or "!" or "\"", which share a test with it) is (measured: the usual file's
  // decoding a third slower when every 64 bytes took the whole of ByteClasses).
  static std::uint64_t mark_bits(const char* text, State& state) {
    std::uint64_t blank = 0, spaces = 0, returns = 0, hashes = 0;
    for (unsigned base = 0; base < 64; base += 8) {
      const std::uint64_t word = little_endian_word(text + base);
      const std::uint64_t blank_bytes = bytes_up_to(word, 0x20);
      blank |= gathered(blank_bytes) << base;
      spaces |= gathered(space_bytes(word)) << base;
      returns |= equal_bytes(word, '\r');
      hashes |= bytes_up_to(word, '#') & ~blank_bytes;
    }
    const std::uint64_t ends = blank & ~spaces;
    const std::uint64_t line_starts = ends << 1 | state.line_ends >> 63;
    if ((returns | hashes | state.returns | state.carry | (spaces & line_starts)) != 0)
        [[unlikely]] {
      ByteClasses bytes{blank, spaces, 0, 0, 0};
      for (unsigned base = 0; base < 64 && (returns | state.returns) != 0; base += 8) {
        const std::uint64_t word = little_endian_word(text + base);
        bytes.newlines |= gathered(equal_bytes(word, '\n')) << base;
        bytes.returns |= gathered(equal_bytes(word, '\r')) << base;
      }
      for (unsigned base = 0; base < 64 && hashes != 0; base += 8)
        bytes.hashes |= gathered(equal_bytes(little_endian_word(text + base), '#')) << base;
      return marks_of(bytes, text[64] == '\n', state);
    }
    const std::uint64_t tokens = ~blank & (spaces << 1 | state.spaces >> 63);
    state.spaces = spaces;
    state.line_ends = ends;
    return tokens | ends;
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
