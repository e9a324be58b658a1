// The run of the checker: the command line and the order of the run.
#pragma once

#include "messages.hpp"

// Checks the output file named by argv[2] against the input file named by argv[1], handing the
// banner and the verdict to `out` a line at a time; any other argument count gets the usage
// line. Returns the exit status, which is 0 on every path.
int run_checker(int argc, const char* const* argv, const LineSink& out);
