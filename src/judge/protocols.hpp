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
// Scripts and autograders that read the exit status alone: 0 pass, 1 fail, 2 broken test data.
extern const Protocol kPlainProtocol;

// Runs checker-judge on its command line: argv[1] names the protocol, the rest are its
// arguments. Without a mode it knows, writes every usage line to standard error and returns 2.
int run_judge(int argc, const char* const* argv, JudgeStreams& streams);

// Runs `protocol` on argv[1] on, for a build fixed to that one protocol.
int run_protocol(const Protocol& protocol, int argc, const char* const* argv,
                 JudgeStreams& streams);
