// Large lists asking for large pages, where Linux has them.
#include "list_memory.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "test_files.hpp"
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
  // A room of one large page (2 MiB) is the least that can hold one.
  constexpr std::size_t kValuesInLargePage = (std::size_t{2} << 20) / sizeof(std::int32_t);
  struct Row {
    std::size_t values;
    bool advised;
  };
  const Row rows[] = {
      {std::size_t{16} << 20, true},
      {kValuesInLargePage, true},
      {kValuesInLargePage - 1024, false},  // a small page less
      {1000, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.values);
    ValueList list;
    ASSERT_TRUE(list.reserve(row.values));
    EXPECT_EQ(mapping_flags(list.data() + row.values - 1).find(" hg") != std::string::npos,
              row.advised);
  }
}

// A list's room goes back when the list goes, grown or not: a judge that checks file after file
// in one process must not keep the rooms of all of them.
TEST(ListMemory, RoomGoesBackWithTheList) {
#if defined(CHECKER_SANITIZED)
  GTEST_SKIP() << "AddressSanitizer keeps freed memory a while";
#endif
  constexpr std::size_t kValues = std::size_t{16} << 20;  // 64 MiB
  const std::uint64_t before = address_space_in_use();
  for (int round = 0; round < 4; ++round) {
    ValueList list;
    ASSERT_TRUE(list.reserve(kValues / 2));
    ASSERT_TRUE(list.reserve(kValues));
  }
  EXPECT_LT(address_space_in_use(), before + kValues * sizeof(std::int32_t));
}
#endif

}  // namespace
