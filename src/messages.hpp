// Every line the checker writes, and where the lines go.
#pragma once

#include <cstdint>
#include <string_view>

// Where the run's lines go. Once a write fails (the reader of a pipe went away, say), later
// lines are dropped rather than tried again.
struct Console {
  int fd = 1;
  bool lost = false;
};

// Writes `line`, which ends in a newline, with as few write calls as the system allows: one for
// any line of ordinary length, so that each line leaves the process whole when it is written.
void write_line(Console& console, std::string_view line);

// Which of the two files a message speaks of.
enum class FileRole { input, output };

// "Usage: NAME <input_file> <your_output_file>", with the program name as it was given.
void print_usage(Console& console, std::string_view program_name);

// The seven-line banner and the empty line after it, in one write.
void print_banner(Console& console);

// The file could not be opened or read; `saved_errno` gives the system's reason.
void print_unreadable(Console& console, FileRole file, int saved_errno);

// A value on 1-based `line` is not an integer in range. `text` is its start as found, shown with
// every byte that is not printable ASCII (and the quote and backslash) as \xHH; `text_cut` adds
// "..." to say there was more.
void print_malformed_value(Console& console, FileRole file, std::uint64_t line,
                           std::string_view text, bool text_cut);

void print_size_error(Console& console);
void print_position_error(Console& console, std::uint64_t position, std::int32_t expected,
                          std::int32_t found);
void print_pass(Console& console);
