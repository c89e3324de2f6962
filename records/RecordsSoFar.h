#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "records/CoinRecord.h"
#include "records/WriteAhead.h"

// The records of a reading that is still going on, for a second thread to work on while the
// reading thread makes the rest: the window measures and gathers the coins read so far while
// it waits for the others, instead of starting on all of them once the last is read.
//
// The reading hands over its records a run at a time, in the order it made them. It never
// moves records while the other thread looks at a run: the array grows only under a lock that
// the looking thread holds while it looks. Handing over takes no lock, so the reading never
// waits for the looking thread except when its array must grow, which a reading that makes
// room for the whole file does a few times at most.
class RecordsSoFar {
public:
    // What the looking thread does with the records.
    class Follower {
    public:
        virtual ~Follower() = default;
        // Records made since the last run given, in the order made. They stay where they are
        // and unchanged for as long as the reading's result lives, unless Forget comes first.
        virtual void Look(std::span<const CoinRecord> records) = 0;
        // The records given so far are dropped: the reading starts again from the beginning
        // of the file, and what was learnt of them no longer holds.
        virtual void Forget() = 0;
        // Every record has been given: called on the looking thread before Follow returns.
        virtual void Ended() {}
    };

    // Records are handed over this many at a time, and the rest at the end.
    static constexpr std::size_t kRun = 8192;

    // The reading side. Add, Reserve and Drop are the only ways the reading changes `records`
    // while it is followed; End says it is over, whatever became of it.
    void Add(std::vector<CoinRecord>& records, CoinRecord&& record);
    void Reserve(std::vector<CoinRecord>& records, std::size_t count);
    void Drop(std::vector<CoinRecord>& records);
    void End(const std::vector<CoinRecord>& records);

    // The looking side: gives `follower` every run as it comes, and returns once the reading
    // has ended and every record made has been given. Called by one thread at a time. While
    // it waits, it makes ready the memory the reading is about to write (see WriteAhead).
    void Follow(Follower& follower);

    // Where the reading says what memory it is about to write; the records' array is said here.
    WriteAhead& Ahead() { return m_ahead; }

private:
    // The state the looking thread waits on: how often the reading started again, how many
    // records it has handed over and whether it has ended, in one value, so that a change of
    // any of them wakes the follower and none can be missed.
    static constexpr std::uint64_t kEnded = 1;
    static constexpr int kCountShift = 1;
    static constexpr int kStartShift = 40;
    static std::uint64_t StateOf(std::uint64_t starts, std::size_t count, bool ended);
    void Publish(std::uint64_t state);
    void Grow(std::vector<CoinRecord>& records, std::size_t capacity);

    // The wait is a condition variable's rather than the atomic's own: the program's launcher
    // and its window's module each have their own copy of the table of waiters behind an
    // atomic's wait, so a change published by one would not wake a wait in the other.
    std::atomic<std::uint64_t> m_state{0};
    std::mutex m_stateChange;
    std::condition_variable m_stateChanged;
    std::mutex m_looking;                    // held while the follower looks; the array grows under it
    const CoinRecord* m_records = nullptr;   // where the records are; changed under m_looking
    std::uint64_t m_starts = 0;              // the reading side's own copy of how often it started again
    WriteAhead m_ahead;
};
