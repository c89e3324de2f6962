#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

#include "output/CollectionSummary.h"

// The summary's groups of one kind (by country, category or condition) as a table: the value,
// the number of coins, the purchase total and the current total. The sort role gives numbers
// for the number columns and, for the value column, the place of the group in the summary, so
// that sorting that column up restores the order of the drop-down lists.
class SummaryGroupModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kName, kCoins, kPurchase, kCurrent, kColumnCount };
    static constexpr int kSortRole = Qt::UserRole;

    explicit SummaryGroupModel(QObject* parent = nullptr);

    // Shows other groups; `heading` heads the value column ("Country").
    void SetGroups(std::vector<SummaryGroup> groups, const QString& heading);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<SummaryGroup> m_groups;
    QString m_heading;
};
