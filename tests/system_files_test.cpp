// Paths as Windows opens them whatever their length: the rewriting, on every platform. Large
// lists asking for large pages, where Linux has them.
#include "system_files.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "value_list.hpp"

namespace {

TEST(SystemFiles, LongPathsTakeTheExtendedLengthForm) {
  const std::wstring folders = L"\\" + std::wstring(250, L'd');
  const std::wstring at_259 = L"C:" + folders + L"\\abcde";  // 259 characters
  struct Row {
    std::wstring path, opened;
  };
  const Row rows[] = {
      {at_259, at_259},
      {at_259 + L"g", L"\\\\?\\" + at_259 + L"g"},
      {L"\\\\server\\share" + folders, L"\\\\?\\UNC\\server\\share" + folders},
      {L"\\\\?\\" + at_259 + L"g", L"\\\\?\\" + at_259 + L"g"},
      {L"\\\\.\\pipe" + folders, L"\\\\.\\pipe" + folders},
      {L"\\\\server\\share\\in.txt", L"\\\\server\\share\\in.txt"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path.size());
    EXPECT_EQ(extended_length_path(row.path), row.opened);
  }
}

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

TEST(SystemFiles, LargeListsAskForLargePages) {
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
