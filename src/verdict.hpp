// The output's values read against the reference, and the verdict lines that follow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "function_ref.hpp"
#include "malloc_array.hpp"
#include "messages.hpp"
#include "value_list.hpp"
#include "value_reader.hpp"

// The output's values as the checker's verdict needs them. Those before the first that differs
// from the reference are only counted, since they equal it; from there on they are kept.
struct OutputValues {
  std::uint64_t size = 0;              // how many values the output holds (or was read)
  std::uint64_t first_difference = 0;  // position of the first value unlike the reference's
  ValueList from_first_difference;     // the values from that position on
  bool out_of_memory = false;          // they could not all be held, and reading stopped
};

// Reads the output's values with `reader`, comparing them with the reference as they come.
// Stops one value past the reference's size, which is already the size error, so memory stays
// bounded by the reference whatever the output holds. How reading ended is the reader's to say.
OutputValues read_output(ValueReader& reader, const ValueList& reference);

// One position at which the output's value is not the reference's.
struct Difference {
  std::uint64_t position = 0;
  std::int32_t expected = 0;
  std::int32_t found = 0;
};

// The output compared with the reference as it is read, for a judge that shows only the first
// few differences: nothing else of the output need be kept, so a wrong output needs no more
// memory than a right one.
struct OutputComparison {
  std::uint64_t size = 0;        // values read: at most one past the reference's size
  std::uint64_t differing = 0;   // positions within both lists whose values differ
  MallocArray<Difference> held;  // the first of those, in order of position
  std::size_t held_count = 0;
  // With `keep_values`: the output's values from the first that is not the reference's on (those
  // before it equal the reference's), while memory grants them; `values_kept` says they all were.
  std::uint64_t first_difference = 0;
  ValueList from_first_difference;
  bool values_kept = false;
};

// Reads the output's values with `reader` and compares them with the reference as they come,
// holding the first `most_held` differences, or as many as memory grants, and with
// `keep_values` the values from the first difference on, if memory grants them all. Stops one
// value past the reference's size, or with `keep_values` two. How reading ended is the reader's
// to say.
OutputComparison compare_output(ValueReader& reader, const ValueList& reference,
                                std::uint64_t most_held, bool keep_values = false);

// Hands the whole verdict to `sink`: the size error when the output's size differs from the
// reference's, else a line for every position that differs, in order, else the pass line.
void report_verdict(const ValueList& reference, const OutputValues& output, const LineSink& sink);

// The same verdict from a comparison, with a line for each held difference only.
void report_comparison(std::uint64_t reference_size, const OutputComparison& comparison,
                       const LineSink& sink);
