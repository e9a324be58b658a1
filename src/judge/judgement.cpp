// The pair judged as the checker judges it, with its lines kept for a judge to deliver.
#include "judgement.hpp"

#include <charconv>

#include "check.hpp"

namespace {

// "In all, D of N positions differ.": how many differ, since only the first few get a line.
std::string count_line(std::uint64_t differing, std::uint64_t positions) {
  ShortLine line;
  line.add("In all, ");
  line.add_number(differing);
  line.add(" of ");
  line.add_number(positions);
  line.add(differing == 1 ? " positions differs.\n" : " positions differ.\n");
  return std::string(line.text());
}

}  // namespace

Judgement judge_files(const char* input_path, const char* output_path,
                      std::uint64_t most_position_lines) {
  const Check check = check_files(input_path, output_path);
  Judgement judgement;
  if (check.stopped) {
    judgement.feedback = failure_line(check);
    if (check.failed_file == FileRole::input || check.failure.end == ReadEnd::out_of_memory) {
      judgement.outcome = Outcome::judge_error;
    } else if (check.failure.end == ReadEnd::unreadable) {
      judgement.outcome = Outcome::unreadable_output;
    } else {
      judgement.outcome = Outcome::malformed_output;
    }
    return judgement;
  }
  const Verdict verdict =
      judge_output(check.reference, check.output, most_position_lines,
                   [&judgement](std::string_view line) { judgement.feedback.append(line); });
  if (verdict.kind == VerdictKind::positions_differ)
    judgement.feedback += count_line(verdict.differing_positions, check.reference.size());
  judgement.outcome = verdict.kind == VerdictKind::pass ? Outcome::pass : Outcome::wrong;
  return judgement;
}

std::string_view first_line(std::string_view text) {
  const std::size_t end = text.find('\n');
  return end == std::string_view::npos ? text : text.substr(0, end + 1);
}

std::string protocol_usage_line(std::string_view command, const Protocol& protocol) {
  return "Usage: " + std::string(command) + " " + std::string(protocol.arguments) + "\n";
}

int usage_error(JudgeCall& call, const Protocol& protocol) {
  write_line(call.streams.err, protocol_usage_line(call.command, protocol));
  return protocol.judge_error_status;
}

bool parse_count(std::string_view text, std::uint64_t& count) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  return error == std::errc() && end == text.data() + text.size();
}

std::string unwritable_line(std::string_view path, int saved_errno) {
  return "Error: Cannot write " + std::string(path) + " (" + reason_text(saved_errno) + ").\n";
}
