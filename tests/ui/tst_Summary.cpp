// The summary dialog: its numbers for the demo collection, the table by country, category and
// condition and its sorting, the charts, and saving the page.

#include <QAbstractItemModelTester>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>

#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "output/qt/CSummaryDlg.h"
#include "output/qt/SummaryChartView.h"
#include "storage/DataFile.h"

namespace {

CollectionSummary SummaryOf(const std::string& dataFile)
{
    Collection collection;
    collection.LoadBottomUp(ReadDataFile(dataFile));
    return SummarizeCollection(collection);
}

CollectionSummary DemoSummary()
{
    return SummaryOf(NUMORA_TEST_DATA "/../../demo/nmr.dat");
}

// A dialog on a platform whose save dialog answers `platform.nextSaveFileName` and which
// records the error boxes.
struct Dialog {
    FakePlatform platform;
    CSummaryDlg dlg;

    explicit Dialog(CollectionSummary summary) : dlg(std::move(summary), "Coins of the Riverside Club", platform) {}
    QString Shown(const char* name) const { return dlg.findChild<QLabel*>(name)->text(); }
    // Coins, then Purchase Price and Current Value as total, read, unreadable and empty, then
    // the difference.
    QStringList Totals() const
    {
        QStringList shown;
        for (const char* name : {"coins", "purchaseTotal", "purchaseRead", "purchaseUnreadable",
                                 "purchaseEmpty", "currentTotal", "currentRead",
                                 "currentUnreadable", "currentEmpty", "difference"})
            shown.append(Shown(name));
        return shown;
    }
    QTableView* Table() const { return dlg.findChild<QTableView*>("groups"); }
    QStringList Row(int row) const
    {
        QStringList cells;
        for (int column = 0; column < Table()->model()->columnCount(); ++column)
            cells.append(Table()->model()->index(row, column).data().toString());
        return cells;
    }
    QStringList Column(int column) const
    {
        QStringList cells;
        for (int row = 0; row < Table()->model()->rowCount(); ++row)
            cells.append(Table()->model()->index(row, column).data().toString());
        return cells;
    }
    void ClickHeading(int column) const
    {
        QHeaderView* header = Table()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
    }
    SummaryChartView* Chart(const char* name) const
    {
        return dlg.findChild<SummaryChartView*>(name);
    }
};

}  // namespace

class TestSummary : public QObject {
    Q_OBJECT

private slots:
    void totalsCountTheValuesNotRead();
    void tableSwitchesGroupingAndSortsByNumbers();
    void chartsHaveABarForEachValue();
    void chartsTakeTheirColoursFromThePalette();
    void saveAsHtml();
};

void TestSummary::totalsCountTheValuesNotRead()
{
    // In the demo three coins have no Current Value; every value written is an amount.
    QCOMPARE(Dialog(DemoSummary()).Totals(),
             (QStringList{"25", "435.30", "25", "0", "0", "850.20", "22", "0", "3", "414.90"}));

    QTemporaryDir dir;
    const QString file = dir.filePath("nmr.dat");
    // Name, Purchase Price, Current Value; each key is written for every coin.
    auto coin = [](const QString& name, const QString& price, const QString& value) {
        return QStringList{name, {}, {}, {}, {}, {}, price, {}, value, {}, {}, {}, {}};
    };
    WriteFileBytes(file, DataFile({coin("A", "1.234,50", "free"), coin("B", "10-20", "$ 5"),
                                   coin("C", "", "-2.5"), coin("D", "n/a", "  ")}));
    QCOMPARE(Dialog(SummaryOf(file.toStdString())).Totals(),
             (QStringList{"4", "1,234.50", "1", "2", "1", "2.50", "2", "1", "1", "-1,232.00"}));
}

void TestSummary::tableSwitchesGroupingAndSortsByNumbers()
{
    Dialog d(DemoSummary());
    d.dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d.dlg));
    QAbstractItemModel* model = d.Table()->model();
    auto* grouping = d.dlg.findChild<QComboBox*>("grouping");
    QAbstractItemModelTester tester(qobject_cast<QSortFilterProxyModel*>(model)->sourceModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);

    // By country at first, in the order of the drop-down lists.
    QCOMPARE(model->rowCount(), 14);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Country"));
    QCOMPARE(d.Row(0), (QStringList{"Bundesrepublik Deutschland", "2", "15.20", "24.40"}));
    QCOMPARE(d.Row(9), (QStringList{"United Kingdom", "5", "187.10", "408.80"}));

    grouping->setCurrentIndex(1);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QString("Category"));
    QCOMPARE(d.Column(0), (QStringList{"Aluminium", "Commemorative", "Copper & Bronze", "Gold",
                                       "Modern circulation", "Nickel", "Proof", "Silver",
                                       "Tokens"}));

    // A first click on a number heading puts the largest first, a second one the smallest;
    // amounts sort as numbers, not as texts.
    d.ClickHeading(3);
    QCOMPARE(d.Table()->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(d.Column(3), (QStringList{"705.00", "111.00", "15.80", "9.00", "3.50", "2.90",
                                       "2.00", "1.00", "0.00"}));
    QCOMPARE(d.Row(0), (QStringList{"Gold", "2", "320.00", "705.00"}));

    // Another grouping keeps the sorting.
    grouping->setCurrentIndex(2);
    QCOMPARE(d.Column(0), (QStringList{"Extremely Fine", "Uncirculated", "Fine", "Very Fine",
                                       "Good", "Proof"}));
    d.ClickHeading(2);
    QCOMPARE(d.Column(2), (QStringList{"210.90", "155.00", "38.60", "25.80", "4.00", "1.00"}));
    d.ClickHeading(2);
    QCOMPARE(d.Column(2), (QStringList{"1.00", "4.00", "25.80", "38.60", "155.00", "210.90"}));
    d.ClickHeading(1);
    QCOMPARE(d.Column(1), (QStringList{"7", "7", "5", "4", "1", "1"}));

    // The value column sorts up into the order the table began with.
    d.ClickHeading(0);
    QCOMPARE(d.Column(0), (QStringList{"Extremely Fine", "Fine", "Good", "Proof",
                                       "Uncirculated", "Very Fine"}));
}

void TestSummary::chartsHaveABarForEachValue()
{
    Dialog d(DemoSummary());
    SummaryChartView* byCategory = d.Chart("chartByCategory");
    SummaryChartView* byCountry = d.Chart("chartByCountry");
    SummaryChartView* byYear = d.Chart("chartByYear");
    QVERIFY(byCategory && byCountry && byYear);

    // Horizontal bars from the bottom up: the largest is the last, drawn at the top.
    QCOMPARE(byCategory->Bars()->count(), 9);
    QCOMPARE(byCategory->LabelAxis()->at(8), QString("Gold"));
    QCOMPARE(byCategory->Bars()->at(8), 705.0);
    QCOMPARE(byCategory->LabelAxis()->at(0), QString("Tokens"));
    QCOMPARE(byCategory->Bars()->at(0), 0.0);  // no Current Value

    // Eleven countries and the three with one coin each that do not fit, as "Other".
    QCOMPARE(byCountry->Bars()->count(), 12);
    QCOMPARE(byCountry->LabelAxis()->at(11), QString("United Kingdom"));
    QCOMPARE(byCountry->LabelAxis()->at(0), QString("Other"));
    QCOMPARE(byCountry->Bars()->at(0), 3.0);

    // The years with purchases, 2003 to 2021 but for 2019 and 2020.
    QCOMPARE(byYear->Bars()->count(), 17);
    QCOMPARE(byYear->LabelAxis()->at(0), QString("2003"));
    QCOMPARE(byYear->LabelAxis()->at(16), QString("2021"));
    QCOMPARE(byYear->Bars()->at(9), 180.0);  // 2012

    // A country named as the bar of the rest keeps its own label.
    QTemporaryDir dir;
    QList<QStringList> coins = {Coin("a", {}, "Other"), Coin("b", {}, "Other")};
    for (int i = 0; i < 12; ++i)
        coins.append(Coin("c", {}, QString("Land %1").arg(i)));
    WriteFileBytes(dir.filePath("nmr.dat"), DataFile(coins));
    Dialog others(SummaryOf(dir.filePath("nmr.dat").toStdString()));
    QBarCategoryAxis* labels = others.Chart("chartByCountry")->LabelAxis();
    QCOMPARE(labels->count(), 12);
    QVERIFY(labels->at(0).startsWith("Other") && labels->at(11).startsWith("Other"));
    QVERIFY(labels->at(0) != labels->at(11));
    QCOMPARE(others.Chart("chartByCountry")->Bars()->at(0), 2.0);  // the two lands left over

    // An empty collection still shows its dialog, with empty charts.
    Dialog empty{CollectionSummary{}};
    QCOMPARE(empty.Shown("coins"), QString("0"));
    QCOMPARE(empty.Chart("chartByYear")->Bars()->count(), 0);
    QCOMPARE(empty.Table()->model()->rowCount(), 0);
}

void TestSummary::chartsTakeTheirColoursFromThePalette()
{
    Dialog d(DemoSummary());
    auto scheme = [](QColor base, QColor text, QColor highlight) {
        QPalette palette;
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::Highlight, highlight);
        return palette;
    };
    const QPalette light = scheme(Qt::white, Qt::black, QColor(0, 90, 200));
    const QPalette dark = scheme(QColor(30, 30, 30), QColor(230, 230, 230), QColor(80, 140, 220));
    for (const QPalette& palette : {light, dark}) {
        d.dlg.setPalette(palette);
        for (const char* name : {"chartByCategory", "chartByCountry", "chartByYear"}) {
            SummaryChartView* chart = d.Chart(name);
            QCOMPARE(chart->chart()->backgroundBrush().color(), palette.color(QPalette::Base));
            QCOMPARE(chart->chart()->titleBrush().color(), palette.color(QPalette::Text));
            QCOMPARE(chart->LabelAxis()->labelsBrush().color(), palette.color(QPalette::Text));
            QCOMPARE(chart->Bars()->color(), palette.color(QPalette::Highlight));
            QCOMPARE(chart->Bars()->labelColor(), palette.color(QPalette::Text));
        }
    }
}

void TestSummary::saveAsHtml()
{
    QTemporaryDir dir;
    Dialog d(DemoSummary());
    auto* save = d.dlg.findChild<QPushButton*>("saveHtml");

    QString& path = d.platform.nextSaveFileName;
    path = dir.filePath("summary.htm");
    save->click();
    const QByteArray page = ReadFileBytes(path);
    QVERIFY(page.contains("<title>Coins of the Riverside Club</title>"));
    QVERIFY(page.contains("435.30"));
    QVERIFY(page.contains("<svg"));
    QVERIFY(d.platform.boxes.isEmpty());

    // Cancelled: nothing written, nothing said.
    path.clear();
    save->click();
    QCOMPARE(d.platform.saveDialogs, 2);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"summary.htm"});
    QVERIFY(d.platform.boxes.isEmpty());

    // A folder that is not there: the fixed box, and the reason on the error output.
    path = dir.filePath("missing/summary.htm");
    save->click();
    QCOMPARE(d.platform.boxes, QStringList{"Error Saving File.: Save to File"});
    QCOMPARE(d.platform.problems.size(), 1);
    QVERIFY2(d.platform.problems[0].contains("No such file or directory"), qPrintable(d.platform.problems[0]));
    QVERIFY(!QFileInfo::exists(path));

    // Close ends the dialog; saving did not.
    d.dlg.show();
    QVERIFY(d.dlg.isVisible());
    d.dlg.findChild<QPushButton*>("close")->click();
    QVERIFY(!d.dlg.isVisible());
    QCOMPARE(d.dlg.result(), int(QDialog::Rejected));
}

NUMORA_UI_TEST(tst_Summary, TestSummary)
#include "tst_Summary.moc"
