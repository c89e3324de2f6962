// Finding a coin from the menu bar's search field, and the summary of the collection, as the
// main window wires them.

#include <QLabel>

#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "records/qt/CoinSearchField.h"

namespace {

// Bottom row first: the list shows Delta, Gamma, Beta, Alpha.
const QByteArray kFourCoins = DataFile({Coin("Alpha Nickel", "1936", "Peru"), Coin("Beta", "1900", "Chile"),
                                        Coin("Gamma nickel", "1910", "Peru"), Coin("Delta", "1936", "Chile")});

}  // namespace

class TestFindAndSummary : public QObject {
    Q_OBJECT

private slots:
    void keysOfTheSearchFieldFindAsAClickWould();
    void enterInTheSearchFieldNeverQuits();
    void summaryShowsTheDemoCollection();
};

void TestFindAndSummary::keysOfTheSearchFieldFindAsAClickWould()
{
    Session s;
    WriteFileBytes("nmr.dat", kFourCoins);
    s.Open();
    QVERIFY(s.Show());
    CoinSearchField* field = s.dlg->searchField();

    s.List()->setFocus();
    QTest::keyClick(s.dlg.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(field->hasFocus());
    QTest::keyClicks(field, "NICKEL");  // letter case ignored
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);  // Gamma nickel, the first match from the top
    QCOMPARE(s.List()->selectionModel()->selectedRows().value(0).row(), 1);
    QCOMPARE(s.Form().first(), QString("Gamma nickel"));
    QCOMPARE(field->ResultText(), QString("1 of 2"));

    QTest::keyClick(field, Qt::Key_F3);
    QCOMPARE(s.dlg->collection().MarkedRow(), 3);  // Alpha Nickel
    QCOMPARE(field->ResultText(), QString("2 of 2"));
    QTest::keyClick(field, Qt::Key_Return);  // wraps at the bottom
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);
    QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);  // and back over the top
    QCOMPARE(s.dlg->collection().MarkedRow(), 3);
    QTest::keyClick(field, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);

    // A year is a field like any other; no match leaves the list and the form as they were.
    field->selectAll();
    QTest::keyClicks(field, "1936");
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(s.Form().first(), QString("Alpha Nickel"));  // the next 1936 below Gamma
    field->selectAll();
    QTest::keyClicks(field, "Thaler");
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->ResultText(), QString("No match"));
    QCOMPARE(s.dlg->collection().MarkedRow(), 3);
    QCOMPARE(s.Form().first(), QString("Alpha Nickel"));

    QTest::keyClick(field, Qt::Key_Escape);  // back where Ctrl+F was pressed
    QVERIFY(s.List()->hasFocus());
    QVERIFY(s.dlg->isVisible());
}

void TestFindAndSummary::enterInTheSearchFieldNeverQuits()
{
    Session s;
    WriteFileBytes("nmr.dat", kFourCoins);
    s.Open();
    QVERIFY(s.Show());
    s.dlg->searchField()->setFocus();
    QTest::keyClick(s.dlg->searchField(), Qt::Key_Return);
    QTest::keyClick(s.dlg->searchField(), Qt::Key_Enter);
    QVERIFY(s.dlg->isVisible());
    QCOMPARE(QFileInfo("nmr.ini").size(), 0);  // the preferences were not saved: no way out ran
}

void TestFindAndSummary::summaryShowsTheDemoCollection()
{
    Session s;
    QFile::copy(QStringLiteral(NUMORA_TEST_DATA "/../../demo/nmr.dat"), "nmr.dat");
    s.Open();
    QStringList texts;
    s.platform.onModal = [&](QDialog& d) {
        for (QLabel* label : d.findChildren<QLabel*>())
            texts.append(label->text());
    };
    s.Trigger(MenuCommand::ViewSummary);
    const QString all = texts.join('|');
    QVERIFY2(all.contains("25") && all.contains("435.30") && all.contains("850.20") && all.contains("414.90"),
             qPrintable(all));
    QCOMPARE(s.Names().size(), 25);
}

NUMORA_UI_TEST(tst_FindAndSummary, TestFindAndSummary)
#include "tst_FindAndSummary.moc"
