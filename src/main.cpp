// The checker's process entry.
#include "run.hpp"
#include "system_files.hpp"

int main(int argc, char** argv) {
  prepare_process();
  Console console;
  return run_checker(argc, argv, console);
}
