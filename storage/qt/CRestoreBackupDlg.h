#pragma once

#include <QDialog>

#include <vector>

#include "storage/Backups.h"

class QListWidget;
class QPushButton;

// Lists the backups of the data file, newest first, with their date and time and the number of
// coins in each, for the user to choose the one to restore.
class CRestoreBackupDlg : public QDialog {
    Q_OBJECT

public:
    CRestoreBackupDlg(std::vector<BackupEntry> backups, QWidget* parent = nullptr);

    // The chosen backup once the dialog was accepted; null otherwise.
    const BackupEntry* Chosen() const;

private:
    std::vector<BackupEntry> m_backups;
    QListWidget* m_list = nullptr;
    QPushButton* m_restore = nullptr;
};
