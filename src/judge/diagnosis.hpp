// What kind of fault a wrong output shows: the facts of its values and their order against the
// reference, and the fault they point to when they fit it wholly, as a few lines for a judge's
// message. It reads lists; the shapes of the output's lines come from line_shapes.hpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "function_ref.hpp"
#include "line_shapes.hpp"
#include "value_list.hpp"
#include "verdict.hpp"

struct ValueTimes {
  std::int32_t value = 0;
  std::uint64_t times = 0;
};

// Values shown at most in a line of values missing or extra.
inline constexpr std::size_t kValuesShown = 4;

// The facts of an output against the reference.
struct OutputFacts {
  std::uint64_t input_size = 0;
  std::uint64_t output_size = 0;    // values read
  bool output_size_exact = true;    // false: reading stopped there, and there are more
  bool values_known = false;        // the output's values were all held: the facts below hold
  bool same_values = false;         // the input's values, each as many times
  std::uint64_t missing_total = 0;  // the input's values the output lacks, counted with repeats
  std::uint64_t extra_total = 0;    // the output's values the input lacks, likewise
  ValueTimes missing[kValuesShown];
  std::size_t missing_shown = 0;
  std::size_t missing_distinct = 0;
  ValueTimes extra[kValuesShown];
  std::size_t extra_shown = 0;
  std::size_t extra_distinct = 0;
  bool extra_in_input = false;  // the one extra value is one the input holds too
  std::uint64_t positions_differing = 0;
  bool sorted = true;      // no value is followed by a smaller one
  bool ascending = false;  // some value is followed by a larger one
  bool has_descent = false;
  std::uint64_t descent_at = 0;  // the first value followed by a smaller one, and the two
  std::int32_t descent_from = 0;
  std::int32_t descent_to = 0;
  bool overflow_order = false;  // each value followed by a smaller one is over 2^31 above it
  bool text_order = false;      // in the order of their decimal texts
  bool input_order = false;     // in the input's own order, which the caller looks up
};

// The output's value at `position`: the reference's before the first difference, after it the
// kept ones.
std::int32_t output_value(const ValueList& reference, const OutputComparison& comparison,
                          std::uint64_t position);

// The facts of an output compared with `reference`, whose values the comparison kept;
// `output_complete` says whether reading reached the output's end. Where the output is out of
// order and no other order explains it, asks `in_input_order` whether it is the input's own
// order, while the kept values are still in the output's order; then sorts them in place where
// the values must be counted.
OutputFacts facts_of(const ValueList& reference, OutputComparison& comparison, bool output_complete,
                     const FunctionRef<bool()>& in_input_order);

// What a diagnosis says, from what is known of the output.
struct DiagnosisSources {
  std::uint64_t input_size = 0;
  int output_open_errno = 0;           // the output could not be opened, and read as empty
  const OutputFacts* facts = nullptr;  // none: the output's values are not known whole
  const LineShapes* shapes = nullptr;  // none: the lines were not looked at
  bool left_out = false;               // memory ran short for what it needed
};

// At most this many lines of diagnosis, each of at most kDiagnosisLineBytes bytes.
inline constexpr std::size_t kDiagnosisLines = 8;
inline constexpr std::size_t kDiagnosisLineBytes = 160;

// Hands each line of the diagnosis to `sink`: the facts first, then the fault they point to.
// `hidden` leaves out every value of the test data and every text of the output: counts,
// positions and the names of faults only.
void write_diagnosis(const DiagnosisSources& sources, bool hidden, const LineSink& sink);
