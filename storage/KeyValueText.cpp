#include "storage/KeyValueText.h"

#include <new>

#include "storage/FileReader.h"
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
        m_text = DecodeFileText(std::move(file.bytes));
    } catch (const std::bad_alloc&) {
        m_text = std::string();
        m_problem = "it is larger than the memory can hold";
    }
    m_open = m_problem.empty() || !m_text.empty();
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

    // Assigned rather than returned, so that the caller's strings keep their capacity from
    // pair to pair.
    const auto [keyText, valueText] = SplitKeyValueView(line);
    key.assign(keyText);
    value.assign(valueText);

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
