#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "records/CoinRecord.h"

// Makes records of fields set one at a time, as a file is read: a field keeps its text until
// it is set again, so that each record made takes the fields it was not given from the record
// before it. Each record's short texts are packed with one allocation; a long text is kept once
// and shared by every record made while it is set. Assemble makes a record of texts that a
// reader has packed itself.
class CoinRecordBuilder {
public:
    void Set(CoinField field, std::string_view text);
    std::string_view Get(CoinField field) const;

    // A record of the fields as they are now.
    CoinRecord Build() const;

    // The long texts of a record, by field; null for a short one.
    using LongTexts = std::array<std::shared_ptr<const std::string>, kCoinFieldCount>;

    // A record of short texts packed at `at` in field order, field i ending at `ends[i]`, in
    // memory that `owner` keeps alive and that nothing changes while the record or a copy of it
    // exists, and of the long texts of `longs` (null where none is long).
    static CoinRecord Assemble(const char* at, std::shared_ptr<const void> owner,
                               const CoinRecord::Ends& ends, const LongTexts* longs);

private:
    // The record with its short texts packed at `at`, m_shortSize bytes of memory that `owner`
    // keeps alive.
    CoinRecord BuildInto(char* at, std::shared_ptr<const void> owner) const;

    std::array<std::string, kCoinFieldCount> m_short;
    std::array<std::shared_ptr<const std::string>, kCoinFieldCount> m_long;
    std::size_t m_shortSize = 0;  // bytes of all short texts
    int m_longCount = 0;
};
