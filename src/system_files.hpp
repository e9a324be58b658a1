// Files, the console and the process: start-up, the command line, files read by path or on
// standard input, files written, and standard output and error. The one place but the lists'
// memory (list_memory.hpp) where the checker reaches the operating system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Readies the process for a run: standard output takes the bytes of a line unchanged, and a
// reader of it that goes away (a grading script's `head`, say), or a file that reaches the size
// limit a judge set, makes writes fail rather than end the process, so the run still ends as it
// should.
void prepare_process();

// The command line as UTF-8 C strings, the program name first, for an argv-style call.
struct CommandLine {
  int count = 0;
  const char* const* texts = nullptr;
  std::vector<std::string> converted;  // what `texts` points into, where it is not `argv`
  std::vector<const char*> converted_texts;
};

// On Windows the command line is taken again from the wide-character one, since `argv` there is
// in the ANSI code page, which cannot name every file; that copy may throw std::bad_alloc.
// Elsewhere it is `argv` as given, which needs no memory, so a run whose limit leaves none still
// reads its arguments.
CommandLine command_line(int argc, char** argv);

// A full Windows path as Windows opens it whatever its length: one of 260 characters or more
// takes the "\\?\" prefix ("\\?\UNC\" for a network share), without which Windows refuses it
// unless the system allows long paths. Shorter paths, and paths already so written, are kept.
std::wstring extended_length_path(std::wstring_view full_path);

// A file opened for reading, or the errno of the failed open (then `fd` is negative).
struct OpenedFile {
  int fd = -1;
  int saved_errno = 0;
};

// Opens the file at the UTF-8 `path` for reading, as bytes, not inherited by child processes;
// works on pipes and FIFOs. A directory opens here and fails at its first read with EISDIR.
OpenedFile open_for_reading(const char* path);

// Opens the file at the UTF-8 `path` for reading only if it is a regular file, which can be read
// again: a pipe, a FIFO or a device cannot (a FIFO is not waited on).
OpenedFile open_regular_for_reading(const char* path);

// Puts a regular file open as `fd` back to its start; false for anything else, or on failure.
bool rewind_regular(int fd);

// Standard input, opened for reading as bytes (no "\r\n" folded on Windows).
OpenedFile standard_input();

// Fills up to `capacity` bytes at `into` from `fd`; returns how many, 0 at the end of the file,
// or -1 with errno set when reading failed. Interrupted calls are retried, and a non-blocking
// descriptor with nothing to read yet (a pipe whose writer has not written) is waited for.
std::ptrdiff_t read_file(int fd, char* into, std::size_t capacity);

// The size of the regular file `fd`; 0 for a pipe, a device or anything else whose size says
// nothing of what reading it will give.
std::uint64_t regular_file_size(int fd);

void close_file(int fd);

// Opens the file at the UTF-8 `path` for writing as bytes, creating it or emptying what it held.
OpenedFile open_for_writing(const char* path);

// Closes a file opened for writing; returns 0, or the errno of a failed close (a full disk can
// show only then, on some file systems).
int close_written(int fd);

// The path of the file `name` in `folder`, which may end in a separator or not: "/" everywhere,
// and "\\" too on Windows (elsewhere it is a character of a name like any other).
std::string file_in_folder(std::string_view folder, std::string_view name);

// Whether the UTF-8 paths `a` and `b` name one existing file, by whatever names: the same
// device and file number (volume and file index on Windows).
bool same_file(const char* a, const char* b);

// Writes all of `bytes` to `fd` unchanged, waiting while a non-blocking descriptor is full and
// retrying interrupted calls; false when a write failed (the reader of a pipe went away, say).
bool write_all(int fd, std::string_view bytes);
