#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "storage/AtomicFile.h"

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

// The key and value of one line: the key is the text before the first "=", the value all
// after it; a line without "=" is all key.
std::pair<std::string, std::string> SplitKeyValueLine(std::string_view line);

// The same, as views into `line`.
std::pair<std::string_view, std::string_view> SplitKeyValueView(std::string_view line);

// Reads the pairs of a file, in file order.
class KeyValueReader {
public:
    // Reads the whole file. A missing file is created empty, and reads as empty. A file that
    // could not be read whole gives the complete lines read before the failure, if any.
    explicit KeyValueReader(const std::string& path);

    // Reads pairs from text already in memory (as decoded from a file).
    static KeyValueReader FromText(std::string text);

    // Reads the file a piece at a time instead of whole: the text read and not yet made into
    // pairs is moved down, above what the caller keeps (SetFloor), so that the memory used is
    // what the caller keeps and a piece, not the whole file. The file must be UTF-8 throughout
    // (a byte order mark is skipped); when it turns out not to be, or when it grows past the
    // room set aside for it while it is read, NextPair stops and MustReadWhole() says that the
    // file has to be read again, whole, with the other constructor.
    static KeyValueReader InPieces(const std::string& path);

    KeyValueReader(KeyValueReader&&) noexcept;
    KeyValueReader& operator=(KeyValueReader&&) noexcept;
    ~KeyValueReader();

    bool IsOpen() const { return m_open; }

    // False when the file exists but could not be read whole (no permission, not an ordinary
    // file, a read error, too large for the memory); Problem() then says why in plain words.
    bool IsComplete() const { return m_problem.empty(); }
    const std::string& Problem() const { return m_problem; }

    // How far the reading has come: the bytes of the file's text read, of all there are.
    std::size_t Position() const { return m_pos + m_movedBy; }
    std::size_t Size() const;

    // Where the pair NextPair gave last begins in the text, and where the text read so far
    // ends.
    std::size_t PairStart() const { return m_pairStart; }
    std::size_t End() const { return m_end; }

    bool ReadsInPieces() const { return m_pieces != nullptr; }

    // Read in pieces: the text before `offset` is the caller's and is never moved or written.
    void SetFloor(std::size_t offset);

    // Read in pieces: the file is not UTF-8 throughout, or outgrew its room; the pairs given so
    // far must be dropped and the file read whole.
    bool MustReadWhole() const;

    // The whole text the pairs are read from. What lies before PairStart() has been read and
    // may be written over; records may share the text to keep parts of it.
    const std::shared_ptr<std::string>& Text() const { return m_text; }

    // Gives the memory of the text between two offsets back to the system (large pages only,
    // so a small range may give back nothing); those bytes read as zeros afterwards. For text
    // already read and not needed, so that a large file's text and what is made from it need
    // not be held together.
    void GiveBack(std::size_t begin, std::size_t end);

    // The next pair, continuation lines joined to it; false at the end of the input.
    bool NextPair(std::string& key, std::string& value);

    // The same as views, which stay valid until the next call or until the caller writes over
    // the text they point into.
    bool NextPair(std::string_view& key, std::string_view& value);

private:
    KeyValueReader() = default;

    // The next line without its trailing white space; false at the end of the input.
    bool NextLine(std::string_view& line);

    // Read in pieces: makes sure the text from the read position holds a whole line, the
    // continuation lines after it and the byte after those, unless the input ends first.
    void FillGroup();
    // Reads the next piece, moving the unread text down first where that makes room; false
    // when nothing more can be read.
    bool ReadPiece();
    void CheckUtf8(bool atEnd);

    struct Pieces;

    std::shared_ptr<std::string> m_text = std::make_shared<std::string>();
    std::string m_problem;
    std::string m_joined;  // a value with continuation lines, joined
    std::size_t m_pos = 0;
    std::size_t m_pairStart = 0;
    std::size_t m_end = 0;      // the text read so far ends here
    std::size_t m_movedBy = 0;  // how far the unread text has been moved down in all
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
    SaveResult Commit() { return m_file.Commit(); }

private:
    AtomicFile m_file;
};
