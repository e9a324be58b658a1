// Reads value files: records of a label and a signed 32-bit value, and "#" comments.
//
// The general path below is the format's rules byte by byte. Most files are lines of exactly
// `label value\n`, though, and those are decoded a window of lines at a time: first every byte
// that may be whitespace is found, then each line is decoded on its own, so that no record
// waits for the one before it to be scanned. Anything else on a line hands that record to the
// general path, so both give the same values and the same ending for any bytes.
#include "value_reader.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define CHECKER_HAS_SIMD 1
#define CHECKER_SIMD_TARGET __attribute__((target("avx2,bmi,bmi2")))
#else
#define CHECKER_HAS_SIMD 0
#endif

namespace {

// The six whitespace characters of the format, whatever the locale says.
bool is_space(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(unsigned char c) {
  return static_cast<unsigned char>(c - '0') <= 9;
}

constexpr std::uint64_t kMagnitudeLimit = std::uint64_t{1} << 31;  // |-2147483648|

// Bytes past a block's end that whole-line scanning may load (never use): a 64-byte mask load
// starting just before the end, or a 16-byte digit load.
constexpr std::size_t kBlockTail = 64;

// Makes at least one unread byte available; false at the end of the bytes or when reading
// failed.
bool fill(ValueReader& in) {
  if (in.next != in.end) return true;
  if (in.exhausted) return false;
  const std::ptrdiff_t got = in.source(in.block.get(), in.block_size);
  if (got > 0) {
    in.next = in.block.get();
    in.end = in.next + got;
    return true;
  }
  if (got < 0) in.read_errno = errno;
  in.exhausted = true;
  return false;
}

// ---- The general path ----

// Applies the sign and the range to a value's digits, converted to `magnitude`.
// Written without branches: the sign of random values is a branch no processor can predict.
bool signed_value(bool negative, std::uint64_t magnitude, std::int32_t& value) {
  if (magnitude > kMagnitudeLimit - 1 + negative) return false;
  const std::uint32_t sign_mask = 0u - static_cast<std::uint32_t>(negative);
  value =
      static_cast<std::int32_t>((static_cast<std::uint32_t>(magnitude) ^ sign_mask) - sign_mask);
  return true;
}

// Skips whitespace, counting line ends; false when the bytes ran out first.
bool skip_whitespace(ValueReader& in) {
  while (fill(in)) {
    for (; in.next != in.end; ++in.next) {
      const auto c = static_cast<unsigned char>(*in.next);
      if (!is_space(c)) return true;
      in.line += c == '\n';
    }
  }
  return false;
}

// Skips the rest of a token; false when the bytes ran out before the whitespace that ends it.
// A label is skipped in place, never copied, so one of any length costs no memory.
bool skip_token(ValueReader& in) {
  while (fill(in)) {
    for (; in.next != in.end; ++in.next) {
      if (is_space(static_cast<unsigned char>(*in.next))) return true;
    }
  }
  return false;
}

// Discards the rest of the line, its newline included, or up to the end of the bytes.
void skip_line(ValueReader& in) {
  while (fill(in)) {
    const auto size = static_cast<std::size_t>(in.end - in.next);
    if (const void* newline = std::memchr(in.next, '\n', size)) {
      in.next = static_cast<const char*>(newline) + 1;
      ++in.line;
      return;
    }
    in.next = in.end;
  }
}

// The first bytes of a value's text, kept while it is read in case it proves malformed. One
// byte more than is shown tells whether the text was cut.
struct TextStart {
  char bytes[kShownTextBytes + 1];
  std::size_t size = 0;
  void add(char c) {
    if (size < sizeof bytes) bytes[size++] = c;
  }
};

// Reads one value at `in.next`, which is not whitespace: an optional sign, then decimal digits,
// stopping before the first byte that cannot continue the number. A malformed value ends the
// reading, described in `in.result`, and false is returned.
bool read_value(ValueReader& in, std::int32_t& value) {
  const std::uint64_t start_line = in.line;
  TextStart text;
  bool negative = false;
  if (*in.next == '+' || *in.next == '-') {
    negative = *in.next == '-';
    text.add(*in.next++);
  }
  bool any_digit = false;
  std::uint64_t magnitude = 0;  // stops growing past the limit, so any run of digits fits
  while (fill(in) && is_digit(static_cast<unsigned char>(*in.next))) {
    any_digit = true;
    if (magnitude <= kMagnitudeLimit) magnitude = magnitude * 10 + unsigned(*in.next - '0');
    text.add(*in.next++);
  }
  if (any_digit && signed_value(negative, magnitude, value)) return true;
  // The message shows the whole token from where the value starts, not just what was parsed.
  while (text.size <= kShownTextBytes && fill(in) &&
         !is_space(static_cast<unsigned char>(*in.next))) {
    text.add(*in.next++);
  }
  in.ended = true;
  in.result.end = ReadEnd::malformed_value;
  in.result.line = start_line;
  in.result.text_cut = text.size > kShownTextBytes;
  in.result.text.assign(text.bytes, in.result.text_cut ? kShownTextBytes : text.size);
  return false;
}

// Reads from `in.next`, the first byte of a token where a label is expected, up to and
// including the next value. Returns false when the token was a comment, or when reading ended.
bool read_record(ValueReader& in, std::int32_t& value) {
  if (*in.next == '#') {
    skip_line(in);
    return false;
  }
  // A label with nothing but whitespace after it, up to the end, has no value and adds none.
  if (!skip_token(in) || !skip_whitespace(in)) {
    in.ended = true;
    return false;
  }
  return read_value(in, value);
}

// ---- Whole lines ----

// Lines are decoded a window at a time, so that the offsets of its marks stay in L1. A run of
// whole lines starts with a small window, so that a record of another kind costs little before
// it is handed over, and doubles it up to this size.
constexpr std::size_t kWindow = 4096;

// Decodes the records from `in.next`, a token start, for as long as they are whole lines of
// exactly a label, one space, a value of at most ten digits after an optional sign, and a
// line end ("\n" or "\r\n"), all within the current block. `Lines` finds the marks, the bytes
// up to 0x20 (all whitespace, and the control bytes that a line of this kind never holds) but
// the '\n' of each "\r\n", and converts digits. Returns how many values it stored; it stops at
// the first record of any other kind, which the general path then reads.
template <class Lines>
[[gnu::always_inline]] inline std::size_t read_whole_lines(ValueReader& in, std::int32_t* out,
                                                           std::size_t capacity) {
  std::uint32_t marks[kWindow + 64];  // offsets from the window's start
  const char* record = in.next;
  std::size_t count = 0;
  std::size_t window_size = 64;
  while (count < capacity) {
    const char* const window = record;
    const auto size = std::min<std::size_t>(window_size, static_cast<std::size_t>(in.end - window));
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
        // The '\n' must be one of the block's bytes, not a stale one past its end.
        line_end_size = *newline == '\r' && newline + 1 < in.end && newline[1] == '\n' ? 2 : 0;
      }
      if (!((*space == ' ') & (line_end_size != 0) & (space != record) & (*record != '#') &
            (digit_count >= 1) & (digit_count <= 10)) ||
          !Lines::digits_value(digits, static_cast<std::size_t>(digit_count), magnitude) ||
          !signed_value(negative, magnitude, out[count])) {
        in.line += count;
        in.next = record;
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
  in.line += count;
  in.next = record;
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

std::size_t read_whole_lines_scalar(ValueReader& in, std::int32_t* out, std::size_t capacity) {
  return read_whole_lines<ScalarLines>(in, out, capacity);
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

CHECKER_SIMD_TARGET std::size_t read_whole_lines_simd(ValueReader& in, std::int32_t* out,
                                                      std::size_t capacity) {
  return read_whole_lines<SimdLines>(in, out, capacity);
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

ByteSource file_bytes(int fd) {
  return [fd](char* into, std::size_t capacity) -> std::ptrdiff_t {
    for (;;) {
      const ssize_t got = ::read(fd, into, capacity);
      if (got >= 0 || errno != EINTR) return got;
    }
  };
}

ValueReader open_value_reader(ByteSource source, ReadOptions options) {
  ScanPath path = options.path;
  if (path == ScanPath::fastest || path == ScanPath::simd) {
    path = simd_supported() ? ScanPath::simd : ScanPath::scalar;
  }
  ValueReader reader;
  reader.source = std::move(source);
  reader.block_size = options.block_size;
  reader.path = path;
  reader.block = std::make_unique<char[]>(options.block_size + kBlockTail);
  return reader;
}

std::size_t read_values(ValueReader& in, std::int32_t* out, std::size_t capacity) {
  std::size_t count = 0;
  while (!in.ended && count < capacity) {
    // A label is expected here. A token that starts with "#" is a comment instead.
    if (!skip_whitespace(in)) {
      in.ended = true;
      break;
    }
    std::size_t lines = 0;
    switch (in.path) {
#if CHECKER_HAS_SIMD
      case ScanPath::simd:
        lines = read_whole_lines_simd(in, out + count, capacity - count);
        break;
#endif
      case ScanPath::scalar:
        lines = read_whole_lines_scalar(in, out + count, capacity - count);
        break;
      default:
        break;
    }
    if (lines > 0) {
      count += lines;
      continue;
    }
    if (read_record(in, out[count])) ++count;
  }
  // A failed read cuts the file short wherever it happened, so it outranks what was seen.
  if (in.ended && in.read_errno != 0) {
    in.result = ReadResult{};
    in.result.end = ReadEnd::unreadable;
    in.result.saved_errno = in.read_errno;
  }
  return count;
}

ReadResult read_value_file(ByteSource source, ValueList& values, std::size_t limit,
                           ReadOptions options) {
  ValueReader reader = open_value_reader(std::move(source), options);
  // Values are decoded straight into the list's spare room, grown as a vector grows.
  constexpr std::size_t kLeastRoom = 4096;
  while (values.size() < limit && !reader.ended) {
    const std::size_t size = values.size();
    if (values.capacity() - size < kLeastRoom)
      values.reserve(std::max(2 * size, size + kLeastRoom));
    values.resize(std::min(values.capacity(), size + (limit - size)));
    values.resize(size + read_values(reader, values.data() + size, values.size() - size));
  }
  if (!reader.ended) reader.result.end = ReadEnd::value_limit;
  return reader.result;
}
