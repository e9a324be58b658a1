// The plain reader: get and peek, one character at a time.
#include "plain_reader.hpp"

namespace {

bool is_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

}  // namespace

PlainRead plain_read(std::istream& in) {
  PlainRead read;
  std::uint64_t line = 1;
  const auto skip_spaces = [&] {
    while (is_space(in.peek())) {
      if (in.get() == '\n') ++line;
    }
  };
  const auto take_token = [&](std::string& text) {
    while (in.peek() != EOF && !is_space(in.peek()))
      text += static_cast<char>(in.get());
  };
  for (;;) {
    // Where a label is expected: nothing left, a comment, or a label.
    skip_spaces();
    if (in.peek() == EOF) return read;
    if (in.peek() == '#') {
      int c;
      while ((c = in.get()) != EOF && c != '\n') {
      }
      if (c == '\n') ++line;
      continue;
    }
    std::string label;
    take_token(label);

    // The value: nothing left (the label adds nothing), or a sign and digits.
    skip_spaces();
    if (in.peek() == EOF) return read;
    const std::uint64_t value_line = line;
    std::string text;
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
      negative = in.peek() == '-';
      text += static_cast<char>(in.get());
    }
    std::string digits;
    while (is_digit(in.peek()))
      digits += static_cast<char>(in.get());
    text += digits;
    digits.erase(0, digits.find_first_not_of('0'));  // leading zeros are decimal
    const bool any_digit = text.size() > (text[0] == '+' || text[0] == '-' ? 1u : 0u);
    const long long magnitude = digits.size() > 10 ? -1 : digits.empty() ? 0 : std::stoll(digits);
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    if (!any_digit || magnitude < 0 || magnitude > limit) {
      take_token(text);
      read.malformed = true;
      read.line = value_line;
      read.text_cut = text.size() > 32;
      read.text = text.substr(0, 32);
      return read;
    }
    read.values.push_back(static_cast<std::int32_t>(negative ? -magnitude : magnitude));
  }
}
