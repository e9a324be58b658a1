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
#include <new>

#include "value_number.hpp"

namespace {

// The six whitespace characters of the format, whatever the locale says.
bool is_space(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_digit(unsigned char c) {
  return static_cast<unsigned char>(c - '0') <= 9;
}

}  // namespace

ReadBlock::ReadBlock(std::size_t size)
    : bytes_(malloc_array<char>(size + kScanOverread)), size_(size) {}

ValueReader::ValueReader(ByteSource source, ReadBlock& block, ScanPath path)
    : source_(std::move(source)),
      block_(block.data()),
      block_size_(block.size()),
      path_(usable_scan_path(path)) {}

void ValueReader::end(ReadEnd how) {
  ended_ = true;
  result_.end = how;
}

// Makes at least one unread byte available; false at the end of the bytes or when reading
// failed.
bool ValueReader::fill() {
  if (next_ != end_) return true;
  if (exhausted_) return false;
  const std::ptrdiff_t got = source_(block_, block_size_);
  if (got > 0) {
    next_ = block_;
    end_ = next_ + got;
    return true;
  }
  if (got < 0) read_errno_ = errno;
  exhausted_ = true;
  return false;
}

// Skips whitespace, counting line ends; false when the bytes ran out first.
bool ValueReader::skip_whitespace() {
  while (fill()) {
    for (; next_ != end_; ++next_) {
      const auto c = static_cast<unsigned char>(*next_);
      if (!is_space(c)) return true;
      line_ += c == '\n';
    }
  }
  return false;
}

// Skips the rest of a token; false when the bytes ran out before the whitespace that ends it.
// A label is skipped in place, never copied, so one of any length costs no memory.
bool ValueReader::skip_token() {
  while (fill()) {
    for (; next_ != end_; ++next_) {
      if (is_space(static_cast<unsigned char>(*next_))) return true;
    }
  }
  return false;
}

// Discards the rest of the line, its newline included, or up to the end of the bytes.
void ValueReader::skip_line() {
  while (fill()) {
    const auto size = static_cast<std::size_t>(end_ - next_);
    if (const void* newline = std::memchr(next_, '\n', size)) {
      next_ = static_cast<const char*>(newline) + 1;
      ++line_;
      return;
    }
    next_ = end_;
  }
}

// Reads one value at `next_`, which is not whitespace: an optional sign, then decimal digits,
// stopping before the first byte that cannot continue the number. A malformed value ends the
// reading, described in the result, and false is returned.
bool ValueReader::read_value(std::int32_t& value) {
  const std::uint64_t start_line = line_;
  // The first bytes of the value's text, kept while it is read in case it proves malformed. One
  // byte more than is shown tells whether the text was cut.
  char text[kShownTextBytes + 1];
  std::size_t text_size = 0;
  const auto keep = [&](char c) {
    if (text_size < sizeof text) text[text_size++] = c;
  };
  bool negative = false;
  if (*next_ == '+' || *next_ == '-') {
    negative = *next_ == '-';
    keep(*next_++);
  }
  bool any_digit = false;
  std::uint64_t magnitude = 0;  // stops growing past the limit, so any run of digits fits
  while (fill() && is_digit(static_cast<unsigned char>(*next_))) {
    any_digit = true;
    if (magnitude <= kMagnitudeLimit) magnitude = magnitude * 10 + unsigned(*next_ - '0');
    keep(*next_++);
  }
  if (any_digit && signed_value(negative, magnitude, value)) return true;
  // The message shows the whole token from where the value starts, not just what was parsed.
  while (text_size <= kShownTextBytes && fill() && !is_space(static_cast<unsigned char>(*next_)))
    keep(*next_++);
  end(ReadEnd::malformed_value);
  result_.line = start_line;
  result_.text_cut = text_size > kShownTextBytes;
  result_.text_size = result_.text_cut ? kShownTextBytes : text_size;
  std::memcpy(result_.text_bytes, text, result_.text_size);
  return false;
}

// Reads from `next_`, the first byte of a token where a label is expected, up to and including
// the next value. Returns false when the token was a comment, or when reading ended.
bool ValueReader::read_record(std::int32_t& value) {
  if (*next_ == '#') {
    skip_line();
    return false;
  }
  // A label with nothing but whitespace after it, up to the end, has no value and adds none.
  if (!skip_token() || !skip_whitespace()) {
    end(ReadEnd::end_of_file);
    return false;
  }
  return read_value(value);
}

std::size_t ValueReader::read_values(std::int32_t* out, std::size_t capacity) {
  std::size_t count = 0;
  while (!ended_ && count < capacity) {
    // A label is expected here. A token that starts with "#" is a comment instead.
    if (!skip_whitespace()) {
      end(ReadEnd::end_of_file);
      break;
    }
    const std::size_t scanned =
        scan_whole_lines(path_, next_, end_, out + count, capacity - count, &line_);
    if (scanned > 0) {
      count += scanned;
      continue;
    }
    if (read_record(out[count])) ++count;
  }
  // A failed read cuts the file short wherever it happened, so it outranks what was seen.
  if (ended_ && read_errno_ != 0) {
    result_ = ReadResult{};
    result_.end = ReadEnd::unreadable;
    result_.saved_errno = read_errno_;
  }
  return count;
}

const ReadResult& ValueReader::read_all(ValueList& values) {
  // Values are decoded straight into the list's room, at least this many at a time.
  constexpr std::size_t kLeastRoom = 4096;
  while (!ended_) {
    const std::size_t size = values.size();
    if (!values.make_room(kLeastRoom)) {
      end(ReadEnd::out_of_memory);
      break;
    }
    values.set_size(size + read_values(values.data() + size, values.capacity() - size));
  }
  return result_;
}

void reserve_for_file_size(ValueList& values, std::uint64_t file_size) {
  // Where even that much address space cannot be had (under a limit that judges set), the list
  // grows as it is read instead, since the file may hold far fewer values.
  if (file_size / 4 < SIZE_MAX) values.reserve(static_cast<std::size_t>(file_size / 4 + 1));
}

ReadResult read_value_file(ByteSource source, ValueList& values, ReadOptions options) {
  ReadBlock block(options.block_size);
  if (!block.held()) {
    ReadResult result;
    result.end = ReadEnd::out_of_memory;
    return result;
  }
  ValueReader reader(std::move(source), block, options.path);
  return reader.read_all(values);
}
