// Scripts and autograders that read the exit status alone: 0 when the output passes, 1 when it
// does not, 2 when the input or the call is at fault. The verdict lines, and the diagnosis of a
// failing output, go to standard output.
#include "protocols.hpp"

namespace {

constexpr int kBrokenTest = 2;

int judge(JudgeCall& call) {
  if (!argument_count_fits(call, kPlainProtocol, 2, 2)) return kBrokenTest;
  const Judgement judgement = judge_files(call.arguments[0].c_str(), call.arguments[1].c_str(),
                                          kDefaultPositionLines, Diagnose::yes);
  if (judgement.outcome == Outcome::judge_error) {
    write_line(call.streams.err, first_message_line(judgement).text());
    return kBrokenTest;
  }
  // An output that cannot be read is the program's own doing here: a fail, like a wrong one.
  write_message(judgement, [&call](std::string_view line) { write_line(call.streams.out, line); });
  return judgement.outcome == Outcome::pass ? 0 : 1;
}

}  // namespace

const Protocol kPlainProtocol = {"plain", "<input_file> <your_output_file>", kBrokenTest, judge};
