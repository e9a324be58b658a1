// The straightforward checker most people would write: the peer that `make bench` measures
// `checker` against. Same lines for well-formed files; not part of the product.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

static void read_values(std::ifstream& in, std::vector<int>& values) {
  std::string label;
  int value;
  while (in >> label) {
    if (label[0] == '#') {
      std::getline(in, label);
      continue;
    }
    in >> value;
    values.push_back(value);
  }
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cout << "Usage: " << argv[0] << " <input_file> <your_output_file>" << std::endl;
    return 0;
  }
  std::cout << "--------------------------------------\n"
               "-                                    -\n"
               "-             Algorithm              -\n"
               "-            2019  Fall              -\n"
               "-         QX4 Result Checker         -\n"
               "-                                    -\n"
               "--------------------------------------\n"
            << std::endl;
  std::vector<int> reference, output;
  std::ifstream input_file(argv[1]);
  read_values(input_file, reference);
  std::sort(reference.begin(), reference.end());
  std::ifstream output_file(argv[2]);
  read_values(output_file, output);
  if (reference.size() != output.size()) {
    std::cout << "Error: The size of your output is different from the size of the input."
              << std::endl;
    return 0;
  }
  bool passed = true;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    if (reference[i] != output[i]) {
      std::cout << "Error: Data index " << i << " should be " << reference[i] << " but get "
                << output[i] << " !" << std::endl;
      passed = false;
    }
  }
  if (passed) std::cout << "Congratulations: Your result passed this test!" << std::endl;
  return 0;
}
