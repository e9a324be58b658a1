// CMS comparators: the score on the first line of standard output, and the message for the
// contestant on the first line of standard error; any other exit status than 0 is the admin's
// problem. CMS shows only printable ASCII there, which every verdict line is.
#include "protocols.hpp"

namespace {

constexpr int kJudgeError = 1;

int judge(JudgeCall& call) {
  const auto& arguments = call.arguments;
  if (!argument_count_fits(call, kCmsProtocol, 3, 4)) return kJudgeError;
  // Tasks that take both a program and an output file say which one is judged; both are judged
  // alike.
  if (arguments.size() == 4 && arguments[3] != "batch" && arguments[3] != "outputonly")
    return usage_error(call, kCmsProtocol, unexpected_argument_line(arguments[3]));
  // The correct output is not read: the reference is the input's values, sorted.
  const Judgement judgement =
      judge_files(arguments[0].c_str(), arguments[2].c_str(), kDefaultPositionLines);
  switch (judgement.outcome) {
    case Outcome::pass:
      write_line(call.streams.out, "1.0\n");
      write_line(call.streams.err, "translate:success\n");
      break;
    case Outcome::wrong:
    case Outcome::malformed_output:
      write_line(call.streams.out, "0.0\n");
      write_line(call.streams.err, first_message_line(judgement).text());
      break;
    case Outcome::unreadable_output:
    case Outcome::judge_error:
      write_line(call.streams.err, first_message_line(judgement).text());
      return kJudgeError;
  }
  // A score that did not reach CMS must not pass for one.
  return call.streams.out.lost ? kJudgeError : 0;
}

}  // namespace

const Protocol kCmsProtocol = {
    "cms", "<input_file> <correct_output> <contestant_output> [batch|outputonly]", kJudgeError,
    judge};
