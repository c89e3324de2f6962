#include "records/CoinRecordBuilder.h"

#include <cstdint>
#include <cstring>

void CoinRecordBuilder::Set(CoinField field, std::string_view text)
{
    const int i = FieldIndex(field);
    // Most fields are short and replace a short one.
    if (text.size() < CoinRecord::kSharedFrom && !m_long[i]) {
        m_shortSize = m_shortSize - m_short[i].size() + text.size();
        m_short[i].assign(text);
        return;
    }
    const bool isLong = text.size() >= CoinRecord::kSharedFrom;
    const std::size_t shortSize = m_shortSize - m_short[i].size() + (isLong ? 0 : text.size());

    // Everything that may fail is done before the builder changes.
    std::shared_ptr<const std::string> longText;
    if (isLong) {
        longText = std::make_shared<const std::string>(text);
        m_short[i].clear();
    } else {
        m_short[i].assign(text);
    }
    m_longCount += (isLong ? 1 : 0) - (m_long[i] ? 1 : 0);
    m_long[i] = std::move(longText);
    m_shortSize = shortSize;
}

std::string_view CoinRecordBuilder::Get(CoinField field) const
{
    const int i = FieldIndex(field);
    return m_long[i] ? std::string_view(*m_long[i]) : std::string_view(m_short[i]);
}

CoinRecord CoinRecordBuilder::Build() const
{
    if (m_shortSize == 0)
        return BuildInto(nullptr, nullptr);
    std::shared_ptr<char[]> block = std::make_shared_for_overwrite<char[]>(m_shortSize);
    char* at = block.get();
    return BuildInto(at, std::move(block));
}

CoinRecord CoinRecordBuilder::BuildInto(char* at, std::shared_ptr<const void> owner) const
{
    CoinRecord::Ends ends;
    std::size_t end = 0;
    for (int i = 0; i < kCoinFieldCount; ++i) {
        const std::string& text = m_short[i];
        if (!text.empty())
            std::memcpy(at + end, text.data(), text.size());
        end += text.size();
        ends[i] = static_cast<std::uint16_t>(end);
    }
    return Assemble(at, std::move(owner), ends, m_longCount > 0 ? &m_long : nullptr);
}

CoinRecord CoinRecordBuilder::Assemble(const char* at, std::shared_ptr<const void> owner,
                                       const CoinRecord::Ends& ends, const LongTexts* longs)
{
    CoinRecord record;
    record.m_end = ends;
    if (ends[kCoinFieldCount - 1] > 0) {
        record.m_text = at;
        record.m_block = std::move(owner);
    }
    if (longs)
        record.m_long = std::make_unique<CoinRecord::LongTexts>(CoinRecord::LongTexts{*longs});
    return record;
}
