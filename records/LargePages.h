#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

// Asks for large pages behind a large block of memory that has not been touched yet, where the
// system allows it: faulting in a hundred MB of small pages one by one costs more than the
// work done in them, and the fewer pages also make reading it in random order cheaper.
inline void AdviseLargePages(const void* data, std::size_t size)
{
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    if (size < 4 * kLargePage)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + kLargePage - 1) / kLargePage * kLargePage;
    const std::uintptr_t end = (start + size) / kLargePage * kLargePage;
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
