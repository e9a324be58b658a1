// The checker's process entry.
#include <string>
#include <vector>

#include "run.hpp"
#include "system_files.hpp"

int main(int argc, char** argv) {
  prepare_process();
  const std::vector<std::string> arguments = command_line_arguments(argc, argv);
  const std::vector<const char*> texts = c_strings(arguments);
  Console console;
  return run_checker(static_cast<int>(texts.size()), texts.data(), console);
}
