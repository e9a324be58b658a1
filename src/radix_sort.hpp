// The reference order: signed 32-bit values sorted in place, in time linear in their count.
#pragma once

#include <cstddef>
#include <cstdint>

#include "value_list.hpp"

// Puts `size` values at `values` into ascending order: a radix sort, linear in the size, that
// borrows room for at most 2^18 values while it runs.
void sort_values(std::int32_t* values, std::size_t size);

// Puts the reference into ascending order of signed value.
void sort_reference(ValueList& reference);
