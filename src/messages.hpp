// Every line the checker writes, and where the lines go.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "function_ref.hpp"

// Where the run's lines go. Once a write fails (the reader of a pipe went away, say), later
// lines are dropped rather than tried again.
struct Console {
  int fd = 1;
  bool lost = false;
};

// Writes `line`, which ends in a newline, with as few write calls as the system allows: one for
// any line of ordinary length, so that each line leaves the process whole when it is written.
void write_line(Console& console, std::string_view line);

// Receives each line, its newline included, as one piece.
using LineSink = FunctionRef<void(std::string_view line)>;

// Which of the two files a message speaks of.
enum class FileRole { input, output };

// The seven lines of 38 characters, then the empty line that ends the banner: one piece.
inline constexpr std::string_view kBannerLines =
    "--------------------------------------\n"
    "-                                    -\n"
    "-             Algorithm              -\n"
    "-            2019  Fall              -\n"
    "-         QX4 Result Checker         -\n"
    "-                                    -\n"
    "--------------------------------------\n"
    "\n";

// A line of bounded length, built on the stack: a failing output of millions of values writes
// millions of position lines, and none of them needs the heap; nor does a line that says why a
// run stopped, which may be for want of memory. Text past its room is cut.
class ShortLine {
 public:
  void add(std::string_view text);
  // A number in plain decimal: no locale, no grouping, a minus sign when negative.
  template <typename Number>
  void add_number(Number number) {
    size_ = static_cast<std::size_t>(
        std::to_chars(bytes_ + size_, bytes_ + sizeof bytes_, number).ptr - bytes_);
  }
  std::string_view text() const { return {bytes_, size_}; }

 private:
  char bytes_[512];
  std::size_t size_ = 0;
};

// Each function below gives one whole line, its newline included.

// Hands `sink` "Usage: NAME <input_file> <your_output_file>", with the program name as it was
// given. A name of a usual length is set out on the stack, so that the line needs no memory even
// when a judge's limit leaves none; a longer one asks for memory, and where there is none the
// sink gets the line in three pieces, the last with the newline.
void write_usage_line(std::string_view program_name, const LineSink& sink);

// The reason for a failed call in the same words on every system: the texts of the errors a
// file can meet, as Linux words them (the Windows C runtime says "Filename too long" where Linux
// says "File name too long"), and the system's own text for any other, copied, since the system
// may reuse its buffer at its next call.
ShortLine reason_text(int saved_errno);

// The file could not be opened or read; `saved_errno` gives the reason.
ShortLine unreadable_line(FileRole file, int saved_errno);

// A value on 1-based `line` is not an integer in range. `text` is its start as found, shown with
// every byte that is not printable ASCII (and the quote and backslash) as \xHH; `text_cut` adds
// "..." to say there was more.
ShortLine malformed_value_line(FileRole file, std::uint64_t line, std::string_view text,
                               bool text_cut);

// Adds text from a file or a command line to `line` as a message shows it, between quotes:
// bytes that are not printable ASCII, and the quote and backslash that would make the quoting
// ambiguous, are written as \xHH, so no control byte ever reaches the terminal; `cut` adds "..."
// to say there was more.
void add_shown_text(ShortLine& line, std::string_view text, bool cut);

// The memory to hold the file's values could not be had.
ShortLine out_of_memory_line(FileRole file);

inline constexpr std::string_view kSizeErrorLine =
    "Error: The size of your output is different from the size of the input.\n";
inline constexpr std::string_view kPassLine = "Congratulations: Your result passed this test!\n";

ShortLine position_error_line(std::uint64_t position, std::int32_t expected, std::int32_t found);
