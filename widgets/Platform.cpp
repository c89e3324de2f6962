#include "widgets/Platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <cstdio>

#include "resources/FixedStrings.h"

QUrl TargetUrl(const QString& target)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(target).hasMatch())
        return QUrl(target);
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(target));
}

void DesktopPlatform::ShowError(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

bool DesktopPlatform::AskYesNo(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes;
}

int DesktopPlatform::AskChoice(QWidget* owner, const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text, QMessageBox::NoButton, owner);
    QList<QAbstractButton*> added;
    for (const QString& button : buttons)
        added.append(box.addButton(button, added.size() + 1 == buttons.size() ? QMessageBox::RejectRole
                                                                             : QMessageBox::AcceptRole));
    if (added.isEmpty())
        return -1;
    box.setDefaultButton(qobject_cast<QPushButton*>(added.constFirst()));
    box.setEscapeButton(added.constLast());
    box.exec();
    const qsizetype chosen = added.indexOf(box.clickedButton());
    return static_cast<int>(chosen < 0 ? added.size() - 1 : chosen);
}

int DesktopPlatform::RunModal(QDialog& dialog) { return dialog.exec(); }

QString DesktopPlatform::GetOpenFileName(QWidget* owner, const QStringList& filters)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(0));
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

QString DesktopPlatform::GetSaveFileName(QWidget* owner, const QString& title, const QString& filter)
{
    return QFileDialog::getSaveFileName(owner, title, QString(), filter);
}

void DesktopPlatform::OpenWithDefaultApp(const QString& target)
{
    QDesktopServices::openUrl(TargetUrl(target));
}

QDate DesktopPlatform::Today() { return QDate::currentDate(); }

void DesktopPlatform::EndProcess(int code)
{
    // Every event loop ends, the main dialog's included, and main() returns the code
    // without closing the dialog, so nothing is saved a second time.
    QCoreApplication::exit(code);
}

void DesktopPlatform::ReportProblem(const std::string& problem)
{
    if (problem.empty())
        return;
    const std::string line = strings::Fill(strings::kMessageLine, {problem});
    std::fwrite(line.data(), 1, line.size(), stderr);
}
