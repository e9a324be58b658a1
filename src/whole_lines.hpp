// The loop over whole lines that every way of classifying bytes shares, and the rule it counts
// on. Each classifier (scan_scalar.cpp, scan_neon.cpp, scan_avx2.cpp) includes it and
// instantiates the loop for itself; line_scanner.cpp picks one.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "value_number.hpp"

#if defined(__GNUC__) || defined(__clang__)
#define CHECKER_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define CHECKER_ALWAYS_INLINE __forceinline
#endif

// Whether this build has a vector classifier: AVX2 on x86-64 (chosen at run time by the
// processor), NEON on 64-bit ARM with GCC or clang.
#if defined(__x86_64__) || defined(_M_X64)
#define CHECKER_SIMD_LINES 1
#elif defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
#define CHECKER_SIMD_LINES 1
#else
#define CHECKER_SIMD_LINES 0
#endif

namespace scan {

// The classifiers, each in a file of its own: see scan_whole_lines in line_scanner.hpp.
std::size_t read_whole_lines_scalar(const char*& next, const char* end, std::int32_t* out,
                                    std::size_t capacity, std::uint64_t& newlines);
#if CHECKER_SIMD_LINES
std::size_t read_whole_lines_simd(const char*& next, const char* end, std::int32_t* out,
                                  std::size_t capacity, std::uint64_t& newlines);
// Whether this processor runs read_whole_lines_simd.
bool simd_lines_supported();
#endif

// Lines are decoded a window at a time, so that the offsets of its marks stay in L1. A run of
// whole lines starts with a small window, so that a record of another kind costs little before
// it is handed over, and doubles it up to this size (measured: a file with a comment every eight
// lines decoded 13x slower when every run started with the whole window; the usual file alike).
constexpr std::size_t kWindow = 4096;

// What a classifier finds in 64 bytes, bit i of each for byte i.
struct ByteClasses {
  std::uint64_t blank;     // bytes up to 0x20
  std::uint64_t spaces;    // spaces, tabs, vertical tabs and form feeds
  std::uint64_t newlines;  // "\n"
  std::uint64_t returns;   // "\r"
  std::uint64_t hashes;    // "#"
};

// What the marks of 64 bytes depend on in the bytes before them, bit 63 of each for the byte
// just before.
struct MarkState {
  std::uint64_t spaces = 0;                          // a space or the like (see marks_from)
  std::uint64_t line_ends = std::uint64_t{1} << 63;  // a line ends there (the text starts a line)
  std::uint64_t returns = 0;                         // a "\r"
  std::uint64_t carry = 0;  // a run of blanks that starts a line goes on into the 64 bytes
};

// The marks of 64 bytes, bit i for byte i, from
// - `spaces`: the blanks of the format that end no line: spaces, tabs, vertical tabs, form feeds
//   and lone "\r"s (those not before a "\n");
// - `tokens`: bytes that are not blank and follow one of `spaces`;
// - `ends`: blank bytes but `spaces`, and but the "\n" of a "\r\n" (whose "\r" is the mark):
//   the line ends, and the control bytes that are not blanks of the format;
// - `line_ends`: `ends` and the "\n"s of "\r\n"s, after which lines start;
// - `hashes`: the bytes "#".
// Every end is marked, every token but a line's first when blanks lead it, and a line's first
// token when it starts with "#", with blanks before it or not. So a line of `label value`, with
// spaces and tabs before, between and after, and a "\n" or "\r\n" end, has two marks: its
// value's first byte and its line end's; a blank line has one; a comment line has its "#".
// The first tokens of lines that blanks lead: a run of blanks that starts a line, added to its
// own first bit, carries a bit past its end, onto the line's first token. The carry out goes on
// into the next 64 bytes, in `carry`.
CHECKER_ALWAYS_INLINE std::uint64_t first_tokens(std::uint64_t spaces, std::uint64_t line_starts,
                                                 std::uint64_t& carry) {
  const std::uint64_t run_starts = spaces & line_starts;
  const std::uint64_t partial = spaces + run_starts;
  const std::uint64_t sum = partial + carry;
  carry = (partial < spaces) | (sum < partial);
  return sum & ~spaces;
}

CHECKER_ALWAYS_INLINE std::uint64_t marks_from(std::uint64_t tokens, std::uint64_t ends,
                                               std::uint64_t spaces, std::uint64_t line_ends,
                                               std::uint64_t hashes, MarkState& state) {
  const std::uint64_t line_starts = line_ends << 1 | state.line_ends >> 63;
  const std::uint64_t first = first_tokens(spaces, line_starts, state.carry);
  return (tokens & ~(first & ~hashes)) | (hashes & line_starts) | ends;
}

// The marks of 64 bytes (see marks_from) from their classes; `newline_after` says whether the
// byte after them is a "\n".
CHECKER_ALWAYS_INLINE std::uint64_t marks_of(const ByteClasses& bytes, bool newline_after,
                                             MarkState& state) {
  const std::uint64_t return_before = bytes.returns << 1 | state.returns >> 63;
  const std::uint64_t newline_next = bytes.newlines >> 1 | std::uint64_t{newline_after} << 63;
  const std::uint64_t second_newlines = bytes.newlines & return_before;  // of "\r\n"s
  const std::uint64_t spaces = bytes.spaces | (bytes.returns & ~newline_next);
  const std::uint64_t ends = bytes.blank & ~spaces & ~second_newlines;
  const std::uint64_t tokens = ~bytes.blank & (spaces << 1 | state.spaces >> 63);
  const std::uint64_t line_ends = ends | second_newlines;
  const std::uint64_t marks = marks_from(tokens, ends, spaces, line_ends, bytes.hashes, state);
  state.spaces = spaces;
  state.line_ends = line_ends;
  state.returns = bytes.returns;
  return marks;
}

// The marks of the 64 bytes at `text` from a classifier's ByteClasses, for a classifier that has
// no quicker way to them.
template <class Lines>
CHECKER_ALWAYS_INLINE std::uint64_t marks_by_classes(const char* text, MarkState& state) {
  return marks_of(Lines::classes(text), text[64] == '\n', state);
}

// Writes the offsets of the marks (see marks_from) in `size` bytes at `text` to `marks`, and
// returns how many; `text + size` is the end of the bytes read when `at_end`. `Lines::mark_bits`
// gives the marks of 64 bytes, carrying its `Lines::State` (set by `Lines::start` for the text's
// start) from each 64 to the next.
template <class Lines>
CHECKER_ALWAYS_INLINE std::size_t find_marks(const char* text, std::size_t size, bool at_end,
                                             std::uint32_t* marks) {
  std::size_t found = 0;
  typename Lines::State state;
  Lines::start(state);
  for (std::size_t base = 0; base < size; base += 64) {
    std::uint64_t bits = Lines::mark_bits(text + base, state);
    if (size - base < 64) [[unlikely]] {
      bits &= (std::uint64_t{1} << (size - base)) - 1;
      // A "\r" last of all the bytes read may yet be a "\r\n": it ends no line here.
      if (at_end && text[size - 1] == '\r') bits &= ~(std::uint64_t{1} << (size - 1 - base));
    } else if (at_end && base + 64 == size && text[size - 1] == '\r') [[unlikely]] {
      bits &= ~(std::uint64_t{1} << 63);
    }
    // Eight offsets are written whether or not there are so many, without a branch: a line
    // of the usual kind has two marks, so 64 bytes rarely hold more than eight (measured: 1 to 3%
    // of decoding the usual file, about this machine's noise).
    const auto count = static_cast<std::size_t>(std::popcount(bits));
    const auto offset = static_cast<std::uint32_t>(base);
    for (std::size_t i = 0; i < 8; ++i) {
      marks[found + i] = offset + static_cast<std::uint32_t>(std::countr_zero(bits));
      bits &= bits - 1;
    }
    for (std::size_t i = 8; bits != 0; ++i) {
      marks[found + i] = offset + static_cast<std::uint32_t>(std::countr_zero(bits));
      bits &= bits - 1;
    }
    found += count;
  }
  return found;
}

// Whether the bytes from `begin` up to `end` are only blanks that end no line.
inline bool only_spaces(const char* begin, const char* end) {
  return std::all_of(begin, end, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

// scan_whole_lines for one way of classifying bytes and converting digits, `Lines`.
//
// The rule the loop counts on (see marks_from): a line of `label value` has two marks, its
// value's first byte and its line end's ("\n", or the "\r" of a "\r\n"), whatever spaces and
// tabs lie before, between and after; a blank line has one, its line end's. So each record steps
// two marks, and each blank line one. Any other line has other marks: a comment (its "#"), a
// third token or a value glued to text (the first mark is not the value, or the value's digits
// do not reach blanks), a lone token, another blank byte. It is not taken, and goes to the
// general rules with all that follows.
template <class Lines>
CHECKER_ALWAYS_INLINE std::size_t read_whole_lines(const char*& next, const char* end,
                                                   std::int32_t* out, std::size_t capacity,
                                                   std::uint64_t& newlines) {
  std::uint32_t marks[kWindow + 64];  // offsets from the window's start
  const char* record = next;          // the start of the first line not taken
  std::int32_t* value_out = out;
  std::uint64_t blank_lines = 0;
  std::size_t window_size = 64;
  const auto stop = [&] {
    const auto count = static_cast<std::size_t>(value_out - out);
    next = record;
    newlines += count + blank_lines;
    return count;
  };
  while (value_out != out + capacity) {
    const char* const window = record;
    const auto size = std::min<std::size_t>(window_size, static_cast<std::size_t>(end - window));
    const std::size_t found = find_marks<Lines>(window, size, window + size == end, marks);
    // A value takes two marks at least: one bound keeps the marks read within those found and
    // the values within the capacity.
    const std::size_t room = static_cast<std::size_t>(out + capacity - value_out);
    const std::size_t mark_limit = std::min(found - (found != 0), 2 * room);
    // The line end of the last line taken: the next line starts after it, which is worked out
    // only where it is needed.
    const char* last_end = nullptr;
    const auto line_start = [&] {
      return last_end == nullptr ? window : last_end + 1 + (*last_end == '\r');
    };
    std::size_t mark = 0;
    while (mark < mark_limit) {
      // A record's first mark is its value's first byte, and its second its line end. Only the
      // marks place them, so the next line's marks never wait for this line's bytes.
      const char* value = window + marks[mark];
      const char* line_end = window + marks[mark + 1];
      const bool negative = *value == '-';
      const char* digits = value + (negative || *value == '+');
      // The usual line: one to ten digits up to its line end. Then the marks count them, and the
      // value's conversion never waits for its digits to be counted.
      auto digit_count = static_cast<std::size_t>(line_end - digits);
      // Marked bytes from "\n" to "\r" are "\n"s and the "\r"s of "\r\n"s: the two between
      // are blanks like spaces.
      const bool line_ends = static_cast<unsigned char>(*line_end - '\n') <= 3;
      if (!(line_ends & (digit_count - 1 < 10) & (Lines::digit_run(digits) == digit_count)))
          [[unlikely]] {
        // A blank line is taken.
        if (*value == '\n' || *value == '\r') {
          if (!only_spaces(line_start(), value)) break;
          ++blank_lines;
          last_end = value;
          ++mark;
          continue;
        }
        // Blanks between the digits and the line end: spaces and the like, since any other
        // byte there would have been marked. Anything else is left to the general rules.
        digit_count = Lines::digit_run(digits);
        if (!(line_ends & (digit_count - 1 < 10) &
              (static_cast<unsigned char>(digits[digit_count]) <= 0x20)))
          break;
      }
      if (!signed_value(negative, Lines::digits_value(digits, digit_count), *value_out)) break;
      ++value_out;
      last_end = line_end;
      mark += 2;
    }
    record = line_start();
    if (mark < mark_limit) return stop();  // a line of another kind
    // No whole line in the window: try a larger one, unless the block or the window size is
    // used up (a line longer than a window is left to the general path).
    if (mark == 0 && (size < window_size || window_size == kWindow)) break;
    window_size = std::min(2 * window_size, kWindow);
  }
  return stop();
}

// How many digits start `text`, counted up to eleven: more than ten make no value here.
inline std::size_t scalar_digit_run(const char* text) {
  std::size_t count = 0;
  while (count < 11 && static_cast<unsigned char>(text[count] - '0') <= 9)
    ++count;
  return count;
}

// The value of the `count` digits at `digits`, one to ten of them.
inline std::uint64_t scalar_digits_value(const char* digits, std::size_t count) {
  std::uint64_t magnitude = 0;
  for (std::size_t i = 0; i < count; ++i)
    magnitude = magnitude * 10 + unsigned(digits[i] - '0');
  return magnitude;
}

}  // namespace scan
