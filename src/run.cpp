// The run of the checker, from the command line to the verdict.
#include "run.hpp"

#include <string_view>

#include "radix_sort.hpp"
#include "system_files.hpp"
#include "value_reader.hpp"
#include "verdict.hpp"

namespace {

// The name shown in the usage line when the system passed no program name at all.
constexpr std::string_view kProgramName = "checker";

ByteSource file_bytes(int fd) {
  return [fd](char* into, std::size_t capacity) { return read_file(fd, into, capacity); };
}

// Writes the message for a read that ended short of the end of its file; false if it did not.
bool print_read_failure(Console& console, FileRole file, const ReadResult& result) {
  switch (result.end) {
    case ReadEnd::unreadable:
      print_unreadable(console, file, result.saved_errno);
      return true;
    case ReadEnd::malformed_value:
      print_malformed_value(console, file, result.line, result.text, result.text_cut);
      return true;
    case ReadEnd::end_of_file:
    case ReadEnd::value_limit:
      break;
  }
  return false;
}

}  // namespace

int run_checker(int argc, const char* const* argv, Console& console) {
  if (argc != 3) {
    print_usage(console, argc > 0 ? argv[0] : kProgramName);
    return 0;
  }
  print_banner(console);

  const OpenedFile input = open_for_reading(argv[1]);
  if (input.fd < 0) {
    print_unreadable(console, FileRole::input, input.saved_errno);
    return 0;
  }
  ValueList reference;
  reserve_for_file_size(reference, regular_file_size(input.fd));
  const ReadResult input_read = read_value_file(file_bytes(input.fd), reference);
  close_file(input.fd);
  if (print_read_failure(console, FileRole::input, input_read)) return 0;
  sort_reference(reference);

  // An output file that cannot be opened is judged as an empty one.
  OutputValues output_values;
  const OpenedFile output = open_for_reading(argv[2]);
  if (output.fd >= 0) {
    ValueReader reader = open_value_reader(file_bytes(output.fd));
    output_values = read_output(reader, reference);
    close_file(output.fd);
    if (print_read_failure(console, FileRole::output, reader.result)) return 0;
  }
  report_verdict(reference, output_values, console);
  return 0;
}
