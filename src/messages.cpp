// The text of every line, built without locale-dependent formatting, and its one write.
#include "messages.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "malloc_array.hpp"
#include "system_files.hpp"

namespace {

std::string_view name_of(FileRole file) {
  return file == FileRole::input ? "the input file" : "your output file";
}

}  // namespace

void add_shown_text(ShortLine& line, std::string_view text, bool cut) {
  constexpr char kHex[] = "0123456789abcdef";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7e || c == '"' || c == '\\') {
      const char escaped[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
      line.add({escaped, sizeof escaped});
    } else {
      line.add({&c, 1});
    }
  }
  if (cut) line.add("...");
}

void write_line(Console& console, std::string_view line) {
  if (!console.lost) console.lost = !write_all(console.fd, line);
}

void ShortLine::add(std::string_view text) {
  const std::size_t size = std::min(text.size(), sizeof bytes_ - size_);
  std::memcpy(bytes_ + size_, text.data(), size);
  size_ += size;
}

void write_usage_line(std::string_view program_name, const LineSink& sink) {
  constexpr std::string_view kBefore = "Usage: ", kAfter = " <input_file> <your_output_file>\n";
  const std::size_t size = kBefore.size() + program_name.size() + kAfter.size();
  char stack_bytes[1024];
  MallocArray<char> heap_bytes;
  char* bytes = stack_bytes;
  if (size > sizeof stack_bytes) {
    heap_bytes = malloc_array<char>(size);
    bytes = heap_bytes.get();
  }
  if (bytes == nullptr) {
    // No room for the line as one piece: its pieces still make the same bytes.
    for (const std::string_view piece : {kBefore, program_name, kAfter})
      sink(piece);
    return;
  }
  char* end = std::copy(kBefore.begin(), kBefore.end(), bytes);
  end = std::copy(program_name.begin(), program_name.end(), end);
  end = std::copy(kAfter.begin(), kAfter.end(), end);
  sink({bytes, static_cast<std::size_t>(end - bytes)});
}

ShortLine reason_text(int saved_errno) {
  struct Reason {
    int error;
    std::string_view text;
  };
  static constexpr Reason kReasons[] = {
      {ENOENT, "No such file or directory"},
      {EACCES, "Permission denied"},
      {EPERM, "Operation not permitted"},
      {EISDIR, "Is a directory"},
      {ENOTDIR, "Not a directory"},
      {ENAMETOOLONG, "File name too long"},
      {ELOOP, "Too many levels of symbolic links"},
      {EMFILE, "Too many open files"},
      {ENFILE, "Too many open files in system"},
      {ENOMEM, "Cannot allocate memory"},
      {EIO, "Input/output error"},
      {EBADF, "Bad file descriptor"},
      {EINVAL, "Invalid argument"},
      {ENXIO, "No such device or address"},
      {ENODEV, "No such device"},
      {ENOSPC, "No space left on device"},
      {EROFS, "Read-only file system"},
      {EFBIG, "File too large"},
  };
  ShortLine reason;
  for (const Reason& known : kReasons) {
    if (known.error == saved_errno) {
      reason.add(known.text);
      return reason;
    }
  }
  reason.add(std::strerror(saved_errno));
  return reason;
}

ShortLine unreadable_line(FileRole file, int saved_errno) {
  ShortLine line;
  line.add("Error: Cannot read ");
  line.add(name_of(file));
  line.add(" (");
  line.add(reason_text(saved_errno).text());
  line.add(").\n");
  return line;
}

ShortLine malformed_value_line(FileRole file, std::uint64_t line_number, std::string_view text,
                               bool text_cut) {
  ShortLine line;
  line.add("Error: Line ");
  line.add_number(line_number);
  line.add(" of ");
  line.add(name_of(file));
  line.add(" should hold an integer from -2147483648 to 2147483647 but has \"");
  add_shown_text(line, text, text_cut);
  line.add("\".\n");
  return line;
}

ShortLine out_of_memory_line(FileRole file) {
  ShortLine line;
  line.add("Error: Not enough memory to hold the values of ");
  line.add(name_of(file));
  line.add(".\n");
  return line;
}

ShortLine position_error_line(std::uint64_t position, std::int32_t expected, std::int32_t found) {
  ShortLine line;
  line.add("Error: Data index ");
  line.add_number(position);
  line.add(" should be ");
  line.add_number(expected);
  line.add(" but get ");
  line.add_number(found);
  line.add(" !\n");
  return line;
}
