#include "storage/DataFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "records/CoinRecordBuilder.h"
#include "records/LargePages.h"
#include "resources/FixedStrings.h"
#include "storage/Backups.h"
#include "storage/FileStamp.h"
#include "storage/KeyValueText.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether two keys are the same. Keys are short: compared in two overlapping words from either
// end where they are long enough, rather than through a call to compare bytes.
bool SameKey(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    if (n >= 8 && n <= 16) {
        std::uint64_t a1, a2, b1, b2;
        std::memcpy(&a1, a.data(), 8);
        std::memcpy(&b1, b.data(), 8);
        std::memcpy(&a2, a.data() + n - 8, 8);
        std::memcpy(&b2, b.data() + n - 8, 8);
        return a1 == b1 && a2 == b2;
    }
    if (n >= 4 && n < 8) {
        std::uint32_t a1, a2, b1, b2;
        std::memcpy(&a1, a.data(), 4);
        std::memcpy(&b1, b.data(), 4);
        std::memcpy(&a2, a.data() + n - 4, 4);
        std::memcpy(&b2, b.data() + n - 4, 4);
        return a1 == b1 && a2 == b2;
    }
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
// and one that cannot be had is no fault: the array then grows as it needs.
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
            records.reserve(count);
    } catch (const std::exception&) {
        return;
    }
    // The room not yet used is backed by large pages where the system allows it: a few dozen
    // faults instead of tens of thousands for a million records.
    AdviseLargePages(records.data() + records.size(), (records.capacity() - records.size()) * sizeof(CoinRecord));
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
        if (total > UINT32_MAX)
            throw std::length_error(std::string(strings::kCoinTooLarge));
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
        std::array<std::uint32_t, kCoinFieldCount> ends;
        std::uint32_t at = 0;
        for (int i = 0; i < kCoinFieldCount; ++i) {
            Field& f = m_fields[i];
            if (f.size > 0)
                std::memmove(room + at, Bytes(f, reader), f.size);
            if (f.where != Where::Long) {
                f.where = Where::Kept;
                f.kept = room + at;
                f.own.clear();
            }
            at += static_cast<std::uint32_t>(f.size);
            ends[i] = at;
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

namespace {

// How a save treats the file it replaces.
struct WriteOptions {
    const BackupTime* backupTime = nullptr;  // keep the old file as a backup, named after this
    bool backupRequired = false;             // a backup that cannot be made stops the save
    FileStamp* stamp = nullptr;              // set to the file written, when it was written
};

// Hashes and writes the blocks of a save on a thread of its own, so that the next block is made
// while the system takes the last one. The blocks go in order, each once the one before is
// written; where no thread can be had, each block is written at once.
class BlockWriter {
public:
    BlockWriter(KeyValueWriter& writer, ContentHash* hash, std::size_t blockSize) : m_writer(writer), m_hash(hash)
    {
        m_block.reserve(blockSize);
        m_writing.reserve(blockSize);
    }

    ~BlockWriter()
    {
        Finish();
        if (m_thread.joinable()) {
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_stop = true;
            }
            m_changed.notify_one();
            m_thread.join();
        }
    }

    // The block to fill.
    std::string& Block() { return m_block; }

    // Hands the block over to be written and leaves it empty, to be filled again.
    void WriteBlock()
    {
        Finish();
        m_block.swap(m_writing);
        m_block.clear();
        if (!m_thread.joinable() && !m_noThread) {
            try {
                m_thread = std::thread([this] { WriteHandedOver(); });
            } catch (const std::system_error&) {
                m_noThread = true;
            }
        }
        if (m_noThread) {
            Write(m_writing);
            return;
        }
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_handedOver = true;
        }
        m_changed.notify_one();
    }

    // Waits until every block handed over is written.
    void Finish()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_handedOver; });
    }

private:
    void Write(const std::string& block)
    {
        if (m_hash)
            m_hash->Add(block);
        m_writer.WriteLines(block);
    }

    void WriteHandedOver()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_handedOver || m_stop; });
            if (!m_handedOver)
                return;
            lock.unlock();
            Write(m_writing);
            lock.lock();
            m_handedOver = false;
            m_changed.notify_one();
        }
    }

    KeyValueWriter& m_writer;
    ContentHash* m_hash;
    std::string m_block;    // being filled
    std::string m_writing;  // handed over to be written
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_handedOver = false;  // m_writing waits to be written, or is being written
    bool m_stop = false;
    bool m_noThread = false;
};

Outcome WriteRecords(const std::string& path, const Collection& collection, const WriteOptions& options)
{
    const BackupTime* backupTime = options.backupTime;
    // The bytes are hashed as they are written only when the caller wants the file stamped,
    // so that a save needs no second read of what it wrote.
    std::optional<ContentHash> hash;
    if (options.stamp)
        hash.emplace();
    KeyValueWriter writer(path);
    if (!writer.IsOpen())
        return Outcome::Failed(writer.OpenError());
    // An empty collection is an empty file, without a header. Otherwise the rows go bottom row
    // first, so that a load that puts each record on top restores the order. The text is
    // built as the file has it and written a block of many records at a time.
    if (!collection.Empty()) {
        constexpr std::size_t kBlockSize = std::size_t{1} << 20;
        std::array<std::string_view, kCoinFieldCount> keys;
        for (CoinField field : kCoinFields)
            keys[FieldIndex(field)] = DataFileKey(field);
        BlockWriter blocks(writer, hash ? &*hash : nullptr, kBlockSize + (kBlockSize >> 2));
        std::string& block = blocks.Block();
        block = kKeyValueHeader;
        for (const CoinRecord& record : collection.BottomUp()) {
            for (CoinField field : kCoinFields)
                AppendPairLines(block, keys[FieldIndex(field)], record.Get(field));
            block += "\r\n";
            if (block.size() >= kBlockSize)
                blocks.WriteBlock();
        }
        blocks.WriteBlock();
        blocks.Finish();
    }
    // The old file is still in place here: it is kept before the new one replaces it. A backup
    // that cannot be made does not stop the save, unless the old file is another program's
    // that nothing else keeps.
    if (backupTime) {
        const BackupResult backup = KeepBackup(path, *backupTime);
        if (options.backupRequired && !backup)
            return Outcome::Failed(strings::Fill(strings::kReplacedNotKept, {backup.problem}));
    }
    Outcome result = writer.Commit();
    if (result && options.stamp)
        *options.stamp = StampWrittenFile(path, hash->Value());
    // Old backups go only once the save succeeded, so that a failed save costs none.
    if (result && backupTime)
        PruneBackups(path);
    return result;
}

}  // namespace

Outcome WriteDataFile(const std::string& path, const Collection& collection)
{
    return WriteRecords(path, collection, {});
}

Outcome WriteDataFileKeepingBackup(const std::string& path, const Collection& collection,
                                      const BackupTime& when)
{
    return WriteRecords(path, collection, {&when, false, nullptr});
}

DataFileContents ReadDataFileStamped(const std::string& path, FileStamp& stamp, RecordsSoFar* soFar)
{
    const FileStamp before = StampFile(path, false);
    // A file written moments ago is stamped with a hash of its bytes, taken as they are read.
    std::optional<ContentHash> hash;
    if (before.exists && TooRecentToTrust(before.modified))
        hash.emplace();
    DataFileContents contents = ReadDataFileContents(path, IfMissing::CreateEmpty, soFar, &hash);
    stamp = StampReadFile(path, before, hash ? &*hash : nullptr);
    // Written while it was read (a missing file is created empty by the read, which is no
    // change): the records may be neither the old file nor the new one.
    if (before.exists && !SameLooks(before, stamp))
        stamp.changedWhileRead = true;
    return contents;
}

BackupResult KeepCollectionAsBackup(const std::string& path, const Collection& collection,
                                    const BackupTime& when)
{
    BackupResult result;
    const std::string folder = BackupFolderOf(path);
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        result.Fail(strings::Fill(strings::kCannotCreate, {folder, std::strerror(errno)}));
        return result;
    }
    // Written whole under a hidden name first, then linked under a backup name that no other
    // backup has, so that a failure part way leaves no half backup among the real ones.
    const std::string written = folder + "/.unsaved-" + std::to_string(getpid()) + ".tmp";
    const Outcome saved = WriteDataFile(written, collection);
    if (!saved) {
        unlink(written.c_str());
        result.Fail(saved.problem);
        return result;
    }
    result = KeepFileAsBackup(path, written, when);
    unlink(written.c_str());
    return result;
}

CheckedSave SaveDataFileChecked(const std::string& path, const Collection& collection, const BackupTime& when,
                                FileStamp& stamp, IfChanged ifChanged)
{
    CheckedSave save;
    save.change = CompareWithStamp(path, stamp);
    if (save.change == FileChange::Changed) {
        if (ifChanged == IfChanged::Stop) {
            save.done = CheckedSave::Done::NotSaved;
            return save;
        }
        if (ifChanged == IfChanged::KeepBoth) {
            const BackupResult backup = KeepCollectionAsBackup(path, collection, when);
            save.backupPath = backup.path;
            if (backup && backup.kept == BackupResult::Kept::Made)
                save.done = CheckedSave::Done::KeptAsBackup;
            else
                save.Fail(backup.problem);
            return save;
        }
    }
    // The other program's file goes into the backups before it is replaced, or the save does
    // not happen: nothing else holds it.
    const Outcome written = WriteRecords(path, collection, {&when, save.change == FileChange::Changed, &stamp});
    if (written)
        save.done = CheckedSave::Done::Saved;
    else
        save.Fail(written.problem);
    return save;
}
