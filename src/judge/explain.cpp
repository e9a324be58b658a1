// For a student whom a verdict puzzles: the checker's verdict and what kind of fault it shows,
// every line on standard output, a broken test data's too, with plain's exit status.
#include "protocols.hpp"

namespace {

constexpr int kBrokenTest = 2;

int judge(JudgeCall& call) {
  if (!argument_count_fits(call, kExplainProtocol, 2, 2)) return kBrokenTest;
  const Judgement judgement = judge_files(call.arguments[0].c_str(), call.arguments[1].c_str(),
                                          kDefaultPositionLines, Diagnose::yes);
  write_message(judgement, [&call](std::string_view line) { write_line(call.streams.out, line); });
  if (judgement.outcome == Outcome::judge_error) return kBrokenTest;
  return judgement.outcome == Outcome::pass ? 0 : 1;
}

}  // namespace

const Protocol kExplainProtocol = {"explain", "<input_file> <your_output_file>", kBrokenTest,
                                   judge};
