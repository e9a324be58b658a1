// Whole-line scanning: first the few bytes that place a record are marked in a window of lines,
// then each line is decoded on its own, so that no record waits for the one before it to be
// scanned. Anything unusual on a line hands that record back to the reader's general rules.
#include "line_scanner.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define CHECKER_HAS_SIMD 1
#define CHECKER_SIMD_TARGET __attribute__((target("avx2,bmi,bmi2,popcnt")))
#else
#define CHECKER_HAS_SIMD 0
#endif

#if defined(__GNUC__) || defined(__clang__)
#define CHECKER_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define CHECKER_ALWAYS_INLINE __forceinline
#endif

namespace {

// Lines are decoded a window at a time, so that the offsets of its marks stay in L1. A run of
// whole lines starts with a small window, so that a record of another kind costs little before
// it is handed over, and doubles it up to this size.
constexpr std::size_t kWindow = 4096;

// Which of 64 bytes are blank (at most 0x20: whitespace, and control bytes no record's line
// holds), and which are special: blank but neither space nor tab, or a '#'.
struct ByteClasses {
  std::uint64_t blank, special;
};

// What the marks of 64 bytes take from the bytes before them: whether the last was a token's,
// and whether a run of spaces after a token goes on past it.
struct MarkCarry {
  std::uint64_t token = 0;
  std::uint64_t run = 0;
};

// The marks of 64 bytes: the first byte of each token that follows another token across spaces
// and tabs alone (on a record's line, its value), every special blank byte (line ends among
// them), and each '#' that starts a token. A record's line has exactly two, its value and its
// line end ('\r' and '\n' both, for "\r\n"), however many spaces and tabs it holds; a blank
// line has only its line end.
CHECKER_ALWAYS_INLINE std::uint64_t mark_bits(ByteClasses classes, MarkCarry& carry) {
  const std::uint64_t tokens = ~classes.blank;
  const std::uint64_t spaces = classes.blank & ~classes.special;
  const std::uint64_t after_token = tokens << 1 | carry.token;
  carry.token = tokens >> 63;
  // Adding the first space of each run that follows a token to the runs carries through the
  // run into the byte after it; runs that follow anything else are left as they are.
  const std::uint64_t first_spaces = after_token & spaces;
  const std::uint64_t partial = first_spaces + spaces;
  const std::uint64_t sum = partial + carry.run;
  carry.run = (partial < spaces) | (sum < partial);
  const std::uint64_t token_starts = tokens & ~after_token;
  return (sum & ~spaces) | (classes.special & (classes.blank | token_starts));
}

// Writes the offsets of the marks in `size` bytes at `text` to `marks`, and returns how many.
template <class Lines>
CHECKER_ALWAYS_INLINE std::size_t find_marks(const char* text, std::size_t size,
                                             std::uint32_t* marks) {
  std::size_t found = 0;
  MarkCarry carry;  // the byte before the text ends a line or precedes a label
  for (std::size_t base = 0; base < size; base += 64) {
    std::uint64_t bits = mark_bits(Lines::classes(text + base), carry);
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

bool only_spaces(const char* begin, const char* end) {
  return std::all_of(begin, end, [](char c) { return c == ' ' || c == '\t'; });
}

// scan_whole_lines for one way of classifying bytes and converting digits.
template <class Lines>
CHECKER_ALWAYS_INLINE std::size_t read_whole_lines(const char*& next, const char* end,
                                                   std::int32_t* out, std::size_t capacity,
                                                   std::uint64_t& newlines) {
  std::uint32_t marks[kWindow + 64];  // offsets from the window's start
  const char* record = next;          // the start of the first line not taken
  std::size_t count = 0;
  std::uint64_t lines = 0;
  std::size_t window_size = 64;
  const auto stop = [&] {
    next = record;
    newlines += lines;
    return count;
  };
  while (count < capacity) {
    const char* const window = record;
    const auto size = std::min<std::size_t>(window_size, static_cast<std::size_t>(end - window));
    const std::size_t found = find_marks<Lines>(window, size, marks);
    std::size_t mark = 0;
    while (mark + 1 < found && count < capacity) {
      // A line's first mark is its value's first byte, unless the line has no value (or starts
      // with a comment, whose '#' then fails as a digit).
      const char* const value = window + marks[mark];
      const char* const line_end = window + marks[mark + 1];
      const bool negative = *value == '-';
      const char* const digits = value + (negative || *value == '+');
      // The usual line: its value's digits reach a "\n". Then only the marks place the digits,
      // and the next line's marks never wait for this line's bytes.
      auto digit_count = static_cast<std::size_t>(line_end - digits);
      std::size_t end_size = 1;
      if (!((*line_end == '\n') & (digit_count - 1 < 10) &
            (Lines::digit_run(digits) == digit_count))) [[unlikely]] {
        if (static_cast<unsigned char>(*value) <= 0x20) {
          // A blank line is taken. A line of one token, whose value may follow on the next
          // line, and any other blank byte, are left to the general rules.
          const std::size_t blank_end_size = line_end_size(value, end);
          if (blank_end_size == 0 || !only_spaces(record, value)) return stop();
          ++lines;
          record = value + blank_end_size;
          mark += blank_end_size;  // past the mark of the '\n' of "\r\n" too
          continue;
        }
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
      if (!signed_value(negative, Lines::digits_value(digits, digit_count), out[count])) {
        return stop();
      }
      ++count;
      ++lines;
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

  static ByteClasses classes(const char* text) {
    ByteClasses classes{0, 0};
    for (unsigned base = 0; base < 64; base += 8) {
      std::uint64_t word;
      std::memcpy(&word, text + base, 8);
      // Bit 7 of a byte is set when the byte is at most 0x20: adding 0x5f to its low seven bits
      // carries into bit 7 exactly when they exceed 0x20, and a high byte has it set already.
      const std::uint64_t blank = ~(((word & kLow7) + 0x5f5f5f5f5f5f5f5f) | word) & kHigh;
      const std::uint64_t spaces =
          zero_bytes(word ^ 0x2020202020202020) | zero_bytes(word ^ 0x0909090909090909);
      const std::uint64_t special = (blank & ~spaces) | zero_bytes(word ^ 0x2323232323232323);
      classes.blank |= gathered(blank) << base;
      classes.special |= gathered(special) << base;
    }
    return classes;
  }

  // How many digits start `text`, counted up to eleven: more than ten make no value here.
  static std::size_t digit_run(const char* text) {
    std::size_t count = 0;
    while (count < 11 && static_cast<unsigned char>(text[count] - '0') <= 9)
      ++count;
    return count;
  }

  // The value of the `count` digits at `digits`, one to ten of them.
  static std::uint64_t digits_value(const char* digits, std::size_t count) {
    std::uint64_t magnitude = 0;
    for (std::size_t i = 0; i < count; ++i)
      magnitude = magnitude * 10 + unsigned(digits[i] - '0');
    return magnitude;
  }
};

std::size_t read_whole_lines_scalar(const char*& next, const char* end, std::int32_t* out,
                                    std::size_t capacity, std::uint64_t& newlines) {
  return read_whole_lines<ScalarLines>(next, end, out, capacity, newlines);
}

#if CHECKER_HAS_SIMD
// Classifies 64 bytes at once and converts up to ten digits at once, with AVX2.
struct SimdLines {
  CHECKER_SIMD_TARGET static std::uint64_t bits_of(__m256i low_matches, __m256i high_matches) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low_matches)) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high_matches))} << 32;
  }

  struct Matches {
    __m256i blank, special;
  };

  CHECKER_SIMD_TARGET static Matches matches(__m256i bytes) {
    const __m256i blank = _mm256_cmpeq_epi8(_mm256_min_epu8(bytes, _mm256_set1_epi8(0x20)), bytes);
    const __m256i spaces = _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(' ')),
                                           _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\t')));
    return {blank, _mm256_or_si256(_mm256_andnot_si256(spaces, blank),
                                   _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('#')))};
  }

  CHECKER_SIMD_TARGET static ByteClasses classes(const char* text) {
    const Matches low = matches(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text)));
    const Matches high = matches(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + 32)));
    return {bits_of(low.blank, high.blank), bits_of(low.special, high.special)};
  }

  // How many of the 16 bytes at `text` are digits before any other byte.
  CHECKER_SIMD_TARGET static std::size_t digit_run(const char* text) {
    const __m128i values =
        _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)), _mm_set1_epi8('0'));
    const auto digit_bits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values)));
    return _tzcnt_u32(~digit_bits);
  }

  // The value of the `count` digits at `digits`, one to ten of them.
  CHECKER_SIMD_TARGET static std::uint64_t digits_value(const char* digits, std::size_t count) {
    // For each count, the shuffle that moves that many digits to the end of 16 bytes and
    // zeroes the bytes before them.
    alignas(16) static constexpr auto kAlign = [] {
      std::array<std::array<std::int8_t, 16>, 11> table{};
      for (std::size_t n = 0; n <= 10; ++n) {
        for (std::size_t i = 0; i < 16; ++i) {
          table[n][i] = i < 16 - n ? std::int8_t{-128} : static_cast<std::int8_t>(i - (16 - n));
        }
      }
      return table;
    }();
    const __m128i values =
        _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(digits)), _mm_set1_epi8('0'));
    const __m128i aligned = _mm_shuffle_epi8(
        values, _mm_load_si128(reinterpret_cast<const __m128i*>(kAlign[count].data())));
    // Pairs of digits, then groups of four, then of eight: 16 decimal digits in two halves.
    const __m128i pairs = _mm_maddubs_epi16(aligned, _mm_set1_epi16(0x010a));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));
    const __m128i eights =
        _mm_madd_epi16(_mm_packus_epi32(fours, fours), _mm_set1_epi32(0x00012710));
    return std::uint64_t(static_cast<std::uint32_t>(_mm_cvtsi128_si32(eights))) * 100000000 +
           static_cast<std::uint32_t>(_mm_extract_epi32(eights, 1));
  }
};

CHECKER_SIMD_TARGET std::size_t read_whole_lines_simd(const char*& next, const char* end,
                                                      std::int32_t* out, std::size_t capacity,
                                                      std::uint64_t& newlines) {
  return read_whole_lines<SimdLines>(next, end, out, capacity, newlines);
}
#endif

}  // namespace

bool simd_supported() {
#if CHECKER_HAS_SIMD
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
         __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
#else
  return false;
#endif
}

ScanPath usable_scan_path(ScanPath requested) {
  if (requested == ScanPath::fastest || requested == ScanPath::simd) {
    return simd_supported() ? ScanPath::simd : ScanPath::scalar;
  }
  return requested;
}

std::size_t scan_whole_lines(ScanPath path, const char*& next, const char* end, std::int32_t* out,
                             std::size_t capacity, std::uint64_t* newlines) {
  std::uint64_t passed = 0;
  std::uint64_t& lines = newlines != nullptr ? *newlines : passed;
  switch (path) {
#if CHECKER_HAS_SIMD
    case ScanPath::simd:
      return read_whole_lines_simd(next, end, out, capacity, lines);
#endif
    case ScanPath::scalar:
      return read_whole_lines_scalar(next, end, out, capacity, lines);
    default:
      return 0;
  }
}
