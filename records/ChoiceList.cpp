#include "records/ChoiceList.h"

#include <algorithm>

#include "records/Utf8.h"

namespace {

char32_t LowerCase(char32_t c)
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

}  // namespace

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
            AppendUtf8(out, LowerCase(c));  // every letter folded here has a two-byte form
        else
            out.append(text, i, length);
        i += length;
    }
    return out;
}

bool ChoiceLess(std::string_view a, std::string_view b)
{
    const std::string fa = FoldCase(a);
    const std::string fb = FoldCase(b);
    if (fa != fb)
        return fa < fb;
    return a < b;
}

int ChoiceList::Add(std::string_view value)
{
    if (value.empty() || !m_folded.insert(FoldCase(value)).second)
        return -1;
    const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), value,
                                     [](std::string_view v, const std::string& e) {
                                         return ChoiceLess(v, e);
                                     });
    const auto index = at - m_entries.begin();
    m_entries.insert(at, std::string(value));
    return static_cast<int>(index);
}

void ChoiceList::AddAll(const std::vector<std::string_view>& values)
{
    bool added = false;
    for (std::string_view value : values) {
        if (value.empty() || !m_folded.insert(FoldCase(value)).second)
            continue;
        m_entries.emplace_back(value);
        added = true;
    }
    if (!added)
        return;
    // Sort on precomputed keys: folding inside every comparison would repeat the work.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(m_entries.size());
    for (std::string& e : m_entries)
        keyed.emplace_back(FoldCase(e), std::move(e));
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        m_entries[i] = std::move(keyed[i].second);
}

bool ChoiceList::Contains(std::string_view value) const
{
    return m_folded.count(FoldCase(value)) != 0;
}
