// A Console over a file of its own, so tests can read back exactly the bytes a run wrote.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "messages.hpp"
#include "test_files.hpp"

struct CapturedOutput {
  TempDir dir;
  std::FILE* file = std::fopen((dir.path + "/output").c_str(), "wb");
#if defined(_WIN32)
  Console console{_fileno(file)};
#else
  Console console{fileno(file)};
#endif

  ~CapturedOutput() {
    std::fclose(file);
  }

  std::string text() const {
    std::ifstream in(dir.path + "/output", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};
