// The grading protocols checker-judge speaks, one file each, and the call that picks one.
#pragma once

#include "judgement.hpp"

// ICPC-format output validators: the team output on standard input, a feedback folder, exit 42
// or 43.
extern const Protocol kIcpcProtocol;
// CMS comparators: the score on standard output, the message on standard error.
extern const Protocol kCmsProtocol;
// testlib-style checkers: exit 0 to 3 and a verdict word first.
extern const Protocol kTestlibProtocol;
// The same for ejudge, which reads exit 0, 5, 4 and 6.
extern const Protocol kEjudgeProtocol;
// Scripts and autograders that read the exit status alone: 0 pass, 1 fail, 2 broken test data.
extern const Protocol kPlainProtocol;
// Students: the verdict and what kind of fault it shows, on standard output; plain's statuses.
extern const Protocol kExplainProtocol;

// The exit status of a call without a mode it knows: every protocol reads it as the judge's own
// failure, since none of them gives it a verdict.
inline constexpr int kNoModeStatus = 3;

// Runs checker-judge on its command line: argv[1] names the protocol, the rest are its
// arguments; "--version" alone prints the version. Without a mode it knows, names what it
// refused and writes every usage line to standard error, and returns 3, which every protocol
// reads as a failure of the judge.
int run_judge(int argc, const char* const* argv, JudgeStreams& streams);

// Runs `protocol` on argv[1] on, for a build fixed to that one protocol.
int run_protocol(const Protocol& protocol, int argc, const char* const* argv,
                 JudgeStreams& streams);
