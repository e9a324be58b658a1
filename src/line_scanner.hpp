// The value reader's fast paths: runs of `label value` lines decoded many lines at a time. This
// unit picks the path; the loop over lines is whole_lines.hpp, and each way of classifying bytes
// (scalar, NEON, AVX2) is a file of its own.
#pragma once

#include <cstddef>
#include <cstdint>

// How the reader finds records. Every path gives the same values and the same ending.
enum class ScanPath {
  fastest,  // simd where the processor has it, else scalar
  simd,     // whole lines at a time, found with AVX2 (x86-64, where the processor has it) or NEON
            // (64-bit ARM)
  scalar,   // whole lines at a time, their ends found eight bytes at a time
  general,  // byte by byte: the plain rules of the format, and where the others hand over
};

// Whether this processor runs ScanPath::simd.
bool simd_supported();

// The path that serves `requested` on this processor: fastest and simd become simd where it is
// supported, else scalar.
ScanPath usable_scan_path(ScanPath requested);

// Bytes past the end of the scanned text that a scan may load but never uses: the buffer that
// holds the text must extend this far.
inline constexpr std::size_t kScanOverread = 64;

// Decodes the records from `next`, the first byte of a label, for as long as each is a whole
// line of a label, spaces and tabs, a value of one to ten digits after an optional sign, and
// spaces and tabs up to "\n" or "\r\n", all before `end`; the line may start with spaces and
// tabs, and blank lines between records are passed over. Stores at most `capacity` values at
// `out`, moves `next` to the start of the first line it did not take, adds the lines passed to
// `*newlines` when given, and returns how many values it stored. Stops at the first line of any
// other kind (a comment among them), which the caller reads by the general rules;
// ScanPath::general decodes nothing.
std::size_t scan_whole_lines(ScanPath path, const char*& next, const char* end, std::int32_t* out,
                             std::size_t capacity, std::uint64_t* newlines = nullptr);
