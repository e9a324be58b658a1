// ICPC-format output validators (problem packages, and the judges that run them): the team
// output comes on standard input, the messages go to files in a feedback folder, and the exit
// status is the verdict. Standard output stays empty, since a judge may append it to its message.
#include <string>
#include <vector>

#include "protocols.hpp"
#include "system_files.hpp"

namespace {

constexpr int kAccepted = 42;
constexpr int kWrongAnswer = 43;
constexpr int kJudgeError = 1;

// Writes the feedback file at `path` a line at a time, the lines given by `write`; on failure
// says so on standard error and returns false.
template <typename Write>
bool write_feedback(JudgeCall& call, const std::string& path, Write write) {
  MessageFile file(path.c_str());
  write([&file](std::string_view line) { file.add(line); });
  const int saved_errno = file.finish();
  if (saved_errno != 0) write_line(call.streams.err, unwritable_line(path, saved_errno));
  return saved_errno == 0;
}

// The test data or the call is at fault: the reason goes to standard error and to the judge's
// message.
int judge_error(JudgeCall& call, const std::string& judge_message, std::string_view reason) {
  write_line(call.streams.err, reason);
  write_feedback(call, judge_message, [reason](const LineSink& sink) { sink(reason); });
  return kJudgeError;
}

int judge(JudgeCall& call) {
  if (!argument_count_fits(call, kIcpcProtocol, 3, SIZE_MAX)) return kJudgeError;
  const std::string_view folder = call.arguments[2];
  // An empty folder would put the feedback files at the root of the file system.
  if (folder.empty()) return usage_error(call, kIcpcProtocol, "Error: <feedback_dir> is empty.\n");
  // Named before any value is read, when memory may run short.
  const std::string judge_message = file_in_folder(folder, "judgemessage.txt");
  const std::string team_message_path = file_in_folder(folder, "teammessage.txt");
  const auto usage = [&call](const std::string& reason) {
    return reason + protocol_usage_line(call.command, kIcpcProtocol);
  };
  // DOMjudge splits its flags at each space, so runs of spaces make empty ones, anywhere.
  std::vector<std::string_view> flags;
  for (std::size_t i = 3; i < call.arguments.size(); ++i) {
    if (!call.arguments[i].empty()) flags.push_back(call.arguments[i]);
  }
  std::uint64_t most_lines = kDefaultPositionLines;
  bool team_message = false;
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (flags[i] == "team_message") {
      team_message = true;
    } else if (flags[i] != "max_lines") {
      return judge_error(call, judge_message, usage(unexpected_argument_line(flags[i])));
    } else if (++i == flags.size()) {
      return judge_error(call, judge_message, usage("Error: missing N after max_lines.\n"));
    } else if (!parse_count(flags[i], most_lines) || most_lines > kMostPositionLines) {
      return judge_error(call, judge_message,
                         usage("Error: max_lines takes a number from 0 to 1000000, not " +
                               quoted(flags[i]) + ".\n"));
    }
  }

  // The answer file is not read: the reference is the input's values, sorted.
  const Judgement judgement =
      judge_files(call.arguments[0].c_str(), nullptr, most_lines, Diagnose::yes);
  if (judgement.outcome == Outcome::judge_error || judgement.outcome == Outcome::unreadable_output)
    return judge_error(call, judge_message, first_message_line(judgement).text());
  if (!write_feedback(call, judge_message,
                      [&judgement](const LineSink& sink) { write_message(judgement, sink); }))
    return kJudgeError;
  // The team sees positions and counts only, never a value of the test data.
  if (team_message && !write_feedback(call, team_message_path, [&judgement](const LineSink& sink) {
        write_team_message(judgement, sink);
      }))
    return kJudgeError;
  return judgement.outcome == Outcome::pass ? kAccepted : kWrongAnswer;
}

}  // namespace

const Protocol kIcpcProtocol = {
    "icpc", "<input_file> <answer_file> <feedback_dir> [max_lines N] [team_message] < team_output",
    kJudgeError, judge};
