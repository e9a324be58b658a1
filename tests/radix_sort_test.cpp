// The reference order: the radix sort against a comparison sort.
#include "radix_sort.hpp"

#include <gtest/gtest.h>

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "test_files.hpp"

namespace {

TEST(RadixSort, SortsBySignedValueKeepingEveryCopy) {
  ValueList reference{5, -1, INT_MAX, 0, INT_MIN, -1, 7, 5};
  sort_reference(reference);
  EXPECT_EQ(reference, (ValueList{INT_MIN, -1, -1, 0, 5, 5, 7, INT_MAX}));
}

TEST(RadixSort, AgreesWithAComparisonSort) {
  // Sizes on both sides of where the radix sort takes over and of where ranges are split in
  // place rather than sorted with scratch. Narrow ranges leave whole digits shared and buckets
  // far larger than the rest, so that the in-place split runs on every digit down to the last;
  // 2^28 leaves 16 large buckets under the top byte, sorted with wide digits; 100 values spread
  // over 2^24 share some digits but not others.
  std::mt19937 random(7);
  for (const std::size_t size : {63u, 64u, 100u, 5000u, 262144u, 262145u, 600000u}) {
    for (const std::uint32_t range : {0u, 256u, 1000u, 70000u, 1u << 24, 1u << 28, 0xffffffffu}) {
      SCOPED_TRACE(std::to_string(size) + " values below " + std::to_string(range));
      std::vector<std::int32_t> values(size);
      for (std::int32_t& value : values) {
        value = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(range == 0 ? 0 : random() % range) - 500u);
      }
      std::vector<std::int32_t> expected = values;
      std::sort(expected.begin(), expected.end());
      sort_values(values.data(), values.size());
      ASSERT_EQ(values, expected);
    }
  }
  // Values that share their low digits, which no pass need order, and differ above them.
  for (const std::uint32_t step : {1u << 8, 1u << 16}) {
    SCOPED_TRACE("multiples of " + std::to_string(step));
    std::vector<std::int32_t> shared(5000);
    for (std::int32_t& value : shared)
      value = static_cast<std::int32_t>(random() % 1000 * step);
    std::vector<std::int32_t> expected = shared;
    std::sort(expected.begin(), expected.end());
    sort_values(shared.data(), shared.size());
    ASSERT_EQ(shared, expected);
  }
  // Lone values, each the only one of its top byte, among many equal ones.
  std::vector<std::int32_t> values(600000, 7);
  values[123] = INT_MIN;
  values[4567] = -1;
  values[300000] = 7 + (1 << 24);
  values[599999] = INT_MAX;
  std::vector<std::int32_t> expected = values;
  std::sort(expected.begin(), expected.end());
  sort_values(values.data(), values.size());
  EXPECT_EQ(values, expected);
}

#if defined(__linux__) && defined(CHECKER_TESTS_NATIVE) && !defined(CHECKER_SANITIZED)
// Under an address-space limit that leaves no room for the scratch, the values still come out
// sorted. The sort runs in a child process, whose limit ends with it.
TEST(RadixSort, SortsWithoutRoomForItsScratch) {
  std::mt19937 random(11);
  std::vector<std::int32_t> values(600000);
  for (std::int32_t& value : values)
    value = static_cast<std::int32_t>(random());
  std::vector<std::int32_t> expected = values;
  std::sort(expected.begin(), expected.end());
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The limit is the address space in use: any further mapping fails.
    const auto in_use = static_cast<rlim_t>(address_space_in_use());
    const rlimit limit{in_use, in_use};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(3);
    // Kept in a volatile, or the compiler may take the allocation as made and drop it.
    void* volatile const probe = std::malloc(std::size_t{1} << 20);
    if (probe != nullptr) ::_exit(2);  // the C library had the room at hand: nothing to see
    sort_values(values.data(), values.size());
    ::_exit(values == expected ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the sort ended by signal " << WTERMSIG(status);
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "the C library had room for the scratch at hand";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

}  // namespace
