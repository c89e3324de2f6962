#include "storage/KeyValueText.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <tuple>

#include "storage/FileReader.h"
#include "storage/TextEncoding.h"

namespace {

// Space, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool IsTrailingSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Memory is given back in whole large pages, so that the large pages the text was read into
// are not broken up into small ones.
constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

std::string_view TrimEnd(std::string_view line)
{
    std::size_t size = line.size();
    while (size > 0 && IsTrailingSpace(line[size - 1]))
        --size;
    return line.substr(0, size);
}

// A line with an empty key and an "=" carries a further line of the value before it.
bool IsContinuation(std::string_view trimmedLine) { return trimmedLine.starts_with('='); }

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

void AppendPairLines(std::string& text, std::string_view key, std::string_view value)
{
    if (value.find('\n') == std::string_view::npos) {
        // Most values are one line: placed with one length check rather than four.
        const std::size_t at = text.size();
        text.resize(at + 3 + key.size() + value.size());
        char* out = text.data() + at;
        *out++ = '\r';
        *out++ = '\n';
        if (!key.empty())
            std::memcpy(out, key.data(), key.size());
        out += key.size();
        *out++ = '=';
        if (!value.empty())
            std::memcpy(out, value.data(), value.size());
        return;
    }
    text += "\r\n";
    text += key;
    text += '=';
    for (;;) {
        const auto lineBreak = value.find('\n');
        if (lineBreak == std::string_view::npos) {
            text += value;
            return;
        }
        text += value.substr(0, lineBreak);
        text += "\r\n=";
        value.remove_prefix(lineBreak + 1);
    }
}

std::pair<std::string_view, std::string_view> SplitKeyValueView(std::string_view line)
{
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return {line, std::string_view()};
    return {line.substr(0, equals), line.substr(equals + 1)};
}

std::pair<std::string, std::string> SplitKeyValueLine(std::string_view line)
{
    const auto [key, value] = SplitKeyValueView(line);
    return {std::string(key), std::string(value)};
}

KeyValueReader::KeyValueReader(const std::string& path)
{
    FileReadResult file = ReadWholeFile(path, IfMissing::CreateEmpty);
    m_problem = std::move(file.problem);
    if (file.status == ReadStatus::Incomplete) {
        // What came before a read error is read up to its last complete line, as the end of
        // the file would be.
        const auto lastBreak = file.bytes.rfind('\n');
        file.bytes.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
    }
    try {
        m_text = std::make_shared<std::string>(DecodeFileText(std::move(file.bytes)));
    } catch (const std::bad_alloc&) {
        m_text = std::make_shared<std::string>();
        m_problem = "it is larger than the memory can hold";
    }
    m_open = m_problem.empty() || !m_text->empty();
}

KeyValueReader KeyValueReader::FromText(std::string text)
{
    KeyValueReader reader;
    reader.m_text = std::make_shared<std::string>(std::move(text));
    reader.m_open = true;
    return reader;
}

bool KeyValueReader::NextLine(std::string_view& line)
{
    const std::string& text = *m_text;
    if (m_pos >= text.size())
        return false;
    const std::string_view rest = std::string_view(text).substr(m_pos);
    const auto lineBreak = rest.find('\n');
    if (lineBreak == std::string_view::npos) {
        // The last line is read even without a line break after it.
        line = TrimEnd(rest);
        m_pos = text.size();
    } else {
        line = TrimEnd(rest.substr(0, lineBreak));
        m_pos += lineBreak + 1;
    }
    return true;
}

bool KeyValueReader::NextPair(std::string& key, std::string& value)
{
    std::string_view keyText, valueText;
    if (!NextPair(keyText, valueText))
        return false;
    // Assigned rather than returned, so that the caller's strings keep their capacity from
    // pair to pair.
    key.assign(keyText);
    value.assign(valueText);
    return true;
}

bool KeyValueReader::NextPair(std::string_view& key, std::string_view& value)
{
    // Continuation lines are taken up by the pair before them, so one found here stands before
    // the first pair and has nothing to continue.
    std::string_view line;
    do {
        m_pairStart = m_pos;
        if (!NextLine(line))
            return false;
    } while (IsContinuation(line));

    std::tie(key, value) = SplitKeyValueView(line);

    // Trimming touches only the end of a line, so a continuation is known by its first byte.
    const std::string& text = *m_text;
    if (m_pos < text.size() && text[m_pos] == '=') {
        m_joined.assign(value);
        while (m_pos < text.size() && text[m_pos] == '=') {
            NextLine(line);
            m_joined += '\n';
            m_joined += line.substr(1);
        }
        value = m_joined;
    }
    return true;
}

void KeyValueReader::GiveBack(std::size_t begin, std::size_t end)
{
    // Only whole large pages within the range are given back; they read as zeros afterwards
    // and are made again when written.
    const auto base = reinterpret_cast<std::uintptr_t>(m_text->data());
    const std::uintptr_t first = (base + begin + kLargePage - 1) / kLargePage * kLargePage;
    const std::uintptr_t last = (base + end) / kLargePage * kLargePage;
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
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
