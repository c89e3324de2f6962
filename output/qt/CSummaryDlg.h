#pragma once

#include <QDialog>

#include <functional>

#include "output/CollectionSummary.h"

class QComboBox;
class QSortFilterProxyModel;
class QTableView;
class SummaryGroupModel;

// What the collection holds and is worth: the number of coins, the totals of Purchase Price
// and Current Value with their difference and the values not read as amounts; a table by
// country, category or condition, sortable by each column; and three bar charts. "Save as
// HTML..." writes the summary as a page to the file the chooser names.
class CSummaryDlg : public QDialog {
    Q_OBJECT

public:
    // The path to write the page to, empty when the user cancelled.
    using ChooseSavePath = std::function<QString()>;
    // Shows an error box with the program's fixed text and caption.
    using ShowError = std::function<void(const QString& text, const QString& caption)>;

    // `pageTitle` heads the saved page.
    CSummaryDlg(CollectionSummary summary, const QString& pageTitle, ChooseSavePath chooseSavePath,
                ShowError showError, QWidget* parent = nullptr);

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
    ChooseSavePath m_chooseSavePath;
    ShowError m_showError;
    SummaryGroupModel* m_groups;
    QSortFilterProxyModel* m_sorted;
    QComboBox* m_grouping = nullptr;
    QTableView* m_table = nullptr;
};
