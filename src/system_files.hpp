// The one place the checker reaches the operating system: start-up, files read by path, and
// standard output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Readies the process for a run: a reader of standard output that goes away (a grading script's
// `head`, say) must not end it, so its writes fail instead and the run still ends with status 0.
void prepare_process();

// A file opened for reading, or the errno of the failed open (then `fd` is negative).
struct OpenedFile {
  int fd = -1;
  int saved_errno = 0;
};

// Opens `path` for reading, retrying interrupted calls; works on pipes and FIFOs. A directory
// opens here and fails at its first read.
OpenedFile open_for_reading(const char* path);

// Fills up to `capacity` bytes at `into` from `fd`; returns how many, 0 at the end of the file,
// or -1 with errno set when reading failed. Interrupted calls are retried.
std::ptrdiff_t read_file(int fd, char* into, std::size_t capacity);

// The size of the regular file `fd`; 0 for a pipe, a device or anything else whose size says
// nothing of what reading it will give.
std::uint64_t regular_file_size(int fd);

void close_file(int fd);

// Writes all of `bytes` to `fd`, waiting while a non-blocking descriptor is full and retrying
// interrupted calls; false when a write failed (the reader of a pipe went away, say).
bool write_all(int fd, std::string_view bytes);
