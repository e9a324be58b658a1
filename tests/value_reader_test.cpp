// The value-file reader: bytes in, values and ending out, with block boundaries everywhere.
#include "value_reader.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "differential_read.hpp"
#include "memory_bytes.hpp"

namespace {

struct Row {
  std::string bytes;
  std::vector<std::int32_t> values;
  ReadEnd end = ReadEnd::end_of_file;
  std::uint64_t line = 0;  // for a malformed value
  std::string text;
  bool text_cut = false;

  Row(std::string bytes_, std::vector<std::int32_t> values_)
      : bytes(std::move(bytes_)), values(std::move(values_)) {}
};

Row malformed(std::string bytes, std::vector<std::int32_t> values, std::uint64_t line,
              std::string text, bool text_cut = false) {
  Row row(std::move(bytes), std::move(values));
  row.end = ReadEnd::malformed_value;
  row.line = line;
  row.text = std::move(text);
  row.text_cut = text_cut;
  return row;
}

std::vector<ScanPath> paths() {
  std::vector<ScanPath> all{ScanPath::general, ScanPath::scalar};
  if (simd_supported()) all.push_back(ScanPath::simd);
  return all;
}

// Reads every row on every scan path with every block size from 1 byte to the whole row, so
// that each token and each number is split at every possible place.
void expect_rows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    for (const ScanPath path : paths()) {
      for (std::size_t block_size = 1; block_size <= row.bytes.size() + 1; ++block_size) {
        SCOPED_TRACE("bytes \"" + row.bytes + "\", path " + std::to_string(int(path)) +
                     ", block size " + std::to_string(block_size));
        ValueList values;
        const ReadResult result =
            read_value_file(memory_bytes(row.bytes), values, {block_size, path});
        EXPECT_EQ(std::vector<std::int32_t>(values.begin(), values.end()), row.values);
        EXPECT_EQ(result.end, row.end);
        EXPECT_EQ(result.line, row.line);
        EXPECT_EQ(result.text(), row.text);
        EXPECT_EQ(result.text_cut, row.text_cut);
      }
    }
  }
}

TEST(ValueReader, SignsAndRangeBounds) {
  expect_rows({
      {"a 2147483647\n", {2147483647}},
      {"a -2147483648\n", {-2147483647 - 1}},
      {"a -0 b +0 c 007 d +15 e -15\n", {0, 0, 7, 15, -15}},
      {"a 0000000000000000000012\n", {12}},
      {"a -00000000000000000002147483648", {-2147483647 - 1}},
      {"1 2", {2}},
      malformed("a 2147483648\n", {}, 1, "2147483648"),
      malformed("a -2147483649 b 1\n", {}, 1, "-2147483649"),
      malformed("a -21474836480\n", {}, 1, "-21474836480"),
      // Bytes below "+" and above "9" are no sign.
      malformed("a !5\n", {}, 1, "!5"),
      malformed("a \"3\n", {}, 1, "\"3"),
      malformed("a \2005\n", {}, 1, "\2005"),  // \200 is the byte 0x80
      malformed("a 1 b 99999999999999999999", {1}, 1, "99999999999999999999"),
  });
}

TEST(ValueReader, ValuesGluedToTheNextToken) {
  expect_rows({
      {"a 12abc 5\n", {12, 5}},  // abc is the next label
      {"a 1.5 2\n", {1, 2}},     // .5 is the next label
      {"a 0x1A 3\n", {0, 3}},
      {"a 12-3 4", {12, 4}},
      {"a 1#note\nb 2\n", {1, 2}},            // #note starts a comment
      malformed("a 1:\nb 2\n", {1}, 2, "b"),  // ":" is a label, and "b" the value after it
      malformed("a 5\x01\nb 6", {5}, 2, "b"),
  });
}

TEST(ValueReader, CommentsAndLineEnds) {
  expect_rows({
      {"# only\n#comments", {}},
      {"a 1 # the rest 7 8\nb 2\n", {1, 2}},
      {"#\nb 2\n", {2}},
      {"#abc 5\nb 2", {2}},
      {"a#b 3\n", {3}},
      {"a 1\r\nb 2\r\n# c\r\nc 3\r\n", {1, 2, 3}},
      // Once found by fuzzing: a block that ends in "\r", over stale bytes holding a '\n'.
      {"x 0x 1 y 0\ry 2 \n\r2147483648z 3\r", {0, 1, 0, 2, 3}},
      {"a 1\r# no line end, so this runs to the end\rb 2\r", {1}},
      {"a\t1\vb\f2\r\n", {1, 2}},
      {"a\n1\n\nb\n\n2", {1, 2}},
      {"a 1\n 5 6\n", {1, 6}},
      {"a 1 b 2 c 3\n", {1, 2, 3}},
      {std::string("a\0b 1\n\x80\xff 2\n", 12), {1, 2}},
      malformed("a\n#\nb 2\n", {}, 2, "#"),
      {"\xEF\xBB\xBF# 5\nb 6\n", {5, 6}},  // a byte-order mark makes "#" part of a label
      malformed("\xEF\xBB\xBF# note\n", {}, 1, "note"),
  });
}

TEST(ValueReader, LabelWithoutValueAddsNothing) {
  expect_rows({
      {"a 1\nb", {1}},
      {"a 1\nb\n", {1}},
      {"a 1\nb \t\r\n  ", {1}},
      {"5 3 1\n", {3}},
      {"x\n", {}},
      {"", {}},
      {" \n\t", {}},
  });
}

TEST(ValueReader, MalformedValuesAreDescribed) {
  const std::string long_text(40, 'x');
  expect_rows({
      malformed("a x\n", {}, 1, "x"),
      malformed("a 1\nb\n\n  -\n", {1}, 4, "-"),
      malformed("a 1\r\nb --1 c 2", {1}, 2, "--1"),
      malformed("a +-1", {}, 1, "+-1"),
      malformed("a +", {}, 1, "+"),
      malformed("a 2147483648", {}, 1, "2147483648"),
      malformed("a 12345678901x\n", {}, 1, "12345678901x"),
      malformed("a \x01\"\\ b", {}, 1, "\x01\"\\"),
      malformed("a " + long_text.substr(0, 32), {}, 1, long_text.substr(0, 32)),
      malformed("a " + long_text.substr(0, 33) + "\n", {}, 1, long_text.substr(0, 32), true),
      malformed("a -" + long_text, {}, 1, "-" + long_text.substr(0, 31), true),
  });
}

TEST(ValueReader, ReadValuesFillsItsCapacityUnlessReadingEnded) {
  // The scanner hands over at the comment; the general path must go on from there.
  ReadBlock block;
  ValueReader reader(memory_bytes("a 1\nb 2\n# c\nd 4\ne 5\n"), block);
  std::int32_t values[3];
  EXPECT_EQ(reader.read_values(values, 3), 3u);
  EXPECT_EQ(values[2], 4);
  EXPECT_FALSE(reader.ended());
}

TEST(ValueReader, FailedReadOutranksWhatWasSeen) {
  for (const std::string_view bytes : {"", "a 1\nb 2", "a 1\nb x"}) {
    SCOPED_TRACE(bytes);
    ValueList values;
    const ReadResult result =
        read_value_file(memory_bytes(bytes, EIO), values, {3, ScanPath::general});
    EXPECT_EQ(result.end, ReadEnd::unreadable);
    EXPECT_EQ(result.saved_errno, EIO);
  }
}

// Random files that mix the usual lines with every kind of unusual piece, long labels and lines
// longer than a scanning window among them: every path, with block boundaries falling anywhere,
// must give the values and the ending that the plain reader gives.
TEST(ValueReader, EveryPathAgreesWithThePlainReader) {
  const std::vector<std::string> pieces = {" ",
                                           "\n",
                                           "\r\n",
                                           "\t",
                                           "\v",
                                           "\f",
                                           "\r",
                                           "#",
                                           "# note 1 2\n",
                                           "-",
                                           "+",
                                           "--1",
                                           "0",
                                           "000000000000000000017",
                                           "2147483647",
                                           "2147483648",
                                           "-2147483648",
                                           "-2147483649",
                                           "x",
                                           "12abc",
                                           "1.5",
                                           std::string(1, '\0'),
                                           "\x01",
                                           "\x7f\xff",
                                           "a b c\n",
                                           "\n\n"};
  std::mt19937 random(2026);
  for (int file = 0; file < 400; ++file) {
    std::string bytes;
    const auto records = random() % 300;
    const auto oddity = 1 + random() % 40;  // from every record unusual to almost none
    for (std::uint_fast32_t record = 0; record < records; ++record) {
      if (random() % oddity == 0) {
        bytes += pieces[random() % pieces.size()];
        continue;
      }
      const std::size_t label_size = random() % 50 == 0 ? 5000 : 1 + random() % 12;
      bytes.append(label_size, static_cast<char>('a' + random() % 26));
      bytes += ' ';
      bytes += std::to_string(static_cast<std::int32_t>(random()) >> (random() % 32));
      bytes += random() % 3 == 0 ? "\r\n" : "\n";
    }
    EXPECT_EQ(disagreement_with_plain_reader(bytes), "") << "file " << file;
  }
}

// Files the fast paths once got wrong, longer than the rows above can afford at every block size.
TEST(ValueReader, LongFilesAgreeWithThePlainReader) {
  std::string usual_lines;
  for (int i = 0; i < 3000; ++i)
    usual_lines += "ab " + std::to_string(i * 7919 % 100000 - 50000) + "\n";
  const std::string files[] = {
      std::string(70, 'l') + " 1\n" + usual_lines,
      [] {  // eight-byte lines, then thousands of empty ones
        std::string lines;
        for (int i = 0; i < 200; ++i)
          lines += "abc " + std::to_string(100 + i * 37 % 900) + "\n";
        return lines + std::string(5000, '\n') + lines;
      }(),
      usual_lines + std::string(5000, 'x') + " 5\n" + usual_lines,
      std::string(3000, '\n') + "abc 12\r\n" + usual_lines + "a 5\x01\nb 6\n",
  };
  for (const std::string& bytes : files) {
    EXPECT_EQ(disagreement_with_plain_reader(bytes), "") << bytes.substr(0, 80);
  }
}

// Every file of the committed corpus (found by fuzzing, then minimised) and every golden case's
// file, through the same check as the fuzz target, without a fuzzing engine.
TEST(ValueReader, CorpusAgreesWithThePlainReader) {
  std::size_t files = 0;
  for (const char* folder : {CHECKER_CORPUS_DIR, CHECKER_CASES_DIR}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), {}};
      EXPECT_EQ(disagreement_with_plain_reader(bytes), "") << entry.path();
      ++files;
    }
  }
  EXPECT_GT(files, 300u);
}

}  // namespace
