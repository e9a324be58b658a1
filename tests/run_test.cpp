// The run sequence: argument count, banner, the order of the reads, and the messages that name
// a file, with the operating system's own error texts.
#include "run.hpp"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "captured_output.hpp"
#include "check.hpp"
#include "system_files.hpp"
#include "test_files.hpp"

namespace {

std::string run(std::vector<const char*> arguments) {
  const std::vector<int> free_before = free_descriptors();
  std::string text;
  {
    CapturedOutput out;
    EXPECT_EQ(run_checker(static_cast<int>(arguments.size()), arguments.data(),
                          [&out](std::string_view line) { write_line(out.console, line); }),
              0);
    text = out.text();
  }
  EXPECT_EQ(free_descriptors(), free_before) << "a file left open";
  return text;
}

std::string unreadable(const char* file, int error) {
  return std::string(kBanner) + "Error: Cannot read " + file + " (" + std::strerror(error) + ").\n";
}

TEST(Run, WrongArgumentCountWritesOnlyTheUsageLine) {
  EXPECT_EQ(run({}), "Usage: checker <input_file> <your_output_file>\n");
  EXPECT_EQ(run({"/opt/grading/checker"}),
            "Usage: /opt/grading/checker <input_file> <your_output_file>\n");
  EXPECT_EQ(run({"./x", "a", "b", "c"}), "Usage: ./x <input_file> <your_output_file>\n");
  // Names about as long as the stack's line holds, and longer, which take memory instead: the
  // line is one piece, which leaves the process in one write.
  for (const std::size_t size : {1u, 983u, 984u, 985u, 5000u}) {
    const std::string name(size, 'n');
    const char* const arguments[] = {name.c_str()};
    std::vector<std::string> pieces;
    run_checker(1, arguments, [&pieces](std::string_view line) { pieces.emplace_back(line); });
    EXPECT_EQ(pieces,
              std::vector<std::string>{"Usage: " + name + " <input_file> <your_output_file>\n"});
  }
}

// The reference's room from the file's size is given back once its values are in: the run holds
// 4 bytes a value, whatever the lines' length.
TEST(Run, TheReferenceHoldsNoRoomBeyondItsValues) {
  const TempDir dir;
  std::string input;
  for (int i = 0; i < 5000; ++i)
    input += "a_long_label_" + std::to_string(i) + " " + std::to_string(i) + "\n";
  const std::string path = dir.file("input", input);
  const Check check =
      check_files(path.c_str(), path.c_str(), [](ValueReader&, const ValueList&) { return true; });
  EXPECT_EQ(check.reference.size(), 5000u);
  EXPECT_EQ(check.reference.capacity(), check.reference.size());
}

TEST(Run, ReadFailuresNameTheFileAndTheSystemsReason) {
  const TempDir dir;
  const std::string input = dir.file("input", "a 1\n");
  EXPECT_EQ(run({"checker", (dir.path + "/none").c_str(), input.c_str()}),
            unreadable("the input file", ENOENT));
  EXPECT_EQ(run({"checker", dir.path.c_str(), input.c_str()}),
            unreadable("the input file", EISDIR));
  EXPECT_EQ(run({"checker", input.c_str(), dir.path.c_str()}),
            unreadable("your output file", EISDIR));
#if !defined(_WIN32)  // Windows says only that such a path does not exist
  EXPECT_EQ(run({"checker", (input + "/x").c_str(), input.c_str()}),
            unreadable("the input file", ENOTDIR));
#endif
}

// Students keep their work in deep folders: files at paths of 300 characters open like any.
TEST(Run, FilesAtPathsOfThreeHundredCharacters) {
  // The test itself makes such folders on Windows only through the long form of their paths,
  // one at a time: MinGW's create_directories cannot climb back from a long form.
  const auto long_form = [](const std::filesystem::path& path) {
#if defined(_WIN32)
    return std::filesystem::path(extended_length_path(path.native()));
#else
    return path;
#endif
  };
  const TempDir dir;
  std::vector<std::filesystem::path> folders = {std::filesystem::absolute(dir.path)};
  while (folders.back().native().size() < 290) {
    folders.push_back(folders.back() / std::string(40, 'd'));
    std::filesystem::create_directory(long_form(folders.back()));
  }
  const std::string input = (folders.back() / "input.txt").string();
  const std::string output = (folders.back() / "output.txt").string();
  std::ofstream(long_form(input), std::ios::binary) << "a 2\nb 1\n";
  std::ofstream(long_form(output), std::ios::binary) << "a 1\nb 2\n";
  ASSERT_GE(input.size(), 300u);
  EXPECT_EQ(run({"checker", input.c_str(), output.c_str()}),
            std::string(kBanner) + "Congratulations: Your result passed this test!\n");
  std::filesystem::remove(long_form(input));
  std::filesystem::remove(long_form(output));
  while (folders.size() > 1) {
    std::filesystem::remove(long_form(folders.back()));
    folders.pop_back();
  }
}

TEST(Run, LostStandardOutputStillEndsWithStatusZero) {
  prepare_process();
  int ends[2];
#if defined(_WIN32)
  ASSERT_EQ(_pipe(ends, 4096, _O_BINARY), 0);
  _close(ends[0]);
#else
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
#endif
  Console console{ends[1]};
  const char* arguments[] = {"checker", "/nonexistent/input", "/nonexistent/output"};
  EXPECT_EQ(
      run_checker(3, arguments, [&console](std::string_view line) { write_line(console, line); }),
      0);
  EXPECT_TRUE(console.lost);
  close_file(ends[1]);
}

}  // namespace
