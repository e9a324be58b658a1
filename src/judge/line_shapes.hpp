// The shapes of an output file's lines, for a diagnosis of an output that is not read as the
// records it was meant to be: which lines are records, which are not, and what they hold.
#pragma once

#include <cstdint>
#include <string_view>

#include "value_reader.hpp"

// What the shapes of a file's lines show. Lines are counted from 1; blank lines and comment lines
// (a first word that starts with "#") are passed over.
struct LineShapes {
  std::uint64_t lines = 0;           // lines with words
  std::uint64_t one_word_lines = 0;  // lines of one word
  std::uint64_t record_lines = 0;    // lines of two words, the second an integer in range
  bool cut = false;                  // the scan stopped before the end of the file
  // The first line with words: its number, its words, and its value when it is one integer.
  std::uint64_t first_line = 0;
  std::uint64_t first_line_words = 0;
  bool first_line_integer = false;
  std::int64_t first_line_value = 0;
  // The line with the most words, the first if several.
  std::uint64_t widest_line = 0;
  std::uint64_t widest_words = 0;
  // The first word with a decimal point where a value belongs (the second of two words).
  std::uint64_t decimal_line = 0;
  char decimal_text[kShownTextBytes] = {};
  std::size_t decimal_size = 0;
  bool decimal_cut = false;
  // The first line that is not a record, and its start.
  std::uint64_t other_line = 0;
  char other_text[kShownTextBytes] = {};
  std::size_t other_size = 0;
  bool other_cut = false;

  std::string_view decimal() const { return {decimal_text, decimal_size}; }
  std::string_view other() const { return {other_text, other_size}; }
};

// Scans the lines of the file behind `source`, up to `most_lines` lines with words, with `block`
// to read into.
LineShapes shapes_of(const ByteSource& source, ReadBlock& block, std::uint64_t most_lines);
