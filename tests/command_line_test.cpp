// The real binary on the inputs that golden files cannot hold: FIFOs and their writers, files
// of many megabytes, and the memory such files must not cost.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "test_files.hpp"

namespace {

constexpr std::string_view kSizeError =
    "Error: The size of your output is different from the size of the input.\n";
constexpr std::string_view kPass = "Congratulations: Your result passed this test!\n";

// Peak memory may grow by this much for a file of any size.
constexpr long kMemoryBoundKib = 16 * 1024;

struct Finished {
  std::string out, err;
  int status = -1;
  long peak_kib = 0;  // the checker's own peak resident memory, from wait4
};

std::string read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Peak resident memory in KiB: ru_maxrss counts kibibytes on Linux and bytes on macOS.
long peak_kib(const rusage& usage) {
#if defined(__APPLE__)
  return usage.ru_maxrss / 1024;
#else
  return usage.ru_maxrss;
#endif
}

// Waits for `pid` to end; past `limit`, kills it and fails the test, so that no wait can hang.
int wait_at_most(pid_t pid, std::chrono::seconds limit, const char* what, rusage* usage = nullptr) {
  int status = -1;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (::wait4(pid, &status, WNOHANG, usage) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, usage);
      ADD_FAILURE() << what << " did not end within " << limit.count() << " s";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status;
}

// How the checker's process is set up beyond its paths.
struct RunSetup {
  bool input_closed = false;   // no standard input
  bool output_closed = false;  // no standard output
  rlim_t address_space = RLIM_INFINITY;
  const char* judge_mode = nullptr;  // runs checker-judge in this mode instead of the checker
};

// Starts the checker on two paths, with `out` as its standard output unless that is closed, and
// standard error into the file `err_path`.
pid_t start_checker(const std::string& input, const std::string& output, int out,
                    const std::string& err_path, const RunSetup& setup = {}) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGPIPE, SIG_DFL);  // the checker must see to it itself
    ::dup2(::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
    if (setup.output_closed) {
      ::close(1);
    } else {
      ::dup2(out, 1);
    }
    if (setup.input_closed) ::close(0);
    const rlimit address_space{setup.address_space, setup.address_space};
    ::setrlimit(RLIMIT_AS, &address_space);
    // The checker, after the emulator that runs it when it was cross-built.
    std::vector<const char*> command = {CHECKER_COMMAND};
    if (setup.judge_mode != nullptr) command = {JUDGE_COMMAND, setup.judge_mode};
    command.insert(command.end(), {input.c_str(), output.c_str(), nullptr});
    ::execv(command[0], const_cast<char* const*>(command.data()));
    ::_exit(127);
  }
  if (pid < 0) ADD_FAILURE() << "fork: " << std::strerror(errno);
  return pid;
}

// A pipe whose ends the checker does not inherit but as its standard output: a reader end left
// open in the checker would keep the pipe from ever losing its reader.
void open_pipe(int (&ends)[2]) {
  ASSERT_EQ(::pipe(ends), 0);
  for (const int end : ends)
    ASSERT_EQ(::fcntl(end, F_SETFD, FD_CLOEXEC), 0);
}

// Runs the checker on two paths; fails the test if it has not ended within a minute.
Finished run_checker(const TempDir& dir, const std::string& input, const std::string& output,
                     const RunSetup& setup = {}) {
  const std::string out_path = dir.path + "/stdout", err_path = dir.path + "/stderr";
  const int out = setup.output_closed
                      ? -1
                      : ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const pid_t pid = start_checker(input, output, out, err_path, setup);
  if (out >= 0) ::close(out);
  Finished finished;
  if (pid < 0) return finished;
  rusage usage{};
  finished.status = wait_at_most(pid, std::chrono::minutes(1), "the checker", &usage);
  finished.peak_kib = peak_kib(usage);
  finished.out = read_all(out_path);
  finished.err = read_all(err_path);
  return finished;
}

void expect_quiet_exit(int status, const std::string& err) {
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_EQ(err, "");
}

void expect_run(const Finished& finished, std::string_view last_line) {
  expect_quiet_exit(finished.status, finished.err);
  EXPECT_EQ(finished.out, std::string(kBanner) + std::string(last_line));
}

std::string records(std::size_t count) {
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i)
    bytes += "r " + std::to_string(i) + "\n";
  return bytes;
}

// Values 0 to count - 1 against the same in reverse: a verdict of `count` lines.
struct FailingPair {
  std::string input, output, verdict;
};

FailingPair failing_pair(const TempDir& dir, int count) {
  std::string input, output, verdict;
  for (int i = 0; i < count; ++i) {
    const int found = count - 1 - i;
    input += "r " + std::to_string(i) + "\n";
    output += "r " + std::to_string(found) + "\n";
    if (found != i) {
      verdict += "Error: Data index " + std::to_string(i) + " should be " + std::to_string(i) +
                 " but get " + std::to_string(found) + " !\n";
    }
  }
  return {dir.file("input", input), dir.file("output", output), verdict};
}

// A process that writes to the FIFO at `path`, with the default action for SIGPIPE.
pid_t start_writer(const std::string& path, const std::vector<const char*>& command) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(::open(path.c_str(), O_WRONLY), 1);
    ::execvp(command[0], const_cast<char* const*>(command.data()));
    ::_exit(127);
  }
  return pid;
}

TEST(CommandLine, OutputFromAFifoWithAWriter) {
  const TempDir dir;
  const std::string fifo = dir.path + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const pid_t writer = start_writer(fifo, {"printf", "a 1\\nb 2\\n", nullptr});
  expect_run(run_checker(dir, dir.file("input", "x 2\ny 1\n"), fifo), kPass);
  wait_at_most(writer, std::chrono::seconds(10), "the writer");
}

TEST(CommandLine, EndlessWriterGetsTheSizeErrorAndABrokenPipe) {
  const TempDir dir;
  const std::string fifo = dir.path + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const pid_t writer = start_writer(fifo, {"yes", "x 1", nullptr});
  expect_run(run_checker(dir, dir.file("input", records(10)), fifo), kSizeError);
  const int status = wait_at_most(writer, std::chrono::seconds(10), "the writer");
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << "writer status " << status;
}

// A label of 64 MiB, and an output of a million values against ten: the verdicts, and the peak
// memory of each run against that of the same run on plain files.
struct LargeRuns {
  Finished plain, huge_label, runaway;
};

LargeRuns run_large_files(const TempDir& dir) {
  const std::string input = dir.file("input", records(10));
  // Files are written before each run, so that the test's own copy is gone when it forks.
  const std::string label =
      dir.file("label", std::string(64 << 20, 'x') + " 0\n" + records(10).substr(4));
  const std::string runaway = dir.file("runaway", records(1000000));
  return {run_checker(dir, input, dir.file("plain", records(10))), run_checker(dir, input, label),
          run_checker(dir, input, runaway)};
}

TEST(CommandLine, HugeLabelAndRunawayOutputGetTheirVerdictsWithFlatMemory) {
  const TempDir dir;
  const LargeRuns runs = run_large_files(dir);
  // A peak means something only for a run that did its work.
  expect_run(runs.plain, kPass);
  expect_run(runs.huge_label, kPass);
  expect_run(runs.runaway, kSizeError);
#if !defined(CHECKER_SANITIZED)  // AddressSanitizer keeps freed memory, so peaks say nothing
  EXPECT_LT(runs.huge_label.peak_kib - runs.plain.peak_kib, kMemoryBoundKib);
  EXPECT_LT(runs.runaway.peak_kib - runs.plain.peak_kib, kMemoryBoundKib);
#endif
}

TEST(CommandLine, MalformedValueOfOneMebibyteShowsItsStart) {
  const TempDir dir;
  const std::string output = dir.file("output", "a " + std::string(1 << 20, 'z'));
  const Finished finished = run_checker(dir, dir.file("input", "a 1\n"), output);
  expect_run(finished,
             "Error: Line 1 of your output file should hold an integer from -2147483648 "
             "to 2147483647 but has \"" +
                 std::string(32, 'z') + "...\".\n");
}

TEST(CommandLine, MalformedValueOnLineOneMillionAndOne) {
  const TempDir dir;
  const Finished finished =
      run_checker(dir, dir.file("input", records(1000000) + "late x\n"), dir.path + "/none");
  expect_run(finished,
             "Error: Line 1000001 of the input file should hold an integer from "
             "-2147483648 to 2147483647 but has \"x\".\n");
}

TEST(CommandLine, ReaderThatGoesAwayLeavesStatusZeroAndNoError) {
  const TempDir dir;
  const FailingPair pair = failing_pair(dir, 20000);  // far more than a pipe holds
  int ends[2];
  ASSERT_NO_FATAL_FAILURE(open_pipe(ends));
  const pid_t pid = start_checker(pair.input, pair.output, ends[1], dir.path + "/stderr");
  ::close(ends[1]);
  char byte;
  EXPECT_EQ(::read(ends[0], &byte, 1), 1);
  ::close(ends[0]);
  expect_quiet_exit(wait_at_most(pid, std::chrono::minutes(1), "the checker"),
                    read_all(dir.path + "/stderr"));
}

TEST(CommandLine, NonBlockingStandardOutputWithASlowReaderGetsEveryByte) {
  const TempDir dir;
  const FailingPair pair = failing_pair(dir, 20000);
  int ends[2];
  ASSERT_NO_FATAL_FAILURE(open_pipe(ends));
  ASSERT_EQ(::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) | O_NONBLOCK), 0);
  const pid_t pid = start_checker(pair.input, pair.output, ends[1], dir.path + "/stderr");
  ::close(ends[1]);
  std::string received;
  char block[4096];
  pollfd readable{ends[0], POLLIN, 0};
  while (::poll(&readable, 1, 10000) == 1) {
    const ssize_t got = ::read(ends[0], block, sizeof block);
    if (got <= 0) break;
    received.append(block, static_cast<std::size_t>(got));
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  ::close(ends[0]);
  expect_quiet_exit(wait_at_most(pid, std::chrono::minutes(1), "the checker"),
                    read_all(dir.path + "/stderr"));
  EXPECT_TRUE(received == std::string(kBanner) + pair.verdict)
      << received.size() << " bytes received";
}

TEST(CommandLine, ClosedStandardStreams) {
  const TempDir dir;
  const FailingPair pair = failing_pair(dir, 1000);
  // An input file opened as descriptor 0 is read like any other.
  const Finished no_input = run_checker(dir, pair.input, pair.output, {.input_closed = true});
  expect_quiet_exit(no_input.status, no_input.err);
  EXPECT_EQ(no_input.out, std::string(kBanner) + pair.verdict);
  // With nowhere to write, the run still ends, quietly.
  const Finished no_output = run_checker(dir, pair.input, pair.output, {.output_closed = true});
  expect_quiet_exit(no_output.status, no_output.err);
}

// Graders and judges run checkers under an address-space limit (`ulimit -v`): a small pair must
// pass under a tight one, however the room for its values is reserved, and values that do not
// fit get a line that says so, for either file, never a crash.
TEST(CommandLine, AddressSpaceLimits) {
#if defined(CHECKER_SANITIZED)
  GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space";
#endif
#if defined(__APPLE__)
  GTEST_SKIP() << "macOS does not hold a process to an address-space limit";
#endif
  if (std::vector<const char*>{CHECKER_COMMAND}.size() > 1) {
    GTEST_SKIP() << "an emulator takes its own share of the address space";
  }
  const TempDir dir;
  const std::string empty = dir.file("empty", ""), pair = dir.file("pair", records(100000));
  const RunSetup tight{.address_space = rlim_t{100000} << 10};  // ulimit -v 100000
  expect_run(run_checker(dir, empty, empty, tight), kPass);
  expect_run(run_checker(dir, pair, pair, tight), kPass);

  // 200 MB of values fit under 320 MiB, once; an endless input does not fit at all. The judge
  // holds only the reference, so it judges a wrong output that the checker cannot hold, and says
  // that its diagnosis, which would hold the output, was left out.
  std::string judged;
  for (int i = 0; i < 20; ++i)
    judged += "Error: Data index " + std::to_string(i) + " should be 1 but get 2 !\n";
  judged +=
      "In all, 50000000 of 50000000 positions differ.\n"
      "Diagnosis: your output holds 50000000 values, as many as the input.\n"
      "Diagnosis: the rest is left out, for want of memory.\n";
  struct Row {
    const char* input_writer;
    const char* output_writer;  // none: a file of one value
    const char* judge_mode;     // none: the checker
    int status;
    std::string out;
  };
  const Row rows[] = {
      {"yes 'a 1'", nullptr, nullptr, 0,
       std::string(kBanner) + "Error: Not enough memory to hold the values of the input file.\n"},
      {"yes 'a 1' | head -n 50000000", "yes 'a 2'", nullptr, 0,
       std::string(kBanner) + "Error: Not enough memory to hold the values of your output file.\n"},
      {"yes 'a 1' | head -n 50000000", "yes 'a 2' | head -n 50000000", "plain", 1, judged},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.input_writer) + (row.judge_mode ? " (judge)" : ""));
    const std::string input = dir.path + "/input_fifo", output = dir.path + "/output_fifo";
    ::unlink(input.c_str());
    ::unlink(output.c_str());
    ASSERT_EQ(::mkfifo(input.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(output.c_str(), 0600), 0);
    const pid_t input_writer = start_writer(input, {"sh", "-c", row.input_writer, nullptr});
    const pid_t output_writer =
        row.output_writer ? start_writer(output, {"sh", "-c", row.output_writer, nullptr}) : 0;
    RunSetup limited{.address_space = rlim_t{320} << 20, .judge_mode = row.judge_mode};
    const Finished finished = run_checker(dir, input, row.output_writer ? output : empty, limited);
    EXPECT_TRUE(WIFEXITED(finished.status) && WEXITSTATUS(finished.status) == row.status)
        << "status " << finished.status;
    EXPECT_EQ(finished.err, "");
    EXPECT_EQ(finished.out, row.out);
    wait_at_most(input_writer, std::chrono::seconds(10), "the input's writer");
    if (output_writer > 0) wait_at_most(output_writer, std::chrono::seconds(10), "the writer");
  }
}

// Which program a run starts: the checker, checker-judge, or cms/checker.
enum class Program { checker, judge, cms };

// How a run of any of the programs is set up, as a judge sets it up.
struct Launch {
  Program program = Program::checker;
  std::vector<std::string> arguments;
  std::string standard_input;  // a path; none when empty
  rlim_t address_space = RLIM_INFINITY;
  rlim_t file_size = RLIM_INFINITY;  // ulimit -f, in bytes
  bool as_nobody = false;            // root's run, dropped to the user nobody
  std::string program_name = {};     // the name the program is given; its path when empty
};

// Runs `launch` with standard output and error in files of `dir`; fails the test if it has not
// ended within a minute.
Finished run_program(const TempDir& dir, const Launch& launch) {
  const std::string out_path = dir.path + "/stdout", err_path = dir.path + "/stderr";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 1);
    ::dup2(::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
    if (!launch.standard_input.empty())
      ::dup2(::open(launch.standard_input.c_str(), O_RDONLY | O_CLOEXEC), 0);
    if (launch.as_nobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(126);
    const rlimit address_space{launch.address_space, launch.address_space};
    const rlimit file_size{launch.file_size, launch.file_size};
    ::setrlimit(RLIMIT_AS, &address_space);
    ::setrlimit(RLIMIT_FSIZE, &file_size);
    std::vector<const char*> command = {CHECKER_COMMAND};
    if (launch.program == Program::judge) command = {JUDGE_COMMAND};
    if (launch.program == Program::cms) command = {CMS_COMMAND};
    const char* const path = command[0];
    if (!launch.program_name.empty() && command.size() == 1)
      command[0] = launch.program_name.c_str();
    for (const std::string& argument : launch.arguments)
      command.push_back(argument.c_str());
    command.push_back(nullptr);
    ::execv(path, const_cast<char* const*>(command.data()));
    ::_exit(127);
  }
  Finished finished;
  if (pid < 0) return finished;
  finished.status = wait_at_most(pid, std::chrono::minutes(1), "the program");
  finished.out = read_all(out_path);
  finished.err = read_all(err_path);
  return finished;
}

bool skips_limits() {
#if defined(CHECKER_SANITIZED) || defined(__APPLE__)
  return true;  // AddressSanitizer reserves terabytes; macOS holds no process to the limit
#else
  return std::vector<const char*>{CHECKER_COMMAND}.size() > 1;  // an emulator takes its share
#endif
}

// The least address-space limit at which `program` runs at all: it must start, wherever it is
// loaded.
rlim_t least_limit(const TempDir& dir, Program program) {
  rlim_t low = 1 << 20, high = rlim_t{1} << 32;
  while (high - low > (64 << 10)) {
    const rlim_t middle = (low + high) / 2;
    const Finished run =
        run_program(dir, {program, {"--version"}, "", middle});  // any call that starts and ends
    // 127: the loader could not map the program's libraries.
    (WIFEXITED(run.status) && WEXITSTATUS(run.status) != 127 ? high : low) = middle;
  }
  return high;
}

// Every limit on memory a judge may set, from one too small to hold the input's values to one
// that holds both files', in steps smaller than anything the run asks for at once: at each, for
// files and for pipes, every program and mode ends as it says, with a verdict or the line that
// says which file's values did not fit (a judge error in the judge's modes), never killed and
// never with text of the C++ runtime's.
TEST(CommandLine, EveryAddressSpaceLimitGetsAVerdictOrTheMemoryLine) {
  if (skips_limits()) GTEST_SKIP() << "no address-space limit to walk here";
  const TempDir dir;
  constexpr int kCount = 1 << 15;  // 128 KiB a list
  std::string input, output;
  for (int i = 0; i < kCount; ++i) {
    input += "r " + std::to_string(i * 7919 % kCount) + "\n";
    output += "r " + std::to_string(i + 1) + "\n";  // every position differs
  }
  const std::string input_file = dir.file("input", input);
  const std::string output_file = dir.file("output", output);
  const std::string feedback = dir.path + "/feedback/";
  ::mkdir(feedback.c_str(), 0755);
  const std::string no_memory_input =
      "Error: Not enough memory to hold the values of the input file.\n";
  const std::string no_memory_output =
      "Error: Not enough memory to hold the values of your output file.\n";
  struct Mode {
    Program program;
    std::vector<std::string> arguments;  // "IN" and "OUT" stand for the files
    bool output_on_standard_input;
    std::vector<int> verdict_statuses;  // the wrong answer's, and a judge error's
    bool piped_too;                     // also through pipes: the modes whose reading differs
  };
  const Mode modes[] = {
      {Program::checker, {"IN", "OUT"}, false, {0}, true},
      {Program::judge, {"plain", "IN", "OUT"}, false, {1, 2}, true},
      {Program::judge, {"icpc", "IN", "IN", feedback}, true, {43, 1}, true},
      {Program::judge, {"cms", "IN", "IN", "OUT"}, false, {0, 1}, false},
      {Program::judge, {"testlib", "IN", "OUT", "IN"}, false, {1, 3}, false},
      {Program::judge, {"ejudge", "IN", "OUT", "IN"}, false, {5, 6}, false},
      {Program::cms, {"IN", "IN", "OUT"}, false, {0, 1}, false},
  };
  // Somewhere in the walk the judge holds the reference but not the output's values that a
  // diagnosis reads: the verdict comes all the same, and the diagnosis says it was left out.
  bool diagnosis_left_out = false;
  for (const Mode& mode : modes) {
    const rlim_t start = least_limit(dir, mode.program);
    for (const bool piped : {false, true}) {
      if (piped && !mode.piped_too) continue;
      for (rlim_t limit = start; limit < start + (rlim_t{3} << 19); limit += 16 << 10) {
        std::string in = input_file, out = output_file;
        pid_t writers[2] = {0, 0};
        if (piped) {
          in = dir.path + "/input_fifo";
          out = dir.path + "/output_fifo";
          ::unlink(in.c_str());
          ::unlink(out.c_str());
          ASSERT_EQ(::mkfifo(in.c_str(), 0600), 0);
          ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
          writers[0] = start_writer(in, {"cat", input_file.c_str(), nullptr});
          writers[1] = start_writer(out, {"cat", output_file.c_str(), nullptr});
        }
        Launch launch{mode.program, {}, "", limit};
        for (const std::string& argument : mode.arguments)
          launch.arguments.push_back(argument == "IN" ? in : argument == "OUT" ? out : argument);
        if (mode.output_on_standard_input) launch.standard_input = out;
        const Finished run = run_program(dir, launch);
        for (const pid_t writer : writers) {
          // A writer whose reader never opened its FIFO waits there: let it go.
          if (writer > 0) ::kill(writer, SIGKILL);
          if (writer > 0) wait_at_most(writer, std::chrono::seconds(10), "a writer");
        }
        const std::string where = mode.arguments[0] + (piped ? ", piped" : "") + ", limit " +
                                  std::to_string(limit >> 10) + " KiB";
        ASSERT_TRUE(WIFEXITED(run.status)) << where << ": status " << run.status;
        const int status = WEXITSTATUS(run.status);
        EXPECT_TRUE(
            std::count(mode.verdict_statuses.begin(), mode.verdict_statuses.end(), status) == 1)
            << where << ": exit " << status << ", " << run.err;
        if (mode.program == Program::checker) {
          EXPECT_EQ(run.err, "") << where;
          EXPECT_TRUE(run.out == std::string(kBanner) + no_memory_input ||
                      run.out == std::string(kBanner) + no_memory_output ||
                      run.out.starts_with(std::string(kBanner) +
                                          "Error: Data index 0 should be 0 but get 1 !\n"))
              << where << ": " << run.out.substr(0, 400);
        } else if (status == mode.verdict_statuses[1]) {
          // A judge error, of which the only one here is the lack of memory.
          EXPECT_TRUE(run.err.ends_with(no_memory_input) || run.err.ends_with(no_memory_output))
              << where << ": " << run.err;
        } else {
          EXPECT_EQ(run.err.find("terminate"), std::string::npos) << where << ": " << run.err;
          diagnosis_left_out |=
              run.out.find("Diagnosis: the rest is left out, for want of memory.\n") !=
              std::string::npos;
        }
      }
    }
  }
  EXPECT_TRUE(diagnosis_left_out);
}

// A command line of 1.5 MB, and a program name of 120,000 bytes (the most Linux passes is
// 128 KiB), under every limit from the least at which the program is loaded at all: the checker
// reads its arguments where the system left them and sets out a usual usage line on the stack,
// and any throw where there is no memory would end the process (the C++ runtime cannot even set
// aside room for the exception).
TEST(CommandLine, ALongCommandLineNeedsNoMemory) {
  if (skips_limits()) GTEST_SKIP() << "no address-space limit to walk here";
  const TempDir dir;
  const std::string path = std::vector<const char*>{CHECKER_COMMAND}[0];
  const std::string long_name(120000, 'a');
  struct Row {
    std::vector<std::string> arguments;
    std::string program_name;
  };
  const Row rows[] = {{std::vector<std::string>(1500, std::string(1000, 'a')), ""},
                      {{}, long_name}};
  for (const Row& row : rows) {
    Launch launch;
    launch.arguments = row.arguments;
    launch.program_name = row.program_name;
    const std::string usage = "Usage: " + (row.program_name.empty() ? path : row.program_name) +
                              " <input_file> <your_output_file>\n";
    int runs = 0;
    for (rlim_t limit = 4 << 20; limit < (rlim_t{64} << 20) && runs < 16; limit += 16 << 10) {
      launch.address_space = limit;
      const Finished run = run_program(dir, launch);
      const std::string where = "limit " + std::to_string(limit >> 10) + " KiB, name of " +
                                std::to_string(row.program_name.size()) + " bytes";
      ASSERT_TRUE(WIFEXITED(run.status)) << where << ": status " << run.status << ", " << run.err;
      if (WEXITSTATUS(run.status) == 127) continue;  // not loaded beside its arguments
      ++runs;
      EXPECT_EQ(WEXITSTATUS(run.status), 0) << where;
      EXPECT_EQ(run.err, "") << where;
      EXPECT_EQ(run.out, usage) << where;
    }
    EXPECT_EQ(runs, 16);
  }
}

// A wrong output that a FIFO streams is not read again for the diagnosis: the judge opens the
// path again without waiting for a writer, sees that it is no file, and leaves out the facts of
// the output's lines, reading nothing else in their place (here a standard input that holds
// the same text).
TEST(CommandLine, WrongOutputFromAFifoIsNotReadAgain) {
  const TempDir dir;
  const std::string fifo = dir.path + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const pid_t writer = start_writer(fifo, {"printf", "1\\n2\\n3\\n", nullptr});
  const Launch launch{Program::judge,
                      {"explain", dir.file("input", "a 3\nb 1\nc 2\n"), fifo},
                      dir.file("in", "1\n2\n3\n")};
  const Finished run = run_program(dir, launch);
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
  EXPECT_EQ(run.out,
            "Error: The size of your output is different from the size of the input.\n"
            "Diagnosis: your output holds 1 value and the input 3: 2 fewer.\n"
            "Diagnosis: 2 values of the input are missing from your output: 1, 3.\n"
            "Diagnosis: your output is sorted, but holds other values than the input's.\n");
  EXPECT_EQ(run.err, "");
  wait_at_most(writer, std::chrono::seconds(10), "the writer");
}

// A file-size limit (`ulimit -f`) makes writes fail, and a failed write ends no run: the
// checker writes what fits and ends with status 0, and the judges say they could not write.
TEST(CommandLine, FileSizeLimitFailsWritesAndEndsNoRun) {
  if (std::vector<const char*>{CHECKER_COMMAND}.size() > 1)
    GTEST_SKIP() << "an emulator writes files of its own";
  const TempDir dir;
  std::string input, output;
  for (int i = 0; i < 100; ++i) {
    input += "r " + std::to_string(1000000 + i) + "\n";
    output += "r " + std::to_string(2000000 + i) + "\n";
  }
  const std::string input_file = dir.file("input", input), output_file = dir.file("output", output);
  const std::string feedback = dir.path + "/feedback/", result = dir.path + "/result";
  ::mkdir(feedback.c_str(), 0755);
  constexpr rlim_t kLimit = 1024;
  const Finished checker =
      run_program(dir, {Program::checker, {input_file, output_file}, "", RLIM_INFINITY, kLimit});
  EXPECT_TRUE(WIFEXITED(checker.status) && WEXITSTATUS(checker.status) == 0) << checker.status;
  EXPECT_EQ(checker.out.size(), kLimit);
  EXPECT_TRUE(checker.out.starts_with(std::string(kBanner) + "Error: Data index 0 should be "
                                                             "1000000 but get 2000000 !\n"));
  EXPECT_EQ(checker.err, "");
  struct Row {
    std::vector<std::string> arguments;
    std::string standard_input;
    int status;
    std::string err;
  };
  const Row rows[] = {
      {{"icpc", input_file, input_file, feedback, "max_lines", "100"},
       output_file,
       1,
       "Error: Cannot write " + feedback + "judgemessage.txt (File too large).\n"},
      {{"testlib", input_file, output_file, input_file, result},
       "",
       3,
       "FAIL Error: Cannot write " + result + " (File too large).\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments[0]);
    const Finished run = run_program(
        dir, {Program::judge, row.arguments, row.standard_input, RLIM_INFINITY, kLimit});
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == row.status) << run.status;
    EXPECT_EQ(run.err, row.err);
  }
}

TEST(CommandLine, InputWithoutReadPermission) {
  // Root reads every file: its run is dropped to the user nobody, which cannot.
  const TempDir dir;
  const std::string input = dir.file("input", "a 1\n");
  ASSERT_EQ(::chmod(input.c_str(), 0), 0);
  ASSERT_EQ(::chmod(dir.path.c_str(), 0755), 0);
  const Finished run = run_program(
      dir, {Program::checker, {input, input}, "", RLIM_INFINITY, RLIM_INFINITY, ::geteuid() == 0});
  expect_quiet_exit(run.status, run.err);
  EXPECT_EQ(run.out, std::string(kBanner) + "Error: Cannot read the input file (" +
                         std::string(std::strerror(EACCES)) + ").\n");
}

}  // namespace
