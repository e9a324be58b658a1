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
// it is handed over, and doubles it up to this size.
constexpr std::size_t kWindow = 4096;

// Writes the offsets of the marks in `size` bytes at `text` to `marks`, and returns how many.
// `Lines::mark_bits` gives the marks of 64 bytes, bit i for byte i: the first byte of each token
// right after a space or tab (on a record's line, its value, and its label when blanks lead),
// and every blank byte up to 0x20 but space and tab (line ends among them). A record's line has
// exactly two, its value and its line end ('\r' and '\n' both, for "\r\n"), however many spaces
// and tabs lie between; a blank line has only its line end.
template <class Lines>
CHECKER_ALWAYS_INLINE std::size_t find_marks(const char* text, std::size_t size,
                                             std::uint32_t* marks) {
  std::size_t found = 0;
  typename Lines::Before before{};  // no space or tab before the text: a label starts it
  for (std::size_t base = 0; base < size; base += 64) {
    std::uint64_t bits = Lines::mark_bits(text + base, before);
    if (size - base < 64) [[unlikely]]
      bits &= (std::uint64_t{1} << (size - base)) - 1;
    // Eight offsets are written whether or not there are so many, without a branch: a line
    // of the usual kind has two marks, so 64 bytes rarely hold more than eight.
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

// The size of the line end at `at`: 1 for "\n", 2 for "\r\n" (both before `end`), else 0.
CHECKER_ALWAYS_INLINE std::size_t line_end_size(const char* at, const char* end) {
  if (*at == '\n') return 1;
  return *at == '\r' && at + 1 < end && at[1] == '\n' ? 2 : 0;
}

inline bool only_spaces(const char* begin, const char* end) {
  return std::all_of(begin, end, [](char c) { return c == ' ' || c == '\t'; });
}

// scan_whole_lines for one way of classifying bytes and converting digits, `Lines`.
//
// What the loop counts on, the marks of each kind of line it takes (see find_marks):
// - a record's line, `label value` with any spaces and tabs between them and after the value,
//   has two marks: its value's first byte and its "\n";
// - a "\r\n" line end adds one, the mark of its "\r", before that of the "\n";
// - spaces and tabs before the label add one, the label's first byte, before the value's;
// - a blank line has only its line end's: one, or two for "\r\n".
// So a record's first mark is its value's, unless blanks lead it, and its line end's mark
// follows; the loop steps two marks a record, and one more for each of those additions. Any
// other line (a comment, a third token, a value glued to text, a bare label) has other marks,
// is not taken, and goes to the general rules with all that follows.
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
    const std::size_t found = find_marks<Lines>(window, size, marks);
    // A value takes two marks at least: one bound keeps the marks read within those found and
    // the values within the capacity.
    const std::size_t room = static_cast<std::size_t>(out + capacity - value_out);
    const std::size_t mark_limit = std::min(found - (found != 0), 2 * room);
    std::size_t mark = 0;
    while (mark < mark_limit) {
      // A line's first mark is its value's first byte, unless the line has no value, starts
      // with blanks (then it is its label's) or with a comment (whose '#' fails as a digit).
      const char* value = window + marks[mark];
      const char* line_end = window + marks[mark + 1];
      bool negative = *value == '-';
      const char* digits = value + (negative || *value == '+');
      // The usual line: its value's digits reach a "\n". Then only the marks place the digits,
      // and the next line's marks never wait for this line's bytes.
      auto digit_count = static_cast<std::size_t>(line_end - digits);
      std::size_t end_size = 1;
      if (!((static_cast<unsigned char>(*record) > 0x20) & (*record != '#') & (*line_end == '\n') &
            (digit_count - 1 < 10) & (Lines::digit_run(digits) == digit_count))) [[unlikely]] {
        if (static_cast<unsigned char>(*value) <= 0x20) {
          // A blank line is taken. A line of one token, whose value may follow on the next
          // line, and any other blank byte, are left to the general rules.
          const std::size_t blank_end_size = line_end_size(value, end);
          if (blank_end_size == 0 || !only_spaces(record, value)) return stop();
          ++blank_lines;
          record = value + blank_end_size;
          mark += blank_end_size;  // past the mark of the '\n' of "\r\n" too
          continue;
        }
        // The label starts the line, unless blanks lead it: then the label has the first mark
        // (only a blank byte but space and tab could have one before it, and would be first).
        const char* label = record;
        if (*record == ' ' || *record == '\t') {
          if (mark + 2 >= found) break;  // the line goes on past the window
          label = value;
          ++mark;
          value = line_end;
          line_end = window + marks[mark + 1];
          negative = *value == '-';
          digits = value + (negative || *value == '+');
        }
        if (*label == '#') return stop();
        if (*line_end != '\n') {
          end_size = line_end_size(line_end, end);
          if (end_size == 0) return stop();
          ++mark;  // the mark of the '\n' of "\r\n"
        }
        // Spaces and tabs may follow the value, but nothing else.
        digit_count = Lines::digit_run(digits);
        if (digit_count - 1 >= 10 || static_cast<unsigned char>(digits[digit_count]) > 0x20) {
          return stop();
        }
      }
      if (!signed_value(negative, Lines::digits_value(digits, digit_count), *value_out)) {
        return stop();
      }
      ++value_out;
      record = line_end + end_size;
      mark += 2;
    }
    // No whole line in the window: try a larger one, unless the block or the window size is
    // used up (a line longer than a window is left to the general path).
    if (mark == 0 && (size < window_size || window_size == kWindow)) break;
    window_size = std::min(2 * window_size, kWindow);
  }
  return stop();
}

// The marks of 64 bytes from which are blank (up to 0x20) and which are spaces or tabs; bit 63 of
// `before` says whether the byte before them was a space or tab.
CHECKER_ALWAYS_INLINE std::uint64_t marks_of(std::uint64_t blank, std::uint64_t spaces,
                                             std::uint64_t& before) {
  const std::uint64_t spaces_before = spaces << 1 | before >> 63;
  before = spaces;
  return (~blank & spaces_before) | (blank & ~spaces);
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
