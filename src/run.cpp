// The run of the checker, from the command line to the verdict, and the text of every line.
#include "run.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

#include "value_reader.hpp"
#include "verdict.hpp"

namespace {

// Seven lines of 38 characters, then the empty line that ends the banner: written as one piece.
constexpr std::string_view kBanner =
    "--------------------------------------\n"
    "-                                    -\n"
    "-             Algorithm              -\n"
    "-            2019  Fall              -\n"
    "-         QX4 Result Checker         -\n"
    "-                                    -\n"
    "--------------------------------------\n"
    "\n";

// The name shown in the usage line when the system passed no program name at all.
constexpr std::string_view kProgramName = "checker";

// How the messages name the two files.
constexpr std::string_view kInputFile = "the input file";
constexpr std::string_view kOutputFile = "your output file";

// Reserves room for every value a regular file can hold, so the list never moves while it is
// read: a record takes at least four bytes ("a 1" and a separator). Room that is never written
// costs no memory. Pipes, and files beyond the cap, grow the list as they go.
void reserve_for_file(ValueList& values, int fd) {
  constexpr std::size_t kMostReserved = std::size_t{1} << 28;
  struct stat status;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return;
  const auto bytes = static_cast<std::uint64_t>(status.st_size);
  values.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(bytes / 4 + 1, kMostReserved)));
}

int open_for_reading(const char* path) {
  for (;;) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

// A line of bounded length built without the heap; the longest it holds is a position error
// line, well under its size.
class ShortLine {
 public:
  void add(std::string_view text) {
    const std::size_t size = std::min(text.size(), sizeof bytes_ - size_);
    std::memcpy(bytes_ + size_, text.data(), size);
    size_ += size;
  }
  template <typename Number>
  void add_number(Number number) {
    size_ = static_cast<std::size_t>(
        std::to_chars(bytes_ + size_, bytes_ + sizeof bytes_, number).ptr - bytes_);
  }
  std::string_view text() const { return {bytes_, size_}; }

 private:
  char bytes_[128];
  std::size_t size_ = 0;
};

// Joins the pieces of a line of any length (a program name or a system text can be long).
std::string join(std::initializer_list<std::string_view> pieces) {
  std::string line;
  for (const std::string_view piece : pieces)
    line.append(piece);
  return line;
}

void print_usage(Console& console, std::string_view program_name) {
  write_line(console, join({"Usage: ", program_name, " <input_file> <your_output_file>\n"}));
}

void print_unreadable(Console& console, std::string_view file, int saved_errno) {
  write_line(console,
             join({"Error: Cannot read ", file, " (", std::strerror(saved_errno), ").\n"}));
}

// A malformed value's text as the message shows it: bytes that are not printable ASCII, and the
// quote and backslash that would make the quoting ambiguous, are written as \xHH, so no control
// byte from a broken file ever reaches the terminal.
std::string shown_text(std::string_view text, bool cut) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x21 || byte > 0x7e || c == '"' || c == '\\') {
      const char escaped[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
      shown.append(escaped, sizeof escaped);
    } else {
      shown.push_back(c);
    }
  }
  if (cut) shown.append("...");
  return shown;
}

void print_malformed_value(Console& console, std::string_view file, const ReadResult& result) {
  char line_number[24];
  const auto digits_end =
      std::to_chars(line_number, line_number + sizeof line_number, result.line).ptr;
  write_line(
      console,
      join({"Error: Line ",
            std::string_view(line_number, static_cast<std::size_t>(digits_end - line_number)),
            " of ", file, " should hold an integer from -2147483648 to 2147483647 but has \"",
            shown_text(result.text, result.text_cut), "\".\n"}));
}

// Writes the message for a read that ended short of the end of its file; false if it did not.
bool print_read_failure(Console& console, std::string_view file, const ReadResult& result) {
  switch (result.end) {
    case ReadEnd::unreadable:
      print_unreadable(console, file, result.saved_errno);
      return true;
    case ReadEnd::malformed_value:
      print_malformed_value(console, file, result);
      return true;
    case ReadEnd::end_of_file:
    case ReadEnd::value_limit:
      break;
  }
  return false;
}

}  // namespace

void write_line(Console& console, std::string_view line) {
  while (!console.lost && !line.empty()) {
    const ssize_t written = ::write(console.fd, line.data(), line.size());
    if (written >= 0) {
      line.remove_prefix(static_cast<std::size_t>(written));
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd ready{console.fd, POLLOUT, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      console.lost = true;
    }
  }
}

void print_size_error(Console& console) {
  write_line(console, "Error: The size of your output is different from the size of the input.\n");
}

void print_position_error(Console& console, std::uint64_t position, std::int32_t expected,
                          std::int32_t found) {
  // Built on the stack: a failing output of millions of values writes millions of these lines.
  ShortLine line;
  line.add("Error: Data index ");
  line.add_number(position);
  line.add(" should be ");
  line.add_number(expected);
  line.add(" but get ");
  line.add_number(found);
  line.add(" !\n");
  write_line(console, line.text());
}

void print_pass(Console& console) {
  write_line(console, "Congratulations: Your result passed this test!\n");
}

int run_checker(int argc, const char* const* argv, Console& console) {
  if (argc != 3) {
    print_usage(console, argc > 0 ? argv[0] : kProgramName);
    return 0;
  }
  write_line(console, kBanner);

  ValueList reference;
  const int input_fd = open_for_reading(argv[1]);
  if (input_fd < 0) {
    const int open_errno = errno;
    print_unreadable(console, kInputFile, open_errno);
    return 0;
  }
  reserve_for_file(reference, input_fd);
  const ReadResult input = read_value_file(file_bytes(input_fd), reference);
  ::close(input_fd);
  if (print_read_failure(console, kInputFile, input)) return 0;
  sort_reference(reference);

  // An output file that cannot be opened is judged as an empty one.
  OutputValues output;
  const int output_fd = open_for_reading(argv[2]);
  if (output_fd >= 0) {
    ValueReader reader = open_value_reader(file_bytes(output_fd));
    output = read_output(reader, reference);
    ::close(output_fd);
    if (print_read_failure(console, kOutputFile, reader.result)) return 0;
  }
  report_verdict(reference, output, console);
  return 0;
}
