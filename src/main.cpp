// The checker's process entry.
#include <new>

#include "run.hpp"
#include "system_files.hpp"

int main(int argc, char** argv) {
  prepare_process();
  Console console;
  try {
    const CommandLine line = command_line(argc, argv);
    return run_checker(line.count, line.texts,
                       [&console](std::string_view text) { write_line(console, text); });
  } catch (const std::bad_alloc&) {
    // Only Windows copies the command line, and only a program name of thousands of bytes asks
    // for memory for its usage line: the run itself asks for none it has not set aside, but for
    // the lists', whose lack has lines of their own.
    write_line(console, out_of_memory_line(FileRole::input).text());
    return 0;
  }
}
