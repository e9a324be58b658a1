// Sorts by a comparison that overflows (a - b < 0), so the extreme values land out of order.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

int main() {
  std::vector<int> values;
  std::string label;
  int value;
  while (std::cin >> label) {
    if (label[0] == '#') {
      std::getline(std::cin, label);
      continue;
    }
    if (!(std::cin >> value)) break;
    values.push_back(value);
  }
  std::sort(values.begin(), values.end(), [](int a, int b) {
    return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b)) < 0;
  });
  for (std::size_t i = 0; i < values.size(); ++i)
    std::cout << 'r' << i + 1 << ' ' << values[i] << '\n';
}
