#include "records/qt/CoinTableModel.h"

CoinTableModel::CoinTableModel(Collection& collection, const QFont& font, QObject* parent)
    : QAbstractTableModel(parent), CollectionEditor(collection), m_collection(collection),
      m_meter(std::make_unique<TextWidthMeter>(font))
{
    for (const CoinRecord& r : m_collection.BottomUp())
        CountRow(r, true);
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

void CoinTableModel::InsertTop(CoinRecord record)
{
    beginInsertRows({}, 0, 0);
    CountRow(record, true);
    m_collection.InsertTop(std::move(record));
    endInsertRows();
}

void CoinTableModel::LoadBottomUp(std::vector<CoinRecord> records)
{
    beginResetModel();
    try {
        const int before = m_collection.Count();
        m_collection.LoadBottomUp(std::move(records));
        const auto& rows = m_collection.BottomUp();
        for (std::size_t i = static_cast<std::size_t>(before); i < rows.size(); ++i)
            CountRow(rows[i], true);
    } catch (...) {
        // Out of memory part way: the list is emptied rather than left half counted.
        m_collection.Clear();
        for (WidthCounts& counts : m_widths)
            counts.Clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

bool CoinTableModel::Replace(int row, CoinRecord record)
{
    if (row < 0 || row >= m_collection.Count())
        return false;
    CountRow(m_collection.Row(row), false);
    CountRow(record, true);
    m_collection.Replace(row, std::move(record));
    emit dataChanged(index(row, 0), index(row, kCoinFieldCount - 1));
    return true;
}

bool CoinTableModel::Remove(int row)
{
    if (row < 0 || row >= m_collection.Count())
        return false;
    beginRemoveRows({}, row, row);
    CountRow(m_collection.Row(row), false);
    m_collection.Remove(row);
    endRemoveRows();
    return true;
}

void CoinTableModel::Clear()
{
    beginResetModel();
    m_collection.Clear();
    for (WidthCounts& w : m_widths)
        w.Clear();
    endResetModel();
}

void CoinTableModel::SortByColumn(CoinField column)
{
    m_collection.SortByColumn(column);
    AllRowsChanged();
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
    for (const CoinRecord& r : bottomUp)
        CountRow(r, true);
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
    for (const CoinRecord& r : taken)
        CountRow(r, false);
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
    for (WidthCounts& w : m_widths)
        w.Clear();
    for (const CoinRecord& r : m_collection.BottomUp())
        CountRow(r, true);
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

int CoinTableModel::WidestText(int column) const { return m_widths[column].Widest(); }

void CoinTableModel::AllRowsChanged()
{
    if (m_collection.Count() > 0)
        emit dataChanged(index(0, 0), index(m_collection.Count() - 1, kCoinFieldCount - 1));
}

void CoinTableModel::CountRow(const CoinRecord& record, bool add)
{
    for (int c = 0; c < kCoinFieldCount; ++c) {
        const int w = m_meter->Width(record.Get(kCoinFields[c]));
        if (add)
            m_widths[c].Add(w);
        else
            m_widths[c].Remove(w);
    }
}

void CoinTableModel::WidthCounts::Add(int width)
{
    if (width < static_cast<int>(m_small.size())) {
        ++m_small[width];
        m_widestSmall = std::max(m_widestSmall, width);
    } else {
        ++m_large[width];
    }
}

void CoinTableModel::WidthCounts::Remove(int width)
{
    if (width < static_cast<int>(m_small.size())) {
        if (m_small[width] > 0 && --m_small[width] == 0 && width == m_widestSmall) {
            while (m_widestSmall >= 0 && m_small[m_widestSmall] == 0)
                --m_widestSmall;
        }
    } else if (auto it = m_large.find(width); it != m_large.end() && --it->second == 0) {
        m_large.erase(it);
    }
}

int CoinTableModel::WidthCounts::Widest() const
{
    if (!m_large.empty())
        return m_large.rbegin()->first;
    return std::max(m_widestSmall, 0);
}

void CoinTableModel::WidthCounts::Clear()
{
    std::fill(m_small.begin(), m_small.end(), 0);
    m_large.clear();
    m_widestSmall = -1;
}
