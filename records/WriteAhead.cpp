#include "records/WriteAhead.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>

void WriteAhead::Reached(Region region, const void* reached, const void* end)
{
    Block& block = m_blocks[region];
    block.end.store(reinterpret_cast<std::uintptr_t>(end), std::memory_order_relaxed);
    block.reached.store(reinterpret_cast<std::uintptr_t>(reached), std::memory_order_relaxed);
}

bool WriteAhead::MakeSomeReady()
{
#ifdef MADV_POPULATE_WRITE
    if (m_unsupported)
        return false;
    constexpr std::uintptr_t kPage = 4096;
    for (Block& block : m_blocks) {
        const std::uintptr_t reached = block.reached.load(std::memory_order_relaxed);
        const std::uintptr_t end = block.end.load(std::memory_order_relaxed);
        if (reached == 0 || reached >= end)
            continue;
        // A block that moved (an array grown elsewhere) starts again from where it is written.
        if (block.ready < reached || block.ready > end)
            block.ready = reached;
        const std::uintptr_t from = block.ready / kPage * kPage;
        const std::uintptr_t to = std::min({end, reached + kAhead, from + kStep}) / kPage * kPage;
        if (to <= from)
            continue;
        // Pages already there are left alone; the others are made as a write would make them.
        if (::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) != 0 && errno == EINVAL) {
            m_unsupported = true;  // an older system: the reading makes its own pages
            return false;
        }
        block.ready = to;
        return true;
    }
#endif
    return false;
}
