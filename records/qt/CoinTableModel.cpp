#include "records/qt/CoinTableModel.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <system_error>
#include <thread>

#include "records/Utf8.h"

namespace {

// Taken or given back at once, more rows than this are not measured one by one: the widest
// text of each column is looked for again when asked for.
constexpr std::size_t kRowsMeasuredOneByOne = 64;

// From this many rows on, the widest texts are looked for in two halves at once.
constexpr std::size_t kRowsMeasuredInTwoHalves = 20000;

}  // namespace

CoinTableModel::CoinTableModel(Collection& collection, const QFont& font, QObject* parent)
    : QAbstractTableModel(parent), CollectionEditor(collection), m_collection(collection),
      m_font(font), m_meter(std::make_unique<TextWidthMeter>(font))
{
    if (!m_collection.Empty())
        ForgetWidths();
}

CoinTableModel::~CoinTableModel() = default;

int CoinTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_collection.Count();
}

int CoinTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kCoinFieldCount;
}

QVariant CoinTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_collection.Count())
        return {};
    const std::string_view text = m_collection.Row(index.row()).Get(kCoinFields[index.column()]);
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // A cell shows a multi-line Description as one line.
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown;
}

QVariant CoinTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kCoinFieldCount)
        return {};
    const std::string_view heading = ColumnHeading(kCoinFields[section]);
    return QString::fromLatin1(heading.data(), static_cast<qsizetype>(heading.size()));
}

void CoinTableModel::LoadBottomUp(std::vector<CoinRecord> records, Collection::Names names)
{
    beginResetModel();
    try {
        m_collection.LoadBottomUp(std::move(records), names);
        ForgetWidths();
    } catch (...) {
        // Out of memory part way: the list is emptied rather than left half counted.
        m_collection.Clear();
        m_widths = {};
        endResetModel();
        throw;
    }
    endResetModel();
}

void CoinTableModel::LoadBottomUp(std::vector<CoinRecord> records, const ColumnWidths& widest,
                                  Collection::Names names)
{
    const bool wasEmpty = m_collection.Empty();
    LoadBottomUp(std::move(records), names);
    if (!wasEmpty)
        return;  // the rows there before are measured again when asked for
    for (int c = 0; c < kCoinFieldCount; ++c)
        m_widths[c] = {widest[c], true};
}

void CoinTableModel::MeasureRows(std::span<const CoinRecord> rows, ColumnWidths& widest) const
{
    MeasureRows(rows, widest, *m_meter);
}

void CoinTableModel::MeasureRows(std::span<const CoinRecord> rows, ColumnWidths& widest, TextWidthMeter& meter) const
{
    ColumnFlags all;
    all.fill(true);
    // Texts no wider than the widest of the runs before need no measuring.
    const ColumnWidths found = WidestOf(rows, all, widest, meter);
    for (int c = 0; c < kCoinFieldCount; ++c)
        widest[c] = std::max(widest[c], found[c]);
}

void CoinTableModel::Clear()
{
    beginResetModel();
    m_collection.Clear();
    m_widths = {};
    endResetModel();
}

void CoinTableModel::ReverseRows()
{
    m_collection.ReverseRows();
    AllRowsChanged();
}

bool CoinTableModel::InsertRows(int row, std::vector<CoinRecord> bottomUp)
{
    if (row < 0 || row > m_collection.Count() || bottomUp.empty())
        return CollectionEditor::InsertRows(row, std::move(bottomUp));
    const int count = static_cast<int>(bottomUp.size());
    if (bottomUp.size() > kRowsMeasuredOneByOne) {
        ForgetWidths();
    } else {
        for (const CoinRecord& r : bottomUp)
            CountRow(r, true);
    }
    beginInsertRows({}, row, row + count - 1);
    const bool done = CollectionEditor::InsertRows(row, std::move(bottomUp));
    endInsertRows();
    return done;
}

std::vector<CoinRecord> CoinTableModel::TakeRows(int row, int count)
{
    if (row < 0 || count <= 0 || row + count > m_collection.Count())
        return CollectionEditor::TakeRows(row, count);
    beginRemoveRows({}, row, row + count - 1);
    std::vector<CoinRecord> taken = CollectionEditor::TakeRows(row, count);
    endRemoveRows();
    if (taken.size() > kRowsMeasuredOneByOne) {
        ForgetWidths();
    } else {
        for (const CoinRecord& r : taken)
            CountRow(r, false);
    }
    return taken;
}

bool CoinTableModel::SwapRow(int row, CoinRecord& record)
{
    if (row < 0 || row >= m_collection.Count())
        return false;
    CountRow(m_collection.Row(row), false);
    CountRow(record, true);
    const bool done = CollectionEditor::SwapRow(row, record);
    emit dataChanged(index(row, 0), index(row, kCoinFieldCount - 1));
    return done;
}

void CoinTableModel::SwapAllRows(std::vector<CoinRecord>& bottomUp)
{
    beginResetModel();
    CollectionEditor::SwapAllRows(bottomUp);
    ForgetWidths();
    endResetModel();
}

bool CoinTableModel::SortByColumn(CoinField column, std::vector<std::uint32_t>& order)
{
    const bool reversed = CollectionEditor::SortByColumn(column, order);
    AllRowsChanged();
    return reversed;
}

bool CoinTableModel::Permute(const std::vector<std::uint32_t>& order)
{
    const bool done = CollectionEditor::Permute(order);
    AllRowsChanged();
    return done;
}

bool CoinTableModel::Unpermute(const std::vector<std::uint32_t>& order)
{
    const bool done = CollectionEditor::Unpermute(order);
    AllRowsChanged();
    return done;
}

int CoinTableModel::WidestText(int column) const
{
    if (!m_widths[column].known)
        FindUnknownWidths();
    return m_widths[column].width;
}

void CoinTableModel::AllRowsChanged()
{
    if (m_collection.Count() > 0)
        emit dataChanged(index(0, 0), index(m_collection.Count() - 1, kCoinFieldCount - 1));
}

void CoinTableModel::CountRow(const CoinRecord& record, bool add)
{
    for (int c = 0; c < kCoinFieldCount; ++c) {
        Widest& widest = m_widths[c];
        if (!widest.known)
            continue;
        const int w = m_meter->Width(record.Get(kCoinFields[c]));
        if (add)
            widest.width = std::max(widest.width, w);
        else if (w > 0 && w >= widest.width)
            widest.known = false;  // perhaps the only text that wide
    }
}

void CoinTableModel::ForgetWidths()
{
    for (Widest& widest : m_widths)
        widest.known = false;
}

namespace {

using ColumnFlags = std::array<bool, kCoinFieldCount>;
using ColumnWidths = CoinTableModel::ColumnWidths;

// The widest text of each column marked in `find` among rows [begin, end), measured with
// `meter`, or `atLeast` where that is wider (the widest of rows measured before); the others
// are left at 0.
ColumnWidths WidestInRows(std::span<const CoinRecord> rows, std::size_t begin, std::size_t end,
                          const ColumnFlags& find, TextWidthMeter& meter, const ColumnWidths& atLeast)
{
    ColumnWidths widths{};
    if (begin >= end)
        return widths;
    // The longest text of a column in bytes is measured first: it is usually among the widest,
    // and the wider it is, the fewer texts can be wider. A column whose width so far is known
    // from rows measured before starts from that instead, and needs no pass of its own.
    ColumnFlags look{};
    bool anyToLook = false;
    for (int c = 0; c < kCoinFieldCount; ++c) {
        widths[c] = find[c] ? atLeast[c] : 0;
        look[c] = find[c] && atLeast[c] == 0;
        anyToLook = anyToLook || look[c];
    }
    if (anyToLook) {
        std::array<std::size_t, kCoinFieldCount> longest{};
        std::array<std::size_t, kCoinFieldCount> longestRow{};
        longestRow.fill(begin);
        for (std::size_t r = begin; r < end; ++r) {
            for (int c = 0; c < kCoinFieldCount; ++c) {
                const std::size_t size = rows[r].Get(kCoinFields[c]).size();
                if (look[c] && size > longest[c]) {
                    longest[c] = size;
                    longestRow[c] = r;
                }
            }
        }
        for (int c = 0; c < kCoinFieldCount; ++c) {
            if (look[c])
                widths[c] = meter.Width(rows[longestRow[c]].Get(kCoinFields[c]));
        }
    }

    // A text of ASCII alone is at most its length times the widest ASCII advance, so a short
    // one cannot be wider than what was found; any other text is measured.
    const auto perByte = static_cast<std::size_t>(meter.WidestAsciiAdvance());
    // Which fields of a record hold more than ASCII is found in one look at its texts, which
    // lie together; in most records none does, and in the others most texts are ASCII still.
    // A text of ASCII is measured by adding up its bytes' advances (AsciiAdvances); only other
    // texts go to the meter.
    const AsciiAdvances& ascii = meter.AsciiSums();
    for (std::size_t r = begin; r < end; ++r) {
        const CoinRecord& row = rows[r];
        const std::uint32_t nonAscii = row.NonAsciiFields();
        for (int c = 0; c < kCoinFieldCount; ++c) {
            if (!find[c])
                continue;
            const std::string_view text = row.Get(kCoinFields[c]);
            int& widest = widths[c];
            const bool plain = (nonAscii >> FieldIndex(kCoinFields[c]) & 1) == 0;
            if (plain && text.size() * perByte <= static_cast<std::size_t>(widest))
                continue;
            const long long width = plain ? ascii.Width(text) : meter.Width(text);
            widest = std::max(widest, static_cast<int>(std::min<long long>(width, INT_MAX)));
        }
    }
    return widths;
}

}  // namespace

void CoinTableModel::FindUnknownWidths() const
{
    ColumnFlags find{};
    for (int c = 0; c < kCoinFieldCount; ++c)
        find[c] = !m_widths[c].known;
    const ColumnWidths found = WidestOf(m_collection.BottomUp(), find, {}, *m_meter);
    for (int c = 0; c < kCoinFieldCount; ++c) {
        if (find[c])
            m_widths[c] = {found[c], true};
    }
}

CoinTableModel::ColumnWidths CoinTableModel::WidestOf(std::span<const CoinRecord> rows, const ColumnFlags& find,
                                                     const ColumnWidths& atLeast, TextWidthMeter& meter) const
{
    // Many rows are measured in two halves at once, the second on a thread of its own with a
    // meter of its own: font metrics may be used on any thread, each with its own font, made
    // here from the description of the model's so that no font's data is shared with this
    // thread. The widest of the two halves is the widest of all.
    ColumnWidths second{};
    std::size_t half = rows.size();
    std::exception_ptr failure;
    QString font;  // read by the helper, so it lives until the helper is joined below
    std::thread helper;
    if (rows.size() >= kRowsMeasuredInTwoHalves) {
        half = rows.size() / 2;
        font = m_font.toString();
        try {
            helper = std::thread([&] {
                try {
                    TextWidthMeter ownMeter(font);
                    second = WidestInRows(rows, half, rows.size(), find, ownMeter, atLeast);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            half = rows.size();  // no thread: all rows are measured here
        }
    }
    ColumnWidths first{};
    try {
        first = WidestInRows(rows, 0, half, find, meter, atLeast);
    } catch (...) {
        if (helper.joinable())
            helper.join();
        throw;
    }
    if (helper.joinable())
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
    for (int c = 0; c < kCoinFieldCount; ++c)
        first[c] = std::max(first[c], second[c]);
    return first;
}
