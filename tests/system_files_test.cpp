// Paths as Windows opens them whatever their length: the rewriting, on every platform; and what
// the files the programs open carry with them.
#include "system_files.hpp"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <string>
#include <thread>

#include "test_files.hpp"

namespace {

TEST(SystemFiles, LongPathsTakeTheExtendedLengthForm) {
  const std::wstring folders = L"\\" + std::wstring(250, L'd');
  const std::wstring at_259 = L"C:" + folders + L"\\abcde";  // 259 characters
  struct Row {
    std::wstring path, opened;
  };
  const Row rows[] = {
      {at_259, at_259},
      {at_259 + L"g", L"\\\\?\\" + at_259 + L"g"},
      {L"\\\\server\\share" + folders, L"\\\\?\\UNC\\server\\share" + folders},
      {L"\\\\?\\" + at_259 + L"g", L"\\\\?\\" + at_259 + L"g"},
      {L"\\\\.\\pipe" + folders, L"\\\\.\\pipe" + folders},
      {L"\\\\server\\share\\in.txt", L"\\\\server\\share\\in.txt"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path.size());
    EXPECT_EQ(extended_length_path(row.path), row.opened);
  }
}

#if !defined(_WIN32)
// A host that starts programs of its own while it holds a check's files must not hand them on;
// and a file written for people to read is not one to run.
TEST(SystemFiles, OpenedFilesStayWithTheProcess) {
  const TempDir dir;
  const std::string read = dir.file("read", "a 1\n");
  const std::string written = dir.path + "/written";
  const int opened[] = {
      open_for_reading(read.c_str()).fd,
      open_regular_for_reading(read.c_str()).fd,
      open_for_writing(written.c_str()).fd,
  };
  for (const int fd : opened) {
    ASSERT_GE(fd, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << "descriptor " << fd;
    close_file(fd);
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat status;
  ASSERT_EQ(::stat(written.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0644 & ~mask);
}

#if defined(CHECKER_TESTS_NATIVE)  // an emulator's time is its own
// Standard output may be a non-blocking pipe that a slow reader lets fill: the write waits for
// room asleep, and every byte arrives.
TEST(SystemFiles, AFullNonBlockingPipeIsWaitedForAsleep) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
  const std::string bytes(std::size_t{1} << 20, 'x');  // far more than a pipe holds
  std::string received;
  std::thread reader([read_end = ends[0], &received] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    char chunk[65536];
    for (ssize_t got; (got = ::read(read_end, chunk, sizeof chunk)) > 0;)
      received.append(chunk, static_cast<std::size_t>(got));
  });
  const auto before = thread_processor_time();
  EXPECT_TRUE(write_all(ends[1], bytes));
  const auto used = thread_processor_time() - before;
  ::close(ends[1]);
  reader.join();
  ::close(ends[0]);
  EXPECT_EQ(received.size(), bytes.size());
  EXPECT_LT(used, std::chrono::milliseconds(50));
}
#endif
#endif

}  // namespace
