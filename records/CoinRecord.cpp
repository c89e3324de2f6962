#include "records/CoinRecord.h"

#include <cstring>
#include <iterator>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "records/CoinRecordBuilder.h"
#include "records/Utf8.h"
#include "resources/FixedStrings.h"

namespace {

static_assert(std::size(strings::kColumnHeadings) == kCoinFieldCount);

// A million records are a million times this: the offsets are kept small so that it stays a
// cache line.
static_assert(sizeof(CoinRecord) <= 64);

constexpr std::array<std::string_view, kCoinFieldCount> kKeys = {
    "NAME",          "YEAR",          "FACEVALUE",     "COUNTRY",      "MINTMARKS",
    "CONDITION",     "PURCHASEPRICE", "PURCHASEDATE",  "CURRENTVALUE", "VALUATIONDATE",
    "CATEGORY",      "IMAGE",         "DESCRIPTION",
};

constexpr bool KeysFit()
{
    for (std::string_view key : kKeys) {
        if (key.size() > kLongestDataFileKey)
            return false;
    }
    return true;
}
static_assert(KeysFit());

}  // namespace

std::string_view ColumnHeading(CoinField field) { return strings::kColumnHeadings[FieldIndex(field)]; }

std::string_view DataFileKey(CoinField field) { return kKeys[FieldIndex(field)]; }

CoinRecord CoinRecord::FromTexts(std::initializer_list<std::string_view> texts)
{
    CoinRecordBuilder builder;
    int i = 0;
    for (std::string_view text : texts) {
        if (i == kCoinFieldCount)
            break;
        builder.Set(kCoinFields[i++], text);
    }
    return builder.Build();
}

CoinRecord::CoinRecord(const CoinRecord& other)
    : m_text(other.m_text),
      m_block(other.m_block),
      m_long(other.m_long ? std::make_unique<LongTexts>(*other.m_long) : nullptr),
      m_end(other.m_end)
{
}

// A record moved from is left empty, not pointing into the block it gave away.
CoinRecord::CoinRecord(CoinRecord&& other) noexcept
    : m_text(std::exchange(other.m_text, nullptr)),
      m_block(std::move(other.m_block)),
      m_long(std::move(other.m_long)),
      m_end(std::exchange(other.m_end, {}))
{
}

CoinRecord& CoinRecord::operator=(CoinRecord&& other) noexcept
{
    if (this != &other) {
        m_text = std::exchange(other.m_text, nullptr);
        m_block = std::move(other.m_block);
        m_end = std::exchange(other.m_end, {});
        m_long = std::move(other.m_long);
    }
    return *this;
}

CoinRecord& CoinRecord::operator=(const CoinRecord& other)
{
    if (this != &other) {
        CoinRecord copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void CoinRecord::Set(CoinField field, std::string_view text)
{
    const int i = FieldIndex(field);
    const std::size_t begin = i == 0 ? 0 : m_end[i - 1];
    const std::size_t oldSize = m_end[i] - begin;
    const std::size_t total = m_end[kCoinFieldCount - 1];
    const bool isLong = text.size() >= kSharedFrom;
    const std::size_t packedSize = isLong ? 0 : text.size();

    // Everything that may fail is done before the record changes. The block is shared with
    // copies of the record, so the texts are packed into a new one; `text` may lie in the old.
    std::shared_ptr<const std::string> longText;
    if (isLong) {
        longText = std::make_shared<const std::string>(text);
        if (!m_long)
            m_long = std::make_unique<LongTexts>();
    }
    const std::size_t newTotal = total - oldSize + packedSize;
    std::shared_ptr<char[]> block;
    if (newTotal > 0) {
        block = std::make_shared_for_overwrite<char[]>(newTotal);
        char* out = block.get();
        if (begin > 0)
            std::memcpy(out, m_text, begin);
        if (packedSize > 0)
            std::memcpy(out + begin, text.data(), packedSize);
        if (total > m_end[i])
            std::memcpy(out + begin + packedSize, m_text + m_end[i], total - m_end[i]);
    }
    m_text = block.get();
    m_block = std::move(block);
    if (m_long)
        m_long->texts[i] = std::move(longText);
    for (int j = i; j < kCoinFieldCount; ++j)
        m_end[j] = static_cast<std::uint16_t>(m_end[j] - oldSize + packedSize);
}

std::size_t CoinRecord::TextSize() const
{
    std::size_t size = m_end[kCoinFieldCount - 1];
    if (m_long) {
        for (const auto& text : m_long->texts)
            size += text ? text->size() : 0;
    }
    return size;
}

std::uint32_t CoinRecord::NonAsciiFields() const
{
    std::uint32_t fields = 0;
    const std::size_t total = m_end[kCoinFieldCount - 1];
    // Most records hold ASCII alone, and in the others a byte above it is rare: the texts are
    // looked at sixteen bytes at a time, and only where such a byte lies is its field looked
    // for, the rest of that field then skipped.
    std::size_t at = 0;
    int field = 0;
    const auto markFrom = [&](std::size_t place) {
        while (m_end[field] <= place)
            ++field;
        fields |= std::uint32_t{1} << field;
        return static_cast<std::size_t>(m_end[field]);
    };
#if defined(__SSE2__)
    while (at + 16 <= total) {
        const auto high = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m_text + at))));
        if (high == 0) {
            at += 16;
            continue;
        }
        at = markFrom(at + static_cast<std::size_t>(__builtin_ctz(high)));
    }
#endif
    while (at < total) {
        if (static_cast<unsigned char>(m_text[at]) >= 0x80)
            at = markFrom(at);
        else
            ++at;
    }
    if (m_long) {
        for (int i = 0; i < kCoinFieldCount; ++i) {
            if (m_long->texts[i] && !HasOnlyAscii(*m_long->texts[i]))
                fields |= std::uint32_t{1} << i;
        }
    }
    return fields;
}

bool operator==(const CoinRecord& a, const CoinRecord& b)
{
    for (CoinField field : kCoinFields) {
        if (a.Get(field) != b.Get(field))
            return false;
    }
    return true;
}
