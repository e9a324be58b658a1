// A wrong program that writes the same record to both files: judged against its own input file,
// it would pass.
#include <fstream>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::ofstream(argv[1]) << "a 1\n";
  std::ofstream(argv[2]) << "a 1\n";
}
