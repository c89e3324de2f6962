// The list of coins in the main window: what a click and the keyboard do to the form, sorting
// by a click on a column heading, the column widths, and the rows that the data file gives
// at start-up and keeps across a save.

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>

#include "UiTestSupport.h"
#include "app/CCollectionDlg.h"

namespace {

constexpr int kFieldIds[13] = {1005, 1006, 1007, 1019, 1013, 1017, 1009,
                               1010, 1011, 1012, 1022, 1008, 1014};
constexpr int kImage = 11;

const QStringList kEmptyForm(13);

QString ControlText(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText();
    if (auto* text = qobject_cast<QPlainTextEdit*>(control))
        return text->toPlainText();
    return {};
}

void SetControlText(QWidget* control, const QString& value)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(value);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setEditText(value);
    else if (auto* text = qobject_cast<QPlainTextEdit*>(control))
        text->setPlainText(value);
}

QStringList ComboEntries(QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.append(combo->itemText(i));
    return entries;
}

// The data file text of records given bottom row first.
QByteArray DataFileText(const QList<QStringList>& bottomUp)
{
    static const char* const keys[] = {
        "NAME", "YEAR", "FACEVALUE", "COUNTRY", "MINTMARKS", "CONDITION", "PURCHASEPRICE",
        "PURCHASEDATE", "CURRENTVALUE", "VALUATIONDATE", "CATEGORY", "IMAGE", "DESCRIPTION",
    };
    if (bottomUp.isEmpty())
        return {};
    QByteArray out = "CREATOR=NMR 1.0";
    for (const QStringList& record : bottomUp) {
        for (int i = 0; i < 13; ++i)
            out += "\r\n" + QByteArray(keys[i]) + '=' + record.value(i).toUtf8();
        out += "\r\n";
    }
    return out;
}

struct Session {
    TempCurrentDir dir;
    FakePlatform platform;
    std::unique_ptr<CCollectionDlg> dlg;

    void Open() { dlg = std::make_unique<CCollectionDlg>(platform); }

    // Starts the window on a data file holding these rows, top row first.
    void OpenWithRows(const QList<QStringList>& topDown)
    {
        QList<QStringList> bottomUp(topDown.rbegin(), topDown.rend());
        WriteFileBytes(dir.file("nmr.dat"), DataFileText(bottomUp));
        Open();
    }

    QWidget* Control(int id) const { return dlg->Control(id); }
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(Control(id)); }
    QComboBox* Combo(int id) const { return qobject_cast<QComboBox*>(Control(id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(Control(id)); }
    QTableView* List() const { return qobject_cast<QTableView*>(Control(1004)); }
    QHeaderView* Header() const { return List()->horizontalHeader(); }
    QString Count() const { return Edit(1021)->text(); }

    QStringList Form() const
    {
        QStringList values;
        for (int id : kFieldIds)
            values.append(ControlText(Control(id)));
        return values;
    }

    void SetForm(const QStringList& values) const
    {
        for (int i = 0; i < 13; ++i)
            SetControlText(Control(kFieldIds[i]), values.value(i));
    }

    QStringList Row(int row) const
    {
        QStringList values;
        for (CoinField field : kCoinFields) {
            const std::string_view text = dlg->collection().Row(row).Get(field);
            values.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        }
        return values;
    }

    QList<QStringList> Rows() const
    {
        QList<QStringList> rows;
        for (int r = 0; r < dlg->collection().Count(); ++r)
            rows.append(Row(r));
        return rows;
    }

    QStringList Column(int column) const
    {
        QStringList texts;
        for (int r = 0; r < dlg->collection().Count(); ++r)
            texts.append(Row(r).at(column));
        return texts;
    }

    bool Show() const
    {
        dlg->show();
        dlg->activateWindow();
        return QTest::qWaitForWindowActive(dlg.get());
    }

    void ClickRow(int row) const
    {
        const QRect rect = List()->visualRect(List()->model()->index(row, 0));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void ClickHeading(int column) const
    {
        QHeaderView* header = Header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    QList<int> Widths() const
    {
        QList<int> widths;
        for (int c = 0; c < 13; ++c)
            widths.append(Header()->sectionSize(c));
        return widths;
    }
};

QStringList Coin(const QString& name, const QString& year = {})
{
    QStringList values(13);
    values[0] = name;
    values[1] = year;
    return values;
}

}  // namespace

class TestCollectionList : public QObject {
    Q_OBJECT

private slots:
    void clickShowsTheRowInTheForm();
    void keyboardMovesTheMarkButNotTheForm();
    void headingClickSorts_data();
    void headingClickSorts();
    void sortingKeepsMarkFormAndWidths();
    void columnsFitHeadingsAndTexts();
    void loadCarriesValuesOverAndSkipsEmptyNames_data();
    void loadCarriesValuesOverAndSkipsEmptyNames();
    void loadReadsWindows1252();
    void saveThenLoadKeepsOrderAndTexts();
};

void TestCollectionList::clickShowsTheRowInTheForm()
{
    Session s;
    s.Open();
    QVERIFY(s.Show());
    const QStringList morgan = {
        "Morgan Dollar", "1921",  "1 Dollar",   "United States", "D",          "Fine",
        "25.00",         "2005-03-14", "30.00", "2005-06-02",   "Silver Dollars", "morgan.jpg",
        "Light wear on the cheek.\nToned reverse.\n\nBought at a fair.",
    };
    s.SetForm(morgan);
    s.Button(1000)->click();
    s.SetForm(Coin("Buffalo Nickel", "1936"));
    s.Button(1000)->click();
    s.SetForm(Coin("Typed"));

    s.ClickRow(1);
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);
    QCOMPARE(s.Form(), morgan);
    QCOMPARE(s.Edit(1010)->text(), QString("2005-03-14"));
    QCOMPARE(s.Edit(1012)->text(), QString("2005-06-02"));
    // The cell shows the description as one line.
    const QString cell = s.List()->model()->data(s.List()->model()->index(1, 12)).toString();
    QVERIFY(!cell.contains('\n'));
    QVERIFY(cell.startsWith("Light wear on the cheek."));
    QVERIFY(cell.endsWith("Bought at a fair."));

    s.ClickRow(0);
    QCOMPARE(s.Form(), Coin("Buffalo Nickel", "1936"));
    QCOMPARE(s.Count(), QString("2"));

    // A click below the rows reads the marked row again, over whatever was typed.
    s.SetForm(Coin("Typed"));
    const QPoint below(10, s.List()->visualRect(s.List()->model()->index(1, 0)).bottom() + 20);
    QVERIFY(below.y() < s.List()->viewport()->height());
    QTest::mouseClick(s.List()->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(s.Form(), Coin("Buffalo Nickel", "1936"));
    // Another button than the left one reads nothing.
    s.SetForm(Coin("Typed"));
    s.ClickRow(1);
    s.SetForm(Coin("Typed"));
    QTest::mouseClick(s.List()->viewport(), Qt::RightButton, {},
                      s.List()->visualRect(s.List()->model()->index(0, 0)).center());
    QCOMPARE(s.Form(), Coin("Typed"));
}

void TestCollectionList::keyboardMovesTheMarkButNotTheForm()
{
    Session s;
    s.OpenWithRows({Coin("Alpha", "1"), Coin("Beta", "2"), Coin("Gamma", "3")});
    QVERIFY(s.Show());
    s.ClickRow(0);
    QCOMPARE(s.Form(), Coin("Alpha", "1"));

    QCOMPARE(QApplication::focusWidget(), s.List());
    QTest::keyClick(s.List(), Qt::Key_Down);
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);
    QVERIFY(s.List()->selectionModel()->isRowSelected(1, {}));
    QCOMPARE(s.Form(), Coin("Alpha", "1"));

    // The keyboard's mark is what Delete acts on.
    s.Button(1002)->click();
    QCOMPARE(s.Column(0), (QStringList{"Alpha", "Gamma"}));
}

void TestCollectionList::headingClickSorts_data()
{
    // Each row's key is put into the column clicked; the Image column tells the rows apart.
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("keys");           // top row first
    QTest::addColumn<QList<QStringList>>("orders");  // the rows after each click, by number

    QTest::newRow("capitals before small letters")
        << 0 << QStringList{"apple", "Banana"} << QList<QStringList>{{"1", "0"}, {"0", "1"}};
    QTest::newRow("years as text") << 1 << QStringList{"985", "2001", "1999"}
                                   << QList<QStringList>{{"2", "1", "0"}, {"0", "1", "2"}};
    QTest::newRow("already ascending is reversed")
        << 3 << QStringList{"Chile", "Peru", "Spain"}
        << QList<QStringList>{{"2", "1", "0"}, {"0", "1", "2"}, {"2", "1", "0"}};
    QTest::newRow("equal keys keep their order, a reversal reverses them")
        << 1 << QStringList{"2000", "1990", "2000", "1990"}
        << QList<QStringList>{{"1", "3", "0", "2"}, {"2", "0", "3", "1"}, {"3", "1", "2", "0"}};
    QTest::newRow("all equal reverses each time")
        << 5 << QStringList{"Fine", "Fine", "Fine"}
        << QList<QStringList>{{"2", "1", "0"}, {"0", "1", "2"}};
    QTest::newRow("empty text first, prefix before longer text")
        << 4 << QStringList{"DD", "", "D", "C"}
        << QList<QStringList>{{"1", "3", "2", "0"}, {"0", "2", "3", "1"}};
    QTest::newRow("bytes above ASCII after letters")
        << 3 << QStringList{"\u00d6sterreich", "Zambia", "Angola"}
        << QList<QStringList>{{"2", "1", "0"}};
    QTest::newRow("dates in date text order")
        << 7 << QStringList{"2005-10-01", "2004-12-31", "2005-02-15"}
        << QList<QStringList>{{"1", "2", "0"}};
    QTest::newRow("one row") << 0 << QStringList{"Only"} << QList<QStringList>{{"0"}, {"0"}};
    QTest::newRow("no rows") << 2 << QStringList{} << QList<QStringList>{{}, {}};
}

void TestCollectionList::headingClickSorts()
{
    QFETCH(int, column);
    QFETCH(QStringList, keys);
    QFETCH(QList<QStringList>, orders);

    QList<QStringList> rows;
    for (int i = 0; i < keys.size(); ++i) {
        QStringList row = Coin(QStringLiteral("Coin %1").arg(i));
        row[column] = keys[i];
        row[kImage] = QString::number(i);
        rows.append(row);
    }
    Session s;
    s.OpenWithRows(rows);
    s.dlg->resize(2400, s.dlg->height());  // every heading in view
    QVERIFY(s.Show());
    QStringList loaded;
    for (int i = 0; i < keys.size(); ++i)
        loaded.append(QString::number(i));
    QCOMPARE(s.Column(kImage), loaded);

    for (const QStringList& order : orders) {
        s.ClickHeading(column);
        QCOMPARE(s.Column(kImage), order);
        QCOMPARE(s.dlg->collection().Count(), keys.size());
        QCOMPARE(s.Count(), QString::number(keys.size()));
    }
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestCollectionList::sortingKeepsMarkFormAndWidths()
{
    Session s;
    s.OpenWithRows({Coin("Gamma", "3"), Coin("Alpha", "1"), Coin("Beta", "2")});
    QVERIFY(s.Show());
    s.ClickRow(1);
    QCOMPARE(s.Form(), Coin("Alpha", "1"));
    s.SetForm(Coin("Typed", "1999"));
    s.Header()->resizeSection(0, 300);  // the user's own width, which no refit would keep
    const QList<int> widths = s.Widths();

    s.dlg->OnColumnClick(0);
    QCOMPARE(s.Column(0), (QStringList{"Alpha", "Beta", "Gamma"}));
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);
    QVERIFY(s.List()->selectionModel()->isRowSelected(1, {}));
    QCOMPARE(s.List()->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(s.Form(), Coin("Typed", "1999"));
    QCOMPARE(s.Widths(), widths);

    s.ClickHeading(0);
    QCOMPARE(s.Column(0), (QStringList{"Gamma", "Beta", "Alpha"}));
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);
    QCOMPARE(s.Form(), Coin("Typed", "1999"));
    QCOMPARE(s.Widths(), widths);

    // Update writes into the marked position, which now holds another coin.
    s.SetForm(Coin("Delta", "4"));
    s.Button(1001)->click();
    QCOMPARE(s.Column(0), (QStringList{"Gamma", "Delta", "Alpha"}));
}

void TestCollectionList::columnsFitHeadingsAndTexts()
{
    Session s;
    QStringList wide = Coin("Double Eagle", "1907");
    wide[3] = "United States of America";
    wide[12] = "Short";
    s.OpenWithRows({wide, Coin("Cent", "1909")});
    QVERIFY(s.Show());

    const QFontMetrics headerMetrics(s.Header()->font());
    const QFontMetrics cellMetrics(s.List()->font());
    auto checkFits = [&s, &headerMetrics, &cellMetrics] {
        QAbstractItemModel* model = s.List()->model();
        for (int c = 0; c < 13; ++c) {
            const QString heading = model->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(s.Header()->sectionSize(c) > headerMetrics.horizontalAdvance(heading),
                     qPrintable(heading));
            for (int r = 0; r < model->rowCount(); ++r) {
                const QString text = model->data(model->index(r, c)).toString();
                QVERIFY2(s.Header()->sectionSize(c) > cellMetrics.horizontalAdvance(text),
                         qPrintable(text));
            }
        }
    };
    auto reachesRightEdge = [&s] {
        return s.Header()->length() >= s.List()->viewport()->width();
    };

    checkFits();

    // Widening the window refits nothing; the next change fits the columns to the wider list,
    // the last one reaching its right edge.
    const QList<int> atStart = s.Widths();
    s.dlg->resize(2400, s.dlg->height());
    QTRY_VERIFY(s.List()->viewport()->width() > s.Header()->length());
    QCOMPARE(s.Widths(), atStart);
    s.SetForm(Coin("Nickel", "1913"));
    s.Button(1000)->click();
    checkFits();
    QVERIFY2(reachesRightEdge(), qPrintable(QStringLiteral("%1 < %2").arg(s.Header()->length())
                                                .arg(s.List()->viewport()->width())));
    QVERIFY(s.Header()->length() <= s.List()->viewport()->width() + 1);

    // A longer Mint Marks widens that column alone; the last one gives up what it had spare.
    const QList<int> before = s.Widths();
    QStringList longer = Coin("Dime", "1916");
    longer[4] = "D over S, repunched, very clear under a glass";
    s.SetForm(longer);
    s.Button(1000)->click();
    const QList<int> after = s.Widths();
    checkFits();
    QVERIFY(after[4] > before[4]);
    for (int c = 0; c < 12; ++c) {
        if (c != 4)
            QCOMPARE(after[c], before[c]);
    }
    QCOMPARE(after[12], before[12] - (after[4] - before[4]));
    QVERIFY(reachesRightEdge());
}

void TestCollectionList::loadCarriesValuesOverAndSkipsEmptyNames_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("LF") << QByteArray("\n");
}

void TestCollectionList::loadCarriesValuesOverAndSkipsEmptyNames()
{
    QFETCH(QByteArray, lineEnd);

    // Pairs before the first NAME belong to it; NAME= drops a record whose values carry on;
    // an unknown key is skipped; two NAME lines in a row make a record of the first.
    const QList<QByteArray> lines = {
        "CREATOR=NMR 1.0", "COUNTRY=Peru", "NAME=First", "YEAR=1900", "CATEGORY=Gold", "",
        "NAME=", "YEAR=1950", "CONDITION=Fine", "WEIGHT=5 g", "",
        "NAME=Second", "DESCRIPTION=Line one", "=Line two", "",
        "NAME=Third", "NAME=Fourth", "COUNTRY=chile", "CONDITION=fine", "",
    };
    Session s;
    WriteFileBytes(s.dir.file("nmr.dat"), lines.join(lineEnd) + lineEnd);
    s.Open();

    QStringList first = Coin("First", "1900");
    first[3] = "Peru";
    first[10] = "Gold";
    QStringList second = first;
    second[0] = "Second";
    second[1] = "1950";
    second[5] = "Fine";
    second[12] = "Line one\nLine two";
    QStringList third = second;
    third[0] = "Third";
    QStringList fourth = third;
    fourth[0] = "Fourth";
    fourth[3] = "chile";
    fourth[5] = "fine";
    QCOMPARE(s.Rows(), (QList<QStringList>{fourth, third, second, first}));
    QCOMPARE(s.Count(), QString("4"));
    QCOMPARE(s.Form(), kEmptyForm);
    QCOMPARE(ComboEntries(s.Combo(1019)), (QStringList{"chile", "Peru"}));
    QCOMPARE(ComboEntries(s.Combo(1017)), QStringList{"Fine"});
    QCOMPARE(ComboEntries(s.Combo(1022)), QStringList{"Gold"});
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestCollectionList::loadReadsWindows1252()
{
    Session s;
    WriteFileBytes(s.dir.file("nmr.dat"),
                   "CREATOR=NMR 1.0\r\nNAME=Caf\xe9 Token\r\nCOUNTRY=\xd6sterreich\r\n"
                   "PURCHASEPRICE=\x80 5\r\n\r\n");
    s.Open();

    QStringList expected = Coin(QString::fromUtf8("Caf\u00e9 Token"));
    expected[3] = QString::fromUtf8("\u00d6sterreich");
    expected[6] = QString::fromUtf8("\u20ac 5");
    QCOMPARE(s.Rows(), QList<QStringList>{expected});
    QCOMPARE(ComboEntries(s.Combo(1019)), QStringList{expected[3]});

    s.dlg->ReadRowIntoForm(0);
    QCOMPARE(s.Form(), expected);
}

void TestCollectionList::saveThenLoadKeepsOrderAndTexts()
{
    const QList<QStringList> rows = {
        {"a=b", "1921", "1 = one", "United", "D", "Fine", "25.00", "2005-03-14", "30.00",
         "2005-06-02", "Silver", "pics/a=b.jpg", "First line\nSecond = line\n\nFourth line"},
        Coin("Plain", "1900"),
        {QString::fromUtf8("\u00d6re"), "", "", QString::fromUtf8("\u00d6sterreich"), "", "",
         "", "", "", "", "", "", ""},
        {"Morgan Dollar", "1921", "", "United States", "", "", "", "", "", "", "", "", ""},
    };
    Session s;
    s.OpenWithRows({});
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        s.SetForm(*it);
        s.Button(1000)->click();
    }
    QCOMPARE(s.Rows(), rows);
    s.dlg->OnColumnClick(1);  // the sorted order is the one kept
    const QList<QStringList> sorted = s.Rows();
    QVERIFY(sorted != rows);
    s.dlg->OnFileSave();
    QVERIFY(s.platform.boxes.isEmpty());
    s.dlg.reset();

    s.Open();
    QCOMPARE(s.Rows(), sorted);
    QCOMPARE(s.Count(), QString::number(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        s.dlg->ReadRowIntoForm(r);
        QCOMPARE(s.Form(), sorted[r]);
    }
}

QTEST_MAIN(TestCollectionList)
#include "tst_CollectionList.moc"
