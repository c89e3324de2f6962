#include "app/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/DialogUnits.h"
#include "app/ProgramIcon.h"
#include "resources/FixedStrings.h"

CAboutDlg::CAboutDlg(const DialogUnits& units, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(strings::kAboutTitle.data(),
                                     static_cast<qsizetype>(strings::kAboutTitle.size())));
    setFixedSize(units.X(235), units.Y(55));

    auto* icon = new QLabel(this);
    const int side = units.Y(20);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ProgramIcon().pixmap(side, side));
    icon->setGeometry(units.X(11), units.Y(17), side, side);

    auto* text = new QLabel(QString::fromUtf8(strings::kAboutVersion.data(),
                                              static_cast<qsizetype>(strings::kAboutVersion.size())),
                            this);
    text->setGeometry(units.Rect(40, 9, 119, 8));

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(units.Rect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
