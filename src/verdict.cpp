// The position-by-position comparison of the output with the reference, and the verdict.
#include "verdict.hpp"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Values read and compared at a time, held on the stack so that reading an output takes no memory
// of its own, and few enough that the stack a run starts with holds them: growing it, under an
// address-space limit, could end the process (measured: 1024, 4096 and 16384 values alike, the
// passing pair of 10^7 values in 0.27 to 0.29 s).
constexpr std::size_t kChunk = 4096;

// The position of the first of `count` values at `found` that differs from `expected`, or count.
std::size_t first_mismatch(const std::int32_t* found, const std::int32_t* expected,
                           std::size_t count) {
  // Whole chunks compared as bytes first: the common case, and faster than by value (measured:
  // 10^7 equal values in 3.6 ms, against 5.6 ms by std::mismatch).
  if (count == 0 || std::memcmp(found, expected, count * sizeof *found) == 0) return count;
  return static_cast<std::size_t>(std::mismatch(found, found + count, expected).first - found);
}

// Reads the output with `reader`, at most `past` values past the reference's size, a chunk at a
// time, and hands each chunk to `take` with the position of its first value and how many of its
// values lie within the reference; stops early when `take` says so. Returns how many values
// were read.
template <typename Take>
std::uint64_t read_chunks(ValueReader& reader, const ValueList& reference, std::uint64_t past,
                          Take take) {
  std::int32_t chunk[kChunk];
  const std::uint64_t limit = std::uint64_t{reference.size()} + past;
  std::uint64_t size = 0;
  while (!reader.ended() && size < limit) {
    const std::size_t read = reader.read_values(
        chunk, static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, limit - size)));
    const auto within = static_cast<std::size_t>(std::min<std::uint64_t>(
        read, reference.size() - std::min<std::uint64_t>(reference.size(), size)));
    if (!take(chunk, read, size, within)) break;
    size += read;
  }
  return size;
}

// Room for `wanted` differences, or for as many as memory grants.
MallocArray<Difference> room_for_differences(std::size_t& wanted) {
  for (; wanted > 0; wanted /= 2) {
    if (MallocArray<Difference> room = malloc_array<Difference>(wanted)) return room;
  }
  return nullptr;
}

}  // namespace

OutputValues read_output(ValueReader& reader, const ValueList& reference) {
  OutputValues output;
  bool differs = false;
  output.size = read_chunks(
      reader, reference, 1,
      [&](const std::int32_t* chunk, std::size_t read, std::uint64_t position, std::size_t within) {
        std::size_t kept_from = 0;
        if (!differs) {
          // The values so far equal the reference's; only a difference needs them kept.
          kept_from = first_mismatch(chunk, reference.data() + position, within);
          differs = kept_from < read;
          output.first_difference = position + kept_from;
          // At most the rest of the reference and one more value follow: room for exactly that.
          if (differs &&
              !output.from_first_difference.reserve(
                  reference.size() + 1 - static_cast<std::size_t>(output.first_difference))) {
            output.out_of_memory = true;
            return false;
          }
        }
        output.out_of_memory =
            !output.from_first_difference.append(chunk + kept_from, chunk + read);
        return !output.out_of_memory;
      });
  return output;
}

OutputComparison compare_output(ValueReader& reader, const ValueList& reference,
                                std::uint64_t most_held, bool keep_values) {
  OutputComparison comparison;
  std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(most_held, reference.size()));
  comparison.held = room_for_differences(room);
  // Keeping the values from the first difference on: not yet begun, under way, or given up.
  enum class Keeping { not_begun, under_way, given_up };
  Keeping keeping = keep_values ? Keeping::not_begun : Keeping::given_up;
  // A diagnosis reads one value further, to tell an output of one value too many from one that
  // goes on.
  const std::uint64_t past = keep_values ? 2 : 1;
  comparison.size = read_chunks(
      reader, reference, past,
      [&](const std::int32_t* chunk, std::size_t read, std::uint64_t position, std::size_t within) {
        const std::int32_t* expected = reference.data() + position;
        const std::size_t first = first_mismatch(chunk, expected, within);
        for (std::size_t i = first; i < within; ++i) {
          if (chunk[i] == expected[i]) continue;
          if (comparison.held_count < room)
            comparison.held[comparison.held_count++] = {position + i, expected[i], chunk[i]};
          ++comparison.differing;
        }
        std::size_t kept_from = 0;
        if (keeping == Keeping::not_begun && first < read) {
          // At most the rest of the reference and `past` more values follow: room for exactly that.
          comparison.first_difference = position + first;
          kept_from = first;
          keeping = comparison.from_first_difference.reserve(static_cast<std::size_t>(
                        reference.size() + past - comparison.first_difference))
                        ? Keeping::under_way
                        : Keeping::given_up;
        }
        if (keeping == Keeping::under_way &&
            !comparison.from_first_difference.append(chunk + kept_from, chunk + read)) {
          comparison.from_first_difference = ValueList();
          keeping = Keeping::given_up;
        }
        return true;
      });
  if (keeping == Keeping::not_begun) comparison.first_difference = comparison.size;
  comparison.values_kept = keeping != Keeping::given_up;
  return comparison;
}

void report_verdict(const ValueList& reference, const OutputValues& output, const LineSink& sink) {
  if (reference.size() != output.size) {
    sink(kSizeErrorLine);
    return;
  }
  bool differs = false;
  // Sizes agree, so every position indexes the reference, which is held in memory.
  for (std::uint64_t position = output.first_difference; position < output.size; ++position) {
    const auto at = static_cast<std::size_t>(position);
    const std::int32_t found =
        output.from_first_difference[static_cast<std::size_t>(position - output.first_difference)];
    if (reference[at] == found) continue;
    sink(position_error_line(position, reference[at], found).text());
    differs = true;
  }
  if (!differs) sink(kPassLine);
}

void report_comparison(std::uint64_t reference_size, const OutputComparison& comparison,
                       const LineSink& sink) {
  if (reference_size != comparison.size) {
    sink(kSizeErrorLine);
    return;
  }
  for (std::size_t i = 0; i < comparison.held_count; ++i) {
    const Difference& difference = comparison.held[i];
    sink(position_error_line(difference.position, difference.expected, difference.found).text());
  }
  if (comparison.differing == 0) sink(kPassLine);
}
