#include "storage/BackupCoinCounter.h"

#include "storage/DataFile.h"

BackupCoinCounter::BackupCoinCounter(std::vector<std::string> paths, Counted counted)
    : m_thread([paths = std::move(paths), counted = std::move(counted)](std::stop_token stop) {
          for (std::size_t i = 0; i < paths.size() && !stop.stop_requested(); ++i) {
              const long coins = CountDataFileCoins(paths[i], stop);
              if (stop.stop_requested())
                  return;
              counted(i, coins);
          }
      })
{
}
