// The work of a run as data: the input read and sorted as the reference, and the output read
// against it. The checker and checker-judge share it and differ only in what they keep of the
// output and how they word the result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "function_ref.hpp"
#include "messages.hpp"
#include "value_list.hpp"
#include "value_reader.hpp"

struct Check {
  bool stopped = false;  // reading a file failed, as `failed_file` and `failure` say
  FileRole failed_file = FileRole::input;
  ReadResult failure;         // ReadEnd::unreadable, malformed_value or out_of_memory
  int output_open_errno = 0;  // the output could not be opened, and was judged as empty
  ValueList reference;
};

// Reads the output's values with `reader` against the sorted reference, keeping what the caller
// needs of them; false when that could not be held in memory, which ends the check.
using OutputReading = FunctionRef<bool(ValueReader& reader, const ValueList& reference)>;

// Reads the input file at `input_path` and sorts its values as the reference, then hands the
// output at `output_path`, or standard input when it is null, to `read_output`. An output that
// cannot be opened reads as empty, and is never handed over. Stops at an input that cannot be
// read, holds a malformed value or cannot be held in memory, before the output is opened. All
// the memory it needs but the lists' is had before the first value is read.
Check check_files(const char* input_path, const char* output_path,
                  const OutputReading& read_output);

// Reads the value file at `path` again from its start, handing its values to `take` a chunk at a
// time for as long as it returns true. True when every value reached `take` and reading ended at
// the end of the file; false otherwise, and for what is not a regular file, which cannot be read
// twice, and when the memory to read it cannot be had.
bool reread_values(const char* path,
                   FunctionRef<bool(const std::int32_t* values, std::size_t count)> take);

// The output's bytes again from their start, for a look at its lines: the file at `path`, or
// standard input when null, where either is a regular file; the descriptor, -1 when they cannot
// be read again. Close it with close_output.
int reopen_output(const char* path);
void close_output(const char* path, int fd);

// Reads the bytes of a file open as `fd`.
ByteSource file_bytes(int fd);

// The line that says why reading `file` stopped with `failure`.
ShortLine failure_line(FileRole file, const ReadResult& failure);
