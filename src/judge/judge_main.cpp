// checker-judge's process entry; built with CHECKER_JUDGE_CMS, the CMS comparator, which takes
// that protocol's arguments alone.
#include <string>
#include <vector>

#include "protocols.hpp"
#include "system_files.hpp"

int main(int argc, char** argv) {
  prepare_process();
  const std::vector<std::string> arguments = command_line_arguments(argc, argv);
  const std::vector<const char*> texts = c_strings(arguments);
  JudgeStreams streams;
  const int count = static_cast<int>(texts.size());
#if defined(CHECKER_JUDGE_CMS)
  return run_protocol(kCmsProtocol, count, texts.data(), streams);
#else
  return run_judge(count, texts.data(), streams);
#endif
}
