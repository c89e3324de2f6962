#pragma once

#include <QDate>
#include <QDialog>

class DialogUnits;
class QCalendarWidget;
class QPushButton;

// A month calendar for picking one day, opened on a given day. However the dialog closes
// (Return, Escape, the close box), the day selected at that moment is the result.
class CDateSelectDlg : public QDialog {
    Q_OBJECT

public:
    CDateSelectDlg(const DialogUnits& units, QDate initial, QWidget* parent = nullptr);

    QDate SelectedDate() const { return m_date; }
    QCalendarWidget* calendar() const { return m_calendar; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCalendarWidget* m_calendar;
    QWidget* m_days = nullptr;  // the calendar's grid of days
    QPushButton* m_return = nullptr;
    QDate m_date;
};
