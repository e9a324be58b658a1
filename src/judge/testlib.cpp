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

// Adds `text` to the XML result: markup characters as entities, and control bytes but the line
// end as ".", as testlib writes them.
void add_xml_text(MessageFile& file, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        file.add("&amp;");
        break;
      case '<':
        file.add("&lt;");
        break;
      case '>':
        file.add("&gt;");
        break;
      case '"':
        file.add("&quot;");
        break;
      default:
        file.add(static_cast<unsigned char>(c) < 0x20 && c != '\n' ? std::string_view(".")
                                                                   : std::string_view(&c, 1));
    }
  }
}

// Writes the result file: the message alone, without the newline that ends it, or with -appes
// testlib's XML result. Returns 0 or the errno of the write that failed.
template <typename Message>
int write_result(const std::string& path, const Verdict& verdict, bool xml, Message message) {
  MessageFile file(path.c_str());
  if (xml) {
    file.add("<?xml version=\"1.0\" encoding=\"windows-1251\"?><result outcome = \"");
    file.add(verdict.outcome);
    file.add("\">");
  }
  // Each line is written when the next comes, so that the last one's newline can be left out.
  ShortLine held;
  bool holding = false;
  const auto add = [&](std::string_view text) {
    if (xml) {
      add_xml_text(file, text);
    } else {
      file.add(text);
    }
  };
  message([&](std::string_view line) {
    if (holding) add(held.text());
    held = ShortLine();
    held.add(line);
    holding = true;
  });
  std::string_view last = held.text();
  if (last.ends_with('\n')) last.remove_suffix(1);
  add(last);
  if (xml) file.add("</result>\n");
  return file.finish();
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
      judge_files(arguments[0].c_str(), arguments[1].c_str(), kDefaultPositionLines, Diagnose::yes);
  Verdict verdict = verdict_of(judgement.outcome, statuses);
  // testlib judges an output file that is not there as wrongly formatted, where the checker
  // reads it as empty.
  const bool output_missing =
      judgement.outcome != Outcome::judge_error && judgement.output_open_errno != 0;
  if (output_missing) verdict = verdict_of(Outcome::malformed_output, statuses);
  const auto message = [&](const LineSink& sink) {
    if (output_missing) {
      sink(unreadable_line(FileRole::output, judgement.output_open_errno).text());
    } else {
      write_message(judgement, sink);
    }
  };
  if (has_result_file) {
    if (const int saved_errno = write_result(arguments[3], verdict, arguments.size() == 5, message);
        saved_errno != 0) {
      write_line(call.streams.err, "FAIL " + unwritable_line(arguments[3], saved_errno));
      return statuses.fail;
    }
  }
  // The verdict word, then the message, the word on the first line.
  bool first = true;
  message([&](std::string_view line) {
    ShortLine text;
    if (first) {
      text.add(verdict.word);
      text.add(" ");
    }
    text.add(line);
    write_line(call.streams.err, text.text());
    first = false;
  });
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
