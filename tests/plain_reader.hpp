// A second reader of value files, deliberately plain: the rules of the format one by one over a
// character stream, slow and obviously right, for checking the real reader against.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

struct PlainRead {
  std::vector<std::int32_t> values;
  bool malformed = false;  // reading stopped at a malformed value
  std::uint64_t line = 0;  // where its text starts
  std::string text;        // its first 32 bytes
  bool text_cut = false;   // it had more
};

PlainRead plain_read(std::istream& in);
