#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// A quick hash of a text from its size and its first and last eight bytes, for small tables
// that remember texts just seen: a poor hash there only costs a text looked at again.
inline std::size_t QuickHash(std::string_view text)
{
    std::uint64_t head = 0, tail = 0;
    if (text.size() >= 8) {
        std::memcpy(&head, text.data(), 8);
        std::memcpy(&tail, text.data() + text.size() - 8, 8);
    } else if (!text.empty()) {
        std::memcpy(&head, text.data(), text.size());
    }
    // Texts that differ only at their end ("2 Euro", "5 Euro") differ in the high bits of the
    // words alone: mixed so that every bit of the result, the low ones that a small table
    // takes included, depends on every byte.
    std::uint64_t mixed = head ^ (tail * 0x9E3779B97F4A7C15ULL) ^ text.size();
    mixed ^= mixed >> 33;
    mixed *= 0xFF51AFD7ED558CCDULL;
    mixed ^= mixed >> 33;
    mixed *= 0xC4CEB9FE1A85EC53ULL;
    mixed ^= mixed >> 33;
    return static_cast<std::size_t>(mixed);
}
