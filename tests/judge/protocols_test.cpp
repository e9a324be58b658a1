// checker-judge's protocols over the verdict classes: the exit status and the exact words each
// protocol writes, on its streams and in its files.
#include "judge/protocols.hpp"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "captured_output.hpp"
#include "test_files.hpp"

namespace {

// Standard input read from a file for as long as this lives. The judge closes its standard input
// when it has read it, so the old one is kept apart and put back.
class StandardInputFrom {
 public:
  explicit StandardInputFrom(const std::string& path) {
#if defined(_WIN32)
    saved_ = _dup(0);
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    _dup2(fd, 0);
    _close(fd);
#else
    saved_ = ::dup(0);
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::dup2(fd, 0);
    ::close(fd);
#endif
  }
  ~StandardInputFrom() {
#if defined(_WIN32)
    _dup2(saved_, 0);
    _close(saved_);
#else
    ::dup2(saved_, 0);
    ::close(saved_);
#endif
  }

 private:
  int saved_ = -1;
};

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The text of a file the call must not write.
constexpr const char* kAbsent = "(absent)";

std::string contents_or_absent(const std::string& path) {
  return std::filesystem::exists(path) ? read_all(path) : kAbsent;
}

struct Finished {
  int status;
  std::string out, err;
};

// Calls `judge` with streams of its own, and keeps what it wrote to them.
template <typename Judge>
Finished capture(Judge judge) {
  CapturedOutput out, err;
  JudgeStreams streams{out.console, err.console};
  const int status = judge(streams);
  return {status, out.text(), err.text()};
}

// Runs checker-judge with `arguments` after the program name, and standard input from the
// file at `standard_input` if any.
Finished run(const std::vector<std::string>& arguments, const std::string& standard_input = "") {
  std::vector<const char*> argv = {"/usr/bin/checker-judge"};
  for (const std::string& argument : arguments)
    argv.push_back(argument.c_str());
  const auto judge = [&argv](JudgeStreams& streams) {
    return run_judge(static_cast<int>(argv.size()), argv.data(), streams);
  };
  if (standard_input.empty()) return capture(judge);
  const StandardInputFrom redirected(standard_input);
  return capture(judge);
}

std::string reason(int error) {
  return std::strerror(error);
}

std::string cannot_write(const std::string& path) {
  return "Error: Cannot write " + path + " (" + reason(ENOENT) + ").\n";
}

constexpr const char* kPass = "Congratulations: Your result passed this test!\n";
constexpr const char* kSize =
    "Error: The size of your output is different from the size of the input.\n";
constexpr const char* kFirst = "Error: Data index 1 should be 10 but get 16 !\n";
constexpr const char* kWrong =
    "Error: Data index 1 should be 10 but get 16 !\n"
    "Error: Data index 2 should be 16 but get 10 !\n"
    "In all, 2 of 3 positions differ.\n";
constexpr const char* kMalformed =
    "Error: Line 2 of your output file should hold an integer from -2147483648 to 2147483647 "
    "but has \"x\".\n";
constexpr const char* kBrokenInput =
    "Error: Line 1 of the input file should hold an integer from -2147483648 to 2147483647 "
    "but has \"#\".\n";

// The files every row may name: "input" holds 16, 4 and 10.
struct Files {
  TempDir dir;
  std::string input = dir.file("input", "a 16\nb 4\nc 10\n");
  std::string good = dir.file("good", "a 4\nb 10\nc 16\n");
  std::string wrong = dir.file("wrong", "a 4\nb 16\nc 10\n");
  std::string one_wrong = dir.file("one_wrong", "a 4\nb 10\nc 17\n");
  std::string short_output = dir.file("short", "a 4\nb 10\n");
  std::string malformed = dir.file("malformed", "a 4\nb x\n");
  std::string judge_error = dir.file("broken", "a #\n");
  std::string missing = dir.path + "/missing";
  std::string folder = dir.path;  // opens, but reads fail
  std::string feedback = dir.path + "/feedback";
  Files() { std::filesystem::create_directory(feedback); }
};

TEST(Judge, PlainCmsAndTestlibOverTheVerdictClasses) {
  const Files f;
  const std::string cannot_read_output =
      "Error: Cannot read your output file (" + reason(EISDIR) + ").\n";
  const std::string cannot_read_input =
      "Error: Cannot read the input file (" + reason(ENOENT) + ").\n";
  struct Row {
    std::vector<std::string> arguments;
    int status;
    std::string out, err;
  };
  const Row rows[] = {
      {{"plain", f.input, f.good}, 0, kPass, ""},
      {{"plain", f.input, f.wrong}, 1, kWrong, ""},
      {{"plain", f.input, f.one_wrong},
       1,
       "Error: Data index 2 should be 16 but get 17 !\nIn all, 1 of 3 positions differs.\n",
       ""},
      {{"plain", f.input, f.short_output}, 1, kSize, ""},
      {{"plain", f.input, f.missing}, 1, kSize, ""},  // read as empty, as the checker does
      {{"plain", f.input, f.malformed}, 1, kMalformed, ""},
      {{"plain", f.input, f.folder}, 1, cannot_read_output, ""},  // the program's own doing
      {{"plain", f.judge_error, f.good}, 2, "", kBrokenInput},
      {{"plain", f.missing, f.good}, 2, "", cannot_read_input},
      {{"plain", f.input},
       2,
       "",
       "Usage: /usr/bin/checker-judge plain <input_file> <your_output_file>\n"},

      {{"cms", f.input, f.good, f.good}, 0, "1.0\n", "translate:success\n"},
      {{"cms", f.input, f.good, f.wrong}, 0, "0.0\n", kFirst},
      {{"cms", f.input, f.good, f.short_output}, 0, "0.0\n", kSize},
      {{"cms", f.input, f.good, f.malformed}, 0, "0.0\n", kMalformed},
      {{"cms", f.input, f.good, f.folder}, 1, "", cannot_read_output},  // the system wrote it
      {{"cms", f.judge_error, f.good, f.good}, 1, "", kBrokenInput},
      {{"cms", f.input, f.good},
       1,
       "",
       "Usage: /usr/bin/checker-judge cms <input_file> <correct_output> <contestant_output>\n"},

      {{"testlib", f.input, f.good, f.good}, 0, "", std::string("ok ") + kPass},
      {{"testlib", f.input, f.wrong, f.good}, 1, "", std::string("wrong answer ") + kWrong},
      {{"testlib", f.input, f.malformed, f.good},
       2,
       "",
       std::string("wrong output format ") + kMalformed},
      {{"testlib", f.input, f.folder, f.good}, 3, "", "FAIL " + cannot_read_output},
      {{"testlib", f.missing, f.good, f.good}, 3, "", "FAIL " + cannot_read_input},
      {{"testlib", f.input, f.good, f.good, f.missing + "/result"},
       3,
       "",
       std::string("ok ") + kPass + "FAIL " + cannot_write(f.missing + "/result")},
      {{"testlib", f.input, f.good, f.good, f.dir.path + "/result", "-appes"},
       3,
       "",
       "Usage: /usr/bin/checker-judge testlib <input_file> <output_file> <answer_file> "
       "[result_file]\n"},

      // Without a mode it knows, every usage line.
      {{"icpc-format", f.input, f.good},
       2,
       "",
       "Usage: /usr/bin/checker-judge icpc <input_file> <answer_file> <feedback_dir> [max_lines N] "
       "[team_message] < team_output\n"
       "Usage: /usr/bin/checker-judge cms <input_file> <correct_output> <contestant_output>\n"
       "Usage: /usr/bin/checker-judge testlib <input_file> <output_file> <answer_file> "
       "[result_file]\n"
       "Usage: /usr/bin/checker-judge plain <input_file> <your_output_file>\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments[0] + " " + row.arguments.back());
    const Finished finished = run(row.arguments);
    EXPECT_EQ(finished.status, row.status);
    EXPECT_EQ(finished.out, row.out);
    EXPECT_EQ(finished.err, row.err);
  }
}

// cms/checker: the protocol's arguments alone, and its own name in its usage line.
TEST(Judge, CmsBuildTakesTheArgumentsAlone) {
  const Files f;
  const auto cms = [](std::vector<const char*> argv) {
    return capture([&argv](JudgeStreams& streams) {
      return run_protocol(kCmsProtocol, static_cast<int>(argv.size()), argv.data(), streams);
    });
  };
  const Finished wrong = cms({"./checker", f.input.c_str(), f.good.c_str(), f.wrong.c_str()});
  EXPECT_EQ(wrong.status, 0);
  EXPECT_EQ(wrong.out, "0.0\n");
  EXPECT_EQ(wrong.err, kFirst);
  const Finished usage = cms({"./checker"});
  EXPECT_EQ(usage.status, 1);
  EXPECT_EQ(usage.err, "Usage: ./checker <input_file> <correct_output> <contestant_output>\n");
}

TEST(Judge, IcpcFeedbackFolderAndExitStatus) {
  const Files f;
  const std::string with_separator = f.feedback + "/";
  const std::string usage =
      "Usage: /usr/bin/checker-judge icpc <input_file> <answer_file> <feedback_dir> [max_lines N] "
      "[team_message] < team_output\n";
  struct Row {
    std::vector<std::string> arguments;
    std::string team_output;
    int status;
    std::string err, judge_message, team_message = kAbsent;
  };
  std::vector<Row> rows = {
      {{f.input, f.good, f.feedback}, f.good, 42, "", kPass},
      {{f.input, f.good, with_separator}, f.wrong, 43, "", kWrong},
      {{f.input, f.good, f.feedback, "", "team_message"}, f.good, 42, "", kPass, kPass},
      {{f.input, f.good, f.feedback, "team_message", "max_lines", "1"},
       f.wrong,
       43,
       "",
       std::string(kFirst) + "In all, 2 of 3 positions differ.\n",
       kFirst},
      {{f.input, f.good, f.feedback, "max_lines", "0"},
       f.wrong,
       43,
       "",
       "In all, 2 of 3 positions differ.\n"},
      {{f.input, f.good, f.feedback, "team_message"}, f.short_output, 43, "", kSize, kSize},
      {{f.input, f.good, f.feedback}, f.malformed, 43, "", kMalformed},
      // The test data's fault, or the system's: a judge error, never the team's.
      {{f.judge_error, f.good, f.feedback, "team_message"}, f.good, 1, kBrokenInput, kBrokenInput},
      {{f.input, f.good, f.feedback, "max_lines"}, f.good, 1, usage, usage},
      {{f.input, f.good, f.feedback, "max_lines", "-1"}, f.good, 1, usage, usage},
      {{f.input, f.good, f.feedback, "case_sensitive"}, f.good, 1, usage, usage},
      {{f.input, f.good}, f.good, 1, usage, kAbsent},
      {{f.input, f.good, f.missing},
       f.good,
       1,
       cannot_write(f.missing + "/judgemessage.txt"),
       kAbsent},
  };
#if !defined(_WIN32)  // where a directory can be standard input
  const std::string unreadable = "Error: Cannot read your output file (" + reason(EISDIR) + ").\n";
  rows.push_back({{f.input, f.good, f.feedback}, f.folder, 1, unreadable, unreadable});
#endif
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments.back() + " < " + row.team_output);
    std::filesystem::remove_all(f.feedback);
    std::filesystem::create_directory(f.feedback);
    std::vector<std::string> arguments = {"icpc"};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    const Finished finished = run(arguments, row.team_output);
    EXPECT_EQ(finished.status, row.status);
    EXPECT_EQ(finished.out, "");  // a judge may append standard output to its message
    EXPECT_EQ(finished.err, row.err);
    EXPECT_EQ(contents_or_absent(f.feedback + "/judgemessage.txt"), row.judge_message);
    EXPECT_EQ(contents_or_absent(f.feedback + "/teammessage.txt"), row.team_message);
  }
}

TEST(Judge, MillionDifferencesGetAtMostMaxLinesAndACount) {
  const Files f;
  constexpr int kCount = 1000000;
  std::string input, output;
  for (int i = 0; i < kCount; ++i) {
    input += "r " + std::to_string(i) + "\n";
    output += "r " + std::to_string(i + 1) + "\n";
  }
  const std::string input_path = f.dir.file("large_input", input);
  const std::string output_path = f.dir.file("large_output", output);
  const Finished finished = run({"icpc", input_path, input_path, f.feedback}, output_path);
  EXPECT_EQ(finished.status, 43);
  const std::string message = read_all(f.feedback + "/judgemessage.txt");
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 21);
  EXPECT_TRUE(message.starts_with("Error: Data index 0 should be 0 but get 1 !\n"));
  EXPECT_TRUE(
      message.ends_with("Error: Data index 19 should be 19 but get 20 !\n"
                        "In all, 1000000 of 1000000 positions differ.\n"));
}

}  // namespace
