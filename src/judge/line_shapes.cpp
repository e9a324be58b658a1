// Line shapes, byte by byte: the words of each line, and whether it is a record.
#include "line_shapes.hpp"

#include <algorithm>
#include <cstring>

#include "value_number.hpp"

namespace {

bool is_space(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Whether `word` is an integer of the format in range: a sign, then one to ten digits or more
// with leading zeros, of a value from -2147483648 to 2147483647.
bool is_value(std::string_view word, std::int64_t& value) {
  const bool negative = !word.empty() && word[0] == '-';
  if (!word.empty() && (word[0] == '-' || word[0] == '+')) word.remove_prefix(1);
  if (word.empty()) return false;
  std::uint64_t magnitude = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') return false;
    if (magnitude <= kMagnitudeLimit) magnitude = magnitude * 10 + unsigned(c - '0');
  }
  std::int32_t signed_magnitude = 0;
  if (!signed_value(negative, magnitude, signed_magnitude)) return false;
  value = signed_magnitude;
  return true;
}

// Digits, a point and digits, with or without a sign: a number that is not whole.
bool has_decimal_point(std::string_view word) {
  if (!word.empty() && (word[0] == '-' || word[0] == '+')) word.remove_prefix(1);
  const std::size_t point = word.find('.');
  if (point == std::string_view::npos || point == 0 || point + 1 == word.size()) return false;
  const auto digits = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  return digits(word.substr(0, point)) && digits(word.substr(point + 1));
}

// The line being scanned: its first two words (their first bytes), and its count of words.
struct Line {
  std::uint64_t number = 1;
  std::uint64_t words = 0;
  char start[kShownTextBytes + 1] = {};  // the line's first bytes, blanks before them passed over
  std::size_t start_size = 0;
  char word[2][24] = {};  // the first two words, as far as a value could reach
  std::size_t word_size[2] = {};
  bool word_long[2] = {};
  bool in_word = false;
  bool comment = false;
};

void keep(char (&text)[kShownTextBytes], std::size_t& size, bool& cut, const Line& line) {
  size = std::min(line.start_size, kShownTextBytes);
  std::memcpy(text, line.start, size);
  cut = line.start_size > kShownTextBytes;
}

void end_line(LineShapes& shapes, const Line& line) {
  if (line.words == 0 || line.comment) return;
  ++shapes.lines;
  const std::string_view first(line.word[0], line.word_size[0]);
  const std::string_view second(line.word[1], line.word_size[1]);
  std::int64_t value = 0;
  const bool record = line.words == 2 && !line.word_long[1] && is_value(second, value);
  shapes.record_lines += record;
  shapes.one_word_lines += line.words == 1;
  if (shapes.first_line == 0) {
    shapes.first_line = line.number;
    shapes.first_line_words = line.words;
    shapes.first_line_integer =
        line.words == 1 && !line.word_long[0] && is_value(first, shapes.first_line_value);
  }
  if (line.words > shapes.widest_words) {
    shapes.widest_words = line.words;
    shapes.widest_line = line.number;
  }
  if (shapes.decimal_line == 0 && line.words == 2 && !line.word_long[1] &&
      has_decimal_point(second)) {
    shapes.decimal_line = line.number;
    shapes.decimal_size = second.size();
    std::memcpy(shapes.decimal_text, second.data(), second.size());
  }
  if (!record && shapes.other_line == 0) {
    shapes.other_line = line.number;
    keep(shapes.other_text, shapes.other_size, shapes.other_cut, line);
  }
}

}  // namespace

LineShapes shapes_of(const ByteSource& source, ReadBlock& block, std::uint64_t most_lines) {
  LineShapes shapes;
  Line line;
  std::uint64_t number = 1;
  for (;;) {
    const std::ptrdiff_t got = source(block.data(), block.size());
    if (got <= 0) break;
    for (std::ptrdiff_t i = 0; i < got; ++i) {
      const char c = block.data()[i];
      if (c == '\n') {
        end_line(shapes, line);
        if (shapes.lines >= most_lines) {
          shapes.cut = true;
          return shapes;
        }
        line = Line{};
        line.number = ++number;
        continue;
      }
      if (is_space(static_cast<unsigned char>(c))) {
        line.in_word = false;
        if (line.words > 0 && line.start_size <= kShownTextBytes) line.start[line.start_size++] = c;
        continue;
      }
      if (!line.in_word) {
        line.in_word = true;
        if (line.words == 0 && c == '#') line.comment = true;
        ++line.words;
      }
      if (line.start_size <= kShownTextBytes) line.start[line.start_size++] = c;
      if (line.words <= 2) {
        const auto w = static_cast<std::size_t>(line.words - 1);
        if (line.word_size[w] < sizeof line.word[w]) {
          line.word[w][line.word_size[w]++] = c;
        } else {
          line.word_long[w] = true;
        }
      }
    }
  }
  end_line(shapes, line);
  return shapes;
}
