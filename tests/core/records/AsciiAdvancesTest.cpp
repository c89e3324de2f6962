// The sum of a text's advances, however it is summed, against adding them up one by one: texts
// of every length around the vector width, every byte below 0x80 and above it, and texts that
// end where the memory after them cannot be read.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <random>
#include <string>

#include "records/AsciiAdvances.h"

namespace {

long long Expected(const std::array<int, 128>& advances, std::string_view text)
{
    long long sum = 0;
    for (char ch : text)
        sum += advances[static_cast<unsigned char>(ch) & 0x7F];
    return sum;
}

std::array<int, 128> SomeAdvances(std::mt19937& random, int most)
{
    std::array<int, 128> advances{};
    std::uniform_int_distribution<int> advance(0, most);
    for (int& a : advances)
        a = advance(random);
    return advances;
}

}  // namespace

TEST(AsciiAdvances, SumsEveryLengthAndByteAsAddedOneByOne)
{
    std::mt19937 random(7);
    // 255 fits a byte and is summed in vectors where the processor can; 300 does not.
    for (const int most : {20, 255, 300}) {
        const std::array<int, 128> advances = SomeAdvances(random, most);
        for (const auto summing : {AsciiAdvances::Summing::Fastest, AsciiAdvances::Summing::ByteByByte}) {
            const AsciiAdvances sums(advances, summing);
            if (most > 255 || summing == AsciiAdvances::Summing::ByteByByte) {
                EXPECT_FALSE(sums.SumsInVectors());
            }
            std::uniform_int_distribution<int> byte(0, 255);
            for (std::size_t length = 0; length <= 200; ++length) {
                std::string text(length, '\0');
                for (char& ch : text)
                    ch = static_cast<char>(byte(random));
                // Summed from every offset of a larger text too, so that no alignment is assumed.
                const std::string around = "xy" + text + "z";
                EXPECT_EQ(sums.Width(text), Expected(advances, text)) << "length " << length << ", most " << most;
                EXPECT_EQ(sums.Width(std::string_view(around).substr(2, length)), Expected(advances, text));
            }
        }
    }
}

TEST(AsciiAdvances, ReadsNothingPastTheText)
{
    // A text that ends at the last byte before a page that may not be read.
    const long page = ::sysconf(_SC_PAGESIZE);
    void* mapped = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    auto* bytes = static_cast<char*>(mapped);
    ASSERT_EQ(::mprotect(bytes + page, page, PROT_NONE), 0);
    std::mt19937 random(11);
    const std::array<int, 128> advances = SomeAdvances(random, 12);
    const AsciiAdvances sums(advances);
    for (std::size_t length : {1, 5, 63, 64, 65, 130}) {
        char* text = bytes + page - length;
        for (std::size_t i = 0; i < length; ++i)
            text[i] = static_cast<char>('A' + i % 26);
        EXPECT_EQ(sums.Width(std::string_view(text, length)), Expected(advances, std::string_view(text, length)));
    }
    ::munmap(mapped, 2 * page);
}
