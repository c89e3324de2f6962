#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The thirteen fields of one coin, in the order of the list's columns, of the data file's keys
// and of every loop over fields. No field is ever parsed as a number or a date.
enum class CoinField : int {
    Name,
    Year,
    FaceValue,
    Country,
    MintMarks,
    Condition,
    PurchasePrice,
    PurchaseDate,
    CurrentValue,
    ValuationDate,
    Category,
    Image,
    Description,
};

inline constexpr int kCoinFieldCount = 13;

inline constexpr std::array<CoinField, kCoinFieldCount> kCoinFields = {
    CoinField::Name,          CoinField::Year,         CoinField::FaceValue,
    CoinField::Country,       CoinField::MintMarks,    CoinField::Condition,
    CoinField::PurchasePrice, CoinField::PurchaseDate, CoinField::CurrentValue,
    CoinField::ValuationDate, CoinField::Category,     CoinField::Image,
    CoinField::Description,
};

inline constexpr int FieldIndex(CoinField field) { return static_cast<int>(field); }

// The list's column heading of a field ("Face Value").
std::string_view ColumnHeading(CoinField field);

// The data file's key of a field ("FACEVALUE").
std::string_view DataFileKey(CoinField field);

// No key is longer ("PURCHASEPRICE", "VALUATIONDATE").
inline constexpr std::size_t kLongestDataFileKey = 13;

// One coin: thirteen free texts of any length and any characters (UTF-8 by convention, but
// any bytes are kept as they are). A record's short texts lie packed one after the other in a
// block of memory that copies of the record share and that no record ever changes: setting a
// field makes a new block. A block may also be part of a larger one shared by many records,
// such as the text of the file they were read from, so that a million coins read from a file
// cost no allocation each. Long texts are kept apart and shared by the copies of a record, so
// that a long Description carried from record to record while a file is read costs its size
// once, not once per record. Each short text is under kSharedFrom bytes, so the thirteen of
// them together fit in 16-bit offsets, which keeps a record to 64 bytes.
class CoinRecord {
    struct LongTexts {
        std::array<std::shared_ptr<const std::string>, kCoinFieldCount> texts;
    };

public:
    CoinRecord() = default;
    CoinRecord(const CoinRecord& other);
    CoinRecord(CoinRecord&& other) noexcept;
    CoinRecord& operator=(const CoinRecord& other);
    CoinRecord& operator=(CoinRecord&& other) noexcept;
    ~CoinRecord() = default;

    // A record from up to thirteen texts in field order; missing ones are empty.
    static CoinRecord FromTexts(std::initializer_list<std::string_view> texts);

    std::string_view Get(CoinField field) const
    {
        const int i = FieldIndex(field);
        if (m_long && m_long->texts[i]) [[unlikely]]
            return *m_long->texts[i];
        const std::uint16_t begin = i == 0 ? 0 : m_end[i - 1];
        if (begin == m_end[i])
            return {};
        return std::string_view(m_text + begin, m_end[i] - begin);
    }

    void Set(CoinField field, std::string_view text);

    // Total bytes of text over all fields.
    std::size_t TextSize() const;

    // The texts shorter than kSharedFrom, one after another in field order; the longer ones lie
    // elsewhere.
    std::string_view ShortTexts() const { return {m_text, m_end[kCoinFieldCount - 1]}; }

    // The fields that hold a byte of 0x80 or above, one bit each (bit FieldIndex): 0 for a
    // record of ASCII alone. Reads the short texts, which lie together, in one pass rather
    // than field by field.
    std::uint32_t NonAsciiFields() const;

    // Equal when every field holds the same text.
    friend bool operator==(const CoinRecord& a, const CoinRecord& b);

    // Texts of at least this many bytes are kept apart and shared between copies.
    static constexpr std::size_t kSharedFrom = 4096;

    // The end offsets of the short texts, each at most the sum of all of them.
    using Ends = std::array<std::uint16_t, kCoinFieldCount>;
    static_assert(kCoinFieldCount * (kSharedFrom - 1) <= UINT16_MAX);

private:
    friend class CoinRecordBuilder;

    const char* m_text = nullptr;         // the packed short texts
    std::shared_ptr<const void> m_block;  // keeps m_text's memory alive
    std::unique_ptr<LongTexts> m_long;    // null when no field is long
    Ends m_end{};                         // end offset of each field in m_text
};
