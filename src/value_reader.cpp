// Reads value files: records of a label and a signed 32-bit value, and "#" comments.
#include "value_reader.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The six whitespace characters of the format, whatever the locale says.
bool is_space(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(unsigned char c) {
  return static_cast<unsigned char>(c - '0') <= 9;
}

// The unread bytes of one file, refilled a block at a time. Nothing before `next` is kept: a
// label or comment of any length is skipped in place and costs no memory.
struct Scanner {
  const ByteSource& source;
  std::size_t block_size;
  std::unique_ptr<char[]> block;
  const char* next = nullptr;
  const char* end = nullptr;
  bool exhausted = false;  // the source has said it has no more bytes, or failed
  int read_errno = 0;      // errno of the failed read, 0 if none failed
  std::uint64_t line = 1;  // 1-based line of `*next`

  // Makes at least one unread byte available; false at the end of the bytes or when reading
  // failed.
  bool fill() {
    if (next != end) return true;
    if (exhausted) return false;
    const std::ptrdiff_t got = source(block.get(), block_size);
    if (got > 0) {
      next = block.get();
      end = next + got;
      return true;
    }
    if (got < 0) read_errno = errno;
    exhausted = true;
    return false;
  }
};

// Skips whitespace, counting line ends; false when the bytes ran out first.
bool skip_whitespace(Scanner& in) {
  while (in.fill()) {
    for (; in.next != in.end; ++in.next) {
      const auto c = static_cast<unsigned char>(*in.next);
      if (!is_space(c)) return true;
      in.line += c == '\n';
    }
  }
  return false;
}

// Skips the rest of a token; false when the bytes ran out before the whitespace that ends it.
bool skip_token(Scanner& in) {
  while (in.fill()) {
    for (; in.next != in.end; ++in.next) {
      if (is_space(static_cast<unsigned char>(*in.next))) return true;
    }
  }
  return false;
}

// Discards the rest of the line, its newline included, or up to the end of the bytes.
void skip_line(Scanner& in) {
  while (in.fill()) {
    const auto size = static_cast<std::size_t>(in.end - in.next);
    if (const void* newline = std::memchr(in.next, '\n', size)) {
      in.next = static_cast<const char*>(newline) + 1;
      ++in.line;
      return;
    }
    in.next = in.end;
  }
}

// The first bytes of a value's text, kept while it is read in case it proves malformed. One
// byte more than is shown tells whether the text was cut.
struct TextStart {
  char bytes[kShownTextBytes + 1];
  std::size_t size = 0;
  void add(char c) {
    if (size < sizeof bytes) bytes[size++] = c;
  }
};

// Reads one value at `in.next`, which is not whitespace: an optional sign, then decimal digits,
// stopping before the first byte that cannot continue the number. A malformed value is
// described in `result` and false returned.
bool read_value(Scanner& in, std::int32_t& value, ReadResult& result) {
  constexpr std::uint64_t kMagnitudeLimit = std::uint64_t{1} << 31;  // |-2147483648|
  const std::uint64_t start_line = in.line;
  TextStart text;
  bool negative = false;
  if (*in.next == '+' || *in.next == '-') {
    negative = *in.next == '-';
    text.add(*in.next++);
  }
  bool any_digit = false;
  std::uint64_t magnitude = 0;  // stops growing past the limit, so any run of digits fits
  while (in.fill() && is_digit(static_cast<unsigned char>(*in.next))) {
    any_digit = true;
    if (magnitude <= kMagnitudeLimit) magnitude = magnitude * 10 + unsigned(*in.next - '0');
    text.add(*in.next++);
  }
  if (any_digit && magnitude <= kMagnitudeLimit - (negative ? 0 : 1)) {
    value =
        negative ? static_cast<std::int32_t>(0 - magnitude) : static_cast<std::int32_t>(magnitude);
    return true;
  }
  // The message shows the whole token from where the value starts, not just what was parsed.
  while (text.size <= kShownTextBytes && in.fill() &&
         !is_space(static_cast<unsigned char>(*in.next))) {
    text.add(*in.next++);
  }
  result.end = ReadEnd::malformed_value;
  result.line = start_line;
  result.text_cut = text.size > kShownTextBytes;
  result.text.assign(text.bytes, result.text_cut ? kShownTextBytes : text.size);
  return false;
}

}  // namespace

ByteSource file_bytes(int fd) {
  return [fd](char* into, std::size_t capacity) -> std::ptrdiff_t {
    for (;;) {
      const ssize_t got = ::read(fd, into, capacity);
      if (got >= 0 || errno != EINTR) return got;
    }
  };
}

ReadResult read_value_file(const ByteSource& source, ValueList& values, std::size_t limit,
                           std::size_t block_size) {
  Scanner in{source, block_size, std::make_unique<char[]>(block_size)};
  ReadResult result;
  std::size_t count = 0;
  for (;;) {
    if (count == limit) {
      result.end = ReadEnd::value_limit;
      break;
    }
    // A label is expected here. A token that starts with "#" is a comment instead.
    if (!skip_whitespace(in)) break;
    if (*in.next == '#') {
      skip_line(in);
      continue;
    }
    // A label with nothing but whitespace after it, up to the end, has no value and adds none.
    if (!skip_token(in) || !skip_whitespace(in)) break;
    std::int32_t value;
    if (!read_value(in, value, result)) break;
    values.push_back(value);
    ++count;
  }
  // A failed read cuts the file short wherever it happened, so it outranks what was seen.
  if (in.read_errno != 0) {
    result = ReadResult{};
    result.end = ReadEnd::unreadable;
    result.saved_errno = in.read_errno;
  }
  return result;
}
