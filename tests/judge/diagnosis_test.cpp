// The diagnosis: the lines it writes for each fault a student makes, full and for a contestant
// who may not see the test data, and its facts against a plain computation on random pairs.
#include "judge/diagnosis.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "judge/protocols.hpp"
#include "memory_bytes.hpp"
#include "test_files.hpp"

namespace {

// The lines of `text` that start with "Diagnosis: ", the prefix taken off.
std::string diagnosis_of(const std::string& text) {
  std::string lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string line = text.substr(start, end - start);
    if (line.starts_with("Diagnosis: ")) lines += line.substr(11);
    start = end;
  }
  return lines;
}

// Records of these values, one a line.
std::string records(const std::vector<std::int32_t>& values) {
  std::string text;
  for (const std::int32_t value : values)
    text += "r " + std::to_string(value) + "\n";
  return text;
}

TEST(Diagnosis, NamesTheFaultThatExplainsTheWholeDifference) {
  const TempDir dir;
  const std::string input = records({16, 4, 10, -3, 10});  // sorted: -3 4 10 10 16
  const std::string wide = records({2000000000, -2000000000, 5, 7});
  struct Row {
    std::string what, input, output, lines, hidden;
  };
  const std::string same = "your output holds 5 values, as many as the input.\n";
  const Row rows[] = {
      {"right", input, records({-3, 4, 10, 10, 16}), "", ""},
      {"descending", input, records({16, 10, 10, 4, -3}),
       same +
           "your output holds exactly the input's values, but 4 of 5 positions are out of order.\n"
           "the first value followed by a smaller one is at index 0: 16, then 10.\n"
           "your values are in descending order; they belong in ascending order.\n",
       same +
           "your output holds exactly the input's values, but 4 of 5 positions are out of order.\n"
           "the first value followed by a smaller one is at index 0.\n"
           "your values are in descending order; they belong in ascending order.\n"},
      {"input order", input, "x 16\nx 4\nx 10\nx -3\nx 10\n",
       same +
           "your output holds exactly the input's values, but 3 of 5 positions are out of order.\n"
           "the first value followed by a smaller one is at index 0: 16, then 4.\n"
           "your output keeps the input's own order: the values were not sorted.\n",
       same +
           "your output holds exactly the input's values, but 3 of 5 positions are out of order.\n"
           "the first value followed by a smaller one is at index 0.\n"
           "your output keeps the input's own order: the values were not sorted.\n"},
      {"text order", input, records({-3, 10, 10, 16, 4}),
       same +
           "your output holds exactly the input's values, but 3 of 5 positions are out of order.\n"
           "the first value followed by a smaller one is at index 3: 16, then 4.\n"
           "your values are sorted as text, not as numbers: as text, \"10\" comes before \"9\".\n",
       same +
           "your output holds exactly the input's values, but 3 of 5 positions are out of order.\n"
           "the first value followed by a smaller one is at index 3.\n"
           "your values are sorted as text, not as numbers: as text, \"10\" comes before \"9\".\n"},
      {"a - b", wide, records({5, 7, 2000000000, -2000000000}),
       "your output holds 4 values, as many as the input.\n"
       "your output holds exactly the input's values, but 4 of 4 positions are out of order.\n"
       "the first value followed by a smaller one is at index 2: 2000000000, then -2000000000.\n"
       "each value followed by a smaller one is more than 2^31 above it: the mark of a comparison "
       "that overflows, such as a - b.\n",
       "your output holds 4 values, as many as the input.\n"
       "your output holds exactly the input's values, but 4 of 4 positions are out of order.\n"
       "the first value followed by a smaller one is at index 2.\n"
       "each value followed by a smaller one is more than 2^31 above it: the mark of a comparison "
       "that overflows, such as a - b.\n"},
      {"one dropped", input, records({-3, 4, 10, 10}),
       "your output holds 4 values and the input 5: 1 fewer.\n"
       "1 value of the input is missing from your output: 16.\n"
       "your output is the input's values, sorted, with one value dropped (16).\n",
       "your output holds 4 values and the input 5: 1 fewer.\n"
       "1 value of the input is missing from your output.\n"
       "your output is the input's values, sorted, with one value dropped.\n"},
      {"one repeated", input, records({-3, 4, 4, 10, 10, 16}),
       "your output holds 6 values and the input 5: 1 more.\n"
       "your output holds 1 value the input does not: 4.\n"
       "your output is the input's values, sorted, with one value repeated (4).\n",
       "your output holds 6 values and the input 5: 1 more.\n"
       "your output holds 1 value the input does not.\n"
       "your output is the input's values, sorted, with one value repeated.\n"},
      {"other values", input, records({-3, 4, 10, 11, 11}),
       same + "2 values of the input are missing from your output: 10, 16.\n"
              "your output holds 2 values the input does not: 11 (2 times).\n"
              "your output is sorted, but holds other values than the input's.\n",
       same + "2 values of the input are missing from your output.\n"
              "your output holds 2 values the input does not.\n"
              "your output is sorted, but holds other values than the input's.\n"},
      // Mixtures: facts only, when no one fault explains them all.
      {"unsorted, other values", input, records({16, 4, 10, -3, 11}),
       same + "1 value of the input is missing from your output: 10.\n"
              "your output holds 1 value the input does not: 11.\n",
       same + "1 value of the input is missing from your output.\n"
              "your output holds 1 value the input does not.\n"},
      {"dropped and unsorted", input, records({4, -3, 10, 10}),
       "your output holds 4 values and the input 5: 1 fewer.\n"
       "1 value of the input is missing from your output: 16.\n",
       "your output holds 4 values and the input 5: 1 fewer.\n"
       "1 value of the input is missing from your output.\n"},
      {"endless", input, records({-3, 4, 10, 10, 16, 17, 18, 19}),
       "your output holds more than 6 values, the input 5.\n", ""},
      // Lines of other shapes, named from the output's lines.
      {"bare values", input, "-3\n4\n10\n10\n16\n",
       "your output holds 2 values and the input 5: 3 fewer.\n"
       "3 values of the input are missing from your output: -3, 10, 16.\n"
       "every line of your output holds one word, a value without its label: each value needs a "
       "label before it.\n",
       "your output holds 2 values and the input 5: 3 fewer.\n"
       "3 values of the input are missing from your output.\n"
       "every line of your output holds one word, a value without its label: each value needs a "
       "label before it.\n"},
      {"count first", input, "5\n" + records({-3, 4, 10, 10, 16}),
       "the first line of your output holds only the number of values (5), which is read as a "
       "label.\n",
       "the first line of your output holds only the number of values, which is read as a "
       "label.\n"},
      {"one line", input, "-3 4 10 10 16\n",
       "your output holds 2 values and the input 5: 3 fewer.\n"
       "3 values of the input are missing from your output: -3, 10, 16.\n"
       "all 5 words of your output are on line 1: write one record a line, a label and a "
       "value.\n",
       "your output holds 2 values and the input 5: 3 fewer.\n"
       "3 values of the input are missing from your output.\n"
       "all 5 words of your output are on line 1: write one record a line, a label and a "
       "value.\n"},
      {"python list", input, "[-3, 4, 10, 10, 16]\n",
       "your output holds 4 values and the input 5: 1 fewer.\n"
       "1 value of the input is missing from your output: -3.\n"
       "all 5 words of your output are on line 1: write one record a line, a label and a "
       "value.\n",
       "your output holds 4 values and the input 5: 1 fewer.\n"
       "1 value of the input is missing from your output.\n"
       "all 5 words of your output are on line 1: write one record a line, a label and a "
       "value.\n"},
      {"floats", input, "a -3.0\nb 4.0\nc 10.0\nd 10.0\ne 16.0\n",
       "line 1 of your output has \"-3.0\" where a whole number belongs.\n",
       "line 1 of your output has a number with a decimal point where a whole number belongs.\n"},
      {"debug print", input, "a -3\nb 4\nsorting, n=5\nc 10\nd 10\ne 16\n",
       "line 3 of your output is not a record: \"sorting, n=5\".\n",
       "line 3 of your output is not a record.\n"},
      {"no output file", input, "", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string in = dir.file("in", row.input);
    const std::string out =
        row.what == "no output file" ? dir.path + "/none" : dir.file("out", row.output);
    const Judgement judgement = judge_files(in.c_str(), out.c_str(), 20, Diagnose::yes);
    std::string full, hidden;
    write_message(judgement, [&full](std::string_view line) { full.append(line); });
    write_team_message(judgement, [&hidden](std::string_view line) { hidden.append(line); });
    if (row.what == "no output file") {
      const std::string opened = "your output file cannot be opened (" +
                                 std::string(std::strerror(ENOENT)) + "), so it reads as empty.\n";
      EXPECT_TRUE(diagnosis_of(full).starts_with(opened)) << full;
      EXPECT_TRUE(diagnosis_of(hidden).starts_with(opened)) << hidden;
      continue;
    }
    EXPECT_EQ(diagnosis_of(full), row.lines);
    // For a contestant: no value of the test and no text of the output.
    EXPECT_EQ(diagnosis_of(hidden), row.hidden.empty() ? row.lines : row.hidden);
  }
}

// What a look at the comparison is shown (the page draws from it): the sorted reference and the
// output's values as the file holds them, even where the diagnosis then reorders those it kept.
TEST(Judgement, LookSeesTheSortedReferenceAndTheOutputAsWritten) {
  const TempDir dir;
  const std::string input = dir.file("in", records({16, 4, 10, -3, 10}));
  const std::vector<std::vector<std::int32_t>> outputs = {
      {16, 10, 10, 4, -3}, {-3, 4, 10, 10, 16}, {-3, 4, 10, 10}, {-3, 4, 10, 10, 16, 16}};
  for (const auto& output : outputs) {
    std::vector<std::int32_t> reference, seen;
    std::uint64_t looks = 0;
    const Judgement judgement =
        judge_files(input.c_str(), dir.file("out", records(output)).c_str(), 20, Diagnose::yes,
                    [&](const ValueList& sorted, const OutputComparison& comparison) {
                      ++looks;
                      for (std::size_t i = 0; i < sorted.size(); ++i)
                        reference.push_back(sorted[i]);
                      for (std::uint64_t i = 0; i < comparison.size; ++i)
                        seen.push_back(output_value(sorted, comparison, i));
                    });
    EXPECT_EQ(looks, 1u);
    EXPECT_EQ(reference, (std::vector<std::int32_t>{-3, 4, 10, 10, 16}));
    EXPECT_EQ(seen, output);
    EXPECT_EQ(judgement.outcome, output == reference ? Outcome::pass : Outcome::wrong);
  }
}

// The input's order is told from a reread of the input in chunks: across many of them, an
// output in the input's order is named so, and one that leaves it only near its end is not.
TEST(Diagnosis, InputOrderHoldsAcrossTheWholeInput) {
  const TempDir dir;
  std::vector<std::int32_t> values;
  for (std::int32_t i = 0; i < 20000; ++i)
    values.push_back(i * 7919 % 20000);
  const std::string input = dir.file("in", records(values));
  const std::string kept = "your output keeps the input's own order: the values were not sorted.\n";
  for (const bool swapped : {false, true}) {
    std::vector<std::int32_t> output = values;
    if (swapped) std::swap(output[19000], output[19001]);
    const Judgement judgement =
        judge_files(input.c_str(), dir.file("out", records(output)).c_str(), 20, Diagnose::yes);
    std::string full;
    write_message(judgement, [&full](std::string_view line) { full.append(line); });
    EXPECT_EQ(diagnosis_of(full).find(kept) != std::string::npos, !swapped) << full;
  }
}

// Every line of a diagnosis fits the feedback's caps: at most 8 lines of at most 160 bytes of
// printable ASCII, whatever the output holds.
TEST(Diagnosis, StaysWithinItsCaps) {
  const TempDir dir;
  std::string wild_line(300, 'x');
  for (std::size_t i = 0; i < wild_line.size(); i += 3)
    wild_line[i] = static_cast<char>(i % 32);
  const std::string input = records({-2147483647 - 1, 2147483647, 0, 5, 5, -7});
  const std::string outputs[] = {
      "a 1\nb 2\n" + wild_line + "\nc 3\nd 4\ne 5\nf 6\n",
      "a 1.5e10\nb " + std::string(200, '9') + ".5\nc 1\n",
      records({2147483647, 2147483646, 2147483645, 2147483644, 2147483643, 2147483642}),
      records({-2147483647 - 1, -2147483647, -2147483646, -2147483645, 7, 7, 7}),
  };
  for (const std::string& output : outputs) {
    const Judgement judgement = judge_files(dir.file("in", input).c_str(),
                                            dir.file("out", output).c_str(), 20, Diagnose::yes);
    std::string full;
    write_message(judgement, [&full](std::string_view line) { full.append(line); });
    const std::string lines = diagnosis_of(full);
    EXPECT_LE(std::count(lines.begin(), lines.end(), '\n'), 8) << lines;
    std::size_t start = 0;
    while (start < full.size()) {
      const std::size_t end = full.find('\n', start);
      const std::string line = full.substr(start, end - start);
      if (line.starts_with("Diagnosis: ")) {
        EXPECT_LE(line.size() + 1, kDiagnosisLineBytes) << line;
        EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) {
          return c >= 0x20 && c < 0x7f;
        })) << line;
      }
      start = end + 1;
    }
  }
}

// Random pairs, their outputs made by the ways a program goes wrong and by chance: the counts,
// the values missing and extra, and the first descent agree with a plain computation, and each
// fault named is there.
TEST(Diagnosis, FactsAgreeWithAPlainComputationAndNamedFaultsAreThere) {
  const TempDir dir;
  std::mt19937 random(21);
  const auto text_less = [](std::int32_t a, std::int32_t b) {
    return std::to_string(a) < std::to_string(b);
  };
  for (int pair = 0; pair < 400; ++pair) {
    SCOPED_TRACE(pair);
    // Small values repeat; wide ones are more than 2^31 apart.
    const bool wide = random() % 4 == 0;
    std::vector<std::int32_t> input(1 + random() % 12);
    for (std::int32_t& value : input) {
      value = wide ? static_cast<std::int32_t>(random())
                   : static_cast<std::int32_t>(random() % 21) - 10;
    }
    std::vector<std::int32_t> sorted = input;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::int32_t> output = sorted;
    switch (random() % 8) {
      case 0:
        std::reverse(output.begin(), output.end());
        break;
      case 1:
        output = input;
        break;
      case 2:
        std::sort(output.begin(), output.end(), text_less);
        break;
      case 3:  // a comparison that subtracts
        std::sort(output.begin(), output.end(), [](std::int32_t a, std::int32_t b) {
          return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) -
                                           static_cast<std::uint32_t>(b)) < 0;
        });
        break;
      case 4:
        output.erase(output.begin() + static_cast<std::ptrdiff_t>(random() % output.size()));
        break;
      case 5:
        output.insert(output.begin(), output.front());
        break;
      case 6:
        for (std::int32_t& value : output)
          value += random() % 3 == 0;
        break;
      default:
        std::shuffle(output.begin(), output.end(), random);
        output.resize(random() % (output.size() + 2), 3);
    }
    std::string input_text, output_text;
    for (const std::int32_t value : input)
      input_text += "a " + std::to_string(value) + "\n";
    for (const std::int32_t value : output)
      output_text += "b " + std::to_string(value) + "\n";
    const std::string in = dir.file("in", input_text), out = dir.file("out", output_text);
    const Judgement judgement = judge_files(in.c_str(), out.c_str(), 20, Diagnose::yes);
    if (output == sorted) {
      EXPECT_FALSE(judgement.diagnosed);
      continue;
    }
    ASSERT_TRUE(judgement.facts_known);
    const OutputFacts& facts = judgement.facts;
    if (output.size() > input.size() + 1) {
      EXPECT_FALSE(facts.output_size_exact);
      continue;
    }
    ASSERT_TRUE(facts.values_known);
    EXPECT_EQ(facts.output_size, output.size());
    // Missing and extra values, with how many times each, in ascending order.
    std::map<std::int32_t, std::int64_t> balance;
    for (const std::int32_t value : input)
      ++balance[value];
    for (const std::int32_t value : output)
      --balance[value];
    std::vector<ValueTimes> missing, extra;
    for (const auto& [value, count] : balance) {
      if (count > 0) missing.push_back({value, static_cast<std::uint64_t>(count)});
      if (count < 0) extra.push_back({value, static_cast<std::uint64_t>(-count)});
    }
    const auto total = [](const std::vector<ValueTimes>& values) {
      std::uint64_t sum = 0;
      for (const ValueTimes& value : values)
        sum += value.times;
      return sum;
    };
    EXPECT_EQ(facts.missing_total, total(missing));
    EXPECT_EQ(facts.extra_total, total(extra));
    EXPECT_EQ(facts.missing_distinct, missing.size());
    EXPECT_EQ(facts.extra_distinct, extra.size());
    for (std::size_t i = 0; i < facts.missing_shown; ++i) {
      EXPECT_EQ(facts.missing[i].value, missing[i].value);
      EXPECT_EQ(facts.missing[i].times, missing[i].times);
    }
    for (std::size_t i = 0; i < facts.extra_shown; ++i) {
      EXPECT_EQ(facts.extra[i].value, extra[i].value);
      EXPECT_EQ(facts.extra[i].times, extra[i].times);
    }
    const auto descent = std::adjacent_find(output.begin(), output.end(), std::greater<>());
    EXPECT_EQ(facts.has_descent, descent != output.end());
    if (descent != output.end()) {
      EXPECT_EQ(facts.descent_at, static_cast<std::uint64_t>(descent - output.begin()));
      EXPECT_EQ(facts.descent_from, descent[0]);
      EXPECT_EQ(facts.descent_to, descent[1]);
    }
    // The fault named, if any, is there.
    std::string lines;
    write_message(judgement, [&lines](std::string_view line) { lines.append(line); });
    const bool same = missing.empty() && extra.empty();
    const bool ordered = descent == output.end();
    std::vector<std::int32_t> reversed(sorted.rbegin(), sorted.rend());
    std::vector<std::int32_t> by_text = sorted;
    std::sort(by_text.begin(), by_text.end(), text_less);
    const auto named = [&lines](std::string_view fault) {
      return lines.find(fault) != std::string::npos;
    };
    if (named("descending order")) {
      EXPECT_EQ(output, reversed);
    }
    if (named("the input's own order")) {
      EXPECT_EQ(output, input);
    }
    if (named("sorted as text")) {
      EXPECT_TRUE(same && !ordered && std::is_sorted(output.begin(), output.end(), text_less));
    }
    if (named("overflows")) {
      EXPECT_TRUE(same && !ordered);
      for (std::size_t i = 0; i + 1 < output.size(); ++i) {
        if (output[i] > output[i + 1]) {
          EXPECT_GT(std::int64_t{output[i]} - output[i + 1], std::int64_t{1} << 31);
        }
      }
    }
    if (named("one value dropped")) {
      EXPECT_TRUE(ordered && total(missing) == 1 && extra.empty());
    }
    if (named("one value repeated")) {
      EXPECT_TRUE(ordered && total(extra) == 1 && missing.empty() &&
                  std::binary_search(sorted.begin(), sorted.end(), extra[0].value));
    }
    if (named("holds other values")) {
      EXPECT_TRUE(ordered && !same);
    }
    if (output == input && same && !ordered && !named("descending") && !named("as text") &&
        !named("overflows")) {
      EXPECT_TRUE(named("the input's own order")) << lines;
    }
  }
}

}  // namespace
