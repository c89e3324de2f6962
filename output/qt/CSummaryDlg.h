#pragma once

#include <QDialog>

#include "output/CollectionSummary.h"

class Platform;
class QComboBox;
class QSortFilterProxyModel;
class QTableView;
class SummaryGroupModel;

// What the collection holds and is worth: the number of coins, the totals of Purchase Price
// and Current Value with their difference and the values not read as amounts; a table by
// country, category or condition, sortable by each column; and three bar charts. "Save as
// HTML..." writes the summary as a page to the file the platform's save dialog names.
class CSummaryDlg : public QDialog {
    Q_OBJECT

public:
    // `pageTitle` heads the saved page; `platform` asks for the page's file and shows the box
    // when it cannot be written, and must outlive the dialog.
    CSummaryDlg(CollectionSummary summary, const QString& pageTitle, Platform& platform,
                QWidget* parent = nullptr);

    const CollectionSummary& Summary() const { return m_summary; }

    // Fills the table with the groups by country (0), category (1) or condition (2).
    void ShowGrouping(int grouping);
    void OnSaveAsHtml();

private:
    QWidget* BuildTotals();
    QWidget* BuildTable();
    QWidget* BuildCharts();

    CollectionSummary m_summary;
    QString m_pageTitle;
    Platform& m_platform;
    SummaryGroupModel* m_groups;
    QSortFilterProxyModel* m_sorted;
    QComboBox* m_grouping = nullptr;
    QTableView* m_table = nullptr;
};
