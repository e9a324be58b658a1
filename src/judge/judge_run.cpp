// The command line of checker-judge: the mode picks the protocol, which takes the rest.
#include <initializer_list>
#include <string>

#include "protocols.hpp"

namespace {

constexpr int kNoMode = 2;

// The name shown in usage lines when the system passed no program name at all.
constexpr std::string_view kProgramName = "checker-judge";

JudgeCall call_of(std::string command, int argc, const char* const* argv, int first,
                  JudgeStreams& streams) {
  JudgeCall call{std::move(command), {}, streams};
  for (int i = first; i < argc; ++i)
    call.arguments.emplace_back(argv[i]);
  return call;
}

}  // namespace

int run_judge(int argc, const char* const* argv, JudgeStreams& streams) {
  const std::string_view program = argc > 0 ? argv[0] : kProgramName;
  const std::initializer_list<const Protocol*> protocols = {&kIcpcProtocol, &kCmsProtocol,
                                                            &kTestlibProtocol, &kPlainProtocol};
  for (const Protocol* protocol : protocols) {
    if (argc > 1 && argv[1] == protocol->mode) {
      JudgeCall call =
          call_of(std::string(program) + " " + std::string(protocol->mode), argc, argv, 2, streams);
      return protocol->judge(call);
    }
  }
  std::string usage;
  for (const Protocol* protocol : protocols)
    usage +=
        protocol_usage_line(std::string(program) + " " + std::string(protocol->mode), *protocol);
  write_line(streams.err, usage);
  return kNoMode;
}

int run_protocol(const Protocol& protocol, int argc, const char* const* argv,
                 JudgeStreams& streams) {
  JudgeCall call = call_of(std::string(argc > 0 ? argv[0] : protocol.mode), argc, argv, 1, streams);
  return protocol.judge(call);
}
