#include "records/CoinSearch.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define NUMORA_SEARCH_X86 1
#include <immintrin.h>
#endif

#include "records/CaseFold.h"
#include "records/Utf8.h"
#include "resources/FixedStrings.h"

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

// Marks the distinct bytes in `values` in the table, and sets `mask` and `value` so that every
// one of them passes (byte | mask) == value: the bits in which they differ are masked. Bytes
// that differ in other bits may pass too; the filter only has to let every match through.
void MakeByteFilter(const std::vector<std::uint8_t>& values, std::array<bool, 256>& table,
                    std::uint8_t& mask, std::uint8_t& value)
{
    mask = 0;
    for (std::uint8_t v : values) {
        table[v] = true;
        mask = static_cast<std::uint8_t>(mask | (v ^ values.front()));
    }
    value = static_cast<std::uint8_t>(values.front() | mask);
}

#if defined(NUMORA_SEARCH_X86)

// The places from `p` to `lastStart` whose first and last byte pass the filter, each checked
// with `verify`, sixteen places at a time; the last block ends at the last place and overlaps
// the one before it, so that no place is left for a slower loop. Returns the first place
// verified, or npos; `p` is left at the first place not scanned, which is `p` itself when
// there are fewer than sixteen places.
template <typename Verify>
std::size_t ScanSse2(const unsigned char* bytes, std::size_t& p, std::size_t lastStart,
                     std::size_t n, const BlockFilter& filter, const Verify& verify)
{
    if (p > lastStart || lastStart + 1 < 16)
        return std::string_view::npos;
    const __m128i firstMask = _mm_set1_epi8(static_cast<char>(filter.firstMask));
    const __m128i firstValue = _mm_set1_epi8(static_cast<char>(filter.firstValue));
    const __m128i lastMask = _mm_set1_epi8(static_cast<char>(filter.lastMask));
    const __m128i lastValue = _mm_set1_epi8(static_cast<char>(filter.lastValue));
    while (p <= lastStart) {
        std::size_t q = p;
        unsigned skip = 0;
        if (p + 16 > lastStart + 1) {
            q = lastStart + 1 - 16;
            skip = static_cast<unsigned>(p - q);  // places the block before scanned already
        }
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + q));
        const __m128i z = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + q + n - 1));
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, firstMask), firstValue),
                                          _mm_cmpeq_epi8(_mm_or_si128(z, lastMask), lastValue));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit)) & (0xFFFFu << skip);
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t at = q + static_cast<std::size_t>(__builtin_ctz(mask));
            if (verify(at))
                return at;
        }
        p = q + 16;
    }
    return std::string_view::npos;
}

#endif

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
    MakeByteFilter(first, m_isFirst, m_filter.firstMask, m_filter.firstValue);
    MakeByteFilter(last, m_isLast, m_filter.lastMask, m_filter.lastValue);
    // A filter that lets half of all bytes through is slower than none.
    m_filter.usable = std::popcount(m_filter.firstMask) + std::popcount(m_filter.lastMask) < 6;
}

bool CoinSearch::MatchesAt(std::string_view text, std::size_t at) const
{
    // Fold the text from `at` a character at a time, as FoldCase does, and compare.
    std::size_t i = at, k = 0;
    const std::size_t n = m_folded.size();
    char folded[2];  // a folded two-byte letter
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
    const auto verify = [&](std::size_t at) { return MatchesAt(text, at); };
#if defined(NUMORA_SEARCH_X86)
    if (m_filter.usable) {
        const std::size_t at = ScanSse2(bytes, p, lastStart, n, m_filter, verify);
        if (at != std::string_view::npos)
            return at;
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
    // The records are read in the order they lie in memory (bottom row first), and the text of
    // a record a few places ahead is fetched while this one is scanned: a million texts lie
    // in a million heap blocks, and waiting for each in turn would take most of the time.
    const std::vector<CoinRecord>& records = collection.BottomUp();
    constexpr std::size_t kAhead = 8;
    for (std::size_t slot = 0; slot < records.size(); ++slot) {
        if (slot + kAhead < records.size()) {
            const CoinRecord& ahead = records[slot + kAhead];
            const char* text = ahead.Get(CoinField::Name).data();
            for (std::size_t offset = 0; offset < ahead.TextSize(); offset += 64)
                __builtin_prefetch(text + offset);
        }
        if (search.Matches(records[slot]))
            rows.push_back(collection.Count() - 1 - static_cast<int>(slot));
    }
    std::reverse(rows.begin(), rows.end());
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

std::string MatchText(const CoinSearch& search, const FindResult& result)
{
    if (search.Empty())
        return {};
    if (result.count == 0)
        return std::string(strings::kNoMatch);
    if (result.ordinal > 0)
        return strings::Fill(strings::kMatchOfCount, {std::to_string(result.ordinal), std::to_string(result.count)});
    return result.count == 1 ? std::string(strings::kOneMatch) : strings::Fill(strings::kMatches, {std::to_string(result.count)});
}
