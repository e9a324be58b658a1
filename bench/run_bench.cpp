// Times `checker` against the baseline on generated pairs and prints one table: medians of
// alternating runs, the median of the per-pair ratios, peak memory, and the time of `cat` on
// the same files as the I/O floor. Not part of the product.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Run {
  double seconds;
  long peak_kib;
};

// Runs `arguments` with standard output to /dev/null and returns its wall time and peak RSS;
// ends the benchmark if it does not exit with `expected_status`.
Run run(const std::vector<std::string>& arguments, int expected_status = 0) {
  std::vector<char*> argv;
  for (const auto& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != expected_status) {
    std::fprintf(stderr, "%s failed with status %d\n", argv[0], status);
    std::exit(1);
  }
#if defined(__APPLE__)
  const long peak_kib = usage.ru_maxrss / 1024;  // bytes there, kibibytes on Linux
#else
  const long peak_kib = usage.ru_maxrss;
#endif
  return {elapsed.count(), peak_kib};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

double file_size(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) {
    std::fprintf(stderr, "usage: %s CHECKER BASELINE GENERATOR DATA_DIR RUNS N...\n", argv[0]);
    return 2;
  }
  const std::string checker = argv[1], baseline = argv[2], generator = argv[3];
  const std::string data = argv[4];
  const int runs = std::max(1, std::atoi(argv[5]));
  std::vector<std::size_t> sizes;
  for (int i = 6; i < argc; ++i)
    sizes.push_back(std::strtoull(argv[i], nullptr, 10));

  struct Case {
    const char* kind;
    std::size_t n;
  };
  std::vector<Case> cases;
  for (const std::size_t n : sizes)
    cases.push_back({"sorted", n});
  cases.push_back(
      {"failing", std::min<std::size_t>(1000000, *std::min_element(sizes.begin(), sizes.end()))});

  mkdir(data.c_str(), 0755);
  const std::string empty = data + "/empty.txt";
  if (!exists(empty)) std::fclose(std::fopen(empty.c_str(), "w"));
  const long checker_empty = run({checker, empty, empty}).peak_kib;
  const long baseline_empty = run({baseline, empty, empty}).peak_kib;

  std::printf(
      "| pair | n | checker s | baseline s | baseline / checker | checker GB/s | "
      "checker B/value | baseline B/value | checker peak MiB | cat s |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const Case& c : cases) {
    const std::string stem = data + "/" + c.kind + "_" + std::to_string(c.n);
    const std::string input = stem + ".in", output = stem + ".out";
    if (!exists(input) || !exists(output)) {
      std::fprintf(stderr, "generating %s pair, n = %zu\n", c.kind, c.n);
      run({generator, std::to_string(c.n), c.kind, "2026", input, output});
    }
    std::vector<double> cat_times, checker_times, baseline_times, ratios;
    long checker_peak = 0, baseline_peak = 0;
    run({"/bin/cat", input, output});  // into the page cache
    for (int i = 0; i < runs; ++i) {
      cat_times.push_back(run({"/bin/cat", input, output}).seconds);
      const Run ours = run({checker, input, output});
      const Run theirs = run({baseline, input, output});
      checker_times.push_back(ours.seconds);
      baseline_times.push_back(theirs.seconds);
      ratios.push_back(theirs.seconds / ours.seconds);
      checker_peak = std::max(checker_peak, ours.peak_kib);
      baseline_peak = std::max(baseline_peak, theirs.peak_kib);
    }
    const double n = static_cast<double>(c.n);
    const double bytes = file_size(input) + file_size(output);
    std::printf("| %s | %zu | %.3f | %.3f | %.1fx | %.2f | %.2f | %.2f | %.1f | %.3f |\n", c.kind,
                c.n, median(checker_times), median(baseline_times), median(ratios),
                bytes / median(checker_times) / 1e9,
                static_cast<double>(checker_peak - checker_empty) * 1024 / n,
                static_cast<double>(baseline_peak - baseline_empty) * 1024 / n,
                static_cast<double>(checker_peak) / 1024, median(cat_times));
    std::fflush(stdout);
  }

  // checker-judge beside the checker writes a few lines however many positions differ, and a
  // diagnosis of a failing output: its time on the failing pair of the largest size against the
  // passing pair, run alternately, in plain mode and in explain mode, and its peak memory a value.
  const std::string judge = checker.substr(0, checker.rfind('/') + 1) + "checker-judge";
  if (!exists(judge)) return 0;
  const std::size_t n = *std::max_element(sizes.begin(), sizes.end());
  const std::string passing = data + "/sorted_" + std::to_string(n);
  const std::string failing = data + "/failing_" + std::to_string(n);
  if (!exists(passing + ".in") || !exists(passing + ".out")) {
    run({generator, std::to_string(n), "sorted", "2026", passing + ".in", passing + ".out"});
  }
  if (!exists(failing + ".in") || !exists(failing + ".out")) {
    std::fprintf(stderr, "generating failing pair, n = %zu\n", n);
    run({generator, std::to_string(n), "failing", "2026", failing + ".in", failing + ".out"});
  }
  const long judge_empty = run({judge, "plain", empty, empty}).peak_kib;
  std::printf(
      "\n| checker-judge | n | passing pair s | failing pair s | failing / passing | "
      "passing B/value | failing B/value |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
  for (const char* mode : {"plain", "explain"}) {
    std::vector<double> passing_times, failing_times, ratios;
    long passing_peak = 0, failing_peak = 0;
    for (int i = 0; i < runs; ++i) {
      const Run pass = run({judge, mode, passing + ".in", passing + ".out"}, 0);
      const Run fail = run({judge, mode, failing + ".in", failing + ".out"}, 1);
      passing_times.push_back(pass.seconds);
      failing_times.push_back(fail.seconds);
      ratios.push_back(fail.seconds / pass.seconds);
      passing_peak = std::max(passing_peak, pass.peak_kib);
      failing_peak = std::max(failing_peak, fail.peak_kib);
    }
    const double values = static_cast<double>(n);
    std::printf("| %s | %zu | %.3f | %.3f | %.2fx | %.2f | %.2f |\n", mode, n,
                median(passing_times), median(failing_times), median(ratios),
                static_cast<double>(passing_peak - judge_empty) * 1024 / values,
                static_cast<double>(failing_peak - judge_empty) * 1024 / values);
  }
  return 0;
}
