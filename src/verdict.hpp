// The output's values read against the reference, and the verdict lines that follow.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "messages.hpp"
#include "value_list.hpp"
#include "value_reader.hpp"

// The output's values as the verdict needs them. Those before the first that differs from the
// reference are only counted, since they equal it; from there on they are kept.
struct OutputValues {
  std::uint64_t size = 0;              // how many values the output holds (or was read)
  std::uint64_t first_difference = 0;  // position of the first value unlike the reference's
  ValueList from_first_difference;     // the values from that position on
};

// Reads the output's values with `reader`, comparing them with the reference as they come.
// Stops one value past the reference's size, which is already the size error, so memory stays
// bounded by the reference whatever the output holds. How reading ended is in `reader.result`.
OutputValues read_output(ValueReader& reader, const ValueList& reference);

// What the verdict found.
enum class VerdictKind { pass, size_differs, positions_differ };

struct Verdict {
  VerdictKind kind = VerdictKind::pass;
  std::uint64_t differing_positions = 0;  // every one of them, whether or not it got a line
};

// Receives each verdict line, its newline included.
using LineSink = std::function<void(std::string_view line)>;

// Judges the output against the reference and hands the verdict lines to `sink`, in order: the
// size error when the output's size differs from the reference's, else one line for each of the
// first `most_position_lines` positions at which the values differ, in order of position, else
// the pass line. Positions past that limit are still counted, never written.
Verdict judge_output(const ValueList& reference, const OutputValues& output,
                     std::uint64_t most_position_lines, const LineSink& sink);

// Writes the whole verdict to `console`: a line for every position that differs.
void report_verdict(const ValueList& reference, const OutputValues& output, Console& console);
