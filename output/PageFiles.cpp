#include "output/PageFiles.h"

#include <unistd.h>

#include "output/PageComposer.h"
#include "storage/AtomicFile.h"
#include "storage/FileReader.h"
#include "storage/TextEncoding.h"

std::optional<std::string> ReadTemplate(const std::string& path)
{
    // A missing template is made, empty, so that the user finds a file to fill in. One that
    // cannot be read whole is not used at all: a page from half a template is a wrong page.
    FileReadResult file = ReadWholeFile(path, IfMissing::CreateEmpty);
    if (!file)
        return std::nullopt;
    if (file.missing)
        return ::access(path.c_str(), F_OK) == 0 ? std::optional<std::string>(std::string()) : std::nullopt;

    // Templates written for the Windows program are in its code page; UTF-8 ones stay byte for
    // byte as they are, a byte order mark and CR LF line ends included.
    if (!IsValidUtf8(file.bytes))
        return Windows1252ToUtf8(file.bytes);
    return std::move(file.bytes);
}

namespace {

// Hands the page to the file as it comes: the rows come in blocks of about 1 MB, which the
// file writes as they are, and it gathers the small pieces between them.
class FileSink final : public TextSink {
public:
    explicit FileSink(AtomicFile& file) : m_file(file) {}
    void Put(std::string_view bytes) override { m_file.Write(bytes); }

private:
    AtomicFile& m_file;
};

}  // namespace

Outcome WritePageFile(const std::string& path, std::string_view outer, std::string_view inner,
                         const Collection& collection, const Preferences& prefs)
{
    AtomicFile file(path);
    if (!file.IsOpen())
        return Outcome::Failed(file.OpenError());
    FileSink sink(file);
    StreamPage(outer, inner, collection, prefs, sink);
    return file.Commit();
}
