#include "storage/qt/CPreferencesDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "resources/DialogTemplates.h"
#include "widgets/ControlBuilder.h"
#include "widgets/QtText.h"

namespace {

// The field of each edited preference, in tab order.
constexpr std::pair<int, PrefKey> kFieldKeys[] = {
    {IDC_PREFS_NAME, PrefKey::Name},     {IDC_PREFS_EMAIL, PrefKey::Email}, {IDC_PREFS_ADDRESS1, PrefKey::Address1},
    {IDC_PREFS_ADDRESS2, PrefKey::Address2}, {IDC_PREFS_CITY, PrefKey::City},  {IDC_PREFS_STATE, PrefKey::State},
    {IDC_PREFS_COUNTRY, PrefKey::Country},  {IDC_PREFS_LIST, PrefKey::List},  {IDC_PREFS_CATALOGUE, PrefKey::Catalogue},
};

}  // namespace

CPreferencesDlg::CPreferencesDlg(const DialogUnits& units, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ToQString(strings::kPreferencesTitle));
    setFixedSize(units.X(kPreferencesWidth), units.Y(kPreferencesHeight));

    const QHash<int, QWidget*> controls = ControlBuilder(units, this).Build(kPreferencesTemplate);
    connect(qobject_cast<QPushButton*>(controls.value(IDOK)), &QPushButton::clicked, this, &CPreferencesDlg::accept);
    for (std::size_t i = 0; i < std::size(kFieldKeys); ++i) {
        const auto [id, key] = kFieldKeys[i];
        m_fields[i] = {id, key, qobject_cast<QLineEdit*>(controls.value(id))};
    }
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
