#pragma once

#include <QAbstractTableModel>
#include <QFont>

#include <array>
#include <memory>
#include <span>
#include <vector>

#include "records/Collection.h"
#include "records/CollectionEditor.h"
#include "records/qt/TextWidthMeter.h"

// The list view's model over the collection: one row per coin, one column per field. Every
// change to the rows goes through this class, so that the view hears of it and the widest
// text of each column stays known without measuring every cell again. Rows taken in bulk (a
// loaded file) are not measured one by one: the widest text is then looked for among the
// texts that can be it (see FindUnknownWidths).
//
// Sorting and reversing exchange row contents (dataChanged), not rows, so the selection stays
// at its row index: Update and Delete act on the marked row, which is an index.
//
// As the undo history's editor, it tells the view of every change the history makes.
class CoinTableModel : public QAbstractTableModel, public CollectionEditor {
    Q_OBJECT

public:
    CoinTableModel(Collection& collection, const QFont& font, QObject* parent = nullptr);
    ~CoinTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const Collection& collection() const { return m_collection; }

    // The width in pixels of the widest text of each column.
    using ColumnWidths = std::array<int, kCoinFieldCount>;

    void LoadBottomUp(std::vector<CoinRecord> records, Collection::Names names = Collection::Names::MayBeEmpty);
    // The same when the widest texts of `records` are known already (see MeasureRows), so that
    // they are not measured again.
    void LoadBottomUp(std::vector<CoinRecord> records, const ColumnWidths& widest, Collection::Names names);
    void Clear();

    // Widens `widest` to the widest text of each column among `rows`, which need not be in the
    // list: a file's records are measured a run at a time while it is still being read. On a
    // thread other than the model's, with a meter of that thread's own, made from a font of its
    // own (MeasuringFont), so that no font's data is shared between the threads.
    void MeasureRows(std::span<const CoinRecord> rows, ColumnWidths& widest) const;
    void MeasureRows(std::span<const CoinRecord> rows, ColumnWidths& widest, TextWidthMeter& meter) const;
    QString MeasuringFont() const { return m_font.toString(); }

    // The changes of the undo history, each with the view's notifications.
    bool InsertRows(int row, std::vector<CoinRecord> bottomUp) override;
    std::vector<CoinRecord> TakeRows(int row, int count) override;
    bool SwapRow(int row, CoinRecord& record) override;
    void SwapAllRows(std::vector<CoinRecord>& bottomUp) override;
    bool SortByColumn(CoinField column, std::vector<std::uint32_t>& order) override;
    bool Permute(const std::vector<std::uint32_t>& order) override;
    bool Unpermute(const std::vector<std::uint32_t>& order) override;
    void ReverseRows() override;

    // The width in pixels of the widest text in a column, 0 for an empty list.
    int WidestText(int column) const;

private:
    // The widest text of one column, as far as it is known. Rows added later widen it; a row
    // that goes and may have been the widest makes it unknown, and it is found again from
    // the rows when next asked for.
    struct Widest {
        int width = 0;
        bool known = true;
    };

    void CountRow(const CoinRecord& record, bool add);
    void ForgetWidths();
    void FindUnknownWidths() const;
    using ColumnFlags = std::array<bool, kCoinFieldCount>;
    ColumnWidths WidestOf(std::span<const CoinRecord> rows, const ColumnFlags& find, const ColumnWidths& atLeast,
                          TextWidthMeter& meter) const;
    void AllRowsChanged();

    Collection& m_collection;
    QFont m_font;
    std::unique_ptr<TextWidthMeter> m_meter;
    mutable std::array<Widest, kCoinFieldCount> m_widths;
};
