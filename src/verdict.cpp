// The position-by-position comparison of the output with the reference, and the verdict.
#include "verdict.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {

OutputValues ended_out_of_memory(ValueReader& reader, OutputValues& output) {
  reader.ended = true;
  reader.result.end = ReadEnd::out_of_memory;
  return std::move(output);
}

}  // namespace

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
      if (differs && !output.from_first_difference.reserve(limit - output.first_difference))
        return ended_out_of_memory(reader, output);
    }
    if (!output.from_first_difference.append(chunk.data() + kept_from, chunk.data() + read))
      return ended_out_of_memory(reader, output);
    output.size += read;
  }
  if (!reader.ended) reader.result.end = ReadEnd::value_limit;
  return output;
}

Verdict judge_output(const ValueList& reference, const OutputValues& output,
                     std::uint64_t most_position_lines, const LineSink& sink) {
  if (reference.size() != output.size) {
    sink(kSizeErrorLine);
    return {VerdictKind::size_differs};
  }
  Verdict verdict;
  for (std::uint64_t position = output.first_difference; position < output.size; ++position) {
    const std::int32_t found = output.from_first_difference[position - output.first_difference];
    if (reference[position] != found && verdict.differing_positions++ < most_position_lines)
      sink(position_error_line(position, reference[position], found).text());
  }
  if (verdict.differing_positions == 0) {
    sink(kPassLine);
  } else {
    verdict.kind = VerdictKind::positions_differ;
  }
  return verdict;
}

void report_verdict(const ValueList& reference, const OutputValues& output, Console& console) {
  judge_output(reference, output, std::numeric_limits<std::uint64_t>::max(),
               [&console](std::string_view line) { write_line(console, line); });
}
