// The page's way into the checker's own units, built to WebAssembly: a pair of files judged once
// for all the page shows (the checker's lines, as many as a page can hold, and how many there are
// in all; the diagnosis; a picture's columns), and the checker's whole output again, on request,
// handed out in pieces.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "judge/diagnosis.hpp"
#include "judge/judgement.hpp"
#include "messages.hpp"
#include "run.hpp"

namespace {

// Position lines shown on the page; the whole verdict is one click away.
constexpr std::uint64_t kShownLines = 1000;

// A column of the picture: the least and the greatest value that the reference and the output
// hold at its positions (least above greatest where a list holds none there), and at how many of
// them the two differ, or only one of them holds a value.
struct Column {
  std::int32_t reference_least, reference_greatest;
  std::int32_t output_least, output_greatest;
  std::int32_t differing;
};

// What the page shows of the last pair judged.
struct Shown {
  std::string text;          // the checker's output, its verdict lines capped
  std::string diagnosis;     // the lines of the diagnosis, if any
  double shown_lines = 0;    // how many verdict lines the text holds
  double verdict_lines = 0;  // how many the checker writes in all
  double reference_size = 0, output_size = 0;
  int outcome = 0;              // 0 the output passes, 1 it does not, 2 the pair cannot be judged
  bool output_known = false;    // the picture holds the output's values
  double first_differing = -1;  // the first position the picture marks, if any
  std::vector<Column> columns;
};

Shown shown;

// The picture's columns: each summarises an equal share of the positions, so that a million
// positions and ten draw alike.
void summarise(const ValueList& reference, const OutputComparison& comparison,
               std::size_t most_columns) {
  const std::uint64_t reference_size = reference.size();
  const std::uint64_t positions = std::max(reference_size, comparison.size);
  shown.output_known = comparison.values_kept;
  const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(positions, most_columns));
  shown.columns.assign(count, Column{std::numeric_limits<std::int32_t>::max(),
                                     std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max(),
                                     std::numeric_limits<std::int32_t>::min(), 0});
  for (std::uint64_t position = 0; position < positions; ++position) {
    Column& column = shown.columns[static_cast<std::size_t>(position * count / positions)];
    const bool in_reference = position < reference_size;
    const bool in_output = position < comparison.size;
    const std::int32_t expected = in_reference ? reference[static_cast<std::size_t>(position)] : 0;
    if (in_reference) {
      column.reference_least = std::min(column.reference_least, expected);
      column.reference_greatest = std::max(column.reference_greatest, expected);
    }
    bool differs = in_output != in_reference;
    if (in_output && shown.output_known) {
      const std::int32_t found = output_value(reference, comparison, position);
      column.output_least = std::min(column.output_least, found);
      column.output_greatest = std::max(column.output_greatest, found);
      differs = differs || found != expected;
    }
    column.differing += differs;
    if (differs && shown.first_differing < 0) shown.first_differing = static_cast<double>(position);
  }
}

}  // namespace

// The output's pieces go to the page as they are made: a function of the page's own.
EM_JS(void, hand_out_piece, (const char* bytes, std::size_t size),
      { Module.onOutputPiece(HEAPU8.subarray(bytes, bytes + size)); });

extern "C" {

// Judges the pair of files at the two paths as the checker does, keeping what the page shows;
// the picture gets at most `most_columns` columns.
EMSCRIPTEN_KEEPALIVE void web_judge(const char* input_path, const char* output_path,
                                    int most_columns) {
  shown = Shown();
  const Judgement judgement = judge_files(
      input_path, output_path, kShownLines, Diagnose::yes,
      [most_columns](const ValueList& reference, const OutputComparison& comparison) {
        summarise(reference, comparison, static_cast<std::size_t>(std::max(most_columns, 1)));
      });
  shown.text.assign(kBannerLines);
  const auto to_text = [](std::string_view line) {
    shown.text.append(line);
    ++shown.shown_lines;
  };
  if (judgement.outcome == Outcome::pass || judgement.outcome == Outcome::wrong) {
    report_comparison(judgement.reference_size, judgement.comparison, to_text);
    const bool sizes_differ = judgement.comparison.size != judgement.reference_size;
    shown.verdict_lines = sizes_differ || judgement.comparison.differing == 0
                              ? 1.0
                              : static_cast<double>(judgement.comparison.differing);
  } else {
    // The line that says why reading stopped, which is the checker's whole verdict.
    write_message(judgement, [&to_text](std::string_view line) {
      if (!line.starts_with("Diagnosis: ")) to_text(line);
    });
    shown.verdict_lines = shown.shown_lines;
  }
  write_message(judgement, [](std::string_view line) {
    if (line.starts_with("Diagnosis: ")) shown.diagnosis.append(line);
  });
  shown.outcome = judgement.outcome == Outcome::pass          ? 0
                  : judgement.outcome == Outcome::judge_error ? 2
                                                              : 1;
  shown.reference_size = static_cast<double>(judgement.reference_size);
  shown.output_size = static_cast<double>(judgement.comparison.size);
}

EMSCRIPTEN_KEEPALIVE const char* web_banner() {
  return kBannerLines.data();
}
// The checker's line for a file whose values memory cannot hold: the page shows it with the
// banner when the module itself cannot go on.
EMSCRIPTEN_KEEPALIVE const char* web_out_of_memory_line(int output) {
  static std::string line;
  line = out_of_memory_line(output != 0 ? FileRole::output : FileRole::input).text();
  return line.c_str();
}
// The texts as bytes with their sizes, since a line may quote any byte a file holds.
EMSCRIPTEN_KEEPALIVE const char* web_shown_text() {
  return shown.text.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t web_shown_text_size() {
  return shown.text.size();
}
EMSCRIPTEN_KEEPALIVE const char* web_diagnosis() {
  return shown.diagnosis.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t web_diagnosis_size() {
  return shown.diagnosis.size();
}
EMSCRIPTEN_KEEPALIVE double web_shown_lines() {
  return shown.shown_lines;
}
EMSCRIPTEN_KEEPALIVE int web_outcome() {
  return shown.outcome;
}
EMSCRIPTEN_KEEPALIVE double web_verdict_lines() {
  return shown.verdict_lines;
}
EMSCRIPTEN_KEEPALIVE double web_reference_size() {
  return shown.reference_size;
}
EMSCRIPTEN_KEEPALIVE double web_output_size() {
  return shown.output_size;
}
EMSCRIPTEN_KEEPALIVE int web_output_known() {
  return shown.output_known;
}
EMSCRIPTEN_KEEPALIVE const Column* web_columns() {
  return shown.columns.data();
}
EMSCRIPTEN_KEEPALIVE double web_first_differing() {
  return shown.first_differing;
}
EMSCRIPTEN_KEEPALIVE int web_column_count() {
  return static_cast<int>(shown.columns.size());
}

// The checker's whole output for the pair, run again, handed to the page in pieces of about a
// mebibyte.
EMSCRIPTEN_KEEPALIVE void web_full_output(const char* input_path, const char* output_path) {
  std::string piece;
  piece.reserve(1 << 20);
  const char* arguments[] = {"checker", input_path, output_path};
  run_checker(3, arguments, [&piece](std::string_view line) {
    piece.append(line);
    if (piece.size() >= (1 << 20)) {
      hand_out_piece(piece.data(), piece.size());
      piece.clear();
    }
  });
  hand_out_piece(piece.data(), piece.size());
}

}  // extern "C"
