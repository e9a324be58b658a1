// What the tests that run whole checks share: the banner every such run starts with, and a
// directory of files made for one test.
#pragma once

#if defined(_WIN32)
#include <io.h>
#else
#include <time.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

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
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::filesystem::path candidate;
    do {
      candidate = base / ("checker-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(candidate));
    path = candidate.string();
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string file(const std::string& name, std::string_view bytes) const {
    const std::string file_path = path + "/" + name;
    std::ofstream(file_path, std::ios::binary) << bytes;
    return file_path;
  }
};

// The lowest free descriptors, which files opened next get. A call that leaves a file of its own
// open takes one of them, which a host that calls the checks again and again would run out of.
inline std::vector<int> free_descriptors() {
  std::vector<int> free(16);
  for (int& fd : free) {
#if defined(_WIN32)
    fd = _dup(2);
#else
    fd = ::dup(2);
#endif
  }
  for (const int fd : free) {
#if defined(_WIN32)
    _close(fd);
#else
    ::close(fd);
#endif
  }
  return free;
}

#if !defined(_WIN32)
// The processor time the calling thread has used: a wait that spins shows here, one that sleeps
// does not.
inline std::chrono::nanoseconds thread_processor_time() {
  timespec used{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
  return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}
#endif

#if defined(__linux__)
// The address space this process holds, as Linux counts it.
inline std::uint64_t address_space_in_use() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}
#endif
