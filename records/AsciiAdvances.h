#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The advances of the 128 characters of ASCII in some font, and the width of a text of ASCII
// alone as the sum of its bytes' advances, which is what measuring the list's columns does for
// nearly every text. Where the processor can look up 64 bytes at once in a table of 128, a
// text is summed 64 bytes at a time; otherwise a byte at a time.
class AsciiAdvances {
public:
    enum class Summing { Fastest, ByteByByte };

    AsciiAdvances() = default;
    explicit AsciiAdvances(const std::array<int, 128>& advances, Summing summing = Summing::Fastest);

    // The sum of the advances of the text's bytes, each byte taken without its high bit.
    long long Width(std::string_view text) const;

    // Whether Width sums 64 bytes at a time on this processor.
    bool SumsInVectors() const { return m_vectors; }

private:
    std::array<int, 128> m_advances{};
    alignas(64) std::array<std::uint8_t, 128> m_bytes{};  // the same, where every advance fits a byte
    bool m_vectors = false;
};
