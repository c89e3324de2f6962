#include "storage/qt/CRestoreBackupDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/FixedStrings.h"
#include "storage/BackupCoinCounter.h"
#include "widgets/QtText.h"

namespace {

QString BackupLine(const BackupEntry& entry)
{
    QString line = ToQString(entry.time.Text());
    if (entry.sequence > 1)
        line += QStringLiteral(" (%1)").arg(entry.sequence);
    line += QStringLiteral(" \u2014 ") +
            QLocale::system().formattedDataSize(static_cast<qint64>(entry.bytes), 1, QLocale::DataSizeTraditionalFormat);
    if (entry.coins >= 0)
        line += QStringLiteral(" \u2014 ") + ToQString(std::to_string(entry.coins)) +
                ToQString(entry.coins == 1 ? strings::kOneCoin : strings::kCoins);
    return line;
}

}  // namespace

CRestoreBackupDlg::CRestoreBackupDlg(std::vector<BackupEntry> backups, QWidget* parent)
    : QDialog(parent), m_backups(std::move(backups))
{
    setWindowTitle(ToQString(strings::kRestoreBackupTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ToQString(m_backups.empty() ? strings::kNoBackups : strings::kChooseBackup), this));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("backups"));
    for (const BackupEntry& entry : m_backups)
        m_list->addItem(BackupLine(entry));
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

    // Each count is handed over to the window's thread, where the dialog shows it; one that
    // arrives after the dialog is gone is dropped with the dialog.
    std::vector<std::string> paths;
    for (const BackupEntry& entry : m_backups)
        paths.push_back(entry.path);
    m_counter = std::make_unique<BackupCoinCounter>(std::move(paths), [this](std::size_t index, long coins) {
        QMetaObject::invokeMethod(this, [this, index, coins] { ShowCount(index, coins); }, Qt::QueuedConnection);
    });
    connect(this, &QDialog::finished, this, [this] { m_counter.reset(); });
}

CRestoreBackupDlg::~CRestoreBackupDlg()
{
    m_counter.reset();  // before the members the counting hands its results to
}

void CRestoreBackupDlg::ShowCount(std::size_t index, long coins)
{
    if (index >= m_backups.size())
        return;
    m_backups[index].coins = coins;
    if (QListWidgetItem* item = m_list->item(static_cast<int>(index)))
        item->setText(BackupLine(m_backups[index]));
}

const BackupEntry* CRestoreBackupDlg::Chosen() const
{
    const int row = m_list->currentRow();
    if (result() != QDialog::Accepted || row < 0 || row >= static_cast<int>(m_backups.size()))
        return nullptr;
    return &m_backups[static_cast<std::size_t>(row)];
}
