// The run of the checker, from the command line to the verdict.
#include "run.hpp"

#include <string_view>

#include "check.hpp"
#include "verdict.hpp"

namespace {

// The name shown in the usage line when the system passed no program name at all.
constexpr std::string_view kProgramName = "checker";

}  // namespace

int run_checker(int argc, const char* const* argv, const LineSink& out) {
  if (argc != 3) {
    write_usage_line(argc > 0 ? argv[0] : kProgramName, out);
    return 0;
  }
  out(kBannerLines);
  OutputValues output;
  const Check check =
      check_files(argv[1], argv[2], [&output](ValueReader& reader, const ValueList& reference) {
        output = read_output(reader, reference);
        return !output.out_of_memory;
      });
  if (check.stopped) {
    out(failure_line(check.failed_file, check.failure).text());
    return 0;
  }
  report_verdict(check.reference, output, out);
  return 0;
}
