// Writes the values in the order they came: wrong unless the input was already sorted.
#include <iostream>
#include <string>

int main() {
  std::string label;
  long long value;
  while (std::cin >> label) {
    if (label[0] == '#') {
      std::getline(std::cin, label);
      continue;
    }
    if (!(std::cin >> value)) break;
    std::cout << label << ' ' << value << '\n';
  }
}
