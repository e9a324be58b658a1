// The AVX2 classifier, on x86-64 processors that have AVX2 (chosen at run time): 64 bytes
// classified at once, and up to ten digits converted at once (measured: decoding the usual file
// 1.85x slower with the digits converted one by one).
#include "whole_lines.hpp"

#if defined(__x86_64__) || defined(_M_X64)

#include <immintrin.h>

#include <array>

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
// MSVC takes any intrinsic in any function; the processor is asked before one runs.
#define CHECKER_SIMD_TARGET
#else
// GCC and clang compile these functions alone for AVX2, so the program runs on any x86-64.
#define CHECKER_SIMD_TARGET __attribute__((target("avx2,bmi,bmi2,popcnt")))
#endif

namespace scan {
namespace {

// Classifies 64 bytes at once and converts up to ten digits at once, with AVX2.
struct SimdLines {
  CHECKER_SIMD_TARGET static std::uint64_t bits_of(__m256i low_matches, __m256i high_matches) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low_matches)) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high_matches))} << 32;
  }

  // Bytes up to 0x20: those the unsigned minimum with 0x20 leaves as they are.
  CHECKER_SIMD_TARGET static __m256i blank_of(__m256i bytes) {
    return _mm256_cmpeq_epi8(_mm256_min_epu8(bytes, _mm256_set1_epi8(0x20)), bytes);
  }

  // Space, tab, vertical tab or form feed, where the shuffle finds the one of them with each low
  // nibble (0x20, 0x09, 0x0b, 0x0c); no byte equals what it gives for the other nibbles, nor for
  // bytes with the top bit set (0).
  CHECKER_SIMD_TARGET static __m256i spaces_of(__m256i bytes) {
    const __m256i spaces_by_nibble =
        _mm256_setr_epi8(0x20, -1, -1, -1, -1, -1, -1, -1, -1, 0x09, -1, 0x0b, 0x0c, -1, -1, -1,  //
                         0x20, -1, -1, -1, -1, -1, -1, -1, -1, 0x09, -1, 0x0b, 0x0c, -1, -1, -1);
    return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(spaces_by_nibble, bytes), bytes);
  }

  // Each byte of `bytes` moved one place up, the last of `before` coming in first.
  CHECKER_SIMD_TARGET static __m256i one_byte_later(__m256i bytes, __m256i before) {
    return _mm256_alignr_epi8(bytes, _mm256_permute2x128_si256(before, bytes, 0x21), 15);
  }

  // What the marks of 64 bytes need of the bytes before them (byte 31 is the last before): their
  // spaces, tabs and lone "\r"s, their line ends, their "\r"s, and the carry of marks_from.
  struct State {
    __m256i spaces;
    __m256i line_ends;
    __m256i returns;
    std::uint64_t carry;
  };

  // The state before the text: no space, and a line starting.
  CHECKER_SIMD_TARGET static void start(State& state) {
    state = {_mm256_setzero_si256(), _mm256_set1_epi8(-1), _mm256_setzero_si256(), 0};
  }

  // Bit 63 of the state's bits for the byte before the next 64.
  CHECKER_SIMD_TARGET static std::uint64_t last_bit(__m256i bytes) {
    return std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes))} << 32;
  }

  // The classes of marks_from for 32 bytes at `text`; `before` are the 32 bytes before them, as
  // `state` for the first 32 of 64.
  struct Half {
    __m256i blank, spaces, ends, line_ends;
  };

  // A half's classes. "\r"s are rare: only where there is one are lone ones told from those of
  // "\r\n"s, by a load one byte on and the "\r"s one byte back.
  CHECKER_SIMD_TARGET static Half half_of(const char* text, __m256i bytes, __m256i returns,
                                          __m256i returns_before, bool any_return) {
    Half half;
    half.blank = blank_of(bytes);
    half.spaces = spaces_of(bytes);
    if (!any_return) {
      half.ends = _mm256_andnot_si256(half.spaces, half.blank);
      half.line_ends = half.ends;
      return half;
    }
    const __m256i newlines = _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n'));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + 1));
    const __m256i newline_next = _mm256_cmpeq_epi8(next, _mm256_set1_epi8('\n'));
    const __m256i second_newlines =
        _mm256_and_si256(newlines, one_byte_later(returns, returns_before));
    half.spaces = _mm256_or_si256(half.spaces, _mm256_andnot_si256(newline_next, returns));
    half.ends = _mm256_andnot_si256(second_newlines, _mm256_andnot_si256(half.spaces, half.blank));
    half.line_ends = _mm256_or_si256(half.ends, second_newlines);
    return half;
  }

  // The marks of marks_from, found 32 bytes wide, where the vector units work beside the scalar
  // ones that place them. Only 64 bytes where a line starts with blanks need the first tokens of
  // marks_from, from the classes as bits (measured: the usual file's scanning 1.7% more
  // instructions than before lines with blanks before, after and CR LF were taken here; a file of
  // lines led by blanks within 1.11x of the usual one, the whole run).
  CHECKER_SIMD_TARGET static std::uint64_t mark_bits(const char* text, State& state) {
    const __m256i bytes_low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
    const __m256i bytes_high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + 32));
    const __m256i returns_low = _mm256_cmpeq_epi8(bytes_low, _mm256_set1_epi8('\r'));
    const __m256i returns_high = _mm256_cmpeq_epi8(bytes_high, _mm256_set1_epi8('\r'));
    const __m256i any = _mm256_or_si256(_mm256_or_si256(returns_low, returns_high), state.returns);
    const bool any_return = !_mm256_testz_si256(any, any);
    const Half low = half_of(text, bytes_low, returns_low, state.returns, any_return);
    const Half high = half_of(text + 32, bytes_high, returns_high, returns_low, any_return);
    const __m256i tokens_low =
        _mm256_andnot_si256(low.blank, one_byte_later(low.spaces, state.spaces));
    const __m256i tokens_high =
        _mm256_andnot_si256(high.blank, one_byte_later(high.spaces, low.spaces));
    const __m256i starts_low = one_byte_later(low.line_ends, state.line_ends);
    const __m256i starts_high = one_byte_later(high.line_ends, low.line_ends);
    const __m256i leading = _mm256_or_si256(_mm256_and_si256(low.spaces, starts_low),
                                            _mm256_and_si256(high.spaces, starts_high));
    const __m256i hash = _mm256_set1_epi8('#');
    const __m256i hashes_low = _mm256_cmpeq_epi8(bytes_low, hash);
    const __m256i hashes_high = _mm256_cmpeq_epi8(bytes_high, hash);
    std::uint64_t bits = bits_of(_mm256_or_si256(_mm256_or_si256(tokens_low, low.ends),
                                                 _mm256_and_si256(hashes_low, starts_low)),
                                 _mm256_or_si256(_mm256_or_si256(tokens_high, high.ends),
                                                 _mm256_and_si256(hashes_high, starts_high)));
    if (state.carry != 0 || !_mm256_testz_si256(leading, leading)) [[unlikely]] {
      // Lines that blanks lead: their first tokens are not marked, but for those of "#".
      const std::uint64_t line_starts =
          bits_of(low.line_ends, high.line_ends) << 1 | last_bit(state.line_ends) >> 63;
      const std::uint64_t first =
          first_tokens(bits_of(low.spaces, high.spaces), line_starts, state.carry);
      const __m256i any_hash = _mm256_or_si256(hashes_low, hashes_high);
      const std::uint64_t hashes =
          _mm256_testz_si256(any_hash, any_hash) ? 0 : bits_of(hashes_low, hashes_high);
      // The run may end at a line end, which stays marked.
      bits &= ~(first & ~hashes) | bits_of(low.ends, high.ends);
    }
    state.spaces = high.spaces;
    state.line_ends = high.line_ends;
    state.returns = returns_high;
    return bits;
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

}  // namespace

CHECKER_SIMD_TARGET std::size_t read_whole_lines_simd(const char*& next, const char* end,
                                                      std::int32_t* out, std::size_t capacity,
                                                      std::uint64_t& newlines) {
  return read_whole_lines<SimdLines>(next, end, out, capacity, newlines);
}

bool simd_lines_supported() {
#if defined(_MSC_VER) && !defined(__clang__)
  // AVX2, BMI1 and BMI2 (leaf 7), POPCNT and AVX with the system saving the vector registers
  // (leaf 1, and XCR0's SSE and AVX state).
  int leaf1[4], leaf7[4];
  __cpuid(leaf1, 1);
  __cpuidex(leaf7, 7, 0);
  const bool saved_by_system = (leaf1[2] & (1 << 27)) != 0 && (_xgetbv(0) & 6) == 6;
  return saved_by_system && (leaf1[2] & (1 << 28)) != 0 && (leaf1[2] & (1 << 23)) != 0 &&
         (leaf7[1] & (1 << 5)) != 0 && (leaf7[1] & (1 << 3)) != 0 && (leaf7[1] & (1 << 8)) != 0;
#else
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
         __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
#endif
}

}  // namespace scan

#endif
