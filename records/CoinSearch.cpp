#include "records/CoinSearch.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "records/CaseFold.h"
#include "records/Utf8.h"

namespace {

// The UTF-8 bytes of every character that folds to `c` (c itself included when it is its
// own fold). Only ASCII letters and two-byte characters are folded, so the others match only
// themselves.
std::vector<std::string> Unfolded(char32_t c)
{
    std::vector<std::string> forms;
    const auto add = [&](char32_t u) {
        std::string bytes;
        AppendUtf8(bytes, u);
        forms.push_back(bytes);
    };
    if (c < 0x80) {
        add(c);
        if (c >= U'a' && c <= U'z')
            add(c - 32);
    } else if (c < 0x800) {
        for (char32_t u = 0x80; u < 0x800; ++u) {
            if (FoldCharacter(u) == c)
                add(u);
        }
    } else {
        add(c);
    }
    return forms;
}

// Fills `bytes` (and the table) with the distinct values in `values`, repeating the first to
// fill the four places. False when there are more than four.
bool FillByteSet(const std::vector<std::uint8_t>& values, std::array<std::uint8_t, 4>& bytes,
                 std::array<bool, 256>& table)
{
    std::vector<std::uint8_t> distinct;
    for (std::uint8_t v : values) {
        if (std::find(distinct.begin(), distinct.end(), v) == distinct.end())
            distinct.push_back(v);
    }
    if (distinct.empty() || distinct.size() > bytes.size())
        return false;
    for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = distinct[std::min(k, distinct.size() - 1)];
    for (std::uint8_t v : distinct)
        table[v] = true;
    return true;
}

}  // namespace

CoinSearch::CoinSearch(std::string_view text) : m_folded(FoldCase(text))
{
    if (m_folded.empty())
        return;
    // The characters of the folded text that hold its first and its last byte, and the bytes
    // a text may have there.
    std::vector<std::uint8_t> first, last;
    std::size_t i = 0;
    while (i < m_folded.size()) {
        std::size_t length = 0;
        const char32_t c = DecodeUtf8(m_folded, i, length);
        const bool isFirst = i == 0;
        const bool isLast = i + length == m_folded.size();
        if (isFirst || isLast) {
            if (c == 0xFFFD && length == 1) {
                // A byte that is not UTF-8 matches only itself.
                const auto byte = static_cast<std::uint8_t>(m_folded[i]);
                if (isFirst)
                    first.push_back(byte);
                if (isLast)
                    last.push_back(byte);
            } else {
                for (const std::string& form : Unfolded(c)) {
                    if (form.size() != length)
                        continue;
                    if (isFirst)
                        first.push_back(static_cast<std::uint8_t>(form.front()));
                    if (isLast)
                        last.push_back(static_cast<std::uint8_t>(form.back()));
                }
                if (isFirst)
                    first.push_back(static_cast<std::uint8_t>(m_folded[i]));
                if (isLast)
                    last.push_back(static_cast<std::uint8_t>(m_folded[i + length - 1]));
            }
        }
        i += length;
    }
    m_byteSetsFit = FillByteSet(first, m_firstBytes, m_isFirst) &&
                    FillByteSet(last, m_lastBytes, m_isLast);
    if (!m_byteSetsFit) {
        m_isFirst.fill(true);
        m_isLast.fill(true);
    }
}

bool CoinSearch::MatchesAt(std::string_view text, std::size_t at) const
{
    // Fold the text from `at` a character at a time, as FoldCase does, and compare.
    std::size_t i = at, k = 0;
    const std::size_t n = m_folded.size();
    char folded[4];
    while (k < n) {
        if (i >= text.size())
            return false;
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            if (static_cast<unsigned char>(m_folded[k]) != (b >= 'A' && b <= 'Z' ? b + 32 : b))
                return false;
            ++i;
            ++k;
            continue;
        }
        std::size_t length = 0;
        const char32_t c = DecodeUtf8(text, i, length);
        std::string_view form;
        if (c == 0xFFFD && length == 1) {
            form = text.substr(i, 1);
        } else if (c >= 0x80 && c < 0x800) {
            const char32_t f = FoldCharacter(c);
            folded[0] = static_cast<char>(0xC0 | (f >> 6));
            folded[1] = static_cast<char>(0x80 | (f & 0x3F));
            form = std::string_view(folded, 2);
        } else {
            form = text.substr(i, length);
        }
        if (k + form.size() > n || std::memcmp(m_folded.data() + k, form.data(), form.size()) != 0)
            return false;
        i += length;
        k += form.size();
    }
    return true;
}

std::size_t CoinSearch::FindIn(std::string_view text, std::size_t from) const
{
    const std::size_t n = m_folded.size();
    if (n == 0 || text.size() < n)
        return std::string_view::npos;
    const std::size_t lastStart = text.size() - n;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t p = from;
#if defined(__SSE2__)
    // Sixteen candidate places at a time: those whose first byte and last byte can belong to
    // a match. Only they are folded and compared.
    const __m128i f0 = _mm_set1_epi8(static_cast<char>(m_firstBytes[0]));
    const __m128i f1 = _mm_set1_epi8(static_cast<char>(m_firstBytes[1]));
    const __m128i f2 = _mm_set1_epi8(static_cast<char>(m_firstBytes[2]));
    const __m128i f3 = _mm_set1_epi8(static_cast<char>(m_firstBytes[3]));
    const __m128i l0 = _mm_set1_epi8(static_cast<char>(m_lastBytes[0]));
    const __m128i l1 = _mm_set1_epi8(static_cast<char>(m_lastBytes[1]));
    const __m128i l2 = _mm_set1_epi8(static_cast<char>(m_lastBytes[2]));
    const __m128i l3 = _mm_set1_epi8(static_cast<char>(m_lastBytes[3]));
    if (m_byteSetsFit) {
        while (p + 16 <= lastStart + 1) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p));
            const __m128i z =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p + n - 1));
            const __m128i firstHit =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(a, f0), _mm_cmpeq_epi8(a, f1)),
                             _mm_or_si128(_mm_cmpeq_epi8(a, f2), _mm_cmpeq_epi8(a, f3)));
            const __m128i lastHit =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(z, l0), _mm_cmpeq_epi8(z, l1)),
                             _mm_or_si128(_mm_cmpeq_epi8(z, l2), _mm_cmpeq_epi8(z, l3)));
            auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(firstHit, lastHit)));
            while (mask != 0) {
                const std::size_t at = p + static_cast<std::size_t>(__builtin_ctz(mask));
                if (MatchesAt(text, at))
                    return at;
                mask &= mask - 1;
            }
            p += 16;
        }
    }
#endif
    for (; p <= lastStart; ++p) {
        if (m_isFirst[bytes[p]] && m_isLast[bytes[p + n - 1]] && MatchesAt(text, p))
            return p;
    }
    return std::string_view::npos;
}

bool CoinSearch::MatchesText(std::string_view text) const
{
    return FindIn(text, 0) != std::string_view::npos;
}

bool CoinSearch::Matches(const CoinRecord& record) const
{
    if (m_folded.empty() || record.TextSize() < m_folded.size())
        return false;
    // The fields lie one after the other in the record's text: scan it in one piece, and
    // accept a place only when the match lies inside one field.
    const std::string_view first = record.Get(CoinField::Name);
    const std::string_view last = record.Get(CoinField::Description);
    if (last.data() + last.size() != first.data() + record.TextSize()) {
        for (CoinField field : kCoinFields) {
            if (MatchesText(record.Get(field)))
                return true;
        }
        return false;
    }
    const std::string_view whole(first.data(), record.TextSize());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = FindIn(whole, from);
        if (at == std::string_view::npos)
            return false;
        for (CoinField field : kCoinFields) {
            const std::string_view text = record.Get(field);
            const auto begin = static_cast<std::size_t>(text.data() - whole.data());
            if (at >= begin && at < begin + text.size()) {
                if (at + m_folded.size() <= begin + text.size())
                    return true;
                break;  // runs on into the next field: look further
            }
        }
        from = at + 1;
    }
}

std::vector<int> MatchingRows(const Collection& collection, const CoinSearch& search)
{
    std::vector<int> rows;
    if (search.Empty())
        return rows;
    for (int row = 0; row < collection.Count(); ++row) {
        if (search.Matches(collection.Row(row)))
            rows.push_back(row);
    }
    return rows;
}

namespace {

// The result for matches[index], or an empty result when there are no matches.
FindResult ResultAt(const std::vector<int>& matches, std::size_t index)
{
    FindResult result;
    result.count = static_cast<int>(matches.size());
    if (matches.empty())
        return result;
    result.row = matches[index];
    result.ordinal = static_cast<int>(index) + 1;
    return result;
}

}  // namespace

FindResult FindNext(const Collection& collection, const CoinSearch& search, int row)
{
    const std::vector<int> matches = MatchingRows(collection, search);
    const auto below = std::upper_bound(matches.begin(), matches.end(), row);
    const auto index = below == matches.end() ? 0 : below - matches.begin();
    return ResultAt(matches, static_cast<std::size_t>(index));
}

FindResult FindPrevious(const Collection& collection, const CoinSearch& search, int row)
{
    const std::vector<int> matches = MatchingRows(collection, search);
    const auto above = std::lower_bound(matches.begin(), matches.end(), row);
    if (above == matches.begin())  // none above: wrap to the last, if any
        return ResultAt(matches, matches.empty() ? 0 : matches.size() - 1);
    return ResultAt(matches, static_cast<std::size_t>(above - matches.begin() - 1));
}

FindResult MatchPosition(const Collection& collection, const CoinSearch& search, int row)
{
    const std::vector<int> matches = MatchingRows(collection, search);
    FindResult result;
    result.row = row;
    result.count = static_cast<int>(matches.size());
    const auto at = std::lower_bound(matches.begin(), matches.end(), row);
    if (at != matches.end() && *at == row)
        result.ordinal = static_cast<int>(at - matches.begin()) + 1;
    return result;
}
