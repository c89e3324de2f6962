#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "storage/CsvColumnGuess.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The map of a CSV file's columns to the coin's fields, asked before an import of a file with
// other headings than ours: one line per column with its heading, its first values and a
// drop-down of the thirteen fields and "Leave out", set to the first guess. It says which
// columns will be joined into one field, and OK waits for a column for Name. "Remember" keeps
// the map for the next file with the same header row.
class CCsvMapDlg : public QDialog {
    Q_OBJECT

public:
    CCsvMapDlg(std::vector<std::string> headings, const std::vector<std::vector<std::string>>& sampleRows,
               const CsvColumnMap& guess, QWidget* parent = nullptr);

    CsvColumnMap Map() const;
    bool Remember() const;

    // The drop-down of column `column` (its items: "Leave out", then the fields in order).
    QComboBox* FieldBox(int column) const { return m_boxes.at(column); }
    QLabel* NotesLabel() const { return m_notes; }
    QCheckBox* RememberBox() const { return m_remember; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void UpdateNotes();

    std::vector<std::string> m_headings;
    QList<QComboBox*> m_boxes;
    QLabel* m_notes = nullptr;
    QCheckBox* m_remember = nullptr;
    QPushButton* m_ok = nullptr;
};
