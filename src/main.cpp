// The checker's process entry.
#include <new>
#include <string>
#include <vector>

#include "run.hpp"
#include "system_files.hpp"

int main(int argc, char** argv) {
  prepare_process();
  Console console;
  try {
    const std::vector<std::string> arguments = command_line_arguments(argc, argv);
    const std::vector<const char*> texts = c_strings(arguments);
    return run_checker(static_cast<int>(texts.size()), texts.data(),
                       [&console](std::string_view line) { write_line(console, line); });
  } catch (const std::bad_alloc&) {
    // Only the command line is copied where memory could run out: the run itself asks for none
    // it has not set aside, but for the lists', whose lack has lines of their own.
    write_line(console, out_of_memory_line(FileRole::input).text());
    return 0;
  }
}
