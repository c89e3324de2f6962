#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// Memory that a reading is about to write for the first time, made ready by another thread in
// the meantime. The system hands a process fresh memory a page at a time as it is first
// written, clearing each page then; for a file of hundreds of MB that is a large part of the
// reading, and the thread that waits for the reading can do it instead, ahead of the reader.
//
// Each region is a block the reading fills from its start; the reading says how far it has
// written and how far the block goes, and the other thread makes ready a few MB beyond that at
// most, so that memory the reading does not come to use is hardly ever taken. Making memory
// ready leaves what it holds as it is, so it may overlap what the reading writes at the time.
class WriteAhead {
public:
    enum Region { kRecords, kText, kRegions };

    // The reading side: `region` is written up to `reached` and ends at `end`.
    void Reached(Region region, const void* reached, const void* end);

    // The other side: makes ready the next part of some region, at most kStep bytes; false
    // when there is nothing to do until the reading goes further.
    bool MakeSomeReady();

    static constexpr std::size_t kStep = std::size_t{2} << 20;
    static constexpr std::size_t kAhead = std::size_t{8} << 20;

private:
    struct Block {
        std::atomic<std::uintptr_t> reached{0};
        std::atomic<std::uintptr_t> end{0};
        std::uintptr_t ready = 0;  // the other side's own: made ready up to here
    };
    Block m_blocks[kRegions];
    bool m_unsupported = false;
};
