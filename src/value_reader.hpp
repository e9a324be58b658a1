// Value files: bytes in, values out, and how the reading ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "value_list.hpp"

// How a read of a value file ended.
enum class ReadEnd {
  end_of_file,      // every byte was read
  value_limit,      // the caller's limit of values was reached; the rest was not looked at
  unreadable,       // reading the bytes failed; `saved_errno` says why
  malformed_value,  // a value is not an integer in range; `line` and `text` say where and what
};

struct ReadResult {
  ReadEnd end = ReadEnd::end_of_file;
  int saved_errno = 0;     // unreadable: errno of the failed read
  std::uint64_t line = 0;  // malformed_value: 1-based line on which its text starts
  std::string text;        // malformed_value: its first bytes, at most kShownTextBytes of them
  bool text_cut = false;   // malformed_value: the text goes on past `text`
};

// How much of a malformed value's text is kept for the message.
inline constexpr std::size_t kShownTextBytes = 32;

// Bytes read at a time: large enough that system calls cost nothing next to the scanning.
inline constexpr std::size_t kBlockSize = 256 * 1024;

// Fills up to `capacity` bytes at `into`; returns how many, 0 at the end of the bytes, or -1
// with errno set when reading failed.
using ByteSource = std::function<std::ptrdiff_t(char* into, std::size_t capacity)>;

// Reads the open file `fd` with read(2), retrying interrupted calls; works on pipes and FIFOs.
ByteSource file_bytes(int fd);

// Reads the value file behind `source` and appends its values to `values` in file order. Stops
// after `limit` values with ReadEnd::value_limit, and at the first malformed value or failed
// read with that ending; values read before a malformed value stay in the list.
ReadResult read_value_file(const ByteSource& source, ValueList& values,
                           std::size_t limit = std::numeric_limits<std::size_t>::max(),
                           std::size_t block_size = kBlockSize);
