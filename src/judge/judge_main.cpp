// checker-judge's process entry; built with CHECKER_JUDGE_CMS, the CMS comparator, which takes
// that protocol's arguments alone.
#include <new>
#include <string>
#include <vector>

#include "protocols.hpp"
#include "system_files.hpp"

int main(int argc, char** argv) {
  prepare_process();
  JudgeStreams streams;
#if defined(CHECKER_JUDGE_CMS)
  const Protocol& protocol = kCmsProtocol;
#endif
  try {
    const std::vector<std::string> arguments = command_line_arguments(argc, argv);
    const std::vector<const char*> texts = c_strings(arguments);
    const int count = static_cast<int>(texts.size());
#if defined(CHECKER_JUDGE_CMS)
    return run_protocol(protocol, count, texts.data(), streams);
#else
    return run_judge(count, texts.data(), streams);
#endif
  } catch (const std::bad_alloc&) {
    // Not even the command line could be copied: the judge fails, as every protocol reads it.
    write_line(streams.err, out_of_memory_line(FileRole::input).text());
#if defined(CHECKER_JUDGE_CMS)
    return protocol.judge_error_status;
#else
    return kNoModeStatus;
#endif
  }
}
