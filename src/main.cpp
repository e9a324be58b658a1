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
    // Only Windows asks for memory here, to convert the command line: the run itself asks for
    // none it has not set aside but the lists', whose lack has lines of their own, and a failed
    // malloc throws nothing.
    write_line(console, out_of_memory_line(FileRole::input).text());
    return 0;
  }
}
