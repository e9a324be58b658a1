// Writes a pair of value files for the benchmark: n records "label value\n" of uniform random
// 32-bit values (deterministic for a seed), and an output that is sorted (passes), sorted with
// every value changed (fails at every position), or shuffled.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

static void write_file(const char* path, const std::vector<std::int32_t>& values) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    std::perror(path);
    std::exit(1);
  }
  std::vector<char> buffer(1 << 20);
  std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::fprintf(file, "%zu %d\n", i + 1, values[i]);
  }
  if (std::fclose(file) != 0) {
    std::perror(path);
    std::exit(1);
  }
}

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s N sorted|failing|shuffled SEED INPUT OUTPUT\n", argv[0]);
    return 2;
  }
  const std::size_t n = std::strtoull(argv[1], nullptr, 10);
  const std::string kind = argv[2];
  std::mt19937_64 random(std::strtoull(argv[3], nullptr, 10));
  std::vector<std::int32_t> values(n);
  for (auto& value : values)
    value = static_cast<std::int32_t>(random());
  write_file(argv[4], values);
  if (kind == "shuffled") {
    std::shuffle(values.begin(), values.end(), random);
  } else {
    std::sort(values.begin(), values.end());
    if (kind == "failing") {
      for (auto& value : values)
        value = value == INT32_MAX ? value - 1 : value + 1;
    }
  }
  write_file(argv[5], values);
  return 0;
}
