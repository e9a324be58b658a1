// A student's wrong program: copies the records of argv[1] to argv[2] in their order, and a
// value that cannot be read as a number after the last, with a quote and a backslash in it.
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::ifstream in(argv[1]);
  std::ofstream out(argv[2]);
  std::string label;
  long long value;
  while (in >> label) {
    if (label[0] == '#') {
      std::getline(in, label);
      continue;
    }
    if (!(in >> value)) break;
    out << label << ' ' << value << '\n';
  }
  out << "last \"\\\n";
}
