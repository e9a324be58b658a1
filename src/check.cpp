// The input read and sorted, then the output read against it, from files or standard input.
#include "check.hpp"

#include "radix_sort.hpp"
#include "system_files.hpp"

namespace {

ByteSource file_bytes(int fd) {
  return [fd](char* into, std::size_t capacity) { return read_file(fd, into, capacity); };
}

// Records a read that ended short of the end of its file; false if it did not.
bool stops(Check& check, FileRole file, const ReadResult& result) {
  if (result.end == ReadEnd::end_of_file || result.end == ReadEnd::value_limit) return false;
  check.stopped = true;
  check.failed_file = file;
  check.failure = result;
  return true;
}

ReadResult failed_open(int saved_errno) {
  ReadResult result;
  result.end = ReadEnd::unreadable;
  result.saved_errno = saved_errno;
  return result;
}

}  // namespace

Check check_files(const char* input_path, const char* output_path,
                  const OutputReading& read_output) {
  Check check;
  const OpenedFile input = open_for_reading(input_path);
  if (input.fd < 0) {
    stops(check, FileRole::input, failed_open(input.saved_errno));
    return check;
  }
  reserve_for_file_size(check.reference, regular_file_size(input.fd));
  const ReadResult input_read = read_value_file(file_bytes(input.fd), check.reference);
  close_file(input.fd);
  if (stops(check, FileRole::input, input_read)) return check;
  // The room reserved from the file's size and never written goes back, for the output.
  check.reference.shrink_to_fit();
  sort_reference(check.reference);

  // An output file that cannot be opened is judged as an empty one.
  const OpenedFile output =
      output_path != nullptr ? open_for_reading(output_path) : standard_input();
  if (output.fd < 0) {
    check.output_open_errno = output.saved_errno;
    return check;
  }
  ValueReader reader = open_value_reader(file_bytes(output.fd));
  read_output(reader, check.reference);
  close_file(output.fd);
  stops(check, FileRole::output, reader.result);
  return check;
}

std::string failure_line(FileRole file, const ReadResult& failure) {
  switch (failure.end) {
    case ReadEnd::unreadable:
      return unreadable_line(file, failure.saved_errno);
    case ReadEnd::out_of_memory:
      return out_of_memory_line(file);
    case ReadEnd::malformed_value:
    case ReadEnd::end_of_file:
    case ReadEnd::value_limit:
      break;
  }
  return malformed_value_line(file, failure.line, failure.text, failure.text_cut);
}
