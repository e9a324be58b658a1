// The command line of checker-judge: the mode picks the protocol, which takes the rest.
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "protocols.hpp"

// The build writes the version, and the commit of a clone, into a header of its own; sources
// compiled without it say so.
#if __has_include("checker_version.hpp")
#include "checker_version.hpp"
#else
#define CHECKER_VERSION "(version unknown)"
#endif

namespace {

// The name shown in usage lines when the system passed no program name at all.
constexpr std::string_view kProgramName = "checker-judge";

JudgeCall call_of(std::string command, int argc, const char* const* argv, int first,
                  JudgeStreams& streams) {
  JudgeCall call{std::move(command), {}, streams};
  for (int i = first; i < argc; ++i)
    call.arguments.emplace_back(argv[i]);
  return call;
}

// "checker-judge VERSION", and the commit it was built from when it was built from a clone.
std::string version_line() {
  std::string line = "checker-judge " CHECKER_VERSION;
#if defined(CHECKER_COMMIT)
  line += " (commit " CHECKER_COMMIT ")";
#endif
  return line + "\n";
}

// Whether there is memory for the judge's own texts (its command, arguments and usage lines),
// asked for before any of them. Under a limit that leaves the process none at all, the C++
// runtime has no room even for an exception to say so, and a throw would end the process; more
// than that room (about 70 KiB) is asked for here, and given back.
bool memory_for_texts() {
  // Volatile, or the compiler may take the unused allocation away and call it a success.
  void* volatile probe = std::malloc(std::size_t{256} << 10);
  std::free(probe);
  return probe != nullptr;
}

// The judge fails for want of memory, as every protocol's judge error does, without asking for
// any.
int fails_without_memory(int judge_error_status, JudgeStreams& streams) {
  write_line(streams.err, out_of_memory_line(FileRole::input).text());
  return judge_error_status;
}

}  // namespace

int run_judge(int argc, const char* const* argv, JudgeStreams& streams) {
  const std::string_view program = argc > 0 ? argv[0] : kProgramName;
  const std::initializer_list<const Protocol*> protocols = {&kIcpcProtocol,    &kCmsProtocol,
                                                            &kTestlibProtocol, &kEjudgeProtocol,
                                                            &kPlainProtocol,   &kExplainProtocol};
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (!memory_for_texts()) {
    for (const Protocol* protocol : protocols) {
      if (mode == protocol->mode)
        return fails_without_memory(protocol->judge_error_status, streams);
    }
    return fails_without_memory(kNoModeStatus, streams);
  }
  for (const Protocol* protocol : protocols) {
    if (argc > 1 && mode == protocol->mode) {
      JudgeCall call =
          call_of(std::string(program) + " " + std::string(protocol->mode), argc, argv, 2, streams);
      return judge_call(*protocol, call);
    }
  }
  if (argc == 2 && mode == "--version") {
    write_line(streams.out, version_line());
    return streams.out.lost ? kNoModeStatus : 0;
  }
  std::string usage = argc < 2              ? "Error: missing the mode.\n"
                      : mode == "--version" ? unexpected_argument_line(argv[2])
                                            : "Error: unknown mode " + quoted(mode) + ".\n";
  for (const Protocol* protocol : protocols)
    usage +=
        protocol_usage_line(std::string(program) + " " + std::string(protocol->mode), *protocol);
  usage += "Usage: " + std::string(program) + " --version\n";
  write_line(streams.err, usage);
  return kNoModeStatus;
}

int run_protocol(const Protocol& protocol, int argc, const char* const* argv,
                 JudgeStreams& streams) {
  if (!memory_for_texts()) return fails_without_memory(protocol.judge_error_status, streams);
  JudgeCall call = call_of(std::string(argc > 0 ? argv[0] : protocol.mode), argc, argv, 1, streams);
  return judge_call(protocol, call);
}
