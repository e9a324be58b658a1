// The reference order and the position-by-position comparison.
#include "verdict.hpp"

#include <algorithm>

void sort_reference(ValueList& reference) {
  std::sort(reference.begin(), reference.end());
}

void report_verdict(const ValueList& reference, const ValueList& output, Console& console) {
  if (reference.size() != output.size()) {
    print_size_error(console);
    return;
  }
  bool any_difference = false;
  for (std::uint64_t position = 0; position < reference.size(); ++position) {
    if (reference[position] != output[position]) {
      print_position_error(console, position, reference[position], output[position]);
      any_difference = true;
    }
  }
  if (!any_difference) print_pass(console);
}
