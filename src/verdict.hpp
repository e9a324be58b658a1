// The output's values read against the reference, and the verdict lines that follow.
#pragma once

#include <cstdint>

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

// Writes the verdict: the size error when the output's size differs from the reference's, else
// one line for each position at which the values differ, in order of position, else the pass
// line.
void report_verdict(const ValueList& reference, const OutputValues& output, Console& console);
