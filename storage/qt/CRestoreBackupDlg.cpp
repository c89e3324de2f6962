#include "storage/qt/CRestoreBackupDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

CRestoreBackupDlg::CRestoreBackupDlg(std::vector<BackupEntry> backups, QWidget* parent)
    : QDialog(parent), m_backups(std::move(backups))
{
    setWindowTitle(ToQString(strings::kRestoreBackupTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ToQString(m_backups.empty() ? strings::kNoBackups : strings::kChooseBackup), this));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("backups"));
    for (const BackupEntry& entry : m_backups) {
        QString line = ToQString(entry.time.Text());
        if (entry.sequence > 1)
            line += QStringLiteral(" (%1)").arg(entry.sequence);
        if (entry.coins >= 0)
            line += QStringLiteral(" \u2014 ") + ToQString(std::to_string(entry.coins)) +
                    ToQString(entry.coins == 1 ? strings::kOneCoin : strings::kCoins);
        m_list->addItem(line);
    }
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_restore = buttons->addButton(ToQString(strings::kRestoreButton), QDialogButtonBox::AcceptRole);
    m_restore->setObjectName(QStringLiteral("restore"));
    m_restore->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_restore->setEnabled(row >= 0); });
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    if (!m_backups.empty())
        m_list->setCurrentRow(0);
    resize(sizeHint().expandedTo(QSize(360, 300)));
}

const BackupEntry* CRestoreBackupDlg::Chosen() const
{
    const int row = m_list->currentRow();
    if (result() != QDialog::Accepted || row < 0 || row >= static_cast<int>(m_backups.size()))
        return nullptr;
    return &m_backups[static_cast<std::size_t>(row)];
}
