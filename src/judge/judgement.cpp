// The pair judged as the checker judges it, its message, and what every protocol shares.
#include "judgement.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>

#include "check.hpp"
#include "system_files.hpp"

namespace {

// "In all, D of N positions differ.": how many differ, since only the first few get a line.
ShortLine count_line(std::uint64_t differing, std::uint64_t positions) {
  ShortLine line;
  line.add("In all, ");
  line.add_number(differing);
  line.add(" of ");
  line.add_number(positions);
  line.add(differing == 1 ? " positions differs.\n" : " positions differ.\n");
  return line;
}

// A position line that shows neither the reference's value nor the output's.
ShortLine hidden_position_line(std::uint64_t position) {
  ShortLine line;
  line.add("Error: Data index ");
  line.add_number(position);
  line.add(" holds a wrong value.\n");
  return line;
}

// A malformed output value, without the text that the output holds there.
ShortLine hidden_malformed_line(std::uint64_t line_number) {
  ShortLine line;
  line.add("Error: Line ");
  line.add_number(line_number);
  line.add(" of your output file should hold an integer from -2147483648 to 2147483647.\n");
  return line;
}

bool sizes_agree(const Judgement& judgement) {
  return judgement.comparison.size == judgement.reference_size;
}

// The names of the arguments in a usage text: each word between "<" and ">".
std::vector<std::string_view> argument_names(std::string_view usage) {
  std::vector<std::string_view> names;
  for (std::size_t start = usage.find('<'); start != std::string_view::npos;
       start = usage.find('<', start + 1)) {
    const std::size_t end = usage.find('>', start);
    if (end == std::string_view::npos) break;
    const std::string_view name = usage.substr(start, end + 1 - start);
    if (name.find(' ') == std::string_view::npos) names.push_back(name);
  }
  return names;
}

}  // namespace

namespace {

// Whether the output read again holds the input's values in the input's own order.
bool keeps_input_order(const char* input_path, const ValueList& reference,
                       const OutputComparison& comparison) {
  std::uint64_t position = 0;
  const bool whole = reread_values(input_path, [&](const std::int32_t* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, ++position) {
      if (position >= comparison.size || values[i] != output_value(reference, comparison, position))
        return false;
    }
    return true;
  });
  return whole && position == comparison.size;
}

// The shapes of the output's lines, read again; false when they cannot be.
bool look_at_lines(const char* output_path, std::uint64_t reference_size, Judgement& judgement) {
  const int fd = reopen_output(output_path);
  if (fd < 0) return false;
  ReadBlock block;
  if (block.held()) {
    // As many lines as the reading that found the fault could have passed, and a few more.
    judgement.shapes = shapes_of(file_bytes(fd), block, 2 * (reference_size + 2) + 16);
    judgement.shapes_known = true;
  } else {
    judgement.diagnosis_left_out = true;
  }
  close_output(output_path, fd);
  return true;
}

}  // namespace

Judgement judge_files(const char* input_path, const char* output_path,
                      std::uint64_t most_position_lines, Diagnose diagnose) {
  return judge_files(input_path, output_path, most_position_lines, diagnose,
                     [](const ValueList&, const OutputComparison&) {});
}

Judgement judge_files(const char* input_path, const char* output_path,
                      std::uint64_t most_position_lines, Diagnose diagnose,
                      const ComparisonLook& look) {
  Judgement judgement;
  const bool diagnosing = diagnose == Diagnose::yes;
  bool output_complete = false;
  Check check =
      check_files(input_path, output_path, [&](ValueReader& reader, const ValueList& reference) {
        judgement.comparison = compare_output(reader, reference, most_position_lines, diagnosing);
        output_complete = reader.ended();
        return true;
      });
  judgement.reference_size = check.reference.size();
  judgement.output_open_errno = check.output_open_errno;
  if (check.stopped) {
    judgement.failed_file = check.failed_file;
    judgement.failure = check.failure;
    if (check.failed_file == FileRole::input || check.failure.end == ReadEnd::out_of_memory) {
      judgement.outcome = Outcome::judge_error;
    } else if (check.failure.end == ReadEnd::unreadable) {
      judgement.outcome = Outcome::unreadable_output;
    } else {
      judgement.outcome = Outcome::malformed_output;
      if (diagnosing) {
        judgement.diagnosed = true;
        look_at_lines(output_path, judgement.reference_size, judgement);
      }
    }
    return judgement;
  }
  const bool passes = sizes_agree(judgement) && judgement.comparison.differing == 0;
  judgement.outcome = passes ? Outcome::pass : Outcome::wrong;
  look(check.reference, judgement.comparison);
  if (passes || !diagnosing) return judgement;
  judgement.diagnosed = true;
  if (check.output_open_errno != 0) {
    // An output that cannot be opened is judged as empty: all of it is known.
    judgement.comparison.values_kept = true;
    output_complete = true;
  }
  judgement.facts = facts_of(check.reference, judgement.comparison, output_complete, [&] {
    return keeps_input_order(input_path, check.reference, judgement.comparison);
  });
  judgement.facts_known = true;
  judgement.diagnosis_left_out = !judgement.comparison.values_kept;
  if (!sizes_agree(judgement)) look_at_lines(output_path, judgement.reference_size, judgement);
  return judgement;
}

// The diagnosis of the judgement, if it has one.
void write_diagnosis(const Judgement& judgement, bool hidden, const LineSink& sink) {
  if (!judgement.diagnosed) return;
  DiagnosisSources sources;
  sources.input_size = judgement.reference_size;
  sources.output_open_errno = judgement.output_open_errno;
  sources.facts = judgement.facts_known ? &judgement.facts : nullptr;
  sources.shapes = judgement.shapes_known ? &judgement.shapes : nullptr;
  sources.left_out = judgement.diagnosis_left_out;
  write_diagnosis(sources, hidden, sink);
}

void write_message(const Judgement& judgement, const LineSink& sink) {
  if (judgement.outcome != Outcome::pass && judgement.outcome != Outcome::wrong) {
    sink(failure_line(judgement.failed_file, judgement.failure).text());
    if (judgement.outcome == Outcome::malformed_output) write_diagnosis(judgement, false, sink);
    return;
  }
  report_comparison(judgement.reference_size, judgement.comparison, sink);
  if (sizes_agree(judgement) && judgement.comparison.differing > 0)
    sink(count_line(judgement.comparison.differing, judgement.reference_size).text());
  write_diagnosis(judgement, false, sink);
}

void write_team_message(const Judgement& judgement, const LineSink& sink) {
  const OutputComparison& comparison = judgement.comparison;
  switch (judgement.outcome) {
    case Outcome::pass:
      sink(kPassLine);
      return;
    case Outcome::wrong:
      if (!sizes_agree(judgement)) {
        sink(kSizeErrorLine);
        write_diagnosis(judgement, true, sink);
        return;
      }
      if (comparison.held_count > 0) sink(hidden_position_line(comparison.held[0].position).text());
      sink(count_line(comparison.differing, judgement.reference_size).text());
      write_diagnosis(judgement, true, sink);
      return;
    case Outcome::malformed_output:
      sink(hidden_malformed_line(judgement.failure.line).text());
      write_diagnosis(judgement, true, sink);
      return;
    case Outcome::unreadable_output:
    case Outcome::judge_error:
      break;
  }
  sink(failure_line(judgement.failed_file, judgement.failure).text());
}

ShortLine first_message_line(const Judgement& judgement) {
  ShortLine first;
  bool found = false;
  write_message(judgement, [&](std::string_view line) {
    if (!found) first.add(line);
    found = true;
  });
  return first;
}

std::string protocol_usage_line(std::string_view command, const Protocol& protocol) {
  return "Usage: " + std::string(command) + " " + std::string(protocol.arguments) + "\n";
}

std::string quoted(std::string_view argument) {
  ShortLine line;
  line.add("\"");
  add_shown_text(line, argument.substr(0, kShownTextBytes), argument.size() > kShownTextBytes);
  line.add("\"");
  return std::string(line.text());
}

int judge_call(const Protocol& protocol, JudgeCall& call) {
  try {
    return protocol.judge(call);
  } catch (const std::bad_alloc&) {
    // Only where no room was set aside beforehand: the values themselves have lines of their own.
    write_line(call.streams.err, out_of_memory_line(FileRole::input).text());
    return protocol.judge_error_status;
  }
}

std::string unexpected_argument_line(std::string_view argument) {
  return "Error: unexpected argument " + quoted(argument) + ".\n";
}

int usage_error(JudgeCall& call, const Protocol& protocol, std::string_view reason) {
  write_line(call.streams.err, std::string(reason) + protocol_usage_line(call.command, protocol));
  return protocol.judge_error_status;
}

bool argument_count_fits(JudgeCall& call, const Protocol& protocol, std::size_t least,
                         std::size_t most) {
  const std::size_t given = call.arguments.size();
  if (given > most) {
    usage_error(call, protocol, unexpected_argument_line(call.arguments[most]));
    return false;
  }
  if (given < least) {
    const std::vector<std::string_view> names = argument_names(protocol.arguments);
    const std::string_view missing = given < names.size() ? names[given] : "arguments";
    usage_error(call, protocol, "Error: missing " + std::string(missing) + ".\n");
    return false;
  }
  return true;
}

bool parse_count(std::string_view text, std::uint64_t& count) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  return error == std::errc() && end == text.data() + text.size();
}

std::string unwritable_line(std::string_view path, int saved_errno) {
  return "Error: Cannot write " + std::string(path) + " (" +
         std::string(reason_text(saved_errno).text()) + ").\n";
}

MessageFile::MessageFile(const char* path) {
  const OpenedFile file = open_for_writing(path);
  fd_ = file.fd;
  errno_ = file.saved_errno;
}

MessageFile::~MessageFile() {
  if (fd_ >= 0) finish();
}

void MessageFile::add(std::string_view text) {
  while (!text.empty()) {
    if (used_ == sizeof buffer_) flush();
    const std::size_t size = std::min(text.size(), sizeof buffer_ - used_);
    std::memcpy(buffer_ + used_, text.data(), size);
    used_ += size;
    text.remove_prefix(size);
  }
}

void MessageFile::flush() {
  if (fd_ >= 0 && errno_ == 0 && !write_all(fd_, std::string_view(buffer_, used_))) errno_ = errno;
  used_ = 0;
}

int MessageFile::finish() {
  flush();
  if (fd_ >= 0) {
    const int close_errno = close_written(fd_);
    if (errno_ == 0) errno_ = close_errno;
    fd_ = -1;
  }
  return errno_;
}
