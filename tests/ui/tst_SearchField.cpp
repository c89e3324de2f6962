// The search field of the menu bar: the search it holds, the keys it asks with, the keys it
// keeps from its dialog, and what it shows.

#include <QLabel>
#include <QSignalSpy>
#include <QVBoxLayout>

#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "records/qt/CoinSearchField.h"

namespace {

// A dialog like the main window: a default button that counts its clicks, another field, and
// the search field.
struct Window {
    QDialog dialog;
    QPushButton* quit = new QPushButton("Quit", &dialog);
    QLineEdit* other = new QLineEdit(&dialog);
    CoinSearchField* field = new CoinSearchField(&dialog);
    int quitClicks = 0;
    QSignalSpy next{field, &CoinSearchField::findNextRequested};
    QSignalSpy previous{field, &CoinSearchField::findPreviousRequested};
    QSignalSpy leave{field, &CoinSearchField::leaveRequested};

    Window()
    {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(field);
        layout->addWidget(other);
        layout->addWidget(quit);
        quit->setDefault(true);
        QObject::connect(quit, &QPushButton::clicked, [this] { ++quitClicks; });
    }
    bool Show()
    {
        dialog.show(), dialog.activateWindow();
        return QTest::qWaitForWindowActive(&dialog);
    }
    // next, previous, leave
    QList<int> Asked() const
    {
        return {int(next.count()), int(previous.count()), int(leave.count())};
    }
};

}  // namespace

class TestSearchField : public QObject {
    Q_OBJECT

private slots:
    void typingBuildsTheSearch();
    void keysAsk_data();
    void keysAsk();
    void findKeysWorkAnywhereInTheWindow();
    void showsWhereTheSearchStands();
};

void TestSearchField::typingBuildsTheSearch()
{
    Window w;
    QVERIFY(w.Show());
    QSignalSpy changed(w.field, &CoinSearchField::searchChanged);
    QVERIFY(w.field->Search().Empty());

    w.field->setFocus();
    QTest::keyClicks(w.field, "BUFFALO ni");
    QCOMPARE(changed.count(), 10);
    QVERIFY(w.field->Search().MatchesText("1936 Buffalo Nickel"));
    QVERIFY(!w.field->Search().MatchesText("Buffalo Dime"));

    QTest::keyClick(w.field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.field, Qt::Key_Backspace);
    QVERIFY(w.field->Search().Empty());
    QCOMPARE(w.Asked(), (QList<int>{0, 0, 0}));
}

void TestSearchField::keysAsk_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QList<int>>("asked");  // next, previous, leave
    const int none = Qt::NoModifier, shift = Qt::ShiftModifier;
    QTest::newRow("Enter") << int(Qt::Key_Return) << none << QList<int>{1, 0, 0};
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier)
                                  << QList<int>{1, 0, 0};
    QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << shift << QList<int>{0, 1, 0};
    QTest::newRow("F3") << int(Qt::Key_F3) << none << QList<int>{1, 0, 0};
    QTest::newRow("Shift+F3") << int(Qt::Key_F3) << shift << QList<int>{0, 1, 0};
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << QList<int>{0, 0, 1};
}

// Each key asks once, and none reaches the dialog: its default button stays unpressed and
// Escape does not close it.
void TestSearchField::keysAsk()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QList<int>, asked);
    Window w;
    QVERIFY(w.Show());
    w.field->setFocus();
    QTest::keyClicks(w.field, "nickel");
    QTest::keyClick(w.field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(w.quitClicks, 0);
    QCOMPARE(w.Asked(), asked);
    QVERIFY(w.dialog.isVisible());
    QCOMPARE(w.field->text(), QString("nickel"));

    // The same key elsewhere in the dialog still works as before: Enter presses the default
    // button there.
    if (key == Qt::Key_Return && modifiers == Qt::NoModifier) {
        w.other->setFocus();
        QTest::keyClick(w.other, Qt::Key_Return);
        QCOMPARE(w.quitClicks, 1);
    }
}

void TestSearchField::findKeysWorkAnywhereInTheWindow()
{
    Window w;
    QVERIFY(w.Show());
    w.field->setText("cent");
    w.other->setFocus();
    QTest::keyClick(w.other, Qt::Key_F3);
    QTest::keyClick(w.other, Qt::Key_F3);
    QTest::keyClick(w.other, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(w.Asked(), (QList<int>{2, 1, 0}));
    QVERIFY(w.other->hasFocus());

    QTest::keyClick(w.other, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(w.field->hasFocus());
    QCOMPARE(w.field->selectedText(), QString("cent"));
    QTest::keyClicks(w.field, "dime");  // replaces the selected text
    QCOMPARE(w.field->text(), QString("dime"));
}

void TestSearchField::showsWhereTheSearchStands()
{
    Window w;
    QVERIFY(w.Show());
    w.field->ShowResult({4, 3, 17});  // an empty search shows nothing
    QCOMPARE(w.field->ResultText(), QString());

    w.field->setFocus();
    QTest::keyClicks(w.field, "nickel");
    w.field->ShowResult({4, 3, 17});
    QCOMPARE(w.field->ResultText(), QString("3 of 17"));
    auto* label = w.field->findChild<QLabel*>("findResult");
    QVERIFY(label->isVisible());
    // The typed text stops short of the result instead of running under it.
    QVERIFY(w.field->textMargins().right() >= label->sizeHint().width());
    QVERIFY(label->geometry().right() <= w.field->rect().right());

    w.field->ShowResult({-1, 0, 0});
    QCOMPARE(w.field->ResultText(), QString("No match"));

    // A changed text is a new search, not yet looked for.
    QTest::keyClick(w.field, Qt::Key_S);
    QCOMPARE(w.field->ResultText(), QString());
    QVERIFY(!label->isVisible());
    QCOMPARE(w.field->textMargins().right(), 0);
}

NUMORA_UI_TEST(tst_SearchField, TestSearchField)
#include "tst_SearchField.moc"
