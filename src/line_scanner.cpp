// Picks the whole-line scan path this processor runs, and hands the lines to it.
#include "line_scanner.hpp"

#include "whole_lines.hpp"

bool simd_supported() {
#if CHECKER_SIMD_LINES
  return scan::simd_lines_supported();
#else
  return false;
#endif
}

ScanPath usable_scan_path(ScanPath requested) {
  if (requested == ScanPath::fastest || requested == ScanPath::simd) {
    return simd_supported() ? ScanPath::simd : ScanPath::scalar;
  }
  return requested;
}

std::size_t scan_whole_lines(ScanPath path, const char*& next, const char* end, std::int32_t* out,
                             std::size_t capacity, std::uint64_t* newlines) {
  std::uint64_t passed = 0;
  std::uint64_t& lines = newlines != nullptr ? *newlines : passed;
  switch (path) {
#if CHECKER_SIMD_LINES
    case ScanPath::simd:
      return scan::read_whole_lines_simd(next, end, out, capacity, lines);
#endif
    case ScanPath::scalar:
      return scan::read_whole_lines_scalar(next, end, out, capacity, lines);
    default:
      return 0;
  }
}
