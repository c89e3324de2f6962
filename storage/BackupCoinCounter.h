#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

// Counts the coins of backups on a thread of its own, one file after another, so that a list of
// backups can be shown before they are read. Each count is handed to `counted` on that thread,
// in the order of `paths`, with the index of its path; a file that cannot be counted gives -1.
// Destroying the counter stops it: it waits only for the pair being read, and `counted` is not
// called again.
class BackupCoinCounter {
public:
    using Counted = std::function<void(std::size_t index, long coins)>;

    BackupCoinCounter(std::vector<std::string> paths, Counted counted);
    ~BackupCoinCounter() = default;  // std::jthread asks the thread to stop and joins it

    BackupCoinCounter(const BackupCoinCounter&) = delete;
    BackupCoinCounter& operator=(const BackupCoinCounter&) = delete;

private:
    std::jthread m_thread;
};
