// testlib-style checkers, and the same built for ejudge, which reads other exit statuses: the
// verdict word and then the message on standard error, the message alone (or testlib's XML
// result) in the result file when one is named, and the verdict in the exit status.
#include <string>
#include <vector>

#include "protocols.hpp"
#include "system_files.hpp"

namespace {

// The exit statuses of one build of testlib.
struct Statuses {
  int ok, wrong_answer, wrong_format, fail;
};

constexpr Statuses kTestlibStatuses = {0, 1, 2, 3};
constexpr Statuses kEjudgeStatuses = {0, 5, 4, 6};

struct Verdict {
  std::string_view word;     // before the message on standard error
  std::string_view outcome;  // testlib's XML result
  int status;
};

Verdict verdict_of(Outcome outcome, const Statuses& statuses) {
  switch (outcome) {
    case Outcome::pass:
      return {"ok", "accepted", statuses.ok};
    case Outcome::wrong:
      return {"wrong answer", "wrong-answer", statuses.wrong_answer};
    case Outcome::malformed_output:
      return {"wrong output format", "presentation-error", statuses.wrong_format};
    case Outcome::unreadable_output:
    case Outcome::judge_error:
      break;
  }
  return {"FAIL", "fail", statuses.fail};
}

// The message as testlib's XML result holds it: markup characters as entities, and control
// bytes but the line end as ".", as testlib writes them.
std::string xml_text(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += static_cast<unsigned char>(c) < 0x20 && c != '\n' ? '.' : c;
    }
  }
  return escaped;
}

// What the result file holds: the message alone, without the newline that ends it, or with
// -appes testlib's XML result.
std::string result_text(const Verdict& verdict, std::string_view message, bool xml) {
  if (message.ends_with('\n')) message.remove_suffix(1);
  if (!xml) return std::string(message);
  return "<?xml version=\"1.0\" encoding=\"windows-1251\"?><result outcome = \"" +
         std::string(verdict.outcome) + "\">" + xml_text(message) + "</result>\n";
}

// testlib takes "--testset X" and "--group Y" out of its arguments wherever they stand; false,
// after a usage error, when one has no value after it.
bool without_test_set_and_group(JudgeCall& call, const Protocol& protocol) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < call.arguments.size(); ++i) {
    const std::string& argument = call.arguments[i];
    if (argument != "--testset" && argument != "--group") {
      kept.push_back(argument);
    } else if (++i == call.arguments.size()) {
      usage_error(call, protocol, "Error: missing a value after " + argument + ".\n");
      return false;
    }
  }
  call.arguments = std::move(kept);
  return true;
}

// The result file, when it is a file of the test or the program's output, would be lost: its
// name where that is so, else empty.
std::string_view overwritten_file(const std::vector<std::string>& arguments) {
  constexpr std::string_view kNames[] = {"input file", "output file", "answer file"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (arguments[3] == arguments[i] || same_file(arguments[3].c_str(), arguments[i].c_str()))
      return kNames[i];
  }
  return {};
}

int judge_with(JudgeCall& call, const Protocol& protocol, const Statuses& statuses) {
  if (!without_test_set_and_group(call, protocol) || !argument_count_fits(call, protocol, 3, 5))
    return statuses.fail;
  const auto& arguments = call.arguments;
  if (arguments.size() == 5 && arguments[4] != "-appes")
    return usage_error(call, protocol, unexpected_argument_line(arguments[4]));
  const bool has_result_file = arguments.size() >= 4;
  if (has_result_file) {
    if (const std::string_view file = overwritten_file(arguments); !file.empty()) {
      write_line(call.streams.err, "FAIL Error: The result file " + arguments[3] + " is the " +
                                       std::string(file) + ".\n");
      return statuses.fail;
    }
  }
  // The answer file is not read: the reference is the input's values, sorted.
  const Judgement judgement =
      judge_files(arguments[0].c_str(), arguments[1].c_str(), kDefaultPositionLines);
  Verdict verdict = verdict_of(judgement.outcome, statuses);
  std::string message = message_text(judgement);
  // testlib judges an output file that is not there as wrongly formatted, where the checker
  // reads it as empty.
  if (judgement.outcome != Outcome::judge_error && judgement.output_open_errno != 0) {
    verdict = verdict_of(Outcome::malformed_output, statuses);
    message = unreadable_line(FileRole::output, judgement.output_open_errno);
  }
  if (has_result_file) {
    const std::string text = result_text(verdict, message, arguments.size() == 5);
    if (const int saved_errno = write_file(arguments[3].c_str(), text); saved_errno != 0) {
      write_line(call.streams.err, "FAIL " + unwritable_line(arguments[3], saved_errno));
      return statuses.fail;
    }
  }
  write_line(call.streams.err, std::string(verdict.word) + " " + message);
  return verdict.status;
}

int judge_testlib(JudgeCall& call) {
  return judge_with(call, kTestlibProtocol, kTestlibStatuses);
}

int judge_ejudge(JudgeCall& call) {
  return judge_with(call, kEjudgeProtocol, kEjudgeStatuses);
}

constexpr std::string_view kArguments =
    "<input_file> <output_file> <answer_file> [result_file [-appes]] [--testset X] [--group Y]";

}  // namespace

const Protocol kTestlibProtocol = {"testlib", kArguments, kTestlibStatuses.fail, judge_testlib};
const Protocol kEjudgeProtocol = {"ejudge", kArguments, kEjudgeStatuses.fail, judge_ejudge};
