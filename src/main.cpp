// The checker's process entry.
#include <string>
#include <vector>

#include "run.hpp"
#include "system_files.hpp"

int main(int argc, char** argv) {
  prepare_process();
  const std::vector<std::string> arguments = command_line_arguments(argc, argv);
  std::vector<const char*> argument_texts;
  for (const std::string& argument : arguments)
    argument_texts.push_back(argument.c_str());
  Console console;
  return run_checker(static_cast<int>(argument_texts.size()), argument_texts.data(), console);
}
