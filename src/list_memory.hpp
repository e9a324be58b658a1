// The memory of the value lists: room that only one list uses, grown and shrunk in place where
// the system can, and large pages for large lists.
#pragma once

#include <cstddef>

// Room for `bytes` of a list's values. On Linux it is mapped memory of the list's own, which
// grows and shrinks by remapping its pages, so no value is copied and old and new room are never
// held at once; room of 2 MiB or more asks for large pages. Elsewhere, and under
// AddressSanitizer (which watches only the C library's memory), it is the C library's.
// Each gives nullptr when the memory cannot be had; `resize_room` then leaves `room` as it was.
void* allocate_room(std::size_t bytes);
void* resize_room(void* room, std::size_t bytes, std::size_t new_bytes);
void free_room(void* room, std::size_t bytes);
