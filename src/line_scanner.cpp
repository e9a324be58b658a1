// Whole-line scanning: first every byte that may be whitespace is found in a window of lines,
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
#define CHECKER_SIMD_TARGET __attribute__((target("avx2,bmi,bmi2")))
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

// scan_whole_lines for one way of finding lines. `Lines` finds the marks, the bytes up to 0x20
// (all whitespace, and the control bytes that a line of this kind never holds) but the '\n' of
// each "\r\n", and converts digits.
template <class Lines>
CHECKER_ALWAYS_INLINE std::size_t read_whole_lines(const char*& next, const char* end,
                                                   std::int32_t* out, std::size_t capacity) {
  std::uint32_t marks[kWindow + 64];  // offsets from the window's start
  const char* record = next;
  std::size_t count = 0;
  std::size_t window_size = 64;
  while (count < capacity) {
    const char* const window = record;
    const auto size = std::min<std::size_t>(window_size, static_cast<std::size_t>(end - window));
    const std::size_t found = Lines::find_marks(window, size, marks);
    std::size_t mark = 0;
    for (; mark + 1 < found && count < capacity; mark += 2) {
      const char* const space = window + marks[mark];
      const char* const newline = window + marks[mark + 1];
      const char* digits = space + 1;
      const bool negative = *digits == '-';
      digits += negative || *digits == '+';
      const std::ptrdiff_t digit_count = newline - digits;
      std::uint64_t magnitude;
      // A line may end in "\r\n": `find_marks` drops the mark of its '\n'.
      std::size_t line_end_size = 1;
      if (*newline != '\n') [[unlikely]] {
        // The '\n' must be one of the text's bytes, not a stale one past its end.
        line_end_size = *newline == '\r' && newline + 1 < end && newline[1] == '\n' ? 2 : 0;
      }
      if (!((*space == ' ') & (line_end_size != 0) & (space != record) & (*record != '#') &
            (digit_count >= 1) & (digit_count <= 10)) ||
          !Lines::digits_value(digits, static_cast<std::size_t>(digit_count), magnitude) ||
          !signed_value(negative, magnitude, out[count])) {
        next = record;
        return count;
      }
      ++count;
      record = newline + line_end_size;
    }
    // No whole line in the window: try a larger one, unless the block or the window size is
    // used up (a line longer than a window is left to the general path).
    if (mark == 0 && (size < window_size || window_size == kWindow)) break;
    window_size = std::min(2 * window_size, kWindow);
  }
  next = record;
  return count;
}

// Finds marks eight bytes at a time without vector instructions.
struct ScalarLines {
  static std::size_t find_marks(const char* text, std::size_t size, std::uint32_t* marks) {
    constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7f, kHigh = 0x8080808080808080;
    std::size_t found = 0;
    for (std::size_t base = 0; base < size; base += 8) {
      std::uint64_t word;
      std::memcpy(&word, text + base, 8);
      // Bit 7 of a byte is set when the byte is at most 0x20: adding 0x5f to its low seven bits
      // carries into bit 7 exactly when they exceed 0x20, and never into the next byte.
      std::uint64_t bits = ~(((word & kLow7) + 0x5f5f5f5f5f5f5f5f) | word) & kHigh;
      if (size - base < 8) bits &= (std::uint64_t{1} << (8 * (size - base))) - 1;
      for (; bits != 0; bits &= bits - 1) {
        const std::size_t at = base + static_cast<unsigned>(std::countr_zero(bits)) / 8;
        if (!(text[at] == '\n' && at > 0 && text[at - 1] == '\r')) {
          marks[found++] = static_cast<std::uint32_t>(at);
        }
      }
    }
    return found;
  }

  static bool digits_value(const char* digits, std::size_t count, std::uint64_t& magnitude) {
    magnitude = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const auto digit = static_cast<unsigned char>(digits[i] - '0');
      if (digit > 9) return false;
      magnitude = magnitude * 10 + digit;
    }
    return true;
  }
};

std::size_t read_whole_lines_scalar(const char*& next, const char* end, std::int32_t* out,
                                    std::size_t capacity) {
  return read_whole_lines<ScalarLines>(next, end, out, capacity);
}

#if CHECKER_HAS_SIMD
// Finds marks 64 bytes at a time and converts up to ten digits at once, with AVX2.
struct SimdLines {
  // Bit i of `marks` is set when byte i of the 64 is at most 0x20, of `returns` when it is '\r'.
  struct Bits {
    std::uint64_t marks, returns;
  };

  CHECKER_SIMD_TARGET static std::uint64_t bits_of(__m256i low_matches, __m256i high_matches) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low_matches)) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high_matches))} << 32;
  }

  CHECKER_SIMD_TARGET static Bits mark_bits(const char* text) {
    const __m256i limit = _mm256_set1_epi8(0x20), carriage_return = _mm256_set1_epi8('\r');
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + 32));
    return {
        bits_of(_mm256_cmpeq_epi8(_mm256_min_epu8(low, limit), low),
                _mm256_cmpeq_epi8(_mm256_min_epu8(high, limit), high)),
        bits_of(_mm256_cmpeq_epi8(low, carriage_return), _mm256_cmpeq_epi8(high, carriage_return))};
  }

  CHECKER_SIMD_TARGET static std::uint64_t newline_bits(const char* text) {
    const __m256i newline = _mm256_set1_epi8('\n');
    return bits_of(
        _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text)), newline),
        _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + 32)),
                          newline));
  }

  CHECKER_SIMD_TARGET static std::size_t find_marks(const char* text, std::size_t size,
                                                    std::uint32_t* marks) {
    std::size_t found = 0;
    std::uint64_t carried_return = 0;  // a '\r' in the last byte of the previous 64
    for (std::size_t base = 0; base < size; base += 64) {
      const Bits found_bits = mark_bits(text + base);
      std::uint64_t bits = found_bits.marks;
      // The '\n' of each "\r\n" is dropped; files without '\r' never take this branch.
      if ((found_bits.returns | carried_return) != 0) [[unlikely]] {
        bits &= ~(newline_bits(text + base) & (found_bits.returns << 1 | carried_return));
      }
      carried_return = found_bits.returns >> 63;
      if (size - base < 64) bits = _bzhi_u64(bits, static_cast<unsigned>(size - base));
      // Eight offsets are written whether or not there are so many, without a branch: a line
      // of the usual kind has two marks, so 64 bytes rarely hold more than eight.
      const auto count = static_cast<std::size_t>(_mm_popcnt_u64(bits));
      const auto offset = static_cast<std::uint32_t>(base);
      for (std::size_t i = 0; i < 8; ++i) {
        marks[found + i] = offset + static_cast<std::uint32_t>(_tzcnt_u64(bits));
        bits = _blsr_u64(bits);
      }
      for (std::size_t i = 8; bits != 0; ++i) {
        marks[found + i] = offset + static_cast<std::uint32_t>(_tzcnt_u64(bits));
        bits = _blsr_u64(bits);
      }
      found += count;
    }
    return found;
  }

  CHECKER_SIMD_TARGET static bool digits_value(const char* digits, std::size_t count,
                                               std::uint64_t& magnitude) {
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
    const auto digit_bits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(values, _mm_set1_epi8(9)), values)));
    const unsigned wanted = (1u << count) - 1;
    if ((digit_bits & wanted) != wanted) return false;
    const __m128i aligned = _mm_shuffle_epi8(
        values, _mm_load_si128(reinterpret_cast<const __m128i*>(kAlign[count].data())));
    // Pairs of digits, then groups of four, then of eight: 16 decimal digits in two halves.
    const __m128i pairs = _mm_maddubs_epi16(aligned, _mm_set1_epi16(0x010a));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));
    const __m128i eights =
        _mm_madd_epi16(_mm_packus_epi32(fours, fours), _mm_set1_epi32(0x00012710));
    magnitude = std::uint64_t(static_cast<std::uint32_t>(_mm_cvtsi128_si32(eights))) * 100000000 +
                static_cast<std::uint32_t>(_mm_extract_epi32(eights, 1));
    return true;
  }
};

CHECKER_SIMD_TARGET std::size_t read_whole_lines_simd(const char*& next, const char* end,
                                                      std::int32_t* out, std::size_t capacity) {
  return read_whole_lines<SimdLines>(next, end, out, capacity);
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
                             std::size_t capacity) {
  switch (path) {
#if CHECKER_HAS_SIMD
    case ScanPath::simd:
      return read_whole_lines_simd(next, end, out, capacity);
#endif
    case ScanPath::scalar:
      return read_whole_lines_scalar(next, end, out, capacity);
    default:
      return 0;
  }
}
