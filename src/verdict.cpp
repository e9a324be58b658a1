// The reference order and the position-by-position comparison.
#include "verdict.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The sort is a least-significant-digit radix sort: four passes over bytes of the value,
// linear in the count, where a comparison sort costs log n comparisons per value.
constexpr unsigned kDigitBits = 8;
constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
constexpr unsigned kPasses = 32 / kDigitBits;

// Unsigned keys in the order of the signed values: flipping the sign bit puts negatives first.
std::uint32_t digit(std::int32_t value, unsigned pass) {
  const std::uint32_t key = static_cast<std::uint32_t>(value) ^ 0x80000000u;
  return (key >> (pass * kDigitBits)) & (kBuckets - 1);
}

// Two cache lines of values. Values bound for one bucket are gathered in lines of their own
// and written out whole: scattering single values to 256 places in memory far larger than the
// caches makes the processor read every line before writing it. Two lines at a time measured
// faster than one; the 256 buffers (32 KiB) still fit the first-level cache.
constexpr std::size_t kLineValues = 32;

void write_lines_through(std::int32_t* to, const std::int32_t* line) {
#if defined(__SSE2__)
  // Stores that bypass the caches: the lines are not read first, and not kept.
  for (std::size_t i = 0; i < kLineValues; i += 4) {
    _mm_stream_si128(reinterpret_cast<__m128i*>(to + i),
                     _mm_load_si128(reinterpret_cast<const __m128i*>(line + i)));
  }
#else
  std::memcpy(to, line, kLineValues * sizeof *to);
#endif
}

// Moves `from` into `to` in order of the digit of `pass`, keeping the order of equal digits.
// `start` holds where each digit's values begin in `to`.
void scatter(const std::int32_t* from, std::int32_t* to, std::size_t size, unsigned pass,
             const std::size_t (&start)[kBuckets]) {
  alignas(64) static std::int32_t lines[kBuckets][kLineValues];
  // Value k of `to` starts a buffer's worth of aligned memory when k + phase is a multiple of
  // kLineValues.
  const std::size_t phase = (reinterpret_cast<std::uintptr_t>(to) / sizeof *to) % kLineValues;
  std::size_t next[kBuckets];
  std::copy(std::begin(start), std::end(start), next);
  for (std::size_t i = 0; i < size; ++i) {
    const std::int32_t value = from[i];
    const std::uint32_t bucket = digit(value, pass);
    const std::size_t at = next[bucket]++;
    const std::size_t slot = (at + phase) % kLineValues;
    lines[bucket][slot] = value;
    if (slot == kLineValues - 1) {
      const std::size_t line_start = at + 1 - kLineValues;
      if (at + 1 >= start[bucket] + kLineValues) {
        write_lines_through(to + line_start, lines[bucket]);
      } else {  // the bucket's first lines are shared with the bucket before it
        for (std::size_t k = start[bucket]; k <= at; ++k)
          to[k] = lines[bucket][(k + phase) % kLineValues];
      }
    }
  }
  // What is left in each bucket's buffer: the values since it was last written out.
  for (std::size_t bucket = 0; bucket < kBuckets; ++bucket) {
    const std::size_t end = next[bucket];
    // The buffer's first value may lie before the array's start, so the subtraction is clamped.
    const std::size_t line_start = end - std::min(end, (end + phase) % kLineValues);
    for (std::size_t k = std::max(line_start, start[bucket]); k < end; ++k) {
      to[k] = lines[bucket][(k + phase) % kLineValues];
    }
  }
#if defined(__SSE2__)
  _mm_sfence();  // the streamed lines are in memory before anything reads them
#endif
}

}  // namespace

void sort_values(std::int32_t* values, std::size_t size) {
  // Small lists fit in the caches, where a comparison sort is as fast and needs no room.
  if (size < 4096) {
    std::sort(values, values + size);
    return;
  }
  std::size_t count[kPasses][kBuckets] = {};
  for (std::size_t i = 0; i < size; ++i) {
    for (unsigned pass = 0; pass < kPasses; ++pass)
      ++count[pass][digit(values[i], pass)];
  }
  std::unique_ptr<std::int32_t[]> scratch(new std::int32_t[size]);
  std::int32_t* from = values;
  std::int32_t* to = scratch.get();
  for (unsigned pass = 0; pass < kPasses; ++pass) {
    // A digit that every value shares orders nothing.
    if (count[pass][digit(values[0], pass)] == size) continue;
    std::size_t start[kBuckets];
    std::size_t total = 0;
    for (std::size_t bucket = 0; bucket < kBuckets; ++bucket) {
      start[bucket] = total;
      total += count[pass][bucket];
    }
    scatter(from, to, size, pass, start);
    std::swap(from, to);
  }
  if (from != values) std::memcpy(values, from, size * sizeof *from);
}

void sort_reference(ValueList& reference) {
  sort_values(reference.data(), reference.size());
}

OutputValues read_output(ValueReader& reader, const ValueList& reference) {
  OutputValues output;
  const std::size_t limit = reference.size() + 1;
  std::vector<std::int32_t> chunk(16384);  // small enough to stay in the caches
  bool differs = false;
  while (!reader.ended && output.size < limit) {
    const std::size_t read =
        read_values(reader, chunk.data(), std::min<std::size_t>(chunk.size(), limit - output.size));
    std::size_t kept_from = 0;
    if (!differs) {
      // The values so far equal the reference's; only a difference needs them kept.
      const std::size_t position = output.size;
      const std::size_t common =
          std::min(read, reference.size() - std::min(reference.size(), position));
      const std::int32_t* expected = reference.data() + position;
      // Whole chunks compared as bytes first: the common case, and much faster than by value.
      kept_from = common;
      if (common > 0 && std::memcmp(chunk.data(), expected, common * sizeof *expected) != 0) {
        kept_from = static_cast<std::size_t>(
            std::mismatch(chunk.data(), chunk.data() + common, expected).first - chunk.data());
      }
      differs = kept_from < read;
      output.first_difference = position + kept_from;
      // At most the rest of the reference and one more value follow: room for exactly that.
      if (differs) output.from_first_difference.reserve(limit - output.first_difference);
    }
    output.from_first_difference.insert(output.from_first_difference.end(),
                                        chunk.begin() + static_cast<std::ptrdiff_t>(kept_from),
                                        chunk.begin() + static_cast<std::ptrdiff_t>(read));
    output.size += read;
  }
  if (!reader.ended) reader.result.end = ReadEnd::value_limit;
  return output;
}

void report_verdict(const ValueList& reference, const OutputValues& output, Console& console) {
  if (reference.size() != output.size) {
    print_size_error(console);
    return;
  }
  bool any_difference = false;
  for (std::uint64_t position = output.first_difference; position < output.size; ++position) {
    const std::int32_t found = output.from_first_difference[position - output.first_difference];
    if (reference[position] != found) {
      print_position_error(console, position, reference[position], found);
      any_difference = true;
    }
  }
  if (!any_difference) print_pass(console);
}
