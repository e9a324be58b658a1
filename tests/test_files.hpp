// What the tests that run whole checks share: the banner every such run starts with, and a
// directory of files made for one test.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

// Written out here rather than taken from the code, so a changed banner fails the tests.
inline constexpr std::string_view kBanner =
    "--------------------------------------\n"
    "-                                    -\n"
    "-             Algorithm              -\n"
    "-            2019  Fall              -\n"
    "-         QX4 Result Checker         -\n"
    "-                                    -\n"
    "--------------------------------------\n"
    "\n";

// A fresh directory for one test's files, removed with them at the end.
struct TempDir {
  std::string path;
  TempDir() {
    char name[] = "/tmp/checker-test-XXXXXX";
    path = ::mkdtemp(name);
  }
  ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
  std::string file(const std::string& name, std::string_view bytes) const {
    const std::string file_path = path + "/" + name;
    std::ofstream(file_path, std::ios::binary) << bytes;
    return file_path;
  }
};
