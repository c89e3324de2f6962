#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// UTF-8 one character at a time, for the few places that look at characters rather than bytes.

// Whether every byte of a text is below 0x80, looked at a word at a time.
inline bool HasOnlyAscii(std::string_view text)
{
    std::uint64_t bits = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        bits |= word;
    }
    for (; i < text.size(); ++i)
        bits |= static_cast<unsigned char>(text[i]);
    return (bits & 0x8080808080808080ULL) == 0;
}

// Appends the UTF-8 form of a code point.
inline void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character that starts at `text[i]`, and the number of bytes it takes in `length`. A byte
// that does not start a complete sequence is U+FFFD, one byte long. Sequences are not checked
// further: the texts come from files already decoded into valid UTF-8.
inline char32_t DecodeUtf8(std::string_view text, std::size_t i, std::size_t& length)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char b0 = byte(0);
    const std::size_t left = text.size() - i;
    length = 1;
    if (b0 < 0x80)
        return b0;
    if ((b0 & 0xE0) == 0xC0 && left >= 2) {
        length = 2;
        return (char32_t(b0 & 0x1F) << 6) | (byte(1) & 0x3F);
    }
    if ((b0 & 0xF0) == 0xE0 && left >= 3) {
        length = 3;
        return (char32_t(b0 & 0x0F) << 12) | (char32_t(byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    }
    if ((b0 & 0xF8) == 0xF0 && left >= 4) {
        length = 4;
        return (char32_t(b0 & 0x07) << 18) | (char32_t(byte(1) & 0x3F) << 12) |
               (char32_t(byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    }
    return 0xFFFD;
}
