// A Console over a temporary file, so tests can read back exactly the bytes a run wrote.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include "run.hpp"

struct CapturedOutput {
  std::FILE* file = std::tmpfile();
  Console console{fileno(file)};

  ~CapturedOutput() { std::fclose(file); }

  std::string text() const {
    std::string bytes;
    char block[4096];
    ssize_t got;
    for (off_t at = 0; (got = ::pread(console.fd, block, sizeof block, at)) > 0; at += got) {
      bytes.append(block, static_cast<std::size_t>(got));
    }
    return bytes;
  }
};
