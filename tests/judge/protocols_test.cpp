// checker-judge's protocols over the verdict classes: the exit status and the exact words each
// protocol writes, on its streams and in its files.
#include "judge/protocols.hpp"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "captured_output.hpp"
#include "test_files.hpp"

namespace {

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Standard input read from a file for as long as this lives; or, with `late_pipe`, from a
// non-blocking pipe whose writer writes the file's bytes only after a while, as a judge's pipe
// from a program that is still starting. The judge closes its standard input when it has read
// it, so the old one is kept apart and put back.
class StandardInputFrom {
 public:
  StandardInputFrom(const std::string& path, bool late_pipe) {
#if defined(_WIN32)
    saved_ = _dup(0);
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    _dup2(fd, 0);
    _close(fd);
    (void)late_pipe;
#else
    saved_ = ::dup(0);
    if (path.empty()) {
      ::close(0);
      return;
    }
    if (late_pipe) {
      // A judge that stops reading early must fail the row, not end the tests.
      ::signal(SIGPIPE, SIG_IGN);
      int ends[2];
      EXPECT_EQ(::pipe(ends), 0);
      ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
      ::dup2(ends[0], 0);
      ::close(ends[0]);
      writer_ = std::thread([write_end = ends[1], bytes = read_all(path)] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(::write(write_end, bytes.data(), bytes.size()), std::ssize(bytes));
        ::close(write_end);
      });
      return;
    }
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::dup2(fd, 0);
    ::close(fd);
#endif
  }
  ~StandardInputFrom() {
    if (writer_.joinable()) writer_.join();
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
  std::thread writer_;
};

// The text of a file the call must not write.
constexpr const char* kAbsent = "(absent)";

// `text` without its lines of diagnosis, which diagnosis_test.cpp reads for themselves: here
// only the protocols' own words are compared.
std::string without_diagnosis(const std::string& text) {
  std::string kept;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    const std::string_view line(text.data() + start, end - start);
    if (!line.starts_with("Diagnosis: ")) kept.append(line);
    start = end;
  }
  return kept;
}

std::string contents_or_absent(const std::string& path) {
  return std::filesystem::exists(path) ? read_all(path) : kAbsent;
}

struct Finished {
  int status;
  std::string out, err;
};

// Calls `judge` with streams of its own, and keeps what it wrote to them; with `out_lost`,
// standard output takes no bytes, as a closed one or a full disk.
template <typename Judge>
Finished capture(Judge judge, bool out_lost = false) {
  CapturedOutput out, err;
  JudgeStreams streams{out.console, err.console};
  if (out_lost) streams.out.fd = -1;
  const int status = judge(streams);
  return {status, out.text(), err.text()};
}

// How a row calls the judge beyond its arguments.
struct Call {
  std::string standard_input = "";  // a file; none when empty
  bool late_pipe = false;           // the file comes late through a non-blocking pipe
  bool out_lost = false;            // standard output takes no bytes
  bool input_closed = false;        // no standard input at all
};

// Runs checker-judge with `arguments` after the program name.
Finished run(const std::vector<std::string>& arguments, const Call& call = {}) {
  std::vector<const char*> argv = {"/usr/bin/checker-judge"};
  for (const std::string& argument : arguments)
    argv.push_back(argument.c_str());
  // Standard input is redirected once the captured streams are open, so that with none at all
  // the judge's own files are the ones that get descriptor 0.
  const auto judge = [&argv, &call](JudgeStreams& streams) {
    std::optional<StandardInputFrom> redirected;
    if (!call.standard_input.empty() || call.input_closed)
      redirected.emplace(call.input_closed ? "" : call.standard_input, call.late_pipe);
    return run_judge(static_cast<int>(argv.size()), argv.data(), streams);
  };
  const std::vector<int> free_before = free_descriptors();
#if !defined(_WIN32) && defined(CHECKER_TESTS_NATIVE)
  const auto time_before = thread_processor_time();
#endif
  const Finished finished = capture(judge, call.out_lost);
  EXPECT_EQ(free_descriptors(), free_before) << "a file left open";
#if !defined(_WIN32) && defined(CHECKER_TESTS_NATIVE)  // an emulator's time is its own
  // A judge that waits for a program still starting sleeps meanwhile; it does not spin.
  if (call.late_pipe) {
    EXPECT_LT(thread_processor_time() - time_before, std::chrono::milliseconds(50));
  }
#endif
  return finished;
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
  std::string long_output = dir.file("long", "a 4\nb 10\nc 16\nd 20\n");
  std::string malformed = dir.file("malformed", "a 4\nb x\n");
  std::string judge_error = dir.file("broken", "a #\n");
  std::string missing = dir.path + "/missing";
  std::string folder = dir.path;  // opens, but reads fail
  std::string feedback = dir.path + "/feedback";
  Files() { std::filesystem::create_directory(feedback); }
};

TEST(Judge, PlainCmsTestlibAndEjudgeOverTheVerdictClasses) {
  const Files f;
  const std::string cannot_read_output =
      "Error: Cannot read your output file (" + reason(EISDIR) + ").\n";
  const std::string cannot_read_input =
      "Error: Cannot read the input file (" + reason(ENOENT) + ").\n";
  const std::string output_missing =
      "Error: Cannot read your output file (" + reason(ENOENT) + ").\n";
  const std::string result = f.dir.path + "/result";
  const std::string input_before = read_all(f.input);
#if defined(_WIN32)
  const std::string folder_not_writable = reason(EACCES);
#else
  const std::string folder_not_writable = reason(EISDIR);
#endif
  const std::string testlib_usage =
      "Usage: /usr/bin/checker-judge testlib <input_file> <output_file> <answer_file> "
      "[result_file [-appes]] [--testset X] [--group Y]\n";
  const std::string cms_usage =
      "Usage: /usr/bin/checker-judge cms <input_file> <correct_output> <contestant_output> "
      "[batch|outputonly]\n";
  const std::string every_usage =
      "Usage: /usr/bin/checker-judge icpc <input_file> <answer_file> <feedback_dir> [max_lines N] "
      "[team_message] < team_output\n"
      "Usage: /usr/bin/checker-judge cms <input_file> <correct_output> <contestant_output> "
      "[batch|outputonly]\n" +
      testlib_usage +
      "Usage: /usr/bin/checker-judge ejudge <input_file> <output_file> <answer_file> "
      "[result_file [-appes]] [--testset X] [--group Y]\n"
      "Usage: /usr/bin/checker-judge plain <input_file> <your_output_file>\n"
      "Usage: /usr/bin/checker-judge explain <input_file> <your_output_file>\n"
      "Usage: /usr/bin/checker-judge --version\n";
  struct Row {
    std::vector<std::string> arguments;
    int status;
    std::string out, err;
    std::string result_file = kAbsent;  // what `result` holds after the call
    Call call = {};
  };
  const Row rows[] = {
      {{"plain", f.input, f.good}, 0, kPass, ""},
      {{"plain", f.input, f.wrong}, 1, kWrong, ""},
      {{"plain", f.input, f.one_wrong},
       1,
       "Error: Data index 2 should be 16 but get 17 !\nIn all, 1 of 3 positions differs.\n",
       ""},
      {{"plain", f.input, f.short_output}, 1, kSize, ""},
      {{"plain", f.input, f.long_output}, 1, kSize, ""},
      {{"plain", f.input, f.missing}, 1, kSize, ""},  // read as empty, as the checker does
      {{"plain", f.input, f.malformed}, 1, kMalformed, ""},
      {{"plain", f.input, f.folder}, 1, cannot_read_output, ""},  // the program's own doing
      {{"plain", f.judge_error, f.good}, 2, "", kBrokenInput},
      {{"plain", f.missing, f.good}, 2, "", cannot_read_input},
      {{"plain", f.input},
       2,
       "",
       "Error: missing <your_output_file>.\n"
       "Usage: /usr/bin/checker-judge plain <input_file> <your_output_file>\n"},
      {{"plain", f.input, f.good, "extra"},
       2,
       "",
       "Error: unexpected argument \"extra\".\n"
       "Usage: /usr/bin/checker-judge plain <input_file> <your_output_file>\n"},

      {{"cms", f.input, f.good, f.good}, 0, "1.0\n", "translate:success\n"},
      {{"cms", f.input, f.good, f.wrong}, 0, "0.0\n", kFirst},
      {{"cms", f.input, f.good, f.short_output}, 0, "0.0\n", kSize},
      {{"cms", f.input, f.good, f.long_output}, 0, "0.0\n", kSize},
      {{"cms", f.input, f.good, f.malformed}, 0, "0.0\n", kMalformed},
      {{"cms", f.input, f.good, f.folder}, 1, "", cannot_read_output},  // the system wrote it
      {{"cms", f.judge_error, f.good, f.good}, 1, "", kBrokenInput},
      // BatchAndOutput tasks say which kind of output is judged.
      {{"cms", f.input, f.good, f.good, "batch"}, 0, "1.0\n", "translate:success\n"},
      {{"cms", f.input, f.good, f.wrong, "outputonly"}, 0, "0.0\n", kFirst},
      {{"cms", f.input, f.good, f.good, "interactive"},
       1,
       "",
       "Error: unexpected argument \"interactive\".\n" + cms_usage},
      {{"cms", f.input, f.good}, 1, "", "Error: missing <contestant_output>.\n" + cms_usage},
      // A score that cannot be written is no score.
      {{"cms", f.input, f.good, f.good}, 1, "", "translate:success\n", kAbsent, {.out_lost = true}},

      {{"testlib", f.input, f.good, f.good}, 0, "", std::string("ok ") + kPass},
      {{"testlib", f.input, f.wrong, f.good}, 1, "", std::string("wrong answer ") + kWrong},
      {{"testlib", f.input, f.malformed, f.good},
       2,
       "",
       std::string("wrong output format ") + kMalformed},
      {{"testlib", f.input, f.missing, f.good}, 2, "", "wrong output format " + output_missing},
      {{"testlib", f.input, f.folder, f.good}, 3, "", "FAIL " + cannot_read_output},
      {{"testlib", f.missing, f.good, f.good}, 3, "", "FAIL " + cannot_read_input},
      // The result file holds the message alone, or testlib's XML result; its last line, here
      // one of diagnosis, without its newline.
      {{"testlib", f.input, f.wrong, f.good, result},
       1,
       "",
       std::string("wrong answer ") + kWrong,
       kWrong},
      {{"testlib", f.input, f.good, f.good, result},
       0,
       "",
       std::string("ok ") + kPass,
       "Congratulations: Your result passed this test!"},
      {{"testlib", f.input, f.malformed, f.good, result, "-appes"},
       2,
       "",
       std::string("wrong output format ") + kMalformed,
       "<?xml version=\"1.0\" encoding=\"windows-1251\"?><result outcome = "
       "\"presentation-error\">Error: Line 2 of your output file should hold an integer from "
       "-2147483648 to 2147483647 but has &quot;x&quot;.</result>\n"},
      {{"testlib", "--testset", "t1", f.input, f.good, "--group", "g", f.good, result, "-appes",
        "--group", "h"},
       0,
       "",
       std::string("ok ") + kPass,
       "<?xml version=\"1.0\" encoding=\"windows-1251\"?><result outcome = \"accepted\">"
       "Congratulations: Your result passed this test!</result>\n"},
      {{"testlib", f.input, f.good, f.good, result, "--group"},
       3,
       "",
       "Error: missing a value after --group.\n" + testlib_usage},
      {{"testlib", f.input, f.good, f.good, result, "-xml"},
       3,
       "",
       "Error: unexpected argument \"-xml\".\n" + testlib_usage},
      // A result file that is a file of the test is never written over.
      {{"testlib", f.input, f.good, f.good, f.input},
       3,
       "",
       "FAIL Error: The result file " + f.input + " is the input file.\n"},
      {{"testlib", f.input, f.good, f.good,
        f.dir.path + "/../" + std::filesystem::path(f.dir.path).filename().string() + "/good"},
       3,
       "",
       "FAIL Error: The result file " + f.dir.path + "/../" +
           std::filesystem::path(f.dir.path).filename().string() + "/good is the output file.\n"},
      {{"testlib", f.input, f.good, f.good, f.missing + "/result"},
       3,
       "",
       "FAIL " + cannot_write(f.missing + "/result")},
      {{"testlib", f.input, f.good, f.good, f.feedback},
       3,
       "",
       "FAIL Error: Cannot write " + f.feedback + " (" + folder_not_writable + ").\n"},

      {{"ejudge", f.input, f.good, f.good}, 0, "", std::string("ok ") + kPass},
      {{"ejudge", f.input, f.wrong, f.good}, 5, "", std::string("wrong answer ") + kWrong},
      {{"ejudge", f.input, f.malformed, f.good},
       4,
       "",
       std::string("wrong output format ") + kMalformed},
      {{"ejudge", f.judge_error, f.good, f.good}, 6, "", "FAIL " + std::string(kBrokenInput)},

      // For a student: every line on standard output, with plain's statuses.
      {{"explain", f.input, f.good}, 0, kPass, ""},
      {{"explain", f.input, f.wrong}, 1, kWrong, ""},
      {{"explain", f.judge_error, f.good}, 2, kBrokenInput, ""},

      // Without a mode it knows: a failure of the judge in every protocol, and why.
      {{"icpc-format", f.input, f.good},
       3,
       "",
       "Error: unknown mode \"icpc-format\".\n" + every_usage},
      {{}, 3, "", "Error: missing the mode.\n" + every_usage},
      {{"--version", "plain"}, 3, "", "Error: unexpected argument \"plain\".\n" + every_usage},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE((row.arguments.empty() ? "" : row.arguments[0]) + " " +
                 (row.arguments.empty() ? "" : row.arguments.back()));
    std::filesystem::remove(result);
    // A result file left by an earlier run is written over from its start.
    if (row.result_file != kAbsent) f.dir.file("result", std::string(4096, 'x'));
    const Finished finished = run(row.arguments, row.call);
    EXPECT_EQ(finished.status, row.status);
    EXPECT_EQ(without_diagnosis(finished.out), row.out);
    EXPECT_EQ(without_diagnosis(finished.err), row.err);
    EXPECT_EQ(without_diagnosis(contents_or_absent(result)), row.result_file);
    EXPECT_EQ(read_all(f.input), input_before);
  }
  const Finished version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(
      version.out, std::regex("checker-judge [0-9]+\\.[0-9]+( \\(commit [0-9a-f]+\\))?\n")))
      << version.out;
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
  EXPECT_EQ(usage.err,
            "Error: missing <input_file>.\n"
            "Usage: ./checker <input_file> <correct_output> <contestant_output> "
            "[batch|outputonly]\n");
}

TEST(Judge, IcpcFeedbackFolderAndExitStatus) {
  const Files f;
  const std::string with_separator = f.feedback + "/";
  const std::string usage =
      "Usage: /usr/bin/checker-judge icpc <input_file> <answer_file> <feedback_dir> [max_lines N] "
      "[team_message] < team_output\n";
  const std::string hidden_wrong =
      "Error: Data index 1 holds a wrong value.\nIn all, 2 of 3 positions differ.\n";
  const std::string not_a_count = "Error: max_lines takes a number from 0 to 1000000, not ";
  struct Row {
    std::vector<std::string> arguments;
    std::string team_output;
    int status;
    std::string err, judge_message, team_message = kAbsent;
    bool late_pipe = false;
    bool input_closed = false;
  };
  std::vector<Row> rows = {
      {{f.input, f.good, f.feedback}, f.good, 42, "", kPass},
      {{f.input, f.good, with_separator}, f.wrong, 43, "", kWrong},
      {{f.input, f.good, f.feedback, "", "team_message"}, f.good, 42, "", kPass, kPass},
      // The team's message shows no value of the test data, nor any text of the output.
      {{f.input, f.good, f.feedback, "team_message", "max_lines", "1"},
       f.wrong,
       43,
       "",
       std::string(kFirst) + "In all, 2 of 3 positions differ.\n",
       hidden_wrong},
      {{f.input, f.good, f.feedback, "max_lines", "0"},
       f.wrong,
       43,
       "",
       "In all, 2 of 3 positions differ.\n"},
      {{f.input, f.good, f.feedback, "team_message"}, f.short_output, 43, "", kSize, kSize},
      {{f.input, f.good, f.feedback, "team_message"},
       f.malformed,
       43,
       "",
       kMalformed,
       "Error: Line 2 of your output file should hold an integer from -2147483648 to "
       "2147483647.\n"},
      // DOMjudge splits its flags at every space: runs of spaces, leading and trailing, make
      // empty flags anywhere, even between max_lines and its number.
      {{f.input, f.good, f.feedback, "", "", "max_lines", "", "1", "", "team_message", ""},
       f.wrong,
       43,
       "",
       std::string(kFirst) + "In all, 2 of 3 positions differ.\n",
       hidden_wrong},
      {{f.input, f.good, f.feedback, "max_lines", "1000000"}, f.wrong, 43, "", kWrong},
      // A pipe that is not ready yet, and does not block, is waited for.
      {{f.input, f.good, f.feedback}, f.good, 42, "", kPass, kAbsent, true},
      // The test data's fault, or the system's: a judge error, never the team's.
      {{f.judge_error, f.good, f.feedback, "team_message"}, f.good, 1, kBrokenInput, kBrokenInput},
      {{f.input, f.good, f.feedback, "max_lines"},
       f.good,
       1,
       "Error: missing N after max_lines.\n" + usage,
       "Error: missing N after max_lines.\n" + usage},
      {{f.input, f.good, f.feedback, "max_lines", "-1"},
       f.good,
       1,
       not_a_count + "\"-1\".\n" + usage,
       not_a_count + "\"-1\".\n" + usage},
      // A message of that many lines would be built in memory.
      {{f.input, f.good, f.feedback, "max_lines", "18446744073709551615"},
       f.wrong,
       1,
       not_a_count + "\"18446744073709551615\".\n" + usage,
       not_a_count + "\"18446744073709551615\".\n" + usage},
      {{f.input, f.good, f.feedback, "case_sensitive"},
       f.good,
       1,
       "Error: unexpected argument \"case_sensitive\".\n" + usage,
       "Error: unexpected argument \"case_sensitive\".\n" + usage},
      {{f.input, f.good}, f.good, 1, "Error: missing <feedback_dir>.\n" + usage, kAbsent},
      // An empty folder would put the files at the root of the file system.
      {{f.input, f.good, "", "team_message"},
       f.good,
       1,
       "Error: <feedback_dir> is empty.\n" + usage,
       kAbsent},
      {{f.input, f.good, f.missing},
       f.good,
       1,
       cannot_write(f.missing + "/judgemessage.txt"),
       kAbsent},
  };
#if !defined(_WIN32)  // where a directory can be standard input
  const std::string unreadable = "Error: Cannot read your output file (" + reason(EISDIR) + ").\n";
  rows.push_back({{f.input, f.good, f.feedback}, f.folder, 1, unreadable, unreadable});
  // No standard input at all: its reads fail at once, and are not waited for.
  const std::string no_input = "Error: Cannot read your output file (" + reason(EBADF) + ").\n";
  rows.push_back({{f.input, f.good, f.feedback}, "", 1, no_input, no_input, kAbsent, false, true});
  // Elsewhere than Windows a backslash is a character of a folder's name.
  std::filesystem::create_directory(f.feedback + "\\");
  rows.push_back({{f.input, f.good, f.feedback + "\\"}, f.good, 42, "", kAbsent});
#endif
  const bool root_message_existed = std::filesystem::exists("/judgemessage.txt");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments.back() + " < " + row.team_output);
    std::filesystem::remove_all(f.feedback);
    std::filesystem::create_directory(f.feedback);
    // Feedback left by an earlier run is written over from its start.
    if (row.judge_message != kAbsent)
      f.dir.file("feedback/judgemessage.txt", std::string(4096, 'x'));
    if (row.team_message != kAbsent) f.dir.file("feedback/teammessage.txt", std::string(4096, 'x'));
    std::vector<std::string> arguments = {"icpc"};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    const Finished finished =
        run(arguments, {row.team_output, row.late_pipe, false, row.input_closed});
    EXPECT_EQ(finished.status, row.status);
    EXPECT_EQ(finished.out, "");  // a judge may append standard output to its message
    EXPECT_EQ(finished.err, row.err);
    EXPECT_EQ(without_diagnosis(contents_or_absent(f.feedback + "/judgemessage.txt")),
              row.judge_message);
    EXPECT_EQ(without_diagnosis(contents_or_absent(f.feedback + "/teammessage.txt")),
              row.team_message);
    EXPECT_EQ(std::filesystem::exists("/judgemessage.txt"), root_message_existed);
  }
#if !defined(_WIN32)
  EXPECT_EQ(read_all(f.feedback + "\\/judgemessage.txt"), kPass);
#endif
}

#if !defined(_WIN32)
// The output is read again, for the shapes of its lines, where it is a file: on standard input
// too, and at descriptor 0 when the judge is started without a standard input. A pipe cannot
// be: what the judge read of it is gone, and the rest is not its to read.
TEST(Judge, TheOutputIsReadAgainWhereItIsAFile) {
  const Files f;
  std::string one_word;  // values without labels, far more than the input's three
  for (int i = 0; i < 300000; ++i)
    one_word += "7\n";
  const std::string output = f.dir.file("one_word", one_word);
  const std::string message = f.feedback + "/judgemessage.txt";
  const std::string shape = "every line of your output holds one word";
  run({"icpc", f.input, f.good, f.feedback}, Call{output});
  EXPECT_NE(read_all(message).find(shape), std::string::npos);
  Call closed;
  closed.input_closed = true;
  EXPECT_NE(run({"explain", f.input, output}, closed).out.find(shape), std::string::npos);
  EXPECT_NE(run({"explain", f.input, f.input}, closed).out.find("keeps the input's own order"),
            std::string::npos);
  // A device is not read again, and its descriptor goes back all the same.
  EXPECT_EQ(without_diagnosis(run({"explain", f.input, "/dev/null"}).out), kSize);

  // A pipe whose writer has more to give when the judge has read all it needs.
  ::signal(SIGPIPE, SIG_IGN);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::thread writer([write_end = ends[1], &one_word] {
    for (std::size_t done = 0; done < one_word.size();) {
      const ssize_t written = ::write(write_end, one_word.data() + done, one_word.size() - done);
      if (written <= 0) break;
      done += static_cast<std::size_t>(written);
    }
    ::close(write_end);
  });
  const int saved = ::dup(0);
  ::dup2(ends[0], 0);
  ::close(ends[0]);
  run({"icpc", f.input, f.good, f.feedback});
  ::dup2(saved, 0);  // the pipe's last reader goes, and the writer stops
  ::close(saved);
  writer.join();
  EXPECT_EQ(read_all(message).find(shape), std::string::npos);
}
#endif

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
  const Finished finished = run({"icpc", input_path, input_path, f.feedback}, {output_path});
  EXPECT_EQ(finished.status, 43);
  const std::string message = without_diagnosis(read_all(f.feedback + "/judgemessage.txt"));
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 21);
  EXPECT_TRUE(message.starts_with("Error: Data index 0 should be 0 but get 1 !\n"));
  EXPECT_TRUE(
      message.ends_with("Error: Data index 19 should be 19 but get 20 !\n"
                        "In all, 1000000 of 1000000 positions differ.\n"));
}

}  // namespace
