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
    const CommandLine line = command_line(argc, argv);
#if defined(CHECKER_JUDGE_CMS)
    return run_protocol(protocol, line.count, line.texts, streams);
#else
    return run_judge(line.count, line.texts, streams);
#endif
  } catch (const std::bad_alloc&) {
    // Memory ran out before a judgement could begin (Windows copies the command line; a
    // protocol builds its usage texts): the judge fails, as it does for want of memory.
    write_line(streams.err, out_of_memory_line(FileRole::input).text());
#if defined(CHECKER_JUDGE_CMS)
    return protocol.judge_error_status;
#else
    return kNoModeStatus;
#endif
  }
}
