// Paths as Windows opens them whatever their length: the rewriting, on every platform.
#include "system_files.hpp"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
