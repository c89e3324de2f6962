// Saving the data file: the collection written bottom row first, the backups kept of what it
// replaces, and the check that no other program wrote the file since it was read.

#include "storage/DataFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "resources/FixedStrings.h"
#include "storage/Backups.h"
#include "storage/FileStamp.h"
#include "storage/KeyValueText.h"

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
    // Each block is sized once, to `blockSize`, and filled and written again and again: its
    // bytes are cleared only when it is made (or grown for a record larger than it).
    BlockWriter(KeyValueWriter& writer, ContentHash* hash, std::size_t blockSize) : m_writer(writer), m_hash(hash)
    {
        m_block.resize(blockSize);
        m_writing.resize(blockSize);
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

    // Room for `size` more bytes at the end of the block being filled; Advance then says how
    // many of them were filled.
    char* Room(std::size_t size)
    {
        if (m_block.size() - m_used < size)
            m_block.resize(m_used + size);
        return m_block.data() + m_used;
    }
    void Advance(std::size_t size) { m_used += size; }
    void Put(std::string_view bytes)
    {
        if (!bytes.empty())
            std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
        Advance(bytes.size());
    }

    // The bytes filled in the block so far.
    std::size_t Used() const { return m_used; }

    // Hands the block over to be written and leaves it empty, to be filled again.
    void WriteBlock()
    {
        Finish();
        m_block.swap(m_writing);
        m_writingUsed = m_used;
        m_used = 0;
        if (!m_thread.joinable() && !m_noThread) {
            try {
                m_thread = std::thread([this] { WriteHandedOver(); });
            } catch (const std::system_error&) {
                m_noThread = true;
            }
        }
        if (m_noThread) {
            Write(std::string_view(m_writing.data(), m_writingUsed));
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
    void Write(std::string_view block)
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
            Write(std::string_view(m_writing.data(), m_writingUsed));
            lock.lock();
            m_handedOver = false;
            m_changed.notify_one();
        }
    }

    KeyValueWriter& m_writer;
    ContentHash* m_hash;
    std::string m_block;    // being filled
    std::size_t m_used = 0;  // of m_block
    std::string m_writing;  // handed over to be written
    std::size_t m_writingUsed = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_handedOver = false;  // m_writing waits to be written, or is being written
    bool m_stop = false;
    bool m_noThread = false;
};

// Copies `n` bytes, `sizeof(Word)` <= n <= 2 * sizeof(Word), as two words that overlap, each
// within the bytes to copy.
template <class Word>
void CopyAsTwoWords(char* to, const char* from, std::size_t n)
{
    Word first, last;
    std::memcpy(&first, from, sizeof first);
    std::memcpy(&last, from + n - sizeof last, sizeof last);
    std::memcpy(to, &first, sizeof first);
    std::memcpy(to + n - sizeof last, &last, sizeof last);
}

// Copies `n` bytes without a call for the few bytes most values are.
inline void CopyBytes(char* to, const char* from, std::size_t n)
{
    struct Sixteen {
        char bytes[16];
    };
    if (n > 32)
        std::memcpy(to, from, n);
    else if (n >= 16)
        CopyAsTwoWords<Sixteen>(to, from, n);
    else if (n >= 8)
        CopyAsTwoWords<std::uint64_t>(to, from, n);
    else if (n >= 4)
        CopyAsTwoWords<std::uint32_t>(to, from, n);
    else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

// A record's pairs as the file has them, each on a line of its own after a CR LF, and the CR LF
// that ends the record: what AppendPairLines makes of each pair in turn.
class RecordLines {
public:
    RecordLines()
    {
        for (CoinField field : kCoinFields) {
            const int i = FieldIndex(field);
            const std::string start = "\r\n" + std::string(DataFileKey(field)) + "=";
            m_starts[i].fill('\0');
            std::memcpy(m_starts[i].data(), start.data(), start.size());
            m_startSizes[i] = start.size();
        }
    }

    void Put(BlockWriter& blocks, const CoinRecord& record)
    {
        std::array<std::string_view, kCoinFieldCount> values;
        std::size_t size = 2;
        // The short texts lie together: one look finds a line break in any of them.
        bool oneLineEach = record.ShortTexts().find('\n') == std::string_view::npos;
        for (int i = 0; i < kCoinFieldCount; ++i) {
            values[i] = record.Get(kCoinFields[i]);
            size += m_startSizes[i] + values[i].size();
            if (values[i].size() >= CoinRecord::kSharedFrom)
                oneLineEach = oneLineEach && values[i].find('\n') == std::string_view::npos;
        }
        if (!oneLineEach) {
            m_lines.clear();
            for (int i = 0; i < kCoinFieldCount; ++i)
                AppendPairLines(m_lines, DataFileKey(kCoinFields[i]), values[i]);
            m_lines += "\r\n";
            blocks.Put(m_lines);
            return;
        }
        // Nearly every record has values of one line each: placed with one look for room for the
        // whole record, each key's start as one block of kStart bytes (the room past the
        // record's end takes the last one's spare bytes).
        char* out = blocks.Room(size + kStart);
        for (int i = 0; i < kCoinFieldCount; ++i) {
            std::memcpy(out, m_starts[i].data(), kStart);
            out += m_startSizes[i];
            CopyBytes(out, values[i].data(), values[i].size());
            out += values[i].size();
        }
        out[0] = '\r';
        out[1] = '\n';
        blocks.Advance(size);
    }

private:
    static constexpr std::size_t kStart = 2 + kLongestDataFileKey + 1;  // CR LF, the longest key and "="

    std::array<std::array<char, kStart>, kCoinFieldCount> m_starts;  // CR LF, the key and "="
    std::array<std::size_t, kCoinFieldCount> m_startSizes;
    std::string m_lines;  // a record with values of several lines, made pair by pair
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
        RecordLines lines;
        BlockWriter blocks(writer, hash ? &*hash : nullptr, kBlockSize + (kBlockSize >> 2));
        blocks.Put(kKeyValueHeader);
        for (const CoinRecord& record : collection.BottomUp()) {
            lines.Put(blocks, record);
            if (blocks.Used() >= kBlockSize)
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
