#include "storage/KeyValueText.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "records/LargePages.h"
#include "resources/FixedStrings.h"
#include "storage/FileReader.h"
#include "storage/TextEncoding.h"

namespace {

// Space, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool IsTrailingSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The file is read in pieces of this size, and the unread text moved down to a quarter of it
// above what the caller keeps (so that the records packed there have room to grow before the
// next move).
constexpr std::size_t kPieceSize = std::size_t{1} << 20;
std::size_t g_pieceSize = kPieceSize;

// Read whole, the text already read is given back in steps of this size.
constexpr std::size_t kGiveBackStep = std::size_t{8} << 20;

std::string_view TrimEnd(std::string_view line)
{
    std::size_t size = line.size();
    while (size > 0 && IsTrailingSpace(line[size - 1]))
        --size;
    return line.substr(0, size);
}

// The offset of the first line feed in [p, end), or end - p when there is none, and in `equals`
// the offset of the first "=" before it, or npos. Lines are short: both are found in one pass
// over the line, sixteen bytes at a time, instead of a search for each.
std::size_t FindLineEnd(const char* p, const char* end, std::size_t& equals)
{
    const char* const start = p;
    equals = std::string_view::npos;
#if defined(__SSE2__)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i equalsSign = _mm_set1_epi8('=');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)));
        auto signs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, equalsSign)));
        if (feeds != 0)
            signs &= (feeds & (0u - feeds)) - 1;  // only those before the line feed
        if (signs != 0 && equals == std::string_view::npos)
            equals = static_cast<std::size_t>(p - start) + static_cast<std::size_t>(__builtin_ctz(signs));
        if (feeds != 0)
            return static_cast<std::size_t>(p - start) + static_cast<std::size_t>(__builtin_ctz(feeds));
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\n')
            break;
        if (*p == '=' && equals == std::string_view::npos)
            equals = static_cast<std::size_t>(p - start);
    }
    return static_cast<std::size_t>(p - start);
}

// Whether a value holds a line break. Most values are a few bytes: looked at a word or sixteen
// bytes at a time without a call, the last word overlapping the one before.
bool HasLineBreak(std::string_view value)
{
    const char* p = value.data();
    const std::size_t n = value.size();
#if defined(__SSE2__)
    if (n >= 16) {
        const __m128i lineFeed = _mm_set1_epi8('\n');
        const auto any = [&](const char* at) {
            return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), lineFeed)) != 0;
        };
        for (std::size_t i = 0; i + 16 <= n; i += 16) {
            if (any(p + i))
                return true;
        }
        return any(p + n - 16);
    }
#endif
    if (n >= 8) {
        // A byte of a word is a line feed when the word's bytes less the line feed give a zero.
        const auto zeroByte = [](std::uint64_t w) {
            w ^= 0x0A0A0A0A0A0A0A0AULL;
            return ((w - 0x0101010101010101ULL) & ~w & 0x8080808080808080ULL) != 0;
        };
        std::uint64_t first, last;
        std::memcpy(&first, p, 8);
        std::memcpy(&last, p + n - 8, 8);
        if (zeroByte(first) || zeroByte(last))
            return true;
        return n > 16 && std::string_view(p + 8, n - 16).find('\n') != std::string_view::npos;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] == '\n')
            return true;
    }
    return false;
}

// A line with an empty key and an "=" carries a further line of the value before it.
bool IsContinuation(std::string_view trimmedLine) { return trimmedLine.starts_with('='); }

// What came before a read error is read up to its last complete line, as the end of the file
// would be: the size of `text` up to there.
std::size_t CompleteLinesSize(std::string_view text)
{
    const auto lastBreak = text.rfind('\n');
    return lastBreak == std::string_view::npos ? 0 : lastBreak + 1;
}

// The start of the last line of `text` that is not a continuation line: every pair that begins
// before it ends before it, its continuation lines and the byte after them included.
std::size_t LastPairLineStart(std::string_view text)
{
    for (std::size_t end = text.size(); end > 0;) {
        const auto lineBreak = text.rfind('\n', end - 1);
        if (lineBreak == std::string_view::npos)
            break;
        if (lineBreak + 1 < text.size() && text[lineBreak + 1] != '=')
            return lineBreak + 1;
        end = lineBreak;
    }
    return 0;
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

void AppendPairLines(std::string& text, std::string_view key, std::string_view value)
{
    if (!HasLineBreak(value)) {
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

KeyValueReader::KeyValueReader(const std::string& path, IfMissing ifMissing)
{
    FileReadResult file = ReadWholeFile(path, ifMissing);
    m_problem = std::move(file.problem);
    if (!file)
        file.bytes.resize(CompleteLinesSize(file.bytes));
    try {
        m_text = std::make_shared<std::string>(DecodeFileText(std::move(file.bytes)));
    } catch (const std::bad_alloc&) {
        m_text = std::make_shared<std::string>();
        m_problem = strings::kReadTooLarge;
    }
    m_end = m_text->size();
    m_open = m_problem.empty() || !m_text->empty();
}

KeyValueReader KeyValueReader::FromText(std::string text)
{
    KeyValueReader reader;
    reader.m_text = std::make_shared<std::string>(std::move(text));
    reader.m_end = reader.m_text->size();
    reader.m_open = true;
    return reader;
}

struct KeyValueReader::Pieces {
    Pieces(const std::string& path, IfMissing ifMissing) : file(path, ifMissing) {}

    FileReadStream file;
    std::size_t floor = 0;    // the caller's text ends here
    std::size_t checked = 0;  // the text before this is known to be UTF-8
    std::size_t whole = 0;    // a pair that begins before this is in the text whole
    WriteAhead* ahead = nullptr;
    ContentHash* hash = nullptr;
    bool atEnd = false;
    bool mustReadWhole = false;
};

KeyValueReader::KeyValueReader(KeyValueReader&&) noexcept = default;
KeyValueReader& KeyValueReader::operator=(KeyValueReader&&) noexcept = default;
KeyValueReader::~KeyValueReader()
{
    // Nothing points past what was kept once the reader is gone (nor past the text's size,
    // where memory may have been made ready for it).
    if (m_text && m_kept > 0)
        GiveBack(m_kept, m_text->capacity());
}

KeyValueReader KeyValueReader::InPieces(const std::string& path, IfMissing ifMissing, WriteAhead* ahead,
                                        ContentHash* hash)
{
    KeyValueReader reader;
    reader.m_pieces = std::make_unique<Pieces>(path, ifMissing);
    Pieces& pieces = *reader.m_pieces;
    pieces.ahead = ahead;
    pieces.hash = hash;
    reader.m_open = true;
    if (pieces.file.Status() != ReadStatus::Whole) {
        reader.m_problem = pieces.file.Problem();
        reader.m_open = reader.m_problem.empty();
        pieces.atEnd = true;
        return reader;
    }
    try {
        // Room for the whole file and what moving the unread text down may need; only what is
        // used is ever touched.
        const std::size_t room = pieces.file.SizeAtOpen() + 2 * g_pieceSize + (g_pieceSize / 4);
        ReserveWithLargePages(*reader.m_text, room);
    } catch (const std::exception&) {
        reader.m_problem = strings::kReadTooLarge;
        pieces.atEnd = true;
        return reader;
    }
    reader.ReadPiece();
    // A byte order mark says the file was meant as UTF-8; it is skipped, so that a damaged
    // file that carries one still has its first line read as a line.
    if (reader.m_text->starts_with(kByteOrderMark) && reader.m_end >= kByteOrderMark.size())
        reader.m_pos = reader.m_pairStart = pieces.checked = kByteOrderMark.size();
    reader.CheckUtf8(pieces.atEnd);
    return reader;
}

std::size_t KeyValueReader::Size() const
{
    return m_pieces ? m_pieces->file.SizeAtOpen() : m_text->size();
}

void SetReadPieceSizeForTesting(std::size_t size) { g_pieceSize = size == 0 ? kPieceSize : size; }

char* KeyValueReader::KeepRoom(std::size_t size)
{
    const std::size_t free = m_pairStart;
    char* room = nullptr;
    if (m_kept + size <= free) {
        room = m_text->data() + m_kept;
        m_kept += size;
    }
    // Read in pieces, the text still to be read is moved down to just above what is kept, into
    // memory already in use. Read whole, what lies between the kept text and the text still to
    // be read is given back some megabytes at a time, so that the file's whole text and what
    // the caller keeps are never held together.
    if (m_pieces) {
        m_pieces->floor = m_kept;
    } else if (const std::size_t unused = std::min(free, m_hold); unused > m_givenBackTo &&
                                                                 unused - m_givenBackTo >= kGiveBackStep) {
        GiveBack(std::max(m_kept, m_givenBackTo), unused);
        m_givenBackTo = unused;
    }
    return room;
}

bool KeyValueReader::MustReadWhole() const { return m_pieces && m_pieces->mustReadWhole; }

bool KeyValueReader::ReadPiece()
{
    Pieces& pieces = *m_pieces;
    if (pieces.atEnd)
        return false;
    std::string& text = *m_text;
    // The unread text, and the text the caller holds, is moved down to just above the text it
    // keeps, when that leaves room for a whole piece below the highest point reached: the
    // memory already in use is used again.
    const std::size_t from = std::min(m_pairStart, m_hold);
    const std::size_t keep = m_end - from;
    const std::size_t target = pieces.floor + (g_pieceSize / 4);
    if (target < from && target + keep + g_pieceSize <= m_end) {
        const std::size_t by = from - target;
        std::memmove(text.data() + target, text.data() + from, keep);
        m_pos -= by;
        m_pairStart -= by;
        if (m_hold != std::string_view::npos)
            m_hold -= by;
        m_end -= by;
        pieces.checked -= std::min(pieces.checked, by);
        pieces.whole -= std::min(pieces.whole, by);
        m_movedBy += by;
    }
    const std::size_t room = text.capacity() - m_end;
    if (room == 0) {
        // The file grew past what was set aside for it.
        pieces.mustReadWhole = pieces.atEnd = true;
        return false;
    }
    const std::size_t want = std::min(g_pieceSize, room);
    if (m_end + want > text.size())
        text.resize(m_end + want);  // within the capacity: the text never moves
    const std::size_t got = pieces.file.Read(text.data() + m_end, want);
    if (got == 0) {
        pieces.atEnd = true;
        if (pieces.file.Status() == ReadStatus::Incomplete) {
            m_problem = pieces.file.Problem();
            m_end = m_pairStart + CompleteLinesSize(std::string_view(text.data() + m_pairStart, m_end - m_pairStart));
        }
        CheckUtf8(true);
        return false;
    }
    if (pieces.hash)
        pieces.hash->Add(std::string_view(text.data() + m_end, got));
    m_end += got;
    // The text reaches no further than the rest of the file would take it.
    if (pieces.ahead) {
        const std::size_t read = m_end + m_movedBy;
        const std::size_t rest = pieces.file.SizeAtOpen() - std::min(pieces.file.SizeAtOpen(), read);
        pieces.ahead->Reached(WriteAhead::kText, text.data() + m_end,
                              text.data() + std::min(text.capacity(), m_end + rest));
    }
    pieces.whole = m_pairStart + LastPairLineStart(std::string_view(text.data() + m_pairStart, m_end - m_pairStart));
    CheckUtf8(false);
    return !pieces.mustReadWhole;
}

void KeyValueReader::CheckUtf8(bool atEnd)
{
    Pieces& pieces = *m_pieces;
    const std::string& text = *m_text;
    // Checked up to the last whole character unless the input has ended: the rest of one cut
    // by the end of a piece comes with the next.
    std::size_t end = m_end;
    if (!atEnd) {
        for (std::size_t back = 1; back <= 3 && back <= end - pieces.checked; ++back) {
            const auto byte = static_cast<unsigned char>(text[end - back]);
            if (byte < 0x80)
                break;
            if (byte >= 0xC0) {
                const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
                if (length > back)
                    end -= back;
                break;
            }
        }
    }
    if (end <= pieces.checked)
        return;
    if (!IsValidUtf8(std::string_view(text.data() + pieces.checked, end - pieces.checked)))
        pieces.mustReadWhole = pieces.atEnd = true;
    pieces.checked = end;
}

void KeyValueReader::FillGroup()
{
    while (!m_pieces->atEnd && m_pos >= m_pieces->whole) {
        m_pairStart = m_pos;
        ReadPiece();
    }
}

bool KeyValueReader::NextLine(std::string_view& line, std::size_t& equals)
{
    const std::string& text = *m_text;
    if (m_pos >= m_end)
        return false;
    const char* const rest = text.data() + m_pos;
    const std::size_t length = FindLineEnd(rest, text.data() + m_end, equals);
    // The last line is read even without a line break after it. Trimming cannot reach the
    // "=", which is no white space.
    line = TrimEnd(std::string_view(rest, length));
    m_pos += length < m_end - m_pos ? length + 1 : length;
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
    std::size_t equals = 0;
    do {
        m_pairStart = m_pos;
        if (m_pieces) {
            FillGroup();
            if (m_pieces->mustReadWhole)
                return false;
        }
        if (!NextLine(line, equals))
            return false;
    } while (IsContinuation(line));

    if (equals == std::string_view::npos) {
        key = line;
        value = {};
    } else {
        key = line.substr(0, equals);
        value = line.substr(equals + 1);
    }

    // Trimming touches only the end of a line, so a continuation is known by its first byte.
    const std::string& text = *m_text;
    if (m_pos < m_end && text[m_pos] == '=') {
        m_joined.assign(value);
        while (m_pos < m_end && text[m_pos] == '=') {
            NextLine(line, equals);
            m_joined += '\n';
            m_joined += line.substr(1);
        }
        value = m_joined;
    }
    return true;
}

void KeyValueReader::GiveBack(std::size_t begin, std::size_t end)
{
    // Only whole large pages within the range are given back, so that the large pages the text
    // was read into are not broken up into small ones; they read as zeros afterwards and are
    // made again when written.
    const auto base = reinterpret_cast<std::uintptr_t>(m_text->data());
    const std::uintptr_t first = (base + begin + kLargePageSize - 1) / kLargePageSize * kLargePageSize;
    const std::uintptr_t last = (base + end) / kLargePageSize * kLargePageSize;
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
