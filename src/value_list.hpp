// ValueList: the values of one value file, held whole in memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "list_memory.hpp"

// Signed 32-bit values in file order (the output) or ascending order (the reference).
//
// The room is the list's own (allocate_room): on Linux mapped memory, which grows by remapping
// its pages, in place, without a value copied and without old and new room held at once, so a
// list costs 4 bytes a value at any size. Room never written costs no memory. When memory
// cannot be had, the functions that grow say so and leave the list as it
// was, for the run to say it in words rather than end.
class ValueList {
 public:
  using iterator = std::int32_t*;
  using const_iterator = const std::int32_t*;

  ValueList() = default;
  // Holds `values`, or nothing if memory runs out.
  ValueList(std::initializer_list<std::int32_t> values) { append(values.begin(), values.end()); }
  ValueList(const std::int32_t* first, const std::int32_t* last) { append(first, last); }
  ValueList(ValueList&& other) noexcept
      : values_(std::exchange(other.values_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  ValueList& operator=(ValueList&& other) noexcept {
    std::swap(values_, other.values_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  ValueList(const ValueList&) = delete;
  ValueList& operator=(const ValueList&) = delete;
  ~ValueList() {
    if (values_ != nullptr) free_room(values_, capacity_ * sizeof *values_);
  }

  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  std::int32_t* data() { return values_; }
  const std::int32_t* data() const { return values_; }
  std::int32_t& operator[](std::size_t i) { return values_[i]; }
  std::int32_t operator[](std::size_t i) const { return values_[i]; }
  iterator begin() { return values_; }
  iterator end() { return values_ + size_; }
  const_iterator begin() const { return values_; }
  const_iterator end() const { return values_ + size_; }

  // Makes room for `count` values in all; false, with the list unchanged, when the memory
  // cannot be had.
  bool reserve(std::size_t count) {
    if (count <= capacity_) return true;
    if (count > SIZE_MAX / sizeof *values_) return false;
    void* const grown = values_ == nullptr ? allocate_room(count * sizeof *values_)
                                           : resize_room(values_, capacity_ * sizeof *values_,
                                                         count * sizeof *values_);
    if (grown == nullptr) return false;
    values_ = static_cast<std::int32_t*>(grown);
    capacity_ = count;
    return true;
  }

  // Makes room for `more` values past the size: twice the room where that can be had, so that
  // growing one block at a time stays linear, else just enough. False when not even that can.
  bool make_room(std::size_t more) {
    if (capacity_ - size_ >= more) return true;
    if (more > SIZE_MAX - size_) return false;
    return reserve(std::max(size_ + more, 2 * size_)) || reserve(size_ + more);
  }

  // Gives back the room past the size, in place.
  void shrink_to_fit() {
    if (size_ == capacity_) return;
    if (size_ == 0) {
      free_room(std::exchange(values_, nullptr), capacity_ * sizeof *values_);
      capacity_ = 0;
    } else if (void* const shrunk =
                   resize_room(values_, capacity_ * sizeof *values_, size_ * sizeof *values_)) {
      values_ = static_cast<std::int32_t*>(shrunk);
      capacity_ = size_;
    }
  }

  // Counts as held the first `size` values of the room, written straight into it, as by a
  // reader that decodes into the room past the size; `size` is at most the capacity.
  void set_size(std::size_t size) { size_ = size; }

  // Appends the values from `first` to `last`; false, with the list unchanged, when memory runs
  // out.
  bool append(const std::int32_t* first, const std::int32_t* last) {
    const auto count = static_cast<std::size_t>(last - first);
    if (count == 0) return true;
    if (!make_room(count)) return false;
    std::memcpy(values_ + size_, first, count * sizeof *values_);
    size_ += count;
    return true;
  }

  friend bool operator==(const ValueList& a, const ValueList& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

 private:
  std::int32_t* values_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};
