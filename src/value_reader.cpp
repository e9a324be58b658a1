// Reads value files: records of a label and a signed 32-bit value, and "#" comments.
//
// The functions below are the format's rules byte by byte. Most files are lines of `label value`
// and blanks, though, and those go to the whole-line scanner first, which decodes many at a
// time and hands back any record of another kind; both give the same values and the same ending
// for any bytes.
#include "value_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "value_number.hpp"

namespace {

// The six whitespace characters of the format, whatever the locale says.
bool is_space(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(unsigned char c) {
  return static_cast<unsigned char>(c - '0') <= 9;
}

// Makes at least one unread byte available; false at the end of the bytes or when reading
// failed.
bool fill(ValueReader& in) {
  if (in.next != in.end) return true;
  if (in.exhausted) return false;
  const std::ptrdiff_t got = in.source(in.block.get(), in.block_size);
  if (got > 0) {
    in.next = in.block.get();
    in.end = in.next + got;
    return true;
  }
  if (got < 0) in.read_errno = errno;
  in.exhausted = true;
  return false;
}

// Skips whitespace, counting line ends; false when the bytes ran out first.
bool skip_whitespace(ValueReader& in) {
  while (fill(in)) {
    for (; in.next != in.end; ++in.next) {
      const auto c = static_cast<unsigned char>(*in.next);
      if (!is_space(c)) return true;
      in.line += c == '\n';
    }
  }
  return false;
}

// Skips the rest of a token; false when the bytes ran out before the whitespace that ends it.
// A label is skipped in place, never copied, so one of any length costs no memory.
bool skip_token(ValueReader& in) {
  while (fill(in)) {
    for (; in.next != in.end; ++in.next) {
      if (is_space(static_cast<unsigned char>(*in.next))) return true;
    }
  }
  return false;
}

// Discards the rest of the line, its newline included, or up to the end of the bytes.
void skip_line(ValueReader& in) {
  while (fill(in)) {
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
// stopping before the first byte that cannot continue the number. A malformed value ends the
// reading, described in `in.result`, and false is returned.
bool read_value(ValueReader& in, std::int32_t& value) {
  const std::uint64_t start_line = in.line;
  TextStart text;
  bool negative = false;
  if (*in.next == '+' || *in.next == '-') {
    negative = *in.next == '-';
    text.add(*in.next++);
  }
  bool any_digit = false;
  std::uint64_t magnitude = 0;  // stops growing past the limit, so any run of digits fits
  while (fill(in) && is_digit(static_cast<unsigned char>(*in.next))) {
    any_digit = true;
    if (magnitude <= kMagnitudeLimit) magnitude = magnitude * 10 + unsigned(*in.next - '0');
    text.add(*in.next++);
  }
  if (any_digit && signed_value(negative, magnitude, value)) return true;
  // The message shows the whole token from where the value starts, not just what was parsed.
  while (text.size <= kShownTextBytes && fill(in) &&
         !is_space(static_cast<unsigned char>(*in.next))) {
    text.add(*in.next++);
  }
  in.ended = true;
  in.result.end = ReadEnd::malformed_value;
  in.result.line = start_line;
  in.result.text_cut = text.size > kShownTextBytes;
  in.result.text.assign(text.bytes, in.result.text_cut ? kShownTextBytes : text.size);
  return false;
}

// Reads from `in.next`, the first byte of a token where a label is expected, up to and
// including the next value. Returns false when the token was a comment, or when reading ended.
bool read_record(ValueReader& in, std::int32_t& value) {
  if (*in.next == '#') {
    skip_line(in);
    return false;
  }
  // A label with nothing but whitespace after it, up to the end, has no value and adds none.
  if (!skip_token(in) || !skip_whitespace(in)) {
    in.ended = true;
    return false;
  }
  return read_value(in, value);
}

}  // namespace

ValueReader open_value_reader(ByteSource source, ReadOptions options) {
  ValueReader reader;
  reader.source = std::move(source);
  reader.block_size = options.block_size;
  reader.path = usable_scan_path(options.path);
  reader.block = std::make_unique<char[]>(options.block_size + kScanOverread);
  return reader;
}

std::size_t read_values(ValueReader& in, std::int32_t* out, std::size_t capacity) {
  std::size_t count = 0;
  while (!in.ended && count < capacity) {
    // A label is expected here. A token that starts with "#" is a comment instead.
    if (!skip_whitespace(in)) {
      in.ended = true;
      break;
    }
    const std::size_t scanned =
        scan_whole_lines(in.path, in.next, in.end, out + count, capacity - count, &in.line);
    if (scanned > 0) {
      count += scanned;
      continue;
    }
    if (read_record(in, out[count])) ++count;
  }
  // A failed read cuts the file short wherever it happened, so it outranks what was seen.
  if (in.ended && in.read_errno != 0) {
    in.result = ReadResult{};
    in.result.end = ReadEnd::unreadable;
    in.result.saved_errno = in.read_errno;
  }
  return count;
}

void reserve_for_file_size(ValueList& values, std::uint64_t file_size) {
  // Where even that much address space cannot be had (under a limit that judges set), the list
  // grows as it is read instead, since the file may hold far fewer values.
  if (file_size / 4 < SIZE_MAX) values.reserve(static_cast<std::size_t>(file_size / 4 + 1));
}

ReadResult read_value_file(ByteSource source, ValueList& values, std::size_t limit,
                           ReadOptions options) {
  ValueReader reader = open_value_reader(std::move(source), options);
  // Values are decoded straight into the list's room.
  constexpr std::size_t kLeastRoom = 4096;
  while (values.size() < limit && !reader.ended) {
    const std::size_t size = values.size();
    if (!values.make_room(std::min(kLeastRoom, limit - size))) {
      reader.result.end = ReadEnd::out_of_memory;
      return reader.result;
    }
    const std::size_t room = std::min(values.capacity(), limit) - size;
    values.set_size(size + read_values(reader, values.data() + size, room));
  }
  if (!reader.ended) reader.result.end = ReadEnd::value_limit;
  return reader.result;
}
