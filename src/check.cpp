// The input read and sorted, then the output read against it, from files or standard input.
#include "check.hpp"

#include "radix_sort.hpp"
#include "system_files.hpp"

namespace {

// Records a read that ended short of the end of its file; false if it did not.
bool stops(Check& check, FileRole file, const ReadResult& result) {
  if (result.end == ReadEnd::end_of_file) return false;
  check.stopped = true;
  check.failed_file = file;
  check.failure = result;
  return true;
}

ReadResult failed(ReadEnd end, int saved_errno = 0) {
  ReadResult result;
  result.end = end;
  result.saved_errno = saved_errno;
  return result;
}

}  // namespace

ByteSource file_bytes(int fd) {
  return [fd](char* into, std::size_t capacity) { return read_file(fd, into, capacity); };
}

Check check_files(const char* input_path, const char* output_path,
                  const OutputReading& read_output) {
  Check check;
  const OpenedFile input = open_for_reading(input_path);
  if (input.fd < 0) {
    stops(check, FileRole::input, failed(ReadEnd::unreadable, input.saved_errno));
    return check;
  }
  // One block for both files: once the values are being read, no memory is asked for but the
  // lists' own, whose lack has its own line.
  ReadBlock block;
  if (!block.held()) {
    close_file(input.fd);
    stops(check, FileRole::input, failed(ReadEnd::out_of_memory));
    return check;
  }
  reserve_for_file_size(check.reference, regular_file_size(input.fd));
  ValueReader input_reader(file_bytes(input.fd), block);
  const ReadResult& input_read = input_reader.read_all(check.reference);
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
  ValueReader output_reader(file_bytes(output.fd), block);
  const bool held = read_output(output_reader, check.reference);
  // Standard input stays open: a judge may look at its lines again.
  if (output_path != nullptr) close_file(output.fd);
  if (!held) {
    stops(check, FileRole::output, failed(ReadEnd::out_of_memory));
  } else if (output_reader.ended()) {
    // A reader stopped one value past the reference's size has said all it needs to.
    stops(check, FileRole::output, output_reader.result());
  }
  return check;
}

bool reread_values(const char* path,
                   FunctionRef<bool(const std::int32_t* values, std::size_t count)> take) {
  const OpenedFile file = open_regular_for_reading(path);
  if (file.fd < 0) return false;
  ReadBlock block;
  bool whole = block.held();
  if (whole) {
    ValueReader reader(file_bytes(file.fd), block);
    std::int32_t chunk[4096];
    while (whole && !reader.ended()) {
      const std::size_t read = reader.read_values(chunk, sizeof chunk / sizeof *chunk);
      whole = take(chunk, read);
    }
    whole = whole && reader.result().end == ReadEnd::end_of_file;
  }
  close_file(file.fd);
  return whole;
}

int reopen_output(const char* path) {
  if (path == nullptr) return rewind_regular(0) ? 0 : -1;
  return open_regular_for_reading(path).fd;
}

void close_output(const char* path, int fd) {
  if (path != nullptr && fd >= 0) close_file(fd);
}

ShortLine failure_line(FileRole file, const ReadResult& failure) {
  switch (failure.end) {
    case ReadEnd::unreadable:
      return unreadable_line(file, failure.saved_errno);
    case ReadEnd::out_of_memory:
      return out_of_memory_line(file);
    case ReadEnd::malformed_value:
    case ReadEnd::end_of_file:
      break;
  }
  return malformed_value_line(file, failure.line, failure.text(), failure.text_cut);
}
