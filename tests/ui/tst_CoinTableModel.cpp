// The list's model over the collection: consistent for views through every kind of change,
// sorting and reversing as exchanges of row contents, and the widest text of each column
// kept through inserts, removals and replacements.

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>

#include "records/qt/CoinTableModel.h"

namespace {

CoinRecord Coin(std::string_view name, std::string_view year = {}, std::string_view mint = {})
{
    return CoinRecord::FromTexts({name, year, {}, {}, mint});
}

QStringList Column(const CoinTableModel& model, int column)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts.append(model.data(model.index(r, column)).toString());
    return texts;
}

}  // namespace

class TestCoinTableModel : public QObject {
    Q_OBJECT

private slots:
    void staysConsistentThroughEveryChange();
    void sortAndReverseExchangeContentsNotRows();
    void refusesRowsThatDoNotExist();
    void showsHeadingsAndOneLineCells();
    void widestTextFollowsTheRows();
};

void TestCoinTableModel::staysConsistentThroughEveryChange()
{
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    model.InsertTop(Coin("Alpha", "1900"));
    model.InsertTop(Coin("Beta", "1850"));
    model.InsertTop(Coin("Gamma", "1999"));
    QCOMPARE(Column(model, 0), (QStringList{"Gamma", "Beta", "Alpha"}));
    QVERIFY(model.Replace(1, Coin("Delta", "1700")));
    QVERIFY(model.Remove(0));
    QCOMPARE(Column(model, 0), (QStringList{"Delta", "Alpha"}));
    model.SortByColumn(CoinField::Name);
    QCOMPARE(Column(model, 0), (QStringList{"Alpha", "Delta"}));
    model.ReverseRows();
    QCOMPARE(Column(model, 0), (QStringList{"Delta", "Alpha"}));
    model.Clear();
    QCOMPARE(model.rowCount(), 0);
    model.SortByColumn(CoinField::Year);  // nothing to sort
    model.ReverseRows();

    // Loading puts the file's records (bottom row first) above what is there, and drops
    // records without a Name.
    model.InsertTop(Coin("Kept"));
    model.LoadBottomUp({Coin("Bottom"), Coin(""), Coin("Top")});
    QCOMPARE(Column(model, 0), (QStringList{"Top", "Bottom", "Kept"}));
    QCOMPARE(model.rowCount(), collection.Count());
    model.LoadBottomUp({});
    QCOMPARE(model.rowCount(), 3);
}

void TestCoinTableModel::sortAndReverseExchangeContentsNotRows()
{
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const char* name : {"C", "A", "D", "B"})
        model.InsertTop(Coin(name));
    QCOMPARE(Column(model, 0), (QStringList{"B", "D", "A", "C"}));

    const QPersistentModelIndex second = model.index(1, 4);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
    QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.SortByColumn(CoinField::Name);
    QCOMPARE(Column(model, 0), (QStringList{"A", "B", "C", "D"}));
    model.ReverseRows();
    QCOMPARE(Column(model, 0), (QStringList{"D", "C", "B", "A"}));

    // The views hear of new contents everywhere, and what they point at stays at its row.
    QCOMPARE(changed.size(), 2);
    for (const QList<QVariant>& signal : changed) {
        QCOMPARE(signal.at(0).toModelIndex(), model.index(0, 0));
        QCOMPARE(signal.at(1).toModelIndex(), model.index(3, 12));
    }
    QCOMPARE(layout.size(), 0);
    QCOMPARE(moved.size(), 0);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(second.row(), 1);
    QCOMPARE(second.column(), 4);
}

void TestCoinTableModel::refusesRowsThatDoNotExist()
{
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.InsertTop(Coin("Only"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    for (int row : {-1, 1, 5}) {
        QVERIFY(!model.Replace(row, Coin("Other")));
        QVERIFY(!model.Remove(row));
    }
    QCOMPARE(Column(model, 0), QStringList{"Only"});
    QCOMPARE(changed.size(), 0);
    QCOMPARE(removed.size(), 0);
    QVERIFY(!model.data(model.index(1, 0)).isValid());
}

void TestCoinTableModel::showsHeadingsAndOneLineCells()
{
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    QStringList headings;
    for (int c = 0; c < model.columnCount(); ++c)
        headings.append(model.headerData(c, Qt::Horizontal).toString());
    QCOMPARE(headings, (QStringList{"Name", "Year", "Face Value", "Country", "Mint Marks",
                                    "Condition", "Purchase Price", "Purchase Date",
                                    "Current Value", "Valuation Date", "Category", "Image",
                                    "Description"}));

    CoinRecord record = Coin("Dollar", "1921");
    record.Set(CoinField::Description, "One\nTwo = 2\n\nFour");
    record.Set(CoinField::Country, "\xc3\x96sterreich");
    model.InsertTop(record);
    QCOMPARE(model.data(model.index(0, 12)).toString(), QString("One Two = 2  Four"));
    QCOMPARE(model.data(model.index(0, 3)).toString(), QString::fromUtf8("\u00d6sterreich"));
    // The stored text keeps its line breaks; only the cell shows it on one line.
    QCOMPARE(collection.Row(0).Get(CoinField::Description), std::string_view("One\nTwo = 2\n\nFour"));
}

void TestCoinTableModel::widestTextFollowsTheRows()
{
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    const QFontMetrics metrics(QApplication::font());
    QCOMPARE(model.WidestText(4), 0);

    model.InsertTop(Coin("A", "1", "S"));
    const int narrow = model.WidestText(4);
    QVERIFY(narrow > 0);
    model.InsertTop(Coin("B", "2", "D over S, repunched"));
    const int wide = model.WidestText(4);
    QVERIFY(wide > narrow);
    QVERIFY(std::abs(wide - metrics.horizontalAdvance("D over S, repunched")) <= 3);
    const int year = model.WidestText(1);

    // Texts wider than any screen are counted as well as short ones.
    const std::string huge(600, 'W');
    const std::string huger(700, 'W');
    model.InsertTop(Coin("C", "3", huge));
    model.InsertTop(Coin("D", "4", huger));
    const int hugeWidth = model.WidestText(4);
    QVERIFY(hugeWidth > 4000);
    QVERIFY(model.Remove(0));  // the widest goes
    QVERIFY(model.WidestText(4) < hugeWidth);
    QVERIFY(model.WidestText(4) > wide);
    QVERIFY(model.Replace(0, Coin("C", "3", "S")));  // the huge one becomes narrow
    QCOMPARE(model.WidestText(4), wide);
    QVERIFY(model.Remove(0));
    QVERIFY(model.Remove(0));  // the wide one goes: the narrow one is left
    QCOMPARE(model.WidestText(4), narrow);
    QCOMPARE(model.WidestText(1), year);

    // Sorting and reversing move texts, not widths.
    model.InsertTop(Coin("E", "5", "D over S, repunched"));
    model.SortByColumn(CoinField::MintMarks);
    model.ReverseRows();
    QCOMPARE(model.WidestText(4), wide);

    model.Clear();
    QCOMPARE(model.WidestText(4), 0);
    model.LoadBottomUp({Coin("F", "6", "S"), Coin("G", "7", "D over S, repunched")});
    QCOMPARE(model.WidestText(4), wide);
}

QTEST_MAIN(TestCoinTableModel)
#include "tst_CoinTableModel.moc"
