#include "output/qt/SummaryGroupModel.h"

#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

SummaryGroupModel::SummaryGroupModel(QObject* parent) : QAbstractTableModel(parent) {}

void SummaryGroupModel::SetGroups(std::vector<SummaryGroup> groups, const QString& heading)
{
    beginResetModel();
    m_groups = std::move(groups);
    m_heading = heading;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, kName, kName);
}

int SummaryGroupModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_groups.size());
}

int SummaryGroupModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SummaryGroupModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SummaryGroup& group = m_groups[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    if (role == Qt::DisplayRole) {
        switch (column) {
        case kName:
            return ToQString(group.name.empty() ? std::string_view(kNoValueLabel) : group.name);
        case kCoins:
            return QString::number(group.coins);
        case kPurchase:
            return ToQString(AmountText(group.purchase.total));
        case kCurrent:
            return ToQString(AmountText(group.current.total));
        }
    } else if (role == kSortRole) {
        switch (column) {
        case kName:
            return index.row();
        case kCoins:
            return group.coins;
        case kPurchase:
            return static_cast<qlonglong>(group.purchase.total);
        case kCurrent:
            return static_cast<qlonglong>(group.current.total);
        }
    } else if (role == Qt::TextAlignmentRole && column != kName) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant SummaryGroupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && section != kName)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    // A first click on a number column puts the largest at the top.
    if (role == Qt::InitialSortOrderRole)
        return section == kName ? Qt::AscendingOrder : Qt::DescendingOrder;
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kName:
        return m_heading;
    case kCoins:
        return ToQString(strings::kSummaryCoins);
    case kPurchase:
        return ToQString(strings::kSummaryPurchase);
    case kCurrent:
        return ToQString(strings::kSummaryCurrent);
    }
    return {};
}
