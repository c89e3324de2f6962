// Reading the data file: its pairs made into records, each value copied once from the file's
// text to where the record keeps it, and the count of a file's coins without making them.

#include "storage/DataFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>

#include "records/CoinRecordBuilder.h"
#include "records/LargePages.h"
#include "resources/FixedStrings.h"
#include "storage/FileStamp.h"
#include "storage/KeyValueText.h"

namespace {

// Whether the first and the last `sizeof(Word)` bytes of two texts of `n` bytes are the same:
// all of them, for n up to twice that.
template <class Word>
bool SameEnds(const char* a, const char* b, std::size_t n)
{
    Word a1, a2, b1, b2;
    std::memcpy(&a1, a, sizeof a1);
    std::memcpy(&b1, b, sizeof b1);
    std::memcpy(&a2, a + n - sizeof a2, sizeof a2);
    std::memcpy(&b2, b + n - sizeof b2, sizeof b2);
    return a1 == b1 && a2 == b2;
}

// Whether two keys are the same. Keys are short: compared in two overlapping words from either
// end where they are long enough, rather than through a call to compare bytes.
bool SameKey(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    if (n >= 8 && n <= 16)
        return SameEnds<std::uint64_t>(a.data(), b.data(), n);
    if (n >= 4 && n < 8)
        return SameEnds<std::uint32_t>(a.data(), b.data(), n);
    return a == b;
}

// The field of a key. Files list the fields in the same order record after record, so the
// field after the one before is tried first.
class KeyLookup {
public:
    KeyLookup()
    {
        for (CoinField field : kCoinFields)
            m_keys[FieldIndex(field)] = DataFileKey(field);
    }

    std::optional<CoinField> FieldOf(std::string_view key)
    {
        const int next = m_last + 1 == kCoinFieldCount ? 0 : m_last + 1;
        if (SameKey(m_keys[next], key))
            return Found(next);
        for (int i = 0; i < kCoinFieldCount; ++i) {
            if (SameKey(m_keys[i], key))
                return Found(i);
        }
        return std::nullopt;
    }

private:
    CoinField Found(int i)
    {
        m_last = i;
        return kCoinFields[i];
    }

    std::array<std::string_view, kCoinFieldCount> m_keys;
    int m_last = kCoinFieldCount - 1;
};

// After this many records, room is made for as many more as the rest of the text would hold at
// the same size per record.
constexpr std::size_t kRecordsToJudgeBy = 4096;

// Growing the array of a million records step by step copies them and touches twice the memory;
// room made once avoids both. A guess too large leaves room untouched, which costs no memory,
// and one that cannot be had is no fault: the array then grows as it needs. The room is backed
// by large pages where the system allows it: a few dozen faults instead of tens of thousands
// for a million records.
void MakeRoomForTheRest(std::vector<CoinRecord>& records, const KeyValueReader& reader, RecordsSoFar* soFar)
{
    const double perRecord = static_cast<double>(reader.Position()) / static_cast<double>(records.size());
    const double expected = static_cast<double>(reader.Size()) / perRecord * 1.05;
    const auto most = reader.Size() / 8;  // "NAME=x" and a line break is the least a record takes
    try {
        const std::size_t count = std::min(static_cast<std::size_t>(expected) + 1, most);
        if (soFar)
            soFar->Reserve(records, count);
        else
            ReserveWithLargePages(records, count);
    } catch (const std::exception&) {
        // No room to be had: the array grows as it needs.
    }
}

// The record being read, field by field. A value stays where it lies in the file's text until
// the record is complete, and is then copied once, to where the record keeps it: over the lines
// already read, which are no longer needed, so that a million records cost no allocation each
// and the memory they take is the part of the file's text that holds values. A field that the
// record does not set keeps the value of the record before it: files made by hand leave out
// what repeats. Long values are shared between the records that carry them, not copied.
class RecordInText {
public:
    void Set(CoinField field, std::string_view value, const KeyValueReader& reader)
    {
        Field& f = m_fields[FieldIndex(field)];
        if (value.size() >= CoinRecord::kSharedFrom) {
            f.longText = std::make_shared<const std::string>(value);
            f.where = Where::Long;
            f.size = 0;
            return;
        }
        f.longText.reset();
        f.size = value.size();
        f.place = reader.PlaceOf(value);
        if (f.place != std::string_view::npos) {
            f.where = Where::Text;
        } else {
            f.own.assign(value);  // joined from continuation lines: it lies elsewhere only until the next pair
            f.where = Where::Own;
        }
    }

    bool HasName() const
    {
        const Field& name = m_fields[FieldIndex(CoinField::Name)];
        return name.where == Where::Long || name.size > 0;
    }

    // Adds the record to `records` and leaves every field referring to where the record
    // keeps it, for the next record to carry.
    void Keep(std::vector<CoinRecord>& records, KeyValueReader& reader, RecordsSoFar* soFar)
    {
        std::size_t total = 0;
        bool anyLong = false;
        for (const Field& f : m_fields) {
            total += f.size;
            anyLong = anyLong || f.where == Where::Long;
        }
        // Room over the lines already read, where the record's own values lie too: copied in
        // field order, each lands at or below where it lies, before the next one's place,
        // unless the file has the record's keys in another order or carries many values into
        // it; its values are then set apart first. Without room (a file that leaves out many
        // repeating keys), the record gets memory of its own.
        char* room = reader.KeepRoom(total);
        std::shared_ptr<const void> owner;
        if (room) {
            if (!CopiesInOrder(room, reader))
                SetTextApart(reader);
            owner = reader.KeptTextOwner();
        } else if (total > 0) {
            auto block = std::make_shared_for_overwrite<char[]>(total);
            room = block.get();
            owner = std::move(block);
        }
        CoinRecord::Ends ends;
        std::size_t at = 0;
        for (int i = 0; i < kCoinFieldCount; ++i) {
            Field& f = m_fields[i];
            if (f.size > 0)
                std::memmove(room + at, Bytes(f, reader), f.size);
            if (f.where != Where::Long) {
                f.where = Where::Kept;
                f.kept = room + at;
                f.own.clear();
            }
            at += f.size;
            ends[i] = static_cast<std::uint16_t>(at);
        }
        CoinRecordBuilder::LongTexts longs;
        if (anyLong) {
            for (int i = 0; i < kCoinFieldCount; ++i)
                longs[i] = m_fields[i].longText;
        }
        CoinRecord record = CoinRecordBuilder::Assemble(room, std::move(owner), ends, anyLong ? &longs : nullptr);
        if (soFar)
            soFar->Add(records, std::move(record));
        else
            records.push_back(std::move(record));
    }

private:
    enum class Where { Kept, Text, Own, Long };

    struct Field {
        Where where = Where::Kept;
        std::size_t size = 0;                     // bytes of a short value
        std::size_t place = 0;                    // Text: its place in the reader's text
        const char* kept = nullptr;               // Kept: where an earlier record keeps it
        std::string own;                          // Own: its bytes
        std::shared_ptr<const std::string> longText;  // Long: the value
    };

    const char* Bytes(const Field& f, const KeyValueReader& reader) const
    {
        switch (f.where) {
        case Where::Text:
            return reader.AtPlace(f.place);
        case Where::Own:
            return f.own.data();
        default:
            return f.kept;
        }
    }

    // Whether copying the values in field order to `room` overwrites none of them before it
    // is copied: every value in the text lies at or above where the copies before it end.
    // Values kept by earlier records lie below the room, and the others elsewhere.
    bool CopiesInOrder(const char* room, const KeyValueReader& reader) const
    {
        const char* to = room;
        for (const Field& f : m_fields) {
            if (f.where == Where::Text && reader.AtPlace(f.place) < to)
                return false;
            to += f.size;
        }
        return true;
    }

    void SetTextApart(const KeyValueReader& reader)
    {
        for (Field& f : m_fields) {
            if (f.where == Where::Text) {
                f.own.assign(reader.AtPlace(f.place), f.size);
                f.where = Where::Own;
            }
        }
    }

    std::array<Field, kCoinFieldCount> m_fields;
};

// The records of the reader's pairs into `contents`.
void ReadRecords(KeyValueReader& reader, DataFileContents& contents, RecordsSoFar* soFar)
{
    std::vector<CoinRecord>& records = contents.records;
    std::string problem;
    try {
        // One record is gathered at a time; it is complete when the next NAME arrives or the
        // input ends. The other fields are not cleared in between (see RecordInText).
        RecordInText record;
        KeyLookup keys;
        bool holding = false;
        std::string_view key, value;
        while (reader.NextPair(key, value)) {
            const auto field = keys.FieldOf(key);
            if (!field)
                continue;
            if (*field == CoinField::Name && record.HasName()) {
                // The NAME line just read is the first not to be written over.
                record.Keep(records, reader, soFar);
                holding = false;
                if (records.size() == kRecordsToJudgeBy)
                    MakeRoomForTheRest(records, reader, soFar);
            }
            // The record's values are referred to where they lie from its first pair on.
            if (!holding) {
                reader.HoldFromLastPair();
                holding = true;
            }
            record.Set(*field, value, reader);
        }
        if (reader.MustReadWhole())
            return;
        if (record.HasName())
            record.Keep(records, reader, soFar);
    } catch (const std::bad_alloc&) {
        problem = strings::kReadTooLarge;
    } catch (const std::length_error&) {
        problem = strings::kReadCoinTooLarge;
    }
    if (problem.empty())
        problem = reader.Problem();
    if (!problem.empty())
        contents.Fail(std::move(problem));
}

}  // namespace

DataFileContents ReadDataFileContents(const std::string& path, IfMissing ifMissing, RecordsSoFar* soFar,
                                      std::optional<ContentHash>* hash)
{
    struct stat st {};
    if (ifMissing == IfMissing::Leave && ::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return {Outcome::Failed(std::string(strings::kReadMissing)), {}};
    // The file is read a piece at a time; one that turns out not to be UTF-8 throughout is read
    // again whole, since it is then decoded as a whole before any pair is read.
    {
        DataFileContents contents;
        ContentHash* hashing = hash && *hash ? &**hash : nullptr;
        KeyValueReader reader = KeyValueReader::InPieces(path, ifMissing, soFar ? &soFar->Ahead() : nullptr, hashing);
        ReadRecords(reader, contents, soFar);
        if (!reader.MustReadWhole()) {
            if (hash && !reader.IsComplete())
                hash->reset();
            return contents;
        }
        if (soFar)
            soFar->Drop(contents.records);
    }
    if (hash)
        hash->reset();
    DataFileContents contents;
    KeyValueReader reader(path, ifMissing);
    ReadRecords(reader, contents, soFar);
    return contents;
}

namespace {

// Every NAME with a value ends up as one record (see ReadRecords): counting those is counting
// the records. -1 when the reader does not give the file whole or `stop` came first.
long CountCoins(KeyValueReader& reader, const std::stop_token& stop)
{
    if (!reader.IsOpen())
        return -1;
    const std::string_view nameKey = DataFileKey(CoinField::Name);
    long coins = 0;
    std::string_view key, value;
    for (unsigned pairs = 1; reader.NextPair(key, value); ++pairs) {
        if (key == nameKey && !value.empty())
            ++coins;
        if (pairs % 4096 == 0 && stop.stop_requested())
            return -1;
    }
    return reader.IsComplete() && !reader.MustReadWhole() && !stop.stop_requested() ? coins : -1;
}

}  // namespace

long CountDataFileCoins(const std::string& path, const std::stop_token& stop)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return -1;
    try {
        KeyValueReader pieces = KeyValueReader::InPieces(path, IfMissing::Leave);
        if (!pieces.MustReadWhole()) {
            const long coins = CountCoins(pieces, stop);
            if (!pieces.MustReadWhole())
                return coins;
        }
        KeyValueReader whole(path, IfMissing::Leave);
        return CountCoins(whole, stop);
    } catch (const std::exception&) {
        return -1;
    }
}

std::vector<CoinRecord> ReadDataFile(const std::string& path)
{
    return std::move(ReadDataFileContents(path).records);
}
DataFileContents ReadDataFileStamped(const std::string& path, FileStamp& stamp, RecordsSoFar* soFar,
                                     IfMissing ifMissing)
{
    const FileStamp before = StampFile(path, false);
    // A file written moments ago is stamped with a hash of its bytes, taken as they are read.
    std::optional<ContentHash> hash;
    if (before.exists && TooRecentToTrust(before.modified))
        hash.emplace();
    DataFileContents contents = ReadDataFileContents(path, ifMissing, soFar, &hash);
    stamp = StampReadFile(path, before, hash ? &*hash : nullptr);
    // Written while it was read (a missing file is created empty by the read, which is no
    // change): the records may be neither the old file nor the new one.
    if (before.exists && !SameLooks(before, stamp))
        stamp.changedWhileRead = true;
    return contents;
}
