// Sorts, but writes bare values without labels: each value is then read as a label, so the
// output holds about half as many values as it should.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

int main() {
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
  for (const long long v : values)
    std::cout << v << '\n';
}
