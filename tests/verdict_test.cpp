// The output read against the reference, and the verdict lines.
#include "verdict.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "captured_output.hpp"
#include "memory_bytes.hpp"

namespace {

constexpr const char* kPass = "Congratulations: Your result passed this test!\n";
constexpr const char* kSizeError =
    "Error: The size of your output is different from the size of the input.\n";

// An output held whole, as the verdict accepts it: kept from position 0 on.
OutputValues whole(const ValueList& values) {
  return {values.size(), 0, ValueList(values.begin(), values.end())};
}

// The values 0 to size - 1, in order.
ValueList counting(std::size_t size) {
  ValueList values;
  for (std::size_t i = 0; i < size; ++i) {
    const auto value = static_cast<std::int32_t>(i);
    values.append(&value, &value + 1);
  }
  return values;
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
    report_verdict(row.reference, whole(row.output),
                   [&out](std::string_view line) { write_line(out.console, line); });
    EXPECT_EQ(out.text(), row.lines);
  }
}

TEST(Verdict, WritesEveryDifferingPositionInOrder) {
  ValueList reference = counting(1000);
  ValueList output = counting(1000);
  std::reverse(output.begin(), output.end());
  CapturedOutput out;
  report_verdict(reference, whole(output),
                 [&out](std::string_view line) { write_line(out.console, line); });
  const std::string text = out.text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1000);
  EXPECT_EQ(
      text.rfind("Error: Data index 999 should be 999 but get 0 !\n"),
      text.size() - std::string_view("Error: Data index 999 should be 999 but get 0 !\n").size());
}

TEST(Verdict, OutputIsKeptOnlyFromItsFirstDifference) {
  const ValueList reference{1, 2, 3, 4};
  struct Row {
    std::string bytes;
    std::uint64_t size, first_difference;
    ValueList kept;
  };
  const Row rows[] = {
      {"a 1 b 2 c 3 d 4", 4, 4, {}},
      {"a 1 b 2 c 9 d 4", 4, 2, {9, 4}},
      {"a 1 b 2", 2, 2, {}},
      {"a 1 b 2 c 3 d 4 e 5 f 6 g 7", 5, 4, {5}},  // stops one past the reference's size
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    ReadBlock block;
    ValueReader reader(memory_bytes(row.bytes), block);
    const OutputValues output = read_output(reader, reference);
    EXPECT_EQ(output.size, row.size);
    EXPECT_EQ(output.first_difference, row.first_difference);
    EXPECT_EQ(output.from_first_difference, row.kept);
  }
}

TEST(Verdict, OutputIsComparedAcrossChunkEdges) {
  // The output is read and compared 16384 values at a time; 16385 values end one past a chunk.
  constexpr std::size_t kSize = 16385;
  const ValueList reference = counting(kSize);
  // The reference's values in order, but -1 at position `changed`, then `after`.
  const auto output_with = [](std::size_t changed, std::string_view after) {
    std::string bytes;
    for (std::size_t i = 0; i < kSize; ++i)
      bytes += i == changed ? "r -1\n" : "r " + std::to_string(i) + "\n";
    return bytes.append(after);
  };
  struct Row {
    std::string bytes;
    std::uint64_t size, first_difference;
    ValueList kept;
    bool ended;  // false: stopped one past the reference, the rest unread
  };
  const Row rows[] = {
      {output_with(kSize, ""), kSize, kSize, {}, true},
      {output_with(16384, ""), kSize, 16384, {-1}, true},
      {output_with(16383, ""), kSize, 16383, {-1, 16384}, true},
      // The value past the reference is read; the malformed one after it is not.
      {output_with(kSize, "r 5\nr x\n"), kSize + 1, kSize, {5}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.first_difference));
    ReadBlock block;
    ValueReader reader(memory_bytes(row.bytes), block);
    const OutputValues output = read_output(reader, reference);
    EXPECT_EQ(output.size, row.size);
    EXPECT_EQ(output.first_difference, row.first_difference);
    EXPECT_EQ(output.from_first_difference, row.kept);
    EXPECT_EQ(reader.ended(), row.ended);
    if (reader.ended()) {
      EXPECT_EQ(reader.result().end, ReadEnd::end_of_file);
    }
  }
}

}  // namespace
