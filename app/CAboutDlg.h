#pragma once

#include <QDialog>

class DialogUnits;

// The About box: the program icon, the name and version, and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    CAboutDlg(const DialogUnits& units, QWidget* parent = nullptr);
};
