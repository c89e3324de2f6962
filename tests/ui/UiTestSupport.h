#pragma once

// The window tests' harness: a platform that answers message boxes and modal dialogs from the
// test and records what the window handed to the desktop, and a session that starts a main
// window over a temporary current folder and reads and fills its form.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

#include "app/CCollectionDlg.h"
#include "widgets/Platform.h"

class FakePlatform : public Platform {
public:
    QStringList boxes;                      // "Caption: text" for an error, "? text" for a question
    QList<bool> answers;                    // for the next questions; unqueued means No
    QList<int> choices;                     // for the next AskChoice; unqueued means the last button
    std::function<void()> onError;          // runs as an error box shows
    std::function<void(QDialog&)> onModal;  // drives a modal dialog, shown, to its end
    QString nextOpenFileName;               // the file-open dialog's answer
    QString wanderTo;                       // a folder the file-open dialog makes current
    QString nextSaveFileName;               // the file-save dialog's answer
    int saveDialogs = 0;                    // how often the file-save dialog was shown
    QStringList opened;                     // targets handed to the default application
    QList<int> endedWith;
    QStringList problems;                   // why what failed did, as reported

    void ShowError(QWidget*, const QString& text, const QString& caption) override
    {
        if (onError)
            onError();
        boxes.append(caption + ": " + text);
    }
    bool AskYesNo(QWidget*, const QString& text) override
    {
        boxes.append("? " + text);
        return !answers.isEmpty() && answers.takeFirst();
    }
    int AskChoice(QWidget*, const QString& text, const QStringList& buttons) override
    {
        boxes.append("? " + text + " [" + buttons.join(" | ") + "]");
        return choices.isEmpty() ? int(buttons.size()) - 1 : choices.takeFirst();
    }
    int RunModal(QDialog& dialog) override;
    QString GetOpenFileName(QWidget*, const QStringList&) override
    {
        if (!wanderTo.isEmpty())
            QDir::setCurrent(wanderTo);
        return nextOpenFileName;
    }
    QString GetSaveFileName(QWidget*, const QString&, const QString&) override
    {
        ++saveDialogs;
        return nextSaveFileName;
    }
    void OpenWithDefaultApp(const QString& target) override { opened.append(target); }
    QDate Today() override { return QDate(2026, 12, 6); }
    void EndProcess(int code) override { endedWith.append(code); }
    void ReportProblem(const std::string& problem) override
    {
        if (!problem.empty())
            problems.append(QString::fromStdString(problem));
    }
};

// The object name of a dialog's control, which is its control id written out.
inline QString ObjectName(int id) { return QString::number(id); }

QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);
QStringList Coin(const QString& name, const QString& year = {}, const QString& country = {});
QByteArray DataFile(const QList<QStringList>& bottomUp);  // coins given bottom row first

// A coin typed into every field of the form.
inline const QStringList kTyped = {"Typed", "1999", "1 Euro", "Ireland", "S", "Mint", "3.00",
                                   "2020-01-02", "4.00", "2021-02-03", "Euro", "d.jpg", "Harp"};

struct Session {
    QTemporaryDir dir;
    QString oldDir = QDir::currentPath();
    FakePlatform platform;
    std::unique_ptr<CCollectionDlg> dlg;

    Session() { QDir::setCurrent(dir.path()); }
    ~Session() { dlg.reset(), QDir::setCurrent(oldDir); }
    void Open(std::optional<DialogUnits> units = std::nullopt)
    {
        dlg = std::make_unique<CCollectionDlg>(platform, nullptr, units);
    }
    bool Show() const  // shown and active, ready for keys and clicks
    {
        dlg->show(), dlg->activateWindow();
        return QTest::qWaitForWindowActive(dlg.get());
    }

    QWidget* Control(int id) const { return dlg->control(id); }
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(Control(id)); }
    QComboBox* Combo(int id) const { return qobject_cast<QComboBox*>(Control(id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(Control(id)); }
    QTableView* List() const { return qobject_cast<QTableView*>(Control(IDC_LIST)); }
    void Trigger(MenuCommand command) const { dlg->action(command)->trigger(); }

    QStringList Form() const;
    void SetForm(const QStringList& values) const;
    QStringList Row(int row) const;
    QStringList Names() const;
    void Add(const QStringList& values) const { SetForm(values), Button(IDC_ADD)->click(); }
};
