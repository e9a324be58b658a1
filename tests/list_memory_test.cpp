// Large lists asking for large pages, where Linux has them.
#include "list_memory.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "value_list.hpp"

namespace {

#if defined(__linux__) && defined(CHECKER_TESTS_NATIVE)
// The flags Linux lists for the mapping that holds `address` ("hg": huge pages advised).
std::string mapping_flags(const void* address) {
  std::ifstream maps("/proc/self/smaps");
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  bool inside = false;
  for (std::string line; std::getline(maps, line);) {
    std::uintptr_t first = 0, last = 0;
    char dash = 0;
    if (std::istringstream(line) >> std::hex >> first >> dash >> last && dash == '-') {
      inside = first <= at && at < last;
    } else if (inside && line.rfind("VmFlags:", 0) == 0) {
      return line;
    }
  }
  return "";
}

TEST(ListMemory, LargeListsAskForLargePages) {
#if defined(CHECKER_SANITIZED)
  GTEST_SKIP() << "under AddressSanitizer lists keep the C library's memory";
#endif
  if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage")) {
    GTEST_SKIP() << "no transparent huge pages in this kernel";
  }
  ValueList large, small;
  ASSERT_TRUE(large.reserve(std::size_t{16} << 20));
  ASSERT_TRUE(small.reserve(1000));
  EXPECT_NE(mapping_flags(large.data() + (std::size_t{8} << 20)).find(" hg"), std::string::npos);
  EXPECT_EQ(mapping_flags(small.data()).find(" hg"), std::string::npos);
}
#endif

}  // namespace
