// The real reader against the plain one on the same bytes, every way they can be read: shared by
// the tests, the corpus replay and the fuzz target.
#pragma once

#include <string>
#include <string_view>

// Reads `bytes` on every scan path this processor has, with blocks from one byte up and with the
// bytes arriving a few at a time as from a pipe, and compares each read with the plain reader's.
// Returns "" when every read agrees, else which read differed first and in what.
std::string disagreement_with_plain_reader(std::string_view bytes);
