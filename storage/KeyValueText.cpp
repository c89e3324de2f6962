#include "storage/KeyValueText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "storage/TextEncoding.h"

namespace {

constexpr std::string_view kTrailingSpace = " \t\r\n\v\f";

std::string_view TrimEnd(std::string_view line)
{
    const auto last = line.find_last_not_of(kTrailingSpace);
    return last == std::string_view::npos ? std::string_view() : line.substr(0, last + 1);
}

// A line with an empty key and an "=" carries a further line of the value before it.
bool IsContinuation(std::string_view trimmedLine) { return trimmedLine.starts_with('='); }

// The bytes of a file, or false when it cannot be read at all. A missing file is created
// empty, as the program has always done. A read error part way keeps the complete lines read
// before it, as the end of the file would.
bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;

    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));

    bool ok = true;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (bytes.empty()) {
                ok = false;
            } else {
                const auto lastBreak = bytes.rfind('\n');
                bytes.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
            }
            break;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    return ok;
}

}  // namespace

void AppendPair(std::string& text, std::string_view key, std::string_view value)
{
    text += '\n';
    text += key;
    text += '=';
    for (;;) {
        const auto lineBreak = value.find('\n');
        if (lineBreak == std::string_view::npos) {
            text += value;
            return;
        }
        text += value.substr(0, lineBreak);
        text += "\n=";
        value.remove_prefix(lineBreak + 1);
    }
}

std::pair<std::string, std::string> SplitKeyValueLine(std::string_view line)
{
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return {std::string(line), std::string()};
    return {std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))};
}

KeyValueReader::KeyValueReader(const std::string& path)
{
    std::string bytes;
    m_open = ReadWholeFile(path, bytes);
    if (m_open)
        m_text = DecodeFileText(std::move(bytes));
}

KeyValueReader KeyValueReader::FromText(std::string text)
{
    KeyValueReader reader;
    reader.m_text = std::move(text);
    reader.m_open = true;
    return reader;
}

bool KeyValueReader::NextLine(std::string_view& line)
{
    if (m_pos >= m_text.size())
        return false;
    const std::string_view rest = std::string_view(m_text).substr(m_pos);
    const auto lineBreak = rest.find('\n');
    if (lineBreak == std::string_view::npos) {
        // The last line is read even without a line break after it.
        line = TrimEnd(rest);
        m_pos = m_text.size();
    } else {
        line = TrimEnd(rest.substr(0, lineBreak));
        m_pos += lineBreak + 1;
    }
    return true;
}

bool KeyValueReader::NextPair(std::string& key, std::string& value)
{
    // Continuation lines are taken up by the pair before them, so one found here stands before
    // the first pair and has nothing to continue.
    std::string_view line;
    do {
        if (!NextLine(line))
            return false;
    } while (IsContinuation(line));

    // Split in place rather than through SplitKeyValueLine, so that the caller's strings keep
    // their capacity from pair to pair.
    const auto equals = line.find('=');
    key.assign(line.substr(0, equals));
    if (equals == std::string_view::npos)
        value.clear();
    else
        value.assign(line.substr(equals + 1));

    // Trimming touches only the end of a line, so a continuation is known by its first byte.
    while (m_pos < m_text.size() && m_text[m_pos] == '=') {
        NextLine(line);
        value += '\n';
        value += line.substr(1);
    }
    return true;
}

KeyValueWriter::KeyValueWriter(std::string path)
    : m_file(std::move(path))
{
}

void KeyValueWriter::Write(std::string_view text)
{
    for (;;) {
        const auto lineBreak = text.find('\n');
        if (lineBreak == std::string_view::npos) {
            m_file.Write(text);
            return;
        }
        m_file.Write(text.substr(0, lineBreak));
        m_file.Write("\r\n");
        text.remove_prefix(lineBreak + 1);
    }
}
