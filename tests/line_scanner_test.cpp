// The whole-line scanners: which lines they must decode themselves, and where they hand over.
#include "line_scanner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
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

// Lines of 65 bytes with `blank` between label and value: over 64 lines it falls on every offset
// of 64 bytes.
std::string blank_at_every_offset(const std::string& blank) {
  return lines_of(std::string(63 - blank.size(), 'x') + blank + "7\n", 64);
}

// A line led by `count` blanks, then lines that no blank leads: blanks that lead a line on past
// 64 bytes cross an edge of 64 bytes however a scanner's windows fall. Holds 1, 2, then twenty 3s.
std::string long_leading_blanks(std::size_t count) {
  return "x 1\n" + std::string(count, ' ') + "a 2\n" + lines_of("b 3\n", 20);
}

// Lines that blanks lead after lines of every length, so that over the windows of any scanner
// they start at every offset of 64 bytes, the edge among them; each holds 1, then 2.
std::string lines_led_by_blanks_everywhere() {
  std::string lines;
  for (std::size_t length = 1; length <= 130; ++length)
    lines += std::string(length % 61 + 1, 'x') + " 1\n  a 2\n";
  return lines;
}

TEST(LineScanner, TakesUsualLinesWholeAndHandsOverTheRest) {
  struct Row {
    std::string bytes;
    std::vector<std::int32_t> taken;  // the values decoded before the scanner hands over
  };
  const std::string long_label(5000, 'x');
  std::vector<std::int32_t> across_an_edge(22, 3);  // the values of long_leading_blanks
  across_an_edge[0] = 1;
  across_an_edge[1] = 2;
  std::vector<std::int32_t> lines_led_by_blanks_values;
  for (int i = 0; i < 130; ++i)
    lines_led_by_blanks_values.insert(lines_led_by_blanks_values.end(), {1, 2});
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
      {blank_at_every_offset("\v"), std::vector<std::int32_t>(64, 7)},
      {blank_at_every_offset("\f"), std::vector<std::int32_t>(64, 7)},
      {blank_at_every_offset("\t"), std::vector<std::int32_t>(64, 7)},
      {blank_at_every_offset("\r"), std::vector<std::int32_t>(64, 7)},
      // Blanks that lead lines at every offset of 64 bytes, and on across an edge of 64 bytes.
      {lines_led_by_blanks_everywhere(), lines_led_by_blanks_values},
      {long_leading_blanks(2), across_an_edge},
      {long_leading_blanks(70), across_an_edge},
      {long_leading_blanks(200), across_an_edge},
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

// A reader asked for a path takes that one, so that the tests that compare the paths compare
// them; only the vector path gives way, where the processor lacks it.
TEST(LineScanner, EachPathAskedForIsTheOneTaken) {
  const ScanPath vector_or_scalar = simd_supported() ? ScanPath::simd : ScanPath::scalar;
  EXPECT_EQ(usable_scan_path(ScanPath::fastest), vector_or_scalar);
  EXPECT_EQ(usable_scan_path(ScanPath::simd), vector_or_scalar);
  EXPECT_EQ(usable_scan_path(ScanPath::scalar), ScanPath::scalar);
  EXPECT_EQ(usable_scan_path(ScanPath::general), ScanPath::general);
}

#if defined(__linux__) && defined(__x86_64__) && defined(CHECKER_TESTS_NATIVE)
// The vector path is the checker's own wherever the processor has what it needs, as Linux lists
// the processor's features: a check that never passes would cost every file its speed.
TEST(LineScanner, TakesTheVectorPathWhereTheProcessorHasIt) {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
  }
  ASSERT_EQ(line.rfind("flags", 0), 0u) << "no flags in /proc/cpuinfo";
  std::istringstream words(line.substr(line.find(':') + 1));
  const std::set<std::string> flags{std::istream_iterator<std::string>(words), {}};
  const bool vector_ready =
      flags.count("avx2") && flags.count("bmi1") && flags.count("bmi2") && flags.count("popcnt");
  EXPECT_EQ(simd_supported(), vector_ready);
}
#endif

}  // namespace
