// ICPC-format output validators (problem packages, and the judges that run them): the team
// output comes on standard input, the messages go to files in a feedback folder, and the exit
// status is the verdict. Standard output stays empty, since a judge may append it to its message.
#include <string>

#include "protocols.hpp"
#include "system_files.hpp"

namespace {

constexpr int kAccepted = 42;
constexpr int kWrongAnswer = 43;
constexpr int kJudgeError = 1;

// A file in the feedback folder, which judges pass with or without a separator at its end.
std::string feedback_file(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '/';
  return path.append(name);
}

// Writes a feedback file; on failure says so on standard error and returns false.
bool write_feedback(JudgeCall& call, std::string_view folder, std::string_view name,
                    std::string_view text) {
  const std::string path = feedback_file(folder, name);
  const int saved_errno = write_file(path.c_str(), text);
  if (saved_errno != 0) write_line(call.streams.err, unwritable_line(path, saved_errno));
  return saved_errno == 0;
}

// The test data or the call is at fault: the reason goes to standard error and to the judge's
// message.
int judge_error(JudgeCall& call, std::string_view folder, std::string_view reason) {
  write_line(call.streams.err, reason);
  write_feedback(call, folder, "judgemessage.txt", reason);
  return kJudgeError;
}

int judge(JudgeCall& call) {
  const auto& arguments = call.arguments;
  if (arguments.size() < 3) return usage_error(call, kIcpcProtocol);
  const std::string_view folder = arguments[2];
  std::uint64_t most_lines = kDefaultPositionLines;
  bool team_message = false;
  for (std::size_t i = 3; i < arguments.size(); ++i) {
    // DOMjudge splits its flags at each space, so two spaces in a row make an empty one.
    if (arguments[i].empty()) continue;
    if (arguments[i] == "team_message") {
      team_message = true;
    } else if (arguments[i] == "max_lines" && i + 1 < arguments.size() &&
               parse_count(arguments[i + 1], most_lines)) {
      ++i;
    } else {
      return judge_error(call, folder, protocol_usage_line(call.command, kIcpcProtocol));
    }
  }

  // The answer file is not read: the reference is the input's values, sorted.
  const Judgement judgement = judge_files(arguments[0].c_str(), nullptr, most_lines);
  if (judgement.outcome == Outcome::judge_error || judgement.outcome == Outcome::unreadable_output)
    return judge_error(call, folder, judgement.feedback);
  if (!write_feedback(call, folder, "judgemessage.txt", judgement.feedback)) return kJudgeError;
  // The team sees a message only when asked for, since it shows a value of the reference.
  if (team_message &&
      !write_feedback(call, folder, "teammessage.txt", first_line(judgement.feedback)))
    return kJudgeError;
  return judgement.outcome == Outcome::pass ? kAccepted : kWrongAnswer;
}

}  // namespace

const Protocol kIcpcProtocol = {
    "icpc", "<input_file> <answer_file> <feedback_dir> [max_lines N] [team_message] < team_output",
    kJudgeError, judge};
