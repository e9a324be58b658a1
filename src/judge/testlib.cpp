// testlib-style checkers: the verdict word and then the message, on standard error and in the
// result file when one is named; the exit status is the verdict.
#include <string>

#include "protocols.hpp"
#include "system_files.hpp"

namespace {

constexpr int kFail = 3;

struct Word {
  std::string_view text;
  int status;
};

Word word_of(Outcome outcome) {
  switch (outcome) {
    case Outcome::pass:
      return {"ok", 0};
    case Outcome::wrong:
      return {"wrong answer", 1};
    case Outcome::malformed_output:
      return {"wrong output format", 2};
    case Outcome::unreadable_output:
    case Outcome::judge_error:
      break;
  }
  return {"FAIL", kFail};
}

int judge(JudgeCall& call) {
  const auto& arguments = call.arguments;
  if (arguments.size() != 3 && arguments.size() != 4) return usage_error(call, kTestlibProtocol);
  // The answer file is not read: the reference is the input's values, sorted.
  const Judgement judgement =
      judge_files(arguments[0].c_str(), arguments[1].c_str(), kDefaultPositionLines);
  const Word word = word_of(judgement.outcome);
  const std::string text = std::string(word.text) + " " + judgement.feedback;
  write_line(call.streams.err, text);
  if (arguments.size() == 4) {
    if (const int saved_errno = write_file(arguments[3].c_str(), text); saved_errno != 0) {
      write_line(call.streams.err, "FAIL " + unwritable_line(arguments[3], saved_errno));
      return kFail;
    }
  }
  return word.status;
}

}  // namespace

const Protocol kTestlibProtocol = {
    "testlib", "<input_file> <output_file> <answer_file> [result_file]", kFail, judge};
