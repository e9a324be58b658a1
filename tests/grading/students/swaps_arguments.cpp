// A student's slip: the two file arguments the wrong way round. It reads the output file, which
// is not there, and writes its (empty) result over the input file.
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::ifstream in(argv[2]);
  std::ofstream out(argv[1]);
  std::string label, value;
  while (in >> label >> value)
    out << label << ' ' << value << '\n';
}
