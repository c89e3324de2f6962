// Memory made ready ahead of a reading: the pages a little beyond what the reading has written
// come to be there, what they hold stays as it was, and nothing far beyond it or past the end
// of the block is taken.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "records/WriteAhead.h"

namespace {

constexpr std::size_t kPage = 4096;

// Which pages of [base, base + size) the system holds, one flag a page.
std::vector<bool> Present(const char* base, std::size_t size)
{
    std::vector<unsigned char> flags(size / kPage);
    EXPECT_EQ(::mincore(const_cast<char*>(base), size, flags.data()), 0);
    std::vector<bool> present;
    for (unsigned char f : flags)
        present.push_back((f & 1) != 0);
    return present;
}

std::size_t ReadyAll(WriteAhead& ahead)
{
    std::size_t steps = 0;
    while (ahead.MakeSomeReady())
        ++steps;
    return steps;
}

}  // namespace

TEST(WriteAheadTest, MakesReadyTheFewMegabytesBeyondWhatTheReadingWroteAndKeepsTheirBytes)
{
    const std::size_t size = 16 << 20;
    auto* base = static_cast<char*>(::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(base, MAP_FAILED);
    ::madvise(base, size, MADV_NOHUGEPAGE);  // counted in small pages
    std::memset(base, 'x', 100);             // what the reading wrote

    WriteAhead ahead;
    EXPECT_FALSE(ahead.MakeSomeReady());  // nothing said yet
    ahead.Reached(WriteAhead::kText, base + 100, base + size);
    if (!ahead.MakeSomeReady()) {
        ::munmap(base, size);
        GTEST_SKIP() << "this system cannot make memory ready ahead (MADV_POPULATE_WRITE)";
    }
    ReadyAll(ahead);
    std::vector<bool> present = Present(base, size);
    const std::size_t aheadPages = WriteAhead::kAhead / kPage;
    for (std::size_t p = 0; p < present.size(); ++p)
        ASSERT_EQ(present[p], p < aheadPages) << "page " << p;
    EXPECT_EQ(std::string(base, 100), std::string(100, 'x'));
    EXPECT_EQ(base[100], '\0');

    // Further on, with the block ending before what the step would reach.
    ahead.Reached(WriteAhead::kText, base + (8 << 20), base + (10 << 20));
    EXPECT_GE(ReadyAll(ahead), 1u);
    present = Present(base, size);
    for (std::size_t p = (8 << 20) / kPage; p < present.size(); ++p)
        ASSERT_EQ(present[p], p < (10 << 20) / kPage) << "page " << p;
    // Written back below what was made ready (a text moved down): nothing more to do.
    ahead.Reached(WriteAhead::kText, base + (1 << 20), base + (10 << 20));
    EXPECT_FALSE(ahead.MakeSomeReady());
    ::munmap(base, size);
}
