#pragma once

#include <QLineEdit>

#include "records/CoinSearch.h"

class QAction;
class QLabel;

// The search field of the menu bar's corner. It holds the search built from its text, asks for
// the next or previous match and for leaving, and shows where the search stands; finding the
// row is left to the window that owns the list.
//
// Enter and F3 ask for the next match, Shift+Enter and Shift+F3 for the previous one, Escape for
// leaving. The field takes these keys itself, so that Enter never reaches a dialog's default
// button and Escape never closes the dialog. F3 and Shift+F3 (FindNextAction,
// FindPreviousAction) and Ctrl+F (FocusAction, which puts the focus here with the text
// selected) are actions on the field with a window-wide shortcut, so they work anywhere in its
// window; their keys must not be given to other actions of that window.
//
// The field is not a stop of its window's Tab cycle: it takes the focus from Ctrl+F or a
// click, and Tab or Shift+Tab in it asks for leaving as Escape does.
class CoinSearchField : public QLineEdit {
    Q_OBJECT

public:
    explicit CoinSearchField(QWidget* parent = nullptr);

    // The search for the text now in the field; empty when the field is.
    const CoinSearch& Search() const { return m_search; }

    // Shows "3 of 17", "17 matches" or "No match" for the current search, and nothing when the
    // search is empty.
    void ShowResult(const FindResult& result);
    // The text ShowResult put up, empty when none.
    QString ResultText() const;

    QAction* FindNextAction() const { return m_findNext; }
    QAction* FindPreviousAction() const { return m_findPrevious; }
    QAction* FocusAction() const { return m_focus; }

    QSize sizeHint() const override;

signals:
    // The text changed; Search() already holds the new search and the shown result is cleared.
    void searchChanged();
    void findNextRequested();
    void findPreviousRequested();
    void leaveRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void OnTextChanged(const QString& text);
    void PlaceResultLabel();

    CoinSearch m_search{""};
    QLabel* m_result;
    QAction* m_findNext;
    QAction* m_findPrevious;
    QAction* m_focus;
};
