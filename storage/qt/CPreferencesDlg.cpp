#include "storage/qt/CPreferencesDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "resources/DialogTemplates.h"
#include "widgets/ControlBuilder.h"
#include "widgets/QtText.h"

namespace {

// The field of each edited preference, in tab order.
constexpr std::pair<int, PrefKey> kFieldKeys[] = {
    {1005, PrefKey::Name},     {1033, PrefKey::Email}, {1034, PrefKey::Address1},
    {1035, PrefKey::Address2}, {1036, PrefKey::City},  {1037, PrefKey::State},
    {1016, PrefKey::Country},  {1041, PrefKey::List},  {1042, PrefKey::Catalogue},
};

}  // namespace

CPreferencesDlg::CPreferencesDlg(const DialogUnits& units, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ToQString(strings::kPreferencesTitle));
    setFixedSize(units.X(kPreferencesWidth), units.Y(kPreferencesHeight));

    const QHash<int, QWidget*> controls = ControlBuilder(units, this).Build(kPreferencesTemplate);
    connect(qobject_cast<QPushButton*>(controls.value(1)), &QPushButton::clicked, this, &CPreferencesDlg::accept);
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
