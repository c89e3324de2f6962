// Saving the data file: the collection written bottom row first, the backups kept of what it
// replaces, and the check that no other program wrote the file since it was read.

#include "storage/DataFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <condition_variable>
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
