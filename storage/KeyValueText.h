#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "records/WriteAhead.h"
#include "storage/AtomicFile.h"
#include "storage/FileReader.h"
#include "storage/FileStamp.h"

// The line-oriented KEY=value text of both files, "nmr.dat" and "nmr.ini".
//
// A text starts with the header line and holds one KEY=value line per value, each pair written
// after a line break. On disk every line ends with CR LF; readers take CR LF and LF alike. A
// value keeps everything after the first "=" of its line. A value with line breaks is written
// as its first line, followed by one continuation line per further line: "=" and that line's
// text. A line with an empty key and an "=" continues the value of the pair before it. Trailing
// white space of every line is dropped on reading.

inline constexpr std::string_view kKeyValueHeader = "CREATOR=NMR 1.0";

// Appends a line feed, the key, "=" and the value (with continuation lines for line breaks in
// the value) to `text`.
void AppendPair(std::string& text, std::string_view key, std::string_view value);

// The same with the line breaks as the file has them, CR LF, for KeyValueWriter::WriteLines.
void AppendPairLines(std::string& text, std::string_view key, std::string_view value);

// Reads the pairs of a file, in file order, through the program's one file reader.
//
// A caller may keep parts of the text itself (KeepRoom): the data file packs each record's
// texts over the lines already read, so that a large file costs little more memory than its
// values.
class KeyValueReader {
public:
    // Reads the whole file. A missing file is created empty (unless told to leave it), and
    // reads as empty. A file that could not be read whole gives the complete lines read before
    // the failure, if any.
    explicit KeyValueReader(const std::string& path, IfMissing ifMissing = IfMissing::CreateEmpty);

    // Reads pairs from text already in memory (as decoded from a file).
    static KeyValueReader FromText(std::string text);

    // Reads the file a piece at a time instead of whole, so that the memory used is what the
    // caller keeps and a piece, not the whole file. The file must be UTF-8 throughout (a byte
    // order mark is skipped); when it turns out not to be, or when it grows while it is read
    // past the room set aside for it, NextPair stops and MustReadWhole() says that the pairs
    // given so far must be dropped and the file read again, whole, with the other constructor.
    // With `ahead`, the reader says there how far it has written its text (see WriteAhead);
    // with `hash`, it adds there every byte it reads from the file, in order.
    static KeyValueReader InPieces(const std::string& path, IfMissing ifMissing = IfMissing::CreateEmpty,
                                   WriteAhead* ahead = nullptr, ContentHash* hash = nullptr);

    KeyValueReader(KeyValueReader&&) noexcept;
    KeyValueReader& operator=(KeyValueReader&&) noexcept;
    // Gives back to the system the memory of the text beyond what was kept.
    ~KeyValueReader();

    bool IsOpen() const { return m_open; }

    // False when the file exists but could not be read whole (no permission, not an ordinary
    // file, a read error, too large for the memory); Problem() then says why in plain words.
    bool IsComplete() const { return m_problem.empty(); }
    const std::string& Problem() const { return m_problem; }

    bool MustReadWhole() const;

    // How far the reading has come: the bytes of the file's text read, of all there are.
    std::size_t Position() const { return m_pos + m_movedBy; }
    std::size_t Size() const;

    // The next pair, continuation lines joined to it; false at the end of the input.
    bool NextPair(std::string& key, std::string& value);

    // The same as views, which stay valid until the next call.
    bool NextPair(std::string_view& key, std::string_view& value);

    // `size` bytes of the text for the caller to keep, after what it kept before: text already
    // read, before the pair NextPair gave last (all of the text once NextPair gave false),
    // which the reader never moves or writes again. Null when there is not that much; the
    // caller then keeps its bytes elsewhere. The bytes stay valid as long as KeptTextOwner(),
    // or a copy of it, lives.
    char* KeepRoom(std::size_t size);
    const std::shared_ptr<std::string>& KeptTextOwner() const { return m_text; }

    // Keeps the text from the start of the pair NextPair gave last in memory until the next
    // call, moving it with the unread text when that is moved down, so that a caller may refer
    // to the values of many pairs at once, by their places. The room KeepRoom gives may reach
    // into the held text: a caller that packs held values there copies each before it is
    // written over.
    void HoldFromLastPair() { m_hold = m_pairStart; }

    // Where a value NextPair gave lies in the text, counted from the start of the text read so
    // that moving the text does not change it; npos for a value joined from continuation
    // lines, which lies elsewhere until the next pair.
    std::size_t PlaceOf(std::string_view value) const
    {
        const char* base = m_text->data();
        if (value.data() < base || value.data() >= base + m_end)
            return std::string_view::npos;
        return static_cast<std::size_t>(value.data() - base) + m_movedBy;
    }

    // The held text at a place PlaceOf gave.
    const char* AtPlace(std::size_t place) const { return m_text->data() + (place - m_movedBy); }

private:
    KeyValueReader() = default;

    // The next line without its trailing white space, and where its first "=" is (npos for
    // none); false at the end of the input.
    bool NextLine(std::string_view& line, std::size_t& equals);

    // Read in pieces: makes sure the text from the read position holds a whole line, the
    // continuation lines after it and the byte after those, unless the input ends first.
    void FillGroup();
    // Reads the next piece, moving the unread text down to just above what the caller keeps
    // first where that makes room; false when nothing more can be read.
    bool ReadPiece();
    void CheckUtf8(bool atEnd);
    // Gives the memory of the text between two offsets back to the system (whole large pages
    // only); those bytes read as zeros afterwards.
    void GiveBack(std::size_t begin, std::size_t end);

    struct Pieces;

    std::shared_ptr<std::string> m_text = std::make_shared<std::string>();
    std::string m_problem;
    std::string m_joined;  // a value with continuation lines, joined
    std::size_t m_pos = 0;
    std::size_t m_pairStart = 0;  // where the pair NextPair gave last begins
    std::size_t m_end = 0;        // the text read so far ends here
    std::size_t m_movedBy = 0;    // how far the unread text has been moved down in all
    std::size_t m_kept = 0;       // the caller keeps the text before this offset
    std::size_t m_givenBackTo = 0;  // what lies before this offset and after m_kept is given back
    std::size_t m_hold = std::string_view::npos;  // the caller refers to the text from here on
    std::unique_ptr<Pieces> m_pieces;
    bool m_open = false;
};

// The size of the pieces InPieces reads; tests make it small so that pieces end everywhere.
// 0 restores the size used otherwise.
void SetReadPieceSizeForTesting(std::size_t size);

// Writes a file of pairs safely (see AtomicFile): nothing replaces the old file until Commit.
class KeyValueWriter {
public:
    explicit KeyValueWriter(std::string path);

    bool IsOpen() const { return m_file.IsOpen(); }

    // Why the file could not be opened, when IsOpen is false.
    const std::string& OpenError() const { return m_file.OpenError(); }

    // Writes the text, each line feed as CR LF.
    void Write(std::string_view text);

    // Writes text whose line breaks are CR LF already, as it is.
    void WriteLines(std::string_view text) { m_file.Write(text); }

    // Replaces the file with what was written; nothing replaces it when this is not called.
    Outcome Commit() { return m_file.Commit(); }

private:
    AtomicFile m_file;
};
