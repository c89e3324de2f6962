#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <string>

class QDialog;
class QWidget;

// What the window needs from the desktop: message boxes, modal dialogs, the file-open dialog,
// handing a file or address to the default application, the date, and ending the process.
// The program uses DesktopPlatform; tests put in their own to answer and observe.
class Platform {
public:
    virtual ~Platform() = default;

    // An error box with a fixed text and caption, an OK button and no icon.
    virtual void ShowError(QWidget* owner, const QString& text, const QString& caption) = 0;

    // A Yes/No question with the exclamation icon and the program's name as caption; true
    // for Yes.
    virtual bool AskYesNo(QWidget* owner, const QString& text) = 0;

    // A question with the exclamation icon, the program's name as caption and one button per
    // text, in that order; the index of the button chosen. Escape and the close box choose the
    // last one.
    virtual int AskChoice(QWidget* owner, const QString& text, const QStringList& buttons) = 0;

    // Runs a dialog modally and returns its result.
    virtual int RunModal(QDialog& dialog) = 0;

    // The file-open dialog with a filter list; the chosen file's full path, or empty when
    // cancelled.
    virtual QString GetOpenFileName(QWidget* owner, const QStringList& filters) = 0;

    // The file-save dialog with one filter; the chosen path, or empty when cancelled. Asks
    // before an existing file is replaced.
    virtual QString GetSaveFileName(QWidget* owner, const QString& title, const QString& filter) = 0;

    // Hands a file path or address to the system's default application; the result is never
    // looked at.
    virtual void OpenWithDefaultApp(const QString& target) = 0;

    virtual QDate Today() = 0;

    // Ends the program at once with an exit code.
    virtual void EndProcess(int code) = 0;

    // Why something failed, in the system's words ("No space left on device"), for whoever
    // looks at the program's error output: the boxes show only the program's fixed texts.
    virtual void ReportProblem(const std::string& problem) = 0;
};

// What a target for the default application means: an address when it has a scheme of two
// letters or more ("http:", "file:"), otherwise a local path resolved against the current
// folder. Never passed through a shell.
QUrl TargetUrl(const QString& target);

class DesktopPlatform : public Platform {
public:
    void ShowError(QWidget* owner, const QString& text, const QString& caption) override;
    bool AskYesNo(QWidget* owner, const QString& text) override;
    int AskChoice(QWidget* owner, const QString& text, const QStringList& buttons) override;
    int RunModal(QDialog& dialog) override;
    QString GetOpenFileName(QWidget* owner, const QStringList& filters) override;
    QString GetSaveFileName(QWidget* owner, const QString& title, const QString& filter) override;
    void OpenWithDefaultApp(const QString& target) override;
    QDate Today() override;
    void EndProcess(int code) override;
    void ReportProblem(const std::string& problem) override;
};
