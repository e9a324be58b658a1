// Value files: bytes in, values out, and how the reading ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "line_scanner.hpp"
#include "value_list.hpp"

// How a read of a value file ended.
enum class ReadEnd {
  end_of_file,      // every byte was read
  value_limit,      // the caller's limit of values was reached; the rest was not looked at
  unreadable,       // reading the bytes failed; `saved_errno` says why
  malformed_value,  // a value is not an integer in range; `line` and `text` say where and what
  out_of_memory,    // the memory to hold the values could not be had
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

struct ReadOptions {
  std::size_t block_size = kBlockSize;
  ScanPath path = ScanPath::fastest;
};

// The state of one read of a value file between calls of read_values: the unread bytes of the
// current block, the line they are on, and how reading ended once it has.
struct ValueReader {
  ByteSource source;
  std::size_t block_size = kBlockSize;
  ScanPath path = ScanPath::general;
  std::unique_ptr<char[]> block;  // block_size bytes, and kScanOverread more for the scanner
  const char* next = nullptr;
  const char* end = nullptr;
  bool exhausted = false;  // the source has said it has no more bytes, or failed
  int read_errno = 0;      // errno of the failed read, 0 if none failed
  std::uint64_t line = 1;  // 1-based line of `*next`
  bool ended = false;
  ReadResult result;  // how reading ended, once `ended`
};

// Starts a read of `source` on the scan path `options` asks for; ScanPath::simd falls back to
// ScanPath::scalar where the processor has no vector path (an x86-64 without AVX2).
ValueReader open_value_reader(ByteSource source, ReadOptions options = {});

// Decodes the next values, up to `capacity` of them, into `out` in file order and returns how
// many. Returns fewer only when reading has ended: at the end of the file, at a malformed value
// or at a failed read, as `reader.result` then says.
std::size_t read_values(ValueReader& reader, std::int32_t* out, std::size_t capacity);

// Reserves room for every value that a file of `file_size` bytes can hold, so the list never
// grows while it is read: a record takes at least four bytes ("a 1" and a separator). Room that
// is never written costs no memory. A file of unknown size (0), and one whose room cannot be
// had, grows the list as it goes.
void reserve_for_file_size(ValueList& values, std::uint64_t file_size);

// Reads the value file behind `source` and appends its values to `values` in file order. Stops
// after `limit` values with ReadEnd::value_limit; at the first malformed value or failed read
// with that ending, values read before a malformed value staying in the list; and with
// ReadEnd::out_of_memory when the list cannot grow.
ReadResult read_value_file(ByteSource source, ValueList& values,
                           std::size_t limit = std::numeric_limits<std::size_t>::max(),
                           ReadOptions options = {});
