// Value files: bytes in, values out, and how the reading ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "line_scanner.hpp"
#include "malloc_array.hpp"
#include "value_list.hpp"

// How a read of a value file ended.
enum class ReadEnd {
  end_of_file,      // every byte was read
  unreadable,       // reading the bytes failed; `saved_errno` says why
  malformed_value,  // a value is not an integer in range; `line` and `text` say where and what
  out_of_memory,    // the memory to hold the values could not be had
};

// How much of a malformed value's text is kept for the message.
inline constexpr std::size_t kShownTextBytes = 32;

struct ReadResult {
  ReadEnd end = ReadEnd::end_of_file;
  int saved_errno = 0;     // unreadable: errno of the failed read
  std::uint64_t line = 0;  // malformed_value: 1-based line on which its text starts
  // malformed_value: its first bytes, at most kShownTextBytes of them, held here so that a
  // failing read needs no memory.
  char text_bytes[kShownTextBytes] = {};
  std::size_t text_size = 0;
  bool text_cut = false;  // malformed_value: the text goes on past `text`

  std::string_view text() const { return {text_bytes, text_size}; }
};

// Bytes read at a time: large enough that system calls cost little next to the scanning, and
// small enough that the system copies them into the caches, where the scanner finds them
// (measured, the passing pair of 10^7 values: 0.29 s with 64 KiB, 0.28 s with 32, 0.30 s with
// 16, and 0.40 s with 128 or 256 KiB, which spill from the caches before they are scanned).
inline constexpr std::size_t kBlockSize = 64 * 1024;

// The memory a reader reads into: one block, which the input's reader and then the output's
// use, so that it is had once, before any value is read.
class ReadBlock {
 public:
  // `size` bytes, and kScanOverread more for the scanner; none when the memory cannot be had.
  explicit ReadBlock(std::size_t size = kBlockSize);
  bool held() const { return bytes_ != nullptr; }
  char* data() { return bytes_.get(); }
  std::size_t size() const { return size_; }

 private:
  MallocArray<char> bytes_;
  std::size_t size_;
};

// Fills up to `capacity` bytes at `into`; returns how many, 0 at the end of the bytes, or -1
// with errno set when reading failed.
using ByteSource = std::function<std::ptrdiff_t(char* into, std::size_t capacity)>;

// One read of a value file: the unread bytes of the current block, the line they are on, and,
// once reading has ended, how. Only the reader decides how a read ended; a caller that stops
// asking for values before then leaves the rest unread.
class ValueReader {
 public:
  // Starts a read of `source` into `block`, which must be held and outlive the read, on the
  // scan path `path` asks for; ScanPath::simd falls back to ScanPath::scalar where the processor
  // has no vector path (an x86-64 without AVX2).
  ValueReader(ByteSource source, ReadBlock& block, ScanPath path = ScanPath::fastest);

  // Decodes the next values, up to `capacity` of them, into `out` in file order and returns how
  // many. Returns fewer only when reading has ended: at the end of the file, at a malformed
  // value or at a failed read, as result() then says.
  std::size_t read_values(std::int32_t* out, std::size_t capacity);

  // Appends every value left to `values`, decoded straight into its room; ends with
  // ReadEnd::out_of_memory, the values read so far kept, when the list cannot grow.
  const ReadResult& read_all(ValueList& values);

  bool ended() const { return ended_; }
  // How reading ended, once it has.
  const ReadResult& result() const { return result_; }

 private:
  bool fill();
  bool skip_whitespace();
  bool skip_token();
  void skip_line();
  bool read_value(std::int32_t& value);
  bool read_record(std::int32_t& value);
  void end(ReadEnd how);

  ByteSource source_;
  char* block_;
  std::size_t block_size_;
  ScanPath path_;
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  bool exhausted_ = false;  // the source has said it has no more bytes, or failed
  int read_errno_ = 0;      // errno of the failed read, 0 if none failed
  std::uint64_t line_ = 1;  // 1-based line of `*next_`
  bool ended_ = false;
  ReadResult result_;
};

// Reserves room for every value that a file of `file_size` bytes can hold, so the list need not
// grow while it is read. A record takes at least three bytes (`x 3y 2z 1` is three records in 9
// bytes), but the usual one at least four ("a 1" and a line end), which is what is reserved: a
// file of shorter records grows the list past it. Room that is never written costs no memory. A
// file of unknown size (0), and one whose room cannot be had, grows the list as it goes.
void reserve_for_file_size(ValueList& values, std::uint64_t file_size);

struct ReadOptions {
  std::size_t block_size = kBlockSize;
  ScanPath path = ScanPath::fastest;
};

// Reads the value file behind `source` with a block of its own and appends its values to
// `values` in file order: ValueReader::read_all for one file.
ReadResult read_value_file(ByteSource source, ValueList& values, ReadOptions options = {});
