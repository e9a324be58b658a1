// The work of a run as data: the input read and sorted as the reference, and the output read
// against it. The checker and checker-judge share it and differ only in how they word the result.
#pragma once

#include <string>

#include "messages.hpp"
#include "value_list.hpp"
#include "value_reader.hpp"
#include "verdict.hpp"

struct Check {
  bool stopped = false;  // reading a file failed, as `failed_file` and `failure` say
  FileRole failed_file = FileRole::input;
  ReadResult failure;  // ReadEnd::unreadable, malformed_value or out_of_memory
  ValueList reference;
  OutputValues output;
};

// Reads the input file at `input_path` and sorts its values as the reference, then reads the
// output from `output_path`, or from standard input when it is null, against the reference. An
// output that cannot be opened reads as empty. Stops at an input that cannot be read, holds a
// malformed value or cannot be held in memory, before the output is opened.
Check check_files(const char* input_path, const char* output_path);

// The line that says why `check` stopped.
std::string failure_line(const Check& check);
