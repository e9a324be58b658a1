// The AVX2 classifier, on x86-64 processors that have AVX2 (chosen at run time): 64 bytes
// classified at once, and up to ten digits converted at once.
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
