#include "output/qt/CValueWizardDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "resources/DialogTemplates.h"
#include "widgets/ControlBuilder.h"
#include "widgets/FormText.h"
#include "widgets/QtText.h"

CValueWizardDlg::CValueWizardDlg(const DialogUnits& units, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ToQString(strings::kValueWizardTitle));
    setFixedSize(units.X(kValueWizardWidth), units.Y(kValueWizardHeight));

    const QHash<int, QWidget*> controls = ControlBuilder(units, this).Build(kValueWizardTemplate);
    auto edit = [&](int id) { return qobject_cast<QLineEdit*>(controls.value(id)); };
    auto button = [&](int id) { return qobject_cast<QPushButton*>(controls.value(id)); };
    m_value = edit(IDC_WIZARD_VALUE);
    m_name = edit(IDC_WIZARD_NAME);
    m_date = edit(IDC_WIZARD_DATE);
    m_faceValue = edit(IDC_WIZARD_FACEVALUE);
    m_year = edit(IDC_WIZARD_YEAR);
    m_country = edit(IDC_WIZARD_COUNTRY);
    m_back = button(IDC_WIZARD_BACK);
    m_next = button(IDC_WIZARD_NEXT);

    connect(m_back, &QPushButton::clicked, this, &CValueWizardDlg::OnBack);
    connect(m_next, &QPushButton::clicked, this, &CValueWizardDlg::OnNext);
    connect(button(IDOK), &QPushButton::clicked, this, &CValueWizardDlg::accept);
}

void CValueWizardDlg::SetShowing(const WizardShowing& showing)
{
    m_showing = showing;
    m_closedBy = WizardClose::Cancel;
    SetControlText(m_name, ToQString(showing.name));
    SetControlText(m_year, ToQString(showing.year));
    SetControlText(m_faceValue, ToQString(showing.faceValue));
    SetControlText(m_country, ToQString(showing.country));
    SetControlText(m_value, ToQString(showing.value));
    SetControlText(m_date, ToQString(showing.date));
    m_next->setEnabled(showing.index != showing.last);
    m_back->setEnabled(showing.index != 0);
}

void CValueWizardDlg::TakeValues()
{
    m_showing.value = ToUtf8(m_value->text());
    m_showing.date = ToUtf8(m_date->text());
}

void CValueWizardDlg::accept()
{
    TakeValues();
    m_closedBy = WizardClose::Ok;
    QDialog::accept();
}

void CValueWizardDlg::reject()
{
    // Escape and the close box: what was typed in this showing is dropped.
    m_closedBy = WizardClose::Cancel;
    QDialog::reject();
}

void CValueWizardDlg::OnNext()
{
    TakeValues();
    ++m_showing.index;
    m_closedBy = WizardClose::Next;
    done(QDialog::Rejected);
}

void CValueWizardDlg::OnBack()
{
    TakeValues();
    --m_showing.index;
    m_closedBy = WizardClose::Back;
    done(QDialog::Rejected);
}

void CValueWizardDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_value->setFocus();
    m_value->selectAll();
    // The field finishes the new item's text change only once events run again, which drops
    // the selection on every showing after the first; select the value after that, so that
    // what the user types replaces it.
    QMetaObject::invokeMethod(m_value, &QLineEdit::selectAll, Qt::QueuedConnection);
}
