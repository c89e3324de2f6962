#include "app/DataFilePreload.h"

#include <pthread.h>

#include <future>
#include <memory>
#include <optional>
#include <system_error>

#include "app/StartupTrace.h"

namespace {

struct Stamped {
    DataFileContents contents;
    FileStamp stamp;
};

struct Pending {
    std::string path;
    std::shared_ptr<RecordsSoFar> soFar;
    std::future<Stamped> read;
};

std::optional<Pending>& ThePending()
{
    static std::optional<Pending> pending;
    return pending;
}

}  // namespace

void DataFilePreload::Start(const std::string& path)
{
    try {
        auto soFar = std::make_shared<RecordsSoFar>();
        ThePending() = Pending{path, soFar, std::async(std::launch::async, [path, soFar] {
                                   // Named so that a profile tells it from the window's thread.
                                   pthread_setname_np(pthread_self(), "numora-reader");
                                   Stamped read;
                                   try {
                                       read.contents = ReadDataFileStamped(path, read.stamp, soFar.get());
                                   } catch (...) {
                                       soFar->End({});
                                       throw;
                                   }
                                   soFar->End(read.contents.records);
                                   StartupTrace::Mark("data file read on its own thread");
                                   return read;
                               })};
    } catch (const std::system_error&) {
        ThePending().reset();  // no thread: the window reads the file itself
    }
}

DataFileContents DataFilePreload::Take(const std::string& path, FileStamp& stamp, RecordsSoFar::Follower* follower)
{
    std::optional<Pending>& pending = ThePending();
    if (pending && pending->path == path) {
        Pending taking = std::move(*pending);
        pending.reset();
        if (follower)
            taking.soFar->Follow(*follower);
        Stamped taken = taking.read.get();
        stamp = taken.stamp;
        return std::move(taken.contents);
    }
    DataFileContents contents = ReadDataFileStamped(path, stamp);
    if (follower)
        follower->Look(contents.records);
    return contents;
}
