#pragma once

#include <QDialog>

#include <memory>
#include <vector>

#include "storage/Backups.h"

class BackupCoinCounter;
class QListWidget;
class QPushButton;

// Lists the backups of the data file, newest first, with their date and time and size at once,
// and the number of coins in each as soon as it is counted, for the user to choose the one to
// restore. The backups are counted on a thread of their own, which stops when the dialog
// closes, so that large backups never keep the dialog from answering.
class CRestoreBackupDlg : public QDialog {
    Q_OBJECT

public:
    CRestoreBackupDlg(std::vector<BackupEntry> backups, QWidget* parent = nullptr);
    ~CRestoreBackupDlg() override;

    // The chosen backup once the dialog was accepted, with its coins when they were counted;
    // null otherwise.
    const BackupEntry* Chosen() const;

private:
    void ShowCount(std::size_t index, long coins);

    std::vector<BackupEntry> m_backups;
    QListWidget* m_list = nullptr;
    QPushButton* m_restore = nullptr;
    std::unique_ptr<BackupCoinCounter> m_counter;
};
