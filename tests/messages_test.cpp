// The texts of the lines, where they depend on more than a number: the shown text of a
// malformed value.
#include "messages.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

TEST(Messages, MalformedValueShowsOnlyPrintableAsciiAsItIs) {
  struct Row {
    std::string text;
    bool cut;
    std::string shown;
  };
  const Row rows[] = {
      {"-x", false, "-x"},
      // Both edges of the printable range (a space, which a value's text never holds, shows only
      // in a diagnosis's line of text), and the two bytes that would confuse the quoting.
      {"\x1f !~\x7f", false, "\\x1f !~\\x7f"},
      {"a\"b\\c", false, "a\\x22b\\x5cc"},
      {std::string("\0\t\x1f\x80\xff", 5), false, "\\x00\\x09\\x1f\\x80\\xff"},
      {"12345", true, "12345..."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shown);
    EXPECT_EQ(malformed_value_line(FileRole::output, 12, row.text, row.cut).text(),
              "Error: Line 12 of your output file should hold an integer from -2147483648 to "
              "2147483647 but has \"" +
                  row.shown + "\".\n");
  }
}

// Reasons read the same on every system: Linux's words where the Windows C runtime has its own,
// and the system's text for an error outside the table.
TEST(Messages, ReasonsInTheSameWordsEverywhere) {
  struct Row {
    int error;
    std::string text;
  };
  const Row rows[] = {
      {ENOENT, "No such file or directory"}, {EISDIR, "Is a directory"},
      {ENAMETOOLONG, "File name too long"},  {ENOMEM, "Cannot allocate memory"},
      {EDOM, std::strerror(EDOM)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(reason_text(row.error).text(), row.text);
  }
#if defined(__GLIBC__)
  // The table says what Linux says, for every error a file can meet.
  for (int error = 1; error < 134; ++error) {
    const std::string system_text = std::strerror(error);  // before the next call reuses it
    EXPECT_EQ(reason_text(error).text(), system_text) << error;
  }
#endif
}

// A line holds what its room holds and no more, whatever is added to it: a system's texts have
// no length a line could count on.
TEST(Messages, ALineKeepsWithinItsRoom) {
  ShortLine line;
  const std::string long_text(600, 'x');
  line.add(long_text);
  line.add("tail");
  line.add_number(-12345);
  EXPECT_EQ(line.text(), long_text.substr(0, 512));
}

}  // namespace
