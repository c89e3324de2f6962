#include "storage/qt/CPreferencesDlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <climits>

#include "app/DialogUnits.h"
#include "app/QtText.h"

namespace {

struct FieldSpec {
    int id;
    PrefKey key;
    const char* label;
    int labelX;
    int x, y, width;
};

// The nine fields in tab order, after the Return button.
constexpr FieldSpec kFields[] = {
    {1005, PrefKey::Name, "Name:", 11, 50, 9, 144},
    {1033, PrefKey::Email, "Email:", 11, 50, 25, 144},
    {1034, PrefKey::Address1, "Address 1:", 11, 50, 40, 144},
    {1035, PrefKey::Address2, "Address 2:", 11, 50, 55, 144},
    {1036, PrefKey::City, "City:", 11, 50, 69, 57},
    {1037, PrefKey::State, "State:", 109, 132, 69, 62},
    {1016, PrefKey::Country, "Country:", 11, 50, 83, 144},
    {1041, PrefKey::List, "List:", 11, 50, 113, 144},
    {1042, PrefKey::Catalogue, "Catalogue:", 11, 50, 128, 144},
};

}  // namespace

CPreferencesDlg::CPreferencesDlg(const DialogUnits& units, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Preferences"));
    setFixedSize(units.X(208), units.Y(175));

    auto* variables = new QGroupBox(tr("Template Variables:"), this);
    variables->setGeometry(units.Rect(7, 0, 194, 101));
    auto* outputs = new QGroupBox(tr("File Output Locations:"), this);
    outputs->setGeometry(units.Rect(7, 104, 194, 43));

    auto* ret = new QPushButton(tr("Return"), this);
    ret->setObjectName(QStringLiteral("1"));
    ret->setGeometry(units.Rect(151, 150, 50, 14));
    ret->setDefault(true);
    connect(ret, &QPushButton::clicked, this, &CPreferencesDlg::accept);

    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        const FieldSpec& entry = kFields[i];
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(entry.id));
        edit->setMaxLength(INT_MAX);
        edit->setGeometry(units.Rect(entry.x, entry.y, entry.width, 14));
        auto* label = new QLabel(QString::fromLatin1(entry.label), this);
        label->setGeometry(units.Rect(entry.labelX, entry.y + 3, entry.x - entry.labelX - 2, 8));
        label->setBuddy(edit);
        m_fields[i] = {entry.id, entry.key, edit};
    }
    auto* note1 = new QLabel(tr("Preferences are automatically saved when"), this);
    note1->move(units.X(7), units.Y(149));
    auto* note2 = new QLabel(tr("you press return."), this);
    note2->move(units.X(9), units.Y(159));

    // The group boxes lie behind the fields they frame.
    variables->lower();
    outputs->lower();
}

void CPreferencesDlg::SetValues(const Preferences& prefs)
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_values[i] = prefs[m_fields[i].key];
        m_fields[i].edit->setText(ToQString(m_values[i]));
    }
}

void CPreferencesDlg::GetValues(Preferences& prefs) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        prefs[m_fields[i].key] = m_values[i];
}

void CPreferencesDlg::accept()
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_values[i] = ToUtf8(m_fields[i].edit->text());
    QDialog::accept();
}

void CPreferencesDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Return is the first tab stop: Enter closes the dialog at once.
    if (QWidget* ret = findChild<QWidget*>(QStringLiteral("1")))
        ret->setFocus();
}
