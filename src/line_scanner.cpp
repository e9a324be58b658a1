// Whole-line scanning: first the few bytes that place a record are marked in a window of lines,
// then each line is decoded on its own, so that no record waits for the one before it to be
// scanned. Anything unusual on a line hands that record back to the reader's general rules.
#include "line_scanner.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

// The vector path: AVX2 on x86-64, chosen at run time; NEON, which every 64-bit ARM processor
// has.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define CHECKER_HAS_SIMD 1
#define CHECKER_SIMD_TARGET __attribute__((target("avx2,bmi,bmi2,popcnt")))
#elif defined(__aarch64__) && (defined(__GNUC__) || defined(__clang__))
#include <arm_neon.h>
#define CHECKER_HAS_SIMD 1
#define CHECKER_HAS_NEON 1
#define CHECKER_SIMD_TARGET
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
      std::uint64_t word;
      std::memcpy(&word, text + base, 8);
      // Bit 7 of a byte is set when the byte is at most 0x20: adding 0x5f to its low seven bits
      // carries into bit 7 exactly when they exceed 0x20, and a high byte has it set already.
      blank |= gathered(~(((word & kLow7) + 0x5f5f5f5f5f5f5f5f) | word) & kHigh) << base;
      spaces |=
          gathered(zero_bytes(word ^ 0x2020202020202020) | zero_bytes(word ^ 0x0909090909090909))
          << base;
    }
    return marks_of(blank, spaces, before);
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
#if defined(CHECKER_HAS_NEON)
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

  static std::size_t digit_run(const char* text) { return ScalarLines::digit_run(text); }
  static std::uint64_t digits_value(const char* digits, std::size_t count) {
    return ScalarLines::digits_value(digits, count);
  }
};
#else
// Classifies 64 bytes at once and converts up to ten digits at once, with AVX2.
struct SimdLines {
  CHECKER_SIMD_TARGET static std::uint64_t bits_of(__m256i low_matches, __m256i high_matches) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low_matches)) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high_matches))} << 32;
  }

  // Byte 31 is all ones when the byte before the 64 was a space or tab.
  using Before = __m256i;

  // Each byte of `bytes` moved one place up, the last of `before` coming in first.
  CHECKER_SIMD_TARGET static __m256i one_byte_later(__m256i bytes, __m256i before) {
    return _mm256_alignr_epi8(bytes, _mm256_permute2x128_si256(before, bytes, 0x21), 15);
  }

  // The marks of 32 bytes, all ones in each marked byte; they are found 32 bytes wide, where the
  // vector units work beside the scalar ones that place them.
  CHECKER_SIMD_TARGET static __m256i marks_of(__m256i bytes, Before& before) {
    // Space or tab, where the shuffle finds the one of them with each low nibble (0x20, 0x09);
    // no byte equals what it gives for the other nibbles, and for bytes with the top bit set
    // (0).
    const __m256i spaces_by_nibble =
        _mm256_setr_epi8(0x20, -1, -1, -1, -1, -1, -1, -1, -1, 0x09, -1, -1, -1, -1, -1, -1,  //
                         0x20, -1, -1, -1, -1, -1, -1, -1, -1, 0x09, -1, -1, -1, -1, -1, -1);
    const __m256i blank = _mm256_cmpeq_epi8(_mm256_min_epu8(bytes, _mm256_set1_epi8(0x20)), bytes);
    const __m256i spaces = _mm256_cmpeq_epi8(_mm256_shuffle_epi8(spaces_by_nibble, bytes), bytes);
    const __m256i spaces_before = one_byte_later(spaces, before);
    before = spaces;
    return _mm256_or_si256(_mm256_andnot_si256(blank, spaces_before),
                           _mm256_andnot_si256(spaces, blank));
  }

  CHECKER_SIMD_TARGET static std::uint64_t mark_bits(const char* text, Before& before) {
    const __m256i low =
        marks_of(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text)), before);
    const __m256i high =
        marks_of(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + 32)), before);
    return bits_of(low, high);
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

#endif

CHECKER_SIMD_TARGET std::size_t read_whole_lines_simd(const char*& next, const char* end,
                                                      std::int32_t* out, std::size_t capacity,
                                                      std::uint64_t& newlines) {
  return read_whole_lines<SimdLines>(next, end, out, capacity, newlines);
}
#endif

}  // namespace

bool simd_supported() {
#if defined(CHECKER_HAS_NEON)
  return true;
#elif CHECKER_HAS_SIMD
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
