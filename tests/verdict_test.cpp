// The reference order and the verdict lines.
#include "verdict.hpp"

#include <gtest/gtest.h>

#include <climits>

#include "captured_output.hpp"

namespace {

constexpr const char* kPass = "Congratulations: Your result passed this test!\n";
constexpr const char* kSizeError =
    "Error: The size of your output is different from the size of the input.\n";

TEST(Verdict, SortsBySignedValueKeepingEveryCopy) {
  ValueList reference{5, -1, INT_MAX, 0, INT_MIN, -1, 7, 5};
  sort_reference(reference);
  EXPECT_EQ(reference, (ValueList{INT_MIN, -1, -1, 0, 5, 5, 7, INT_MAX}));
}

TEST(Verdict, WritesExactLines) {
  struct Row {
    ValueList reference, output;
    std::string lines;
  };
  const Row rows[] = {
      {{}, {}, kPass},
      {{1, 2, 3}, {1, 2, 3}, kPass},
      {{4, 10, 16},
       {4, 16, 10},
       "Error: Data index 1 should be 10 but get 16 !\n"
       "Error: Data index 2 should be 16 but get 10 !\n"},
      {{-5, INT_MIN},
       {-2147483647 - 1, 2147483647},
       "Error: Data index 0 should be -5 but get -2147483648 !\n"
       "Error: Data index 1 should be -2147483648 but get 2147483647 !\n"},
      {{1, 1, 2}, {1, 2, 2}, "Error: Data index 1 should be 1 but get 2 !\n"},
      {{1, 2, 3}, {1, 2}, kSizeError},
      {{1, 2}, {1, 2, 3}, kSizeError},
      {{}, {0}, kSizeError},
  };
  for (const Row& row : rows) {
    CapturedOutput out;
    report_verdict(row.reference, row.output, out.console);
    EXPECT_EQ(out.text(), row.lines);
  }
}

TEST(Verdict, WritesEveryDifferingPositionInOrder) {
  ValueList reference(1000), output(1000);
  for (int i = 0; i < 1000; ++i) {
    reference[static_cast<std::size_t>(i)] = i;
    output[static_cast<std::size_t>(i)] = 999 - i;
  }
  CapturedOutput out;
  report_verdict(reference, output, out.console);
  const std::string text = out.text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1000);
  EXPECT_EQ(
      text.rfind("Error: Data index 999 should be 999 but get 0 !\n"),
      text.size() - std::string_view("Error: Data index 999 should be 999 but get 0 !\n").size());
}

}  // namespace
