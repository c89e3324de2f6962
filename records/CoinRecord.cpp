#include "records/CoinRecord.h"

#include <stdexcept>

namespace {

constexpr std::array<std::string_view, kCoinFieldCount> kHeadings = {
    "Name",          "Year",          "Face Value", "Country", "Mint Marks",
    "Condition",     "Purchase Price", "Purchase Date", "Current Value", "Valuation Date",
    "Category",      "Image",         "Description",
};

constexpr std::array<std::string_view, kCoinFieldCount> kKeys = {
    "NAME",          "YEAR",          "FACEVALUE",     "COUNTRY",      "MINTMARKS",
    "CONDITION",     "PURCHASEPRICE", "PURCHASEDATE",  "CURRENTVALUE", "VALUATIONDATE",
    "CATEGORY",      "IMAGE",         "DESCRIPTION",
};

}  // namespace

std::string_view ColumnHeading(CoinField field) { return kHeadings[FieldIndex(field)]; }

std::string_view DataFileKey(CoinField field) { return kKeys[FieldIndex(field)]; }

CoinRecord CoinRecord::FromTexts(std::initializer_list<std::string_view> texts)
{
    CoinRecord record;
    int i = 0;
    for (std::string_view text : texts) {
        if (i == kCoinFieldCount)
            break;
        record.Set(kCoinFields[i++], text);
    }
    return record;
}

CoinRecord::CoinRecord(const CoinRecord& other)
    : m_text(other.m_text),
      m_end(other.m_end),
      m_long(other.m_long ? std::make_unique<LongTexts>(*other.m_long) : nullptr)
{
}

CoinRecord& CoinRecord::operator=(const CoinRecord& other)
{
    if (this != &other) {
        CoinRecord copy(other);
        *this = std::move(copy);
    }
    return *this;
}

std::string_view CoinRecord::Get(CoinField field) const
{
    const int i = FieldIndex(field);
    if (m_long && m_long->texts[i])
        return *m_long->texts[i];
    const std::uint32_t begin = i == 0 ? 0 : m_end[i - 1];
    return std::string_view(m_text).substr(begin, m_end[i] - begin);
}

void CoinRecord::Set(CoinField field, std::string_view text)
{
    const int i = FieldIndex(field);
    const std::uint32_t begin = i == 0 ? 0 : m_end[i - 1];
    const std::uint32_t oldSize = m_end[i] - begin;
    const bool isLong = text.size() >= kSharedFrom;
    const std::size_t packedSize = isLong ? 0 : text.size();
    if (m_text.size() - oldSize + packedSize > UINT32_MAX)
        throw std::length_error("a coin record holds at most 4 GiB of text");

    // Everything that may fail is done before the record changes.
    std::shared_ptr<const std::string> longText;
    if (isLong) {
        longText = std::make_shared<const std::string>(text);
        if (!m_long)
            m_long = std::make_unique<LongTexts>();
    }
    m_text.replace(begin, oldSize, text.substr(0, packedSize));
    if (m_long)
        m_long->texts[i] = std::move(longText);
    const auto newSize = static_cast<std::uint32_t>(packedSize);
    for (int j = i; j < kCoinFieldCount; ++j)
        m_end[j] = m_end[j] - oldSize + newSize;
}

std::size_t CoinRecord::TextSize() const
{
    std::size_t size = m_text.size();
    if (m_long) {
        for (const auto& text : m_long->texts)
            size += text ? text->size() : 0;
    }
    return size;
}

bool operator==(const CoinRecord& a, const CoinRecord& b)
{
    for (CoinField field : kCoinFields) {
        if (a.Get(field) != b.Get(field))
            return false;
    }
    return true;
}
