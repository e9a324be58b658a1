// Reads records of a label and a value, skipping comment lines, and writes the values in
// ascending order, one record a line.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

int main() {
  std::ios::sync_with_stdio(false);
  std::vector<long long> values;
  std::string label;
  long long value;
  while (std::cin >> label) {
    if (label[0] == '#') {
      std::getline(std::cin, label);
      continue;
    }
    if (!(std::cin >> value)) break;
    values.push_back(value);
  }
  std::sort(values.begin(), values.end());
  for (std::size_t i = 0; i < values.size(); ++i)
    std::cout << 'r' << i + 1 << ' ' << values[i] << '\n';
}
