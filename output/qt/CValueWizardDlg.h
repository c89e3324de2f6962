#pragma once

#include <QDialog>

#include "output/ValueWizardWalk.h"

class DialogUnits;
class QLineEdit;
class QPushButton;

// One item of the value wizard: its name, year, face value and country to read, its current
// value to edit, and the valuation date to store. Back and Next close the dialog with the
// cancel result after moving the position; OK closes it with the OK result; Escape and the
// close box close it without taking what was typed.
class CValueWizardDlg : public QDialog {
    Q_OBJECT

public:
    explicit CValueWizardDlg(const DialogUnits& units, QWidget* parent = nullptr);

    // Fills the members and the controls for one showing.
    void SetShowing(const WizardShowing& showing);
    const WizardShowing& Showing() const { return m_showing; }
    WizardClose ClosedBy() const { return m_closedBy; }

    void accept() override;
    void reject() override;
    void OnNext();
    void OnBack();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TakeValues();

    WizardShowing m_showing;
    WizardClose m_closedBy = WizardClose::Cancel;
    QLineEdit* m_value;
    QLineEdit* m_name;
    QLineEdit* m_year;
    QLineEdit* m_faceValue;
    QLineEdit* m_country;
    QLineEdit* m_date;
    QPushButton* m_back;
    QPushButton* m_next;
};
