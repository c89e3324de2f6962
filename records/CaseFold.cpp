#include "records/CaseFold.h"

#include "records/Utf8.h"

char32_t FoldCharacter(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
        return c + 32;
    if (c < 0xC0)
        return c;
    if (c <= 0xDE)
        return c == 0xD7 ? c : c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        if ((c <= 0x137 || (c >= 0x14A && c <= 0x177)) && c % 2 == 0)
            return c + 1;
        if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1)
            return c + 1;
        if (c == 0x178)
            return 0xFF;
        return c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 32;
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return c + 37;
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return c + 63;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

std::string FoldCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            out += static_cast<char>(b0 >= 'A' && b0 <= 'Z' ? b0 + 32 : b0);
            ++i;
            continue;
        }
        std::size_t length = 0;
        const char32_t c = DecodeUtf8(text, i, length);
        if (c == 0xFFFD && length == 1)
            out += text[i];  // not a character: kept as the byte it is
        else if (c >= 0x80 && c < 0x800)
            AppendUtf8(out, FoldCharacter(c));  // every letter folded here has a two-byte form
        else
            out.append(text, i, length);
        i += length;
    }
    return out;
}
