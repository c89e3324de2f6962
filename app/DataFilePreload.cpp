#include "app/DataFilePreload.h"

#include <future>
#include <optional>
#include <system_error>

namespace {

struct Stamped {
    DataFileContents contents;
    FileStamp stamp;
};

struct Pending {
    std::string path;
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
        ThePending() = Pending{path, std::async(std::launch::async, [path] {
                                   Stamped read;
                                   read.contents = ReadDataFileStamped(path, read.stamp);
                                   return read;
                               })};
    } catch (const std::system_error&) {
        ThePending().reset();  // no thread: the window reads the file itself
    }
}

DataFileContents DataFilePreload::Take(const std::string& path, FileStamp& stamp)
{
    std::optional<Pending>& pending = ThePending();
    if (pending && pending->path == path) {
        std::future<Stamped> read = std::move(pending->read);
        pending.reset();
        Stamped taken = read.get();
        stamp = taken.stamp;
        return std::move(taken.contents);
    }
    return ReadDataFileStamped(path, stamp);
}
