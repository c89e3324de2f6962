#include "records/RecordsSoFar.h"

#include <algorithm>

#include "records/LargePages.h"

namespace {

constexpr std::uint64_t kCountMask = (std::uint64_t{1} << 39) - 1;

}  // namespace

std::uint64_t RecordsSoFar::StateOf(std::uint64_t starts, std::size_t count, bool ended)
{
    return (starts << kStartShift) | ((static_cast<std::uint64_t>(count) & kCountMask) << kCountShift) |
           (ended ? kEnded : 0);
}

void RecordsSoFar::Publish(std::uint64_t state)
{
    {
        const std::lock_guard<std::mutex> lock(m_stateChange);
        m_state.store(state, std::memory_order_release);
    }
    m_stateChanged.notify_one();
}

void RecordsSoFar::Grow(std::vector<CoinRecord>& records, std::size_t capacity)
{
    const std::lock_guard<std::mutex> lock(m_looking);
    ReserveWithLargePages(records, capacity);
    m_records = records.data();
    m_ahead.Reached(WriteAhead::kRecords, records.data() + records.size(), records.data() + records.capacity());
}

void RecordsSoFar::Add(std::vector<CoinRecord>& records, CoinRecord&& record)
{
    if (records.size() == records.capacity())
        Grow(records, std::max<std::size_t>(64, records.capacity() * 2));
    records.push_back(std::move(record));  // within the capacity: nothing moves
    if (records.size() % kRun == 0) {
        m_ahead.Reached(WriteAhead::kRecords, records.data() + records.size(), records.data() + records.capacity());
        Publish(StateOf(m_starts, records.size(), false));
    }
}

void RecordsSoFar::Reserve(std::vector<CoinRecord>& records, std::size_t count)
{
    if (count > records.capacity())
        Grow(records, count);
}

void RecordsSoFar::Drop(std::vector<CoinRecord>& records)
{
    const std::lock_guard<std::mutex> lock(m_looking);
    std::vector<CoinRecord>().swap(records);
    m_records = nullptr;
    Publish(StateOf(++m_starts, 0, false));
}

void RecordsSoFar::End(const std::vector<CoinRecord>& records)
{
    Publish(StateOf(m_starts, records.size(), true));
}

void RecordsSoFar::Follow(Follower& follower)
{
    std::uint64_t seen = 0;
    std::uint64_t starts = 0;
    std::size_t given = 0;
    for (;;) {
        if (m_state.load(std::memory_order_acquire) == seen) {
            if (m_ahead.MakeSomeReady())
                continue;
            std::unique_lock<std::mutex> lock(m_stateChange);
            m_stateChanged.wait(lock, [&] { return m_state.load(std::memory_order_acquire) != seen; });
        }
        std::unique_lock<std::mutex> lock(m_looking);
        const std::uint64_t state = m_state.load(std::memory_order_acquire);
        if (state >> kStartShift != starts) {
            starts = state >> kStartShift;
            given = 0;
            follower.Forget();
        }
        const std::size_t count = static_cast<std::size_t>((state >> kCountShift) & kCountMask);
        if (count > given) {
            follower.Look(std::span<const CoinRecord>(m_records + given, count - given));
            given = count;
        }
        lock.unlock();
        if (state & kEnded) {
            follower.Ended();
            return;
        }
        seen = state;
    }
}
