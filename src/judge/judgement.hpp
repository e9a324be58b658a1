// What every grading protocol shares: the pair judged as data, its message, the streams and
// files a protocol writes to, and its usage errors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diagnosis.hpp"
#include "line_shapes.hpp"
#include "messages.hpp"
#include "value_reader.hpp"
#include "verdict.hpp"

// How a judged pair came out, in the classes a judge tells apart.
enum class Outcome {
  pass,
  wrong,              // the sizes differ, or values at some positions do
  malformed_output,   // a value of the output is not an integer in range
  unreadable_output,  // the output opened but could not be read
  judge_error,        // the test data's fault or the machine's: the input cannot be read or holds a
                      // malformed value, or its values do not fit in memory
};

struct Judgement {
  Outcome outcome = Outcome::pass;
  // Why reading stopped, for every outcome but pass and wrong.
  FileRole failed_file = FileRole::input;
  ReadResult failure;
  int output_open_errno = 0;  // the output could not be opened, and was judged as empty
  std::uint64_t reference_size = 0;
  OutputComparison comparison;  // pass and wrong: the output against the reference
  // What kind of fault a wrong or malformed output shows, where it was asked for.
  bool diagnosed = false;
  bool facts_known = false;
  OutputFacts facts;
  bool shapes_known = false;
  LineShapes shapes;
  bool diagnosis_left_out = false;  // memory ran short for what the diagnosis needed
};

// Position lines shown when the call does not say how many, and the most a call may ask for.
inline constexpr std::uint64_t kDefaultPositionLines = 20;
inline constexpr std::uint64_t kMostPositionLines = 1000000;

// Whether a judgement carries a diagnosis of what kind of fault a wrong output shows.
enum class Diagnose { no, yes };

// Judges the output at `output_path` (standard input when null) against the input at
// `input_path`, as the checker does, holding at most `most_position_lines` differences. A wrong
// output is judged whenever the reference fits in memory: nothing else of it need be held. With
// Diagnose::yes, a wrong or malformed output is diagnosed too, with what memory grants: its
// values from the first difference on (the facts), the input read again (its own order), and
// the output's lines read again (their shapes). Only a failing output costs anything more.
Judgement judge_files(const char* input_path, const char* output_path,
                      std::uint64_t most_position_lines, Diagnose diagnose = Diagnose::no);

// The same, and `look` is shown the reference and the comparison once the output is read, before
// the diagnosis puts the values it kept into another order.
using ComparisonLook =
    FunctionRef<void(const ValueList& reference, const OutputComparison& comparison)>;
Judgement judge_files(const char* input_path, const char* output_path,
                      std::uint64_t most_position_lines, Diagnose diagnose,
                      const ComparisonLook& look);

// The judge's message, a line at a time, each with its newline: the checker's own lines without
// the banner, that is the verdict with a line for each held difference and then a line that
// counts them all; or the line that says why reading stopped. Then the diagnosis, if any.
void write_message(const Judgement& judgement, const LineSink& sink);

// The message for a contestant who may not see the test data: the same verdict and diagnosis
// without any value of the reference or text of the output, in positions, counts and the names
// of faults only.
void write_team_message(const Judgement& judgement, const LineSink& sink);

// The first line of the message, with its newline.
ShortLine first_message_line(const Judgement& judgement);

// Where a protocol's words go.
struct JudgeStreams {
  Console out{1};
  Console err{2};
};

// One call of a protocol: what its usage line shows before the arguments ("checker-judge icpc",
// or just the program for a build fixed to one protocol), and the arguments themselves.
struct JudgeCall {
  std::string command;
  std::vector<std::string> arguments;
  JudgeStreams& streams;
};

// A grading protocol: the mode that selects it, its arguments as its usage line shows them, the
// exit status that tells a judge that its own setup is at fault, and the judging itself, which
// returns the exit status.
struct Protocol {
  std::string_view mode;
  std::string_view arguments;
  int judge_error_status;
  int (*judge)(JudgeCall& call);
};

// "Usage: COMMAND ARGUMENTS" for `protocol`, newline included.
std::string protocol_usage_line(std::string_view command, const Protocol& protocol);

// An argument between quotes, shown as the checker shows text: its first 32 bytes, control
// bytes escaped.
std::string quoted(std::string_view argument);

// Runs `protocol` on `call`; a judge that runs out of memory where nothing could be spared for
// it says so on standard error and fails as a judge, with the protocol's judge-error status.
int judge_call(const Protocol& protocol, JudgeCall& call);

// "Error: unexpected argument "ARG".", newline included.
std::string unexpected_argument_line(std::string_view argument);

// Writes `reason` and the usage line of `protocol` to standard error and returns the protocol's
// judge-error status.
int usage_error(JudgeCall& call, const Protocol& protocol, std::string_view reason);

// Checks that the call has from `least` to `most` arguments; when it has not, writes a usage
// error that names the first argument missing from the usage line, or the first one too many,
// and returns false.
bool argument_count_fits(JudgeCall& call, const Protocol& protocol, std::size_t least,
                         std::size_t most);

// Parses a count written in decimal digits alone; false for anything else.
bool parse_count(std::string_view text, std::uint64_t& count);

// "Error: Cannot write PATH (REASON).", newline included.
std::string unwritable_line(std::string_view path, int saved_errno);

// A file written a block of lines at a time, so that a message of any length is never held
// whole. The file is created, or emptied, when this is made.
class MessageFile {
 public:
  explicit MessageFile(const char* path);
  MessageFile(const MessageFile&) = delete;
  MessageFile& operator=(const MessageFile&) = delete;
  ~MessageFile();

  void add(std::string_view text);
  // Writes what is left and closes the file; returns 0, or the errno of the first call that
  // failed, from the open on.
  int finish();

 private:
  void flush();
  int fd_ = -1;
  int errno_ = 0;
  std::size_t used_ = 0;
  char buffer_[8 * 1024];  // little enough for the stack a run starts with
};
