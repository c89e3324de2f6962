#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

constexpr std::size_t kLargePageSize = std::size_t{2} << 20;

// A size to ask for at least `bytes` with, such that the allocator maps a whole number of
// large pages for the block with its few bytes of header: the system places such a mapping on
// a large-page boundary, so that all of the block can have large pages (see AdviseLargePages).
// Sizes under a large page are left as they are.
constexpr std::size_t LargePageRoom(std::size_t bytes)
{
    constexpr std::size_t kHeader = 64;  // more than the allocator puts before a mapped block
    if (bytes < kLargePageSize)
        return bytes;
    return (bytes + kHeader + kLargePageSize - 1) / kLargePageSize * kLargePageSize - kHeader;
}

// Asks for large pages behind a block of memory that has not been touched yet, where the
// system allows it. Faulting in memory a small page at a time costs more than the work done
// in it (on a virtual machine several times more), and the fewer pages also make reading it in
// random order cheaper.
//
// Only large pages that lie within the block are asked for, with one exception: a block that
// begins in the first small page of a large page, or ends in its last, as a block the
// allocator maps for itself does once the system places such mappings on large-page
// boundaries, has that large page too. What lies beyond the block in it is in the same small
// page, so it belongs to the same mapping, and the advice changes nothing but how that memory
// is backed.
inline void AdviseLargePages(const void* data, std::size_t size)
{
    constexpr std::uintptr_t kLargePage = kLargePageSize;
    constexpr std::uintptr_t kSmallPage = 4096;
    if (size < kLargePage)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t below = start / kLargePage * kLargePage;
    const std::uintptr_t begin = start - below < kSmallPage ? below : below + kLargePage;
    const std::uintptr_t last = (start + size) / kLargePage * kLargePage;
    const std::uintptr_t end = last + kLargePage - (start + size) < kSmallPage ? last + kLargePage : last;
    if (end <= begin)
        return;
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    // The allocator has written its header into the first small page already, and a large
    // page is only had where nothing is yet: that one is made a large page at once.
    constexpr int kCollapse = 25;  // MADV_COLLAPSE, which the C library's headers may not name yet
    if (begin < start)
        ::madvise(reinterpret_cast<void*>(begin), kLargePage, kCollapse);
}

// `items.reserve(count)`, with room for a few more where that makes the block whole large pages
// (see LargePageRoom), and the new room advised before anything is moved into it: large pages
// are only had for memory not yet touched.
template <class T>
void ReserveWithLargePages(std::vector<T>& items, std::size_t count)
{
    if (count <= items.capacity())
        return;
    std::vector<T> room;
    room.reserve(LargePageRoom(count * sizeof(T)) / sizeof(T));
    AdviseLargePages(room.data(), room.capacity() * sizeof(T));
    std::move(items.begin(), items.end(), std::back_inserter(room));
    items.swap(room);
}

// The same for a text of `size` bytes: its closing zero is counted into the whole large pages.
inline void ReserveWithLargePages(std::string& text, std::size_t size)
{
    if (size <= text.capacity())
        return;
    std::string room;
    room.reserve(LargePageRoom(size + 1) - 1);
    AdviseLargePages(room.data(), room.capacity());
    room.append(text);
    text.swap(room);
}
