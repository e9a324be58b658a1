// What every grading protocol shares: the pair judged as data, the streams a protocol writes to,
// and its usage line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "messages.hpp"

// How a judged pair came out, in the classes a judge tells apart.
enum class Outcome {
  pass,
  wrong,              // the sizes differ, or values at some positions do
  malformed_output,   // a value of the output is not an integer in range
  unreadable_output,  // the output opened but could not be read
  judge_error,        // the test data's fault or the machine's: the input cannot be read or holds a
                      // malformed value, or the values do not fit in memory
};

struct Judgement {
  Outcome outcome = Outcome::pass;
  // The checker's own lines, without the banner: the verdict, with at most the asked number of
  // position lines and then a line that counts them all; or the line that says why reading
  // stopped. Every line ends in a newline.
  std::string feedback;
};

// Position lines shown when the call does not say how many.
inline constexpr std::uint64_t kDefaultPositionLines = 20;

// Judges the output at `output_path` (standard input when null) against the input at
// `input_path`, as the checker does, with at most `most_position_lines` position lines.
Judgement judge_files(const char* input_path, const char* output_path,
                      std::uint64_t most_position_lines);

// The first line of `text`, its newline included.
std::string_view first_line(std::string_view text);

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

// Writes the usage line of `protocol` to standard error and returns its judge-error status.
int usage_error(JudgeCall& call, const Protocol& protocol);

// Parses a count of lines written in decimal digits alone; false for anything else.
bool parse_count(std::string_view text, std::uint64_t& count);

// "Error: Cannot write PATH (REASON).", newline included.
std::string unwritable_line(std::string_view path, int saved_errno);
