// The reference order of the input's values, and the verdict on the output's values.
#pragma once

#include "run.hpp"
#include "value_list.hpp"

// Puts the reference into ascending order of signed value.
void sort_reference(ValueList& reference);

// Writes the verdict: the size error when the lists differ in length, else one line for each
// position at which they differ, in order of position, else the pass line.
void report_verdict(const ValueList& reference, const ValueList& output, Console& console);
