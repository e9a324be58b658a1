// The whole-line scanners: which lines they must decode themselves, and where they hand over.
#include "line_scanner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string lines_of(const std::string& line, int count) {
  std::string lines;
  for (int i = 0; i < count; ++i)
    lines += line;
  return lines;
}

TEST(LineScanner, TakesUsualLinesWholeAndHandsOverTheRest) {
  struct Row {
    std::string bytes;
    std::vector<std::int32_t> taken;  // the values decoded before the scanner hands over
  };
  const std::string long_label(5000, 'x');
  const Row rows[] = {
      // Taken whole.
      {"a 1\nb 22\n", {1, 22}},
      {"a 1\r\nbc -7\r\n", {1, -7}},
      {"a +5\nb -5\nc -0\n", {5, -5, 0}},
      {"a 1234567890\nb 0000000012\n", {1234567890, 12}},
      {"a 1\nb 2\n\n", {1, 2}},
      {"a -2147483648\nb 2147483647\n", {-2147483647 - 1, 2147483647}},
      {"a#b 3\n", {3}},
      {"!~\x7f\xa0\xff 3\n", {3}},  // label bytes just past a mark's range, and high ones
      {lines_of("label 9\n", 2000), std::vector<std::int32_t>(2000, 9)},
      // Odd-length lines put "\r\n" across every edge of 32 and 64 bytes, and mixed line ends
      // leave stretches of 64 bytes without one after an edge that had one.
      {lines_of("label -55\r\n", 300), std::vector<std::int32_t>(300, -55)},
      {lines_of("abc 1\r\n" + lines_of("label 1\n", 9), 100), std::vector<std::int32_t>(1000, 1)},
      // Any run of spaces and tabs around the value, at the line's start, and blank lines.
      {"a\t1\nb   22\n", {1, 22}},
      {"  a 1\n\t\tb\t \t-2 \t\n", {1, -2}},
      {"a 1 \r\nb\t-7\t\r\n", {1, -7}},
      {"a 1\n\n \t\n\r\n  \r\nb 2\n", {1, 2}},
      {lines_of("label" + std::string(60, ' ') + "9\t \n", 100), std::vector<std::int32_t>(100, 9)},
      {lines_of("\t" + lines_of("label\t 12   \r\n", 3) + "\r\n", 50),
       std::vector<std::int32_t>(150, 12)},
      // A "\r" that ends no line, a vertical tab and a form feed are blanks like a space.
      {"a 1\nb\v5\n", {1, 5}},
      {"a 1\n\v\nb 2\n", {1, 2}},
      {"a 1\nb \f 5\f\n\v\fc\v-6\n", {1, 5, -6}},
      {"a 1\nb\r5\n", {1, 5}},
      {"a 1\nb 5\r\r\n", {1, 5}},
      {"a 1\nb 5 \r \n", {1, 5}},
      {"a 1\n \r \nb 2\n", {1, 2}},
      {"\r a 1\r\n\r\r\n", {1}},
      // Handed over at the first line of another kind.
      {"a 1\n 5\n", {1}},
      {"a 1\n\tb 5 6\n", {1}},
      {"a 1\n  b\n5\n", {1}},
      {"a 1\n  #b 5\n", {1}},
      {"a 1\n5\nb 2\n", {1}},
      {"a 1\n5 \n", {1}},
      {"a 1\n# note\n", {1}},
      {"a 1\n\n  # 5\n", {1}},
      {"a 1\n# 5\n", {1}},
      {"a 1\nb 5 c 6\n", {1}},
      {"a 1\nb 5 #\n", {1}},
      {"a 1\nb #5\n", {1}},
      {"a 1\nb 12345678901\n", {1}},
      {"a 1\nb 2147483648\n", {1}},
      {"a 1\nb -2147483649\n", {1}},
      {"a 1\nb -\n", {1}},
      {"a 1\nb +-1\n", {1}},
      {"a 1\nb 1x\n", {1}},
      {"a 1\nb 12abc \n", {1}},
      {"a 1\nb !5\n", {1}},
      {"a 1\nb \2005\n", {1}},  // \200 is the byte 0x80
      {"a 1\nb 5\x01\n", {1}},
      {"a 1\nb 5\r", {1}},  // no line end before the end of the text
      {"a 1\nb 5", {1}},
      {"a 1\n" + long_label + " 2\n", {1}},  // longer than a window
      {"\x01 5\n", {}},
  };
  // The path the checker itself takes, and each of the others.
  std::vector<ScanPath> paths{usable_scan_path(ScanPath::fastest), ScanPath::scalar};
  if (simd_supported()) paths.push_back(ScanPath::simd);
  for (const ScanPath path : paths) {
    for (const Row& row : rows) {
      SCOPED_TRACE("path " + std::to_string(static_cast<int>(path)) + ", bytes \"" +
                   row.bytes.substr(0, 40) + "\"");
      // Past the end lie newlines and digits, which a scanner must not take for the text's own.
      std::string text = row.bytes + std::string(kScanOverread, '\n');
      std::fill_n(text.end() - 8, 8, '7');
      std::vector<std::int32_t> values(row.bytes.size());
      const char* next = text.data();
      std::uint64_t lines = 5;
      const std::size_t taken = scan_whole_lines(path, next, text.data() + row.bytes.size(),
                                                 values.data(), values.size(), &lines);
      values.resize(taken);
      EXPECT_EQ(values, row.taken);
      // The scanner stops at the start of a line, past the lines it counted, and past at least
      // each line whose value it took.
      const std::string_view passed(text.data(), static_cast<std::size_t>(next - text.data()));
      EXPECT_TRUE(passed.empty() || passed.back() == '\n');
      EXPECT_EQ(lines - 5,
                static_cast<std::uint64_t>(std::count(passed.begin(), passed.end(), '\n')));
      EXPECT_GE(lines - 5, taken);
    }
  }
}

TEST(LineScanner, StopsAtItsCapacity) {
  const std::string text = "a 1\nb 2\nc 3\n" + std::string(kScanOverread, '\0');
  for (const ScanPath path : {ScanPath::scalar, usable_scan_path(ScanPath::simd)}) {
    std::int32_t values[2];
    const char* next = text.data();
    EXPECT_EQ(scan_whole_lines(path, next, text.data() + 12, values, 2), 2u);
    EXPECT_EQ(next, text.data() + 8);
    EXPECT_EQ(values[1], 2);
  }
}

}  // namespace
