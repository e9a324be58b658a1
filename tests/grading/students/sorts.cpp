// A student's right program: reads the records of argv[1] and writes their values in ascending
// order to argv[2].
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::ifstream in(argv[1]);
  std::vector<long long> values;
  std::string label;
  long long value;
  while (in >> label) {
    if (label[0] == '#') {
      std::getline(in, label);
      continue;
    }
    if (!(in >> value)) break;
    values.push_back(value);
  }
  std::sort(values.begin(), values.end());
  std::ofstream out(argv[2]);
  for (const long long v : values)
    out << "r " << v << '\n';
}
