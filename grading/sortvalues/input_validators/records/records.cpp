// Input validator of the example problem: a test's input is lines of exactly a label, one space
// and a value from -2147483648 to 2147483647, or comment lines starting with "#", at most a
// million records, every line ending in "\n". Exits 42 when the input is valid, 43 when not.
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>

namespace {

bool valid_value(const std::string& text) {
  const std::size_t digits = text.find_first_not_of("+-") == 1 ? 1 : 0;
  if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos)
    return false;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  return errno == 0 && value >= -2147483648LL && value <= 2147483647LL;
}

bool valid_record(const std::string& line) {
  const std::size_t space = line.find(' ');
  if (space == 0 || space == std::string::npos) return false;
  const std::string label = line.substr(0, space);
  return label.find_first_of("\t\r\v\f") == std::string::npos && valid_value(line.substr(space + 1));
}

}  // namespace

int main() {
  std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  if (!input.empty() && input.back() != '\n') return 43;
  long records = 0;
  std::size_t start = 0;
  while (start < input.size()) {
    const std::size_t end = input.find('\n', start);
    const std::string line = input.substr(start, end - start);
    start = end + 1;
    if (line.compare(0, 1, "#") == 0) continue;
    if (!valid_record(line) || ++records > 1000000) return 43;
  }
  return 42;
}
