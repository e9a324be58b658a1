// CMS comparators: the score on the first line of standard output, and the message for the
// contestant on the first line of standard error; any other exit status than 0 is the admin's
// problem. CMS shows only printable ASCII there, which every verdict line is.
#include "protocols.hpp"

namespace {

int judge(JudgeCall& call) {
  if (call.arguments.size() != 3) return usage_error(call, kCmsProtocol);
  // The correct output is not read: the reference is the input's values, sorted.
  const Judgement judgement =
      judge_files(call.arguments[0].c_str(), call.arguments[2].c_str(), kDefaultPositionLines);
  switch (judgement.outcome) {
    case Outcome::pass:
      write_line(call.streams.out, "1.0\n");
      write_line(call.streams.err, "translate:success\n");
      return 0;
    case Outcome::wrong:
    case Outcome::malformed_output:
      write_line(call.streams.out, "0.0\n");
      write_line(call.streams.err, first_line(judgement.feedback));
      return 0;
    case Outcome::unreadable_output:
    case Outcome::judge_error:
      break;
  }
  write_line(call.streams.err, judgement.feedback);
  return kCmsProtocol.judge_error_status;
}

}  // namespace

const Protocol kCmsProtocol = {"cms", "<input_file> <correct_output> <contestant_output>", 1,
                               judge};
