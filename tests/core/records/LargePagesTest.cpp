// Large pages asked for behind a block: from its very start when it begins in the first small
// page of a large page, never over memory before it otherwise, and a moved array that keeps
// its items. What the system did is read back from /proc/self/smaps.
#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "records/LargePages.h"

namespace {

constexpr std::size_t kLarge = kLargePageSize;

bool LargePagesOffered()
{
    std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(in, modes);
    return !modes.empty() && modes.find("[never]") == std::string::npos;
}

// The mapping of smaps that holds `address`: whether it is advised for large pages, and the kB
// it holds in large pages.
struct Mapping {
    bool advised = false;
    long largeKb = -1;
};

Mapping MappingAt(const void* address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream in("/proc/self/smaps");
    std::string line;
    bool inside = false;
    Mapping found;
    while (std::getline(in, line)) {
        std::uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> from >> dash >> to && dash == '-') {
            if (inside)
                break;
            inside = from <= at && at < to;
        } else if (inside && line.starts_with("AnonHugePages:")) {
            found.largeKb = std::stol(line.substr(14));
        } else if (inside && line.starts_with("VmFlags:")) {
            found.advised = line.find(" hg") != std::string::npos;
        }
    }
    return found;
}

// `size` bytes of fresh memory on a large-page boundary.
char* AlignedBlock(std::size_t size)
{
    void* mapped = ::mmap(nullptr, size + kLarge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto start = (reinterpret_cast<std::uintptr_t>(mapped) + kLarge - 1) / kLarge * kLarge;
    return reinterpret_cast<char*>(start);
}

}  // namespace

TEST(LargePagesTest, AdvisedFromTheFirstByteOnlyWhenTheBlockBeginsInTheFirstSmallPageOfALargePage)
{
    if (!LargePagesOffered())
        GTEST_SKIP() << "this system offers no large pages";
    const std::size_t size = 8 * kLarge;

    // As the allocator hands out a block it maps for itself: its header before, and a little
    // left over after.
    char* base = AlignedBlock(size);
    ASSERT_NE(base, nullptr);
    base[0] = 1;
    char* block = base + 16;
    const std::size_t blockSize = size - 64;
    AdviseLargePages(block, blockSize);
    for (std::size_t i = 0; i < blockSize; i += 4096)
        block[i] = 2;
    const Mapping first = MappingAt(base);
    EXPECT_TRUE(first.advised);
    // The first large page, where the header was written before the advice, is had too, unless
    // the system cannot make it one at once; every other one is.
    EXPECT_GE(first.largeKb, static_cast<long>((size - kLarge) / 1024));
    EXPECT_TRUE(MappingAt(base + size - 1).advised);
    EXPECT_EQ(base[0], 1);
    EXPECT_EQ(block[0], 2);

    // Further into a large page, another allocation may own the memory before the block.
    char* other = AlignedBlock(size);
    ASSERT_NE(other, nullptr);
    char* later = other + 8192;
    AdviseLargePages(later, size - 8192);
    EXPECT_FALSE(MappingAt(other).advised);
    EXPECT_FALSE(MappingAt(later).advised);          // the rest of the large page it starts in
    EXPECT_TRUE(MappingAt(other + kLarge).advised);  // the large pages wholly within it

    // A block smaller than a large page is left alone.
    char* small = AlignedBlock(kLarge);
    ASSERT_NE(small, nullptr);
    AdviseLargePages(small, kLarge - 1);
    EXPECT_FALSE(MappingAt(small).advised);
}

TEST(LargePagesTest, RoomAskedForMakesTheAllocatorsMappingWholeLargePagesAndArraysKeepTheirItems)
{
    // The allocator's header and the block together fill whole large pages.
    for (std::size_t bytes : {kLarge, 5 * kLarge + 123, 7 * kLarge - 64, 7 * kLarge - 63}) {
        const std::size_t room = LargePageRoom(bytes);
        EXPECT_GE(room, bytes);
        EXPECT_EQ((room + 64) % kLarge, 0u) << bytes;
        EXPECT_LT(room - bytes, kLarge) << bytes;
    }
    EXPECT_EQ(LargePageRoom(kLarge - 1), kLarge - 1);

    std::vector<std::string> items;
    for (int i = 0; i < 1000; ++i)
        items.push_back("coin " + std::to_string(i) + std::string(40, 'x'));
    const std::vector<std::string> before = items;
    ReserveWithLargePages(items, 200000);
    EXPECT_GE(items.capacity(), 200000u);
    EXPECT_EQ(items, before);
    ReserveWithLargePages(items, 10);  // never shrinks
    EXPECT_GE(items.capacity(), 200000u);
}
