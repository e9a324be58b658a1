// A dishonest submission: instead of sorting, it tries to replace the judge with a script that
// always passes, to empty the tests, to write the autograder's results itself, and to leave a
// process behind that tries all of it again while the autograder finishes.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#if __has_include("autograder_root.hpp")
#include "autograder_root.hpp"  // where a test has put the made-up autograder
#else
#define AUTOGRADER_ROOT "/autograder"
#endif

namespace {

void tamper() {
  const std::string root = AUTOGRADER_ROOT;
  const std::string judge = root + "/source/checker-judge";
  std::ofstream(judge) << "#!/bin/sh\necho Congratulations\nexit 0\n";
  ::chmod(judge.c_str(), 0755);
  std::ofstream(root + "/source/tests/1.txt") << "";
  std::ofstream(root + "/results/results.json")
      << R"({"score": 100, "tests": [{"name": "Test 1", "score": 100, "max_score": 1}]})";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  tamper();
  if (::fork() == 0) {
    ::setsid();
    for (int i = 0; i < 100; ++i) {
      ::usleep(100000);
      tamper();
    }
    return 0;
  }
  std::ofstream(argv[2]) << "a 1\n";
}
