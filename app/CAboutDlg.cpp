#include "app/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/ProgramIcon.h"
#include "resources/DialogTemplates.h"
#include "widgets/ControlBuilder.h"
#include "widgets/QtText.h"

CAboutDlg::CAboutDlg(const DialogUnits& units, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ToQString(strings::kAboutTitle));
    setFixedSize(units.X(kAboutWidth), units.Y(kAboutHeight));

    auto* icon = new QLabel(this);
    const int side = units.Y(kAboutIconSize);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ProgramIcon().pixmap(side, side));
    icon->setGeometry(units.X(kAboutIconX), units.Y(kAboutIconY), side, side);

    const QHash<int, QWidget*> controls = ControlBuilder(units, this).Build(kAboutTemplate);
    connect(qobject_cast<QPushButton*>(controls.value(IDOK)), &QPushButton::clicked, this, &QDialog::accept);
}
