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

std::string_view CoinRecord::Get(CoinField field) const
{
    const int i = FieldIndex(field);
    const std::uint32_t begin = i == 0 ? 0 : m_end[i - 1];
    return std::string_view(m_text).substr(begin, m_end[i] - begin);
}

void CoinRecord::Set(CoinField field, std::string_view text)
{
    const int i = FieldIndex(field);
    const std::uint32_t begin = i == 0 ? 0 : m_end[i - 1];
    const std::uint32_t oldSize = m_end[i] - begin;
    if (m_text.size() - oldSize + text.size() > UINT32_MAX)
        throw std::length_error("a coin record holds at most 4 GiB of text");
    m_text.replace(begin, oldSize, text);
    const auto newSize = static_cast<std::uint32_t>(text.size());
    for (int j = i; j < kCoinFieldCount; ++j)
        m_end[j] = m_end[j] - oldSize + newSize;
}
