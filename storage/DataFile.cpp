#include "storage/DataFile.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "storage/Backups.h"
#include "storage/KeyValueText.h"

namespace {

std::optional<CoinField> FieldOfKey(std::string_view key)
{
    for (CoinField field : kCoinFields) {
        if (DataFileKey(field) == key)
            return field;
    }
    return std::nullopt;
}

}  // namespace

DataFileContents ReadDataFileContents(const std::string& path)
{
    DataFileContents contents;
    KeyValueReader reader(path);
    contents.problem = reader.Problem();
    std::vector<CoinRecord>& records = contents.records;
    try {
        // One record is gathered at a time; it is complete when the next NAME arrives or the
        // input ends. The other fields are not cleared in between, so a record that lacks a
        // key takes that value from the record before it: files made by hand leave out what
        // repeats. Long carried values are shared between the records, not copied.
        CoinRecord record;
        std::string key, value;
        while (reader.NextPair(key, value)) {
            const auto field = FieldOfKey(key);
            if (!field)
                continue;
            if (*field == CoinField::Name && !record.Get(CoinField::Name).empty())
                records.push_back(record);
            record.Set(*field, value);
        }
        if (!record.Get(CoinField::Name).empty())
            records.push_back(std::move(record));
    } catch (const std::bad_alloc&) {
        contents.problem = "it is larger than the memory can hold";
    } catch (const std::length_error&) {
        contents.problem = "a coin in it holds more text than a coin can hold";
    }
    contents.whole = contents.problem.empty();
    return contents;
}

std::vector<CoinRecord> ReadDataFile(const std::string& path)
{
    return std::move(ReadDataFileContents(path).records);
}

namespace {

SaveResult WriteRecords(const std::string& path, const Collection& collection, const BackupTime* backupTime)
{
    KeyValueWriter writer(path);
    if (!writer.IsOpen())
        return SaveResult::Failed(writer.OpenError());
    // An empty collection is an empty file, without a header. Otherwise the rows go bottom row
    // first, so that a load that puts each record on top restores the order; one record's
    // text is built at a time.
    if (!collection.Empty()) {
        std::string text(kKeyValueHeader);
        for (const CoinRecord& record : collection.BottomUp()) {
            for (CoinField field : kCoinFields)
                AppendPair(text, DataFileKey(field), record.Get(field));
            text += '\n';
            writer.Write(text);
            text.clear();
        }
    }
    // The old file is still in place here: it is kept before the new one replaces it. A backup
    // that cannot be made does not stop the save.
    if (backupTime)
        KeepBackup(path, *backupTime);
    SaveResult result = writer.Commit();
    // Old backups go only once the save succeeded, so that a failed save costs none.
    if (result && backupTime)
        PruneBackups(path);
    return result;
}

}  // namespace

SaveResult WriteDataFile(const std::string& path, const Collection& collection)
{
    return WriteRecords(path, collection, nullptr);
}

SaveResult WriteDataFileKeepingBackup(const std::string& path, const Collection& collection,
                                      const BackupTime& when)
{
    return WriteRecords(path, collection, &when);
}
