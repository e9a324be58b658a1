// checker-judge's process entry; built with CHECKER_JUDGE_CMS, the CMS comparator, which takes
// that protocol's arguments alone.
#include <string>
#include <vector>

#include "protocols.hpp"
#include "system_files.hpp"

int main(int argc, char** argv) {
  prepare_process();
  const std::vector<std::string> arguments = command_line_arguments(argc, argv);
  std::vector<const char*> argument_texts;
  for (const std::string& argument : arguments)
    argument_texts.push_back(argument.c_str());
  JudgeStreams streams;
  const int count = static_cast<int>(argument_texts.size());
#if defined(CHECKER_JUDGE_CMS)
  return run_protocol(kCmsProtocol, count, argument_texts.data(), streams);
#else
  return run_judge(count, argument_texts.data(), streams);
#endif
}
