#pragma once

#include <QDialog>

#include <array>

#include "storage/Preferences.h"

class DialogUnits;
class QLineEdit;

// The Preferences dialog: the collector's details and the two page output locations. Return
// takes the fields; Escape and the close box leave the values as they were handed in.
class CPreferencesDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPreferencesDlg(const DialogUnits& units, QWidget* parent = nullptr);

    // Copies the nine edited preferences in and out.
    void SetValues(const Preferences& prefs);
    void GetValues(Preferences& prefs) const;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Field {
        int id;
        PrefKey key;
        QLineEdit* edit;
    };
    std::array<Field, 9> m_fields{};
    std::array<std::string, 9> m_values;  // what the dialog hands back
};
