#include "storage/qt/CCsvMapDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

namespace {

// A sample of what a column holds: its first values that are not empty, cut when long.
QString SampleText(const std::vector<std::vector<std::string>>& rows, std::size_t column)
{
    QStringList values;
    for (const std::vector<std::string>& row : rows) {
        QString value = column < row.size() ? ToQString(row[column]) : QString();
        value.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QStringLiteral(" / "));
        if (value.size() > 40)
            value = value.left(39) + QChar(0x2026);
        if (!value.trimmed().isEmpty())
            values.append(value);
    }
    return values.join(QStringLiteral(" | "));
}

}  // namespace

CCsvMapDlg::CCsvMapDlg(std::vector<std::string> headings, const std::vector<std::vector<std::string>>& sampleRows,
                       const CsvColumnMap& guess, QWidget* parent)
    : QDialog(parent), m_headings(std::move(headings))
{
    setWindowTitle(ToQString(strings::kCsvMapTitle));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(ToQString(strings::kCsvMapIntro), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    auto* columns = new QWidget;
    columns->setLayout(grid);
    const auto bold = [](const std::string_view text) {
        return QStringLiteral("<b>%1</b>").arg(ToQString(text).toHtmlEscaped());
    };
    grid->addWidget(new QLabel(bold(strings::kCsvMapColumn)), 0, 0);
    grid->addWidget(new QLabel(bold(strings::kCsvMapSample)), 0, 1);
    grid->addWidget(new QLabel(bold(strings::kCsvMapField)), 0, 2);
    for (std::size_t i = 0; i < m_headings.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        auto* heading = new QLabel(ToQString(m_headings[i]));
        heading->setTextFormat(Qt::PlainText);
        auto* sample = new QLabel(SampleText(sampleRows, i));
        sample->setTextFormat(Qt::PlainText);
        auto* box = new QComboBox;
        box->addItem(ToQString(strings::kCsvMapLeaveOut));
        for (CoinField field : kCoinFields)
            box->addItem(ToQString(ColumnHeading(field)));
        const std::optional<CoinField> field = i < guess.size() ? guess[i] : std::nullopt;
        box->setCurrentIndex(field ? FieldIndex(*field) + 1 : 0);
        heading->setBuddy(box);
        connect(box, &QComboBox::currentIndexChanged, this, &CCsvMapDlg::UpdateNotes);
        grid->addWidget(heading, row, 0);
        grid->addWidget(sample, row, 1);
        grid->addWidget(box, row, 2);
        m_boxes.append(box);
    }
    grid->setColumnStretch(1, 1);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(columns);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    layout->addWidget(scroll, 1);

    m_notes = new QLabel(this);
    m_notes->setWordWrap(true);
    m_notes->setTextFormat(Qt::PlainText);
    layout->addWidget(m_notes);
    m_remember = new QCheckBox(ToQString(strings::kCsvMapRemember), this);
    m_remember->setChecked(true);
    layout->addWidget(m_remember);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    UpdateNotes();
    resize(std::max(sizeHint().width(), 560), std::min(sizeHint().height() + 40, 600));
}

CsvColumnMap CCsvMapDlg::Map() const
{
    CsvColumnMap map;
    for (const QComboBox* box : m_boxes) {
        const int index = box->currentIndex();
        map.push_back(index > 0 ? std::optional<CoinField>(kCoinFields[static_cast<std::size_t>(index - 1)])
                                : std::nullopt);
    }
    return map;
}

bool CCsvMapDlg::Remember() const { return m_remember->isChecked(); }

void CCsvMapDlg::UpdateNotes()
{
    const CsvColumnMap map = Map();
    QStringList notes;
    for (CoinField field : JoinedFields(map)) {
        QStringList joined;
        for (std::size_t i = 0; i < map.size(); ++i) {
            if (map[i] == field)
                joined.append(ToQString(m_headings[i]));
        }
        notes.append(ToQString(CsvJoinSeparator(field) == "\n" ? strings::kCsvMapJoinedLines
                                                                : strings::kCsvMapJoinedSpace) +
                     joined.join(QStringLiteral(", ")) +
                     QStringLiteral(" -> ") + ToQString(ColumnHeading(field)) + QLatin1Char('.'));
    }
    const bool haveName = std::find(map.begin(), map.end(), std::optional<CoinField>(CoinField::Name)) != map.end();
    if (!haveName)
        notes.append(ToQString(strings::kCsvMapNoName));
    m_notes->setText(notes.join(QLatin1Char('\n')));
    m_notes->setVisible(!notes.isEmpty());
    m_ok->setEnabled(haveName);
}
