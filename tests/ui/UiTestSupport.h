#pragma once

// Helpers for the window tests: a platform that answers message boxes and modal dialogs from
// the test and records what the window handed to the desktop, a current-folder guard over a
// temporary folder, and file helpers.

#include <QByteArray>
#include <QDate>
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

#include "app/Platform.h"

class FakePlatform : public Platform {
public:
    struct Box {
        enum Kind { Error, Question } kind;
        QString text;
        QString caption;
    };

    // Every message box shown, in order.
    QList<Box> boxes;
    // Answers for the next questions, Yes = true; a question without a queued answer is
    // answered No and counted in `unansweredQuestions`.
    QList<bool> answers;
    int unansweredQuestions = 0;

    // Runs each modal dialog; by default the dialog is not shown and counts as rejected.
    std::function<int(QDialog&)> onModal;
    QStringList modalDialogs;  // class names of the dialogs run

    QString nextOpenFileName;  // the file-open dialog's answer; empty = cancelled
    QStringList lastFilters;
    int fileDialogs = 0;

    QStringList opened;  // targets handed to the default application
    QDate today = QDate(2026, 12, 6);
    QList<int> endedWith;  // exit codes of EndProcess calls

    void ShowError(QWidget* owner, const QString& text, const QString& caption) override;
    bool AskYesNo(QWidget* owner, const QString& text) override;
    int RunModal(QDialog& dialog) override;
    QString GetOpenFileName(QWidget* owner, const QStringList& filters) override;
    void OpenWithDefaultApp(const QString& target) override;
    QDate Today() override { return today; }
    void EndProcess(int code) override { endedWith.append(code); }
};

// A temporary folder made current for the lifetime of the guard.
class TempCurrentDir {
public:
    TempCurrentDir();
    ~TempCurrentDir();
    TempCurrentDir(const TempCurrentDir&) = delete;
    TempCurrentDir& operator=(const TempCurrentDir&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QString m_old;
};

QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// The data file line of one record field, CR LF ended, for building expected files.
QByteArray DataRecord(const QStringList& thirteenValues);
