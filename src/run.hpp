// The run of the checker: the command line, the banner, the order of the run, and every line
// the tool writes.
#pragma once

#include <cstdint>
#include <string_view>

// Where the run's lines go. Once a write fails (the reader of a pipe went away, say), later
// lines are dropped rather than tried again.
struct Console {
  int fd = 1;
  bool lost = false;
};

// Writes `line`, which ends in a newline, with as few write(2) calls as the system allows: one
// for any line of ordinary length, so that each line leaves the process whole when it is written.
void write_line(Console& console, std::string_view line);

void print_size_error(Console& console);
void print_position_error(Console& console, std::uint64_t position, std::int32_t expected,
                          std::int32_t found);
void print_pass(Console& console);

// Checks the output file named by argv[2] against the input file named by argv[1], writing the
// banner and the verdict to `console`; any other argument count gets the usage line. Returns
// the exit status, which is 0 on every path.
int run_checker(int argc, const char* const* argv, Console& console);
