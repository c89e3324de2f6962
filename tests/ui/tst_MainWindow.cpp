// The main window: the editing commands and their questions, the list (click and keyboard,
// sorting, column widths), the ways out and the files each writes, and the list's model.

#include <QAbstractItemModelTester>
#include <QHeaderView>

#include <algorithm>

#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "records/qt/CoinSearchField.h"
#include "records/qt/CoinTableModel.h"
#include "resources/FixedStrings.h"
#include "widgets/QtText.h"

namespace {

const QStringList kEmptyForm(13);
const QStringList kMorgan = {"Morgan Dollar", "1921", "1 Dollar", "United States", "D", "Fine",
                             "25.00", "2005-03-14", "30.00", "2005-06-02", "Silver Dollars",
                             "morgan.jpg", "Light wear on the cheek."};
const QStringList kBuffalo = {"Buffalo Nickel", "1936", "5 Cents", "United States", "",
                              "Very Fine", "2.50", "2005-02-01", "", "", "Nickels", "", ""};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void editingCommands_data();
    void editingCommands();
    void questionsAndErrors();
    void typedChoiceIsNotCompleted();
    void clickReadsTheRowKeysDoNot();
    void headingClickSortsAndColumnsFit();
    void waysOut_data();
    void waysOut();
    void readOnlyDataFileIsKept();
    void modelStaysConsistent();
    void tabFollowsTheTemplateOrder();
    void aColumnNarrowsWhenItsWidestRowGoes();
    void descriptionLinesReachTheFileHoweverTyped();
    void longFieldsShowTheirStart();
    void widestTextFollowsEveryChange();
};

void TestMainWindow::editingCommands_data()
{
    QTest::addColumn<int>("id");  // a button, or a menu item from 30000 on
    QTest::addColumn<QStringList>("namesAfter");
    QTest::newRow("Add button") << int(IDC_ADD) << QStringList{"Typed", "Beta", "Alpha"};
    QTest::newRow("Item > Add") << int(MenuCommand::ItemAdd) << QStringList{"Typed", "Beta", "Alpha"};
    QTest::newRow("Update button") << int(IDC_UPDATE) << QStringList{"Beta", "Typed"};
    QTest::newRow("Item > Update") << int(MenuCommand::ItemUpdate) << QStringList{"Beta", "Typed"};
    QTest::newRow("Delete button") << int(IDC_DELETE) << QStringList{"Beta"};
    QTest::newRow("Item > Delete") << int(MenuCommand::ItemDelete) << QStringList{"Beta"};
}

void TestMainWindow::editingCommands()
{
    QFETCH(int, id);
    QFETCH(QStringList, namesAfter);

    Session s;
    s.Open();
    s.Add(Coin("Alpha", "1900"));
    s.Add(Coin("Beta", "1901"));
    s.List()->selectRow(1);  // Alpha
    s.SetForm(kTyped);
    id < 30000 ? s.Button(id)->click() : s.Trigger(MenuCommand(id));

    QCOMPARE(s.Names(), namesAfter);
    QCOMPARE(s.Edit(IDC_ITEMCOUNT)->text(), QString::number(namesAfter.size()));
    QCOMPARE(s.Form(), id < 30000 ? kEmptyForm : kTyped);  // buttons clear the form, items not
    if (namesAfter.contains("Typed"))
        QCOMPARE(s.Row(int(namesAfter.indexOf("Typed"))), kTyped);
    if (namesAfter.size() == 1) {  // the marked row went: a second Delete deletes nothing
        QCOMPARE(s.dlg->collection().MarkedRow(), -1);
        QVERIFY(!s.List()->selectionModel()->hasSelection());
        s.Trigger(MenuCommand::ItemDelete);
        QCOMPARE(s.Names(), namesAfter);
    }
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestMainWindow::questionsAndErrors()
{
    Session s;
    s.Open();
    s.Add(Coin("", "1900", "Peru"));
    QCOMPARE(s.dlg->collection().Count(), 0);
    QCOMPARE(s.Combo(IDC_COUNTRY)->count(), 0);  // refused before reaching the drop-down lists

    s.Add(Coin("Morgan Dollar", "1921"));
    s.platform.answers = {false};
    s.Add(Coin("Morgan Dollar", "1921", "Canada"));
    QCOMPARE(s.Names(), QStringList{"Morgan Dollar"});
    s.platform.answers = {true};
    s.Add(Coin("Morgan Dollar", "1921"));
    QCOMPARE(s.Names(), (QStringList{"Morgan Dollar", "Morgan Dollar"}));
    s.Add(Coin("morgan dollar", "1921"));  // another case is another coin: no question

    s.SetForm(Coin("Typed"));
    s.platform.answers = {false};
    s.Trigger(MenuCommand::ItemClearAll);
    QCOMPARE(s.dlg->collection().Count(), 3);
    s.platform.answers = {true};
    s.Trigger(MenuCommand::ItemClearAll);
    QCOMPARE(s.dlg->collection().Count(), 0);
    QCOMPARE(s.Edit(IDC_ITEMCOUNT)->text(), QString("0"));
    QCOMPARE(s.Form(), Coin("Typed"));

    const QString duplicate =
        "? This entry is already in the list.\r\nDo you really want to add this item?";
    const QString clearAll = "? Are you sure that you want to clear list?";
    QCOMPARE(s.platform.boxes, (QStringList{"Error: Course Name Blank.\r\nNo entry added.",
                                            duplicate, duplicate, clearAll, clearAll}));
}

void TestMainWindow::typedChoiceIsNotCompleted()
{
    Session s;
    s.Open();
    s.Add(Coin("Morgan Dollar", "1921", "United States"));
    s.SetForm(Coin("Shilling", "1950"));
    QComboBox* country = s.Combo(IDC_COUNTRY);
    country->setFocus();
    QTest::keyClicks(country, "United");
    s.Trigger(MenuCommand::ItemAdd);
    QCOMPARE(s.Row(0).at(3), QString("United"));

    // Shown from the row and read back by an Update, it is still "United".
    s.SetForm(kEmptyForm);
    s.List()->selectRow(0);
    s.dlg->ReadRowIntoForm(0);
    QCOMPARE(country->currentText(), QString("United"));
    s.Trigger(MenuCommand::ItemUpdate);
    QCOMPARE(s.Row(0).at(3), QString("United"));
    QCOMPARE(s.Row(1).at(3), QString("United States"));
}

void TestMainWindow::clickReadsTheRowKeysDoNot()
{
    Session s;
    WriteFileBytes("nmr.dat", DataFile({Coin("Gamma", "3"), kMorgan, Coin("Alpha", "1")}));
    s.Open();
    QVERIFY(s.Show());
    QTableView* list = s.List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).center());
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);
    QCOMPARE(s.Form(), kMorgan);

    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(s.dlg->collection().MarkedRow(), 2);
    QVERIFY(list->selectionModel()->isRowSelected(2, {}));
    QCOMPARE(s.Form(), kMorgan);

    auto* description = qobject_cast<QPlainTextEdit*>(s.Control(IDC_DESCRIPTION));  // Enter adds a line
    description->clear();
    description->setFocus();
    QTest::keyClicks(description, "First");
    QTest::keyClick(description, Qt::Key_Return);
    QTest::keyClicks(description, "Second");
    QVERIFY(s.dlg->isVisible());
    QCOMPARE(description->toPlainText(), QString("First\nSecond"));
}

void TestMainWindow::headingClickSortsAndColumnsFit()
{
    Session s;
    QStringList wide = Coin("Alpha", "1", "United States of America");
    wide[12] = "Short";
    WriteFileBytes("nmr.dat", DataFile({Coin("Beta", "2"), wide, Coin("Gamma", "3")}));
    s.Open();
    s.dlg->resize(2400, s.dlg->height());  // every heading in view
    QVERIFY(s.Show());
    s.List()->selectRow(1);
    s.SetForm(Coin("Typed"));

    QHeaderView* header = s.List()->horizontalHeader();
    for (const QStringList& order : {QStringList{"Alpha", "Beta", "Gamma"},
                                     QStringList{"Gamma", "Beta", "Alpha"}}) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionSize(0) / 2, header->height() / 2));
        QCOMPARE(s.Names(), order);
        QCOMPARE(s.dlg->collection().MarkedRow(), 1);
        QCOMPARE(s.List()->selectionModel()->selectedRows().size(), 1);
        QVERIFY(s.List()->selectionModel()->isRowSelected(1, {}));
        QCOMPARE(s.Form(), Coin("Typed"));
    }

    const QAbstractItemModel* model = s.List()->model();
    for (int c = 0; c < 13; ++c) {
        const QString heading = model->headerData(c, Qt::Horizontal).toString();
        QVERIFY2(header->sectionSize(c) > header->fontMetrics().horizontalAdvance(heading),
                 qPrintable(heading));
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString text = model->data(model->index(r, c)).toString();
            QVERIFY2(header->sectionSize(c) > s.List()->fontMetrics().horizontalAdvance(text),
                     qPrintable(text));
        }
    }
}

void TestMainWindow::waysOut_data()
{
    // The preferences file is a folder, so each save of it is refused with an error box;
    // whether the data file was written by then tells the order.
    QTest::addColumn<int>("how");  // a key in Name, Quit, a menu item, or 0 for the close box
    QTest::addColumn<QList<bool>>("dataWrittenAtError");
    QTest::addColumn<QList<int>>("endedWith");
    QTest::newRow("Quit") << 1 << QList<bool>{false} << QList<int>{};
    QTest::newRow("Enter in Name") << int(Qt::Key_Return) << QList<bool>{false} << QList<int>{};
    QTest::newRow("Escape") << int(Qt::Key_Escape) << QList<bool>{false} << QList<int>{};
    QTest::newRow("close box") << 0 << QList<bool>{false} << QList<int>{};
    QTest::newRow("File > Exit") << int(MenuCommand::FileExit) << QList<bool>{true} << QList<int>{0};
    QTest::newRow("File > Save") << int(MenuCommand::FileSave) << QList<bool>{} << QList<int>{};
}

void TestMainWindow::waysOut()
{
    QFETCH(int, how);
    QFETCH(QList<bool>, dataWrittenAtError);
    QFETCH(QList<int>, endedWith);

    QList<bool> dataAtError;  // outlives the window, which may still write as it goes
    Session s;
    QVERIFY(QDir().mkdir("nmr.ini"));
    s.Open();
    QVERIFY(s.platform.boxes.takeFirst().startsWith("Preferences Not Read: "));
    QVERIFY(s.Show());
    s.Add(kMorgan);
    s.Add(kBuffalo);
    s.platform.onError = [&] {
        QVERIFY(s.platform.endedWith.isEmpty());  // the process ends after both files
        dataAtError.append(ReadFileBytes("nmr.dat").contains("NAME=Buffalo"));
    };
    s.SetForm(Coin("Typed but not added"));
    s.Edit(IDC_NAME)->setFocus();
    if (how > 60000)
        QTest::keyClick(s.Edit(IDC_NAME), Qt::Key(how));
    else
        how == 0 ? void(s.dlg->close()) : how == 1 ? s.Button(IDC_QUIT)->click() : s.Trigger(MenuCommand(how));

    QCOMPARE(ReadFileBytes("nmr.dat"), DataFile({kMorgan, kBuffalo}));
    QCOMPARE(dataAtError, dataWrittenAtError);
    QCOMPARE(s.platform.boxes, QStringList(dataAtError.size(), "Error Writing File: " + ToQString(strings::kPrefsNotWritten)));
    QCOMPARE(s.platform.endedWith, endedWith);
    if (how == int(MenuCommand::FileSave)) {
        QVERIFY(s.dlg->isVisible());
        QCOMPARE(s.Form(), kEmptyForm);
        return;
    }
    QVERIFY(s.dlg->isVisible() == (how == int(MenuCommand::FileExit)));
    QVERIFY(QFile::remove("nmr.dat"));  // neither file is written a second time
    s.dlg->close();
    QVERIFY(!QFileInfo::exists("nmr.dat"));
    QCOMPARE(s.platform.boxes.size(), 1);
}

void TestMainWindow::readOnlyDataFileIsKept()
{
    Session s;
    const QByteArray old = "CREATOR=NMR 1.0\r\nNAME=Old Coin\r\nYEAR=1800\r\n";
    WriteFileBytes("nmr.dat", old);
    s.Open();
    QVERIFY(QFile::setPermissions("nmr.dat", QFile::ReadOwner));
    s.Add(kBuffalo);
    s.SetForm(Coin("Typed but not added"));
    s.Trigger(MenuCommand::FileSave);

    QCOMPARE(s.platform.boxes, QStringList{"Error Writing File: Save to File"});
    // The box has the fixed text; why the save failed goes to the error output.
    QCOMPARE(s.platform.problems.size(), 1);
    QVERIFY2(s.platform.problems[0].contains("nmr.dat") && s.platform.problems[0].contains("read-only"),
             qPrintable(s.platform.problems[0]));
    QCOMPARE(ReadFileBytes("nmr.dat"), old);
    QCOMPARE(s.Names(), (QStringList{"Buffalo Nickel", "Old Coin"}));
    QCOMPARE(s.Form(), kEmptyForm);
}

void TestMainWindow::modelStaysConsistent()
{
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        QVERIFY(model.InsertRows(0, {CoinRecord::FromTexts({name})}));
    CoinRecord delta = CoinRecord::FromTexts({"Delta"});
    QVERIFY(model.SwapRow(1, delta));
    QCOMPARE(model.TakeRows(0, 1).size(), std::size_t{1});
    QVERIFY(model.TakeRows(2, 1).empty());
    std::vector<std::uint32_t> order;
    model.SortByColumn(CoinField::Name, order);
    model.ReverseRows();
    QCOMPARE(model.data(model.index(0, 0)).toString(), QString("Delta"));
    model.Clear();
    model.LoadBottomUp({CoinRecord::FromTexts({"Bottom"}), CoinRecord::FromTexts({"Top"})});
    QCOMPARE(model.data(model.index(0, 0)).toString(), QString("Top"));
    QCOMPARE(model.rowCount(), collection.Count());
}

// The ID of the control that holds a widget (a combo box's edit field is the combo box).
static QString ControlIdOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        bool number = false;
        w->objectName().toInt(&number);
        if (number || w->objectName() == "search")
            return w->objectName();
    }
    return "none";
}

// Tab visits the template's controls in its order and wraps; Shift+Tab goes the same way round.
// The search field is no stop: it is left by Tab, Shift+Tab and Escape for where the focus was.
void TestMainWindow::tabFollowsTheTemplateOrder()
{
    Session s;
    s.Open();
    QVERIFY(s.Show());
    QStringList cycle;
    for (int id : {IDC_NAME, IDC_YEAR, IDC_FACEVALUE, IDC_COUNTRY, IDC_MINTMARKS, IDC_CONDITION,
                   IDC_PURCHASEPRICE, IDC_PURCHASEDATE, IDC_CURRENTVALUE, IDC_VALUATIONDATE,
                   IDC_CATEGORY, IDC_IMAGE, IDC_DESCRIPTION, IDC_VALUEWIZARD, IDC_ITEMCOUNT, IDC_QUIT,
                   IDC_ADD, IDC_UPDATE, IDC_DELETE, IDC_CLEAR, IDC_HELP, IDC_LIST, IDC_CATALOG,
                   IDC_LISTPAGE, IDC_PURCHASEDATE_PICK, IDC_VALUATIONDATE_PICK, IDC_PREFERENCES,
                   IDC_BROWSE, IDC_TOOLTIPS, IDC_VIEW})
        cycle.append(ObjectName(id));
    for (bool forward : {true, false}) {
        s.Control(IDC_NAME)->setFocus();
        QStringList order{ControlIdOf(QApplication::focusWidget())};
        for (qsizetype i = 0; i < cycle.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
            order.append(ControlIdOf(QApplication::focusWidget()));
        }
        QStringList expected = cycle;
        if (!forward)
            std::reverse(expected.begin() + 1, expected.end());
        expected.append(ObjectName(IDC_NAME));
        QCOMPARE(order, expected);
    }

    CoinSearchField* search = s.dlg->searchField();
    for (auto [key, modifier] : {std::pair{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Tab, Qt::ShiftModifier},
                                 {Qt::Key_Escape, Qt::NoModifier}}) {
        s.Control(IDC_YEAR)->setFocus();
        QTest::keyClick(s.dlg.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(search->hasFocus());
        QTest::keyClick(search, key, modifier);
        QCOMPARE(ControlIdOf(QApplication::focusWidget()), ObjectName(IDC_YEAR));
    }
}

void TestMainWindow::aColumnNarrowsWhenItsWidestRowGoes()
{
    Session s;
    s.Open();
    QVERIFY(s.Show());
    s.Add(Coin("Penny", "1900"));
    const int narrow = s.List()->columnWidth(0);
    s.Add(Coin("A very long name of a coin that needs a much wider column", "1901"));
    QVERIFY(s.List()->columnWidth(0) > narrow + 100);
    s.List()->selectRow(0);
    s.Button(IDC_DELETE)->click();
    QCOMPARE(s.List()->columnWidth(0), narrow);
}

void TestMainWindow::descriptionLinesReachTheFileHoweverTyped()
{
    Session s;
    s.Open();
    QVERIFY(s.Show());
    s.Edit(IDC_NAME)->setText("Thaler");
    QWidget* description = s.Control(IDC_DESCRIPTION);
    description->setFocus();
    QTest::keyClicks(description, "one");
    QTest::keyClick(description, Qt::Key_Return);
    QTest::keyClicks(description, "two");
    QTest::keyClick(description, Qt::Key_Return, Qt::ShiftModifier);  // a line separator
    QTest::keyClicks(description, "three");
    s.Button(IDC_ADD)->click();
    s.dlg->reject();
    QVERIFY2(ReadFileBytes("nmr.dat").contains("\r\nDESCRIPTION=one\r\n=two\r\n=three\r\n"),
             ReadFileBytes("nmr.dat").constData());
}

void TestMainWindow::longFieldsShowTheirStart()
{
    Session s;
    const QString longName = "Walking Liberty Half Dollar with a name longer than its field";
    WriteFileBytes("nmr.dat", DataFile({Coin(longName, "1943", "United States of America, Philadelphia mint")}));
    s.Open();
    QVERIFY(s.Show());
    s.List()->selectRow(0);
    s.dlg->OnListClick();
    QCOMPARE(s.Edit(IDC_NAME)->text(), longName);
    QCOMPARE(s.Edit(IDC_NAME)->cursorPosition(), 0);
    QCOMPARE(s.Combo(IDC_COUNTRY)->lineEdit()->cursorPosition(), 0);
}

// The widest text of each column, however the rows change, is what measuring every cell
// gives: a text short in bytes can be the widest (wide letters, letters of two bytes).
void TestMainWindow::widestTextFollowsEveryChange()
{
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    TextWidthMeter meter(QApplication::font());
    const auto check = [&](const char* when) {
        for (int c = 0; c < kCoinFieldCount; ++c) {
            int widest = 0;
            for (const CoinRecord& r : collection.BottomUp())
                widest = std::max(widest, meter.Width(r.Get(kCoinFields[c])));
            QVERIFY2(model.WidestText(c) == widest, qPrintable(QString("%1, column %2").arg(when).arg(c)));
        }
    };
    std::vector<CoinRecord> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back(CoinRecord::FromTexts({"illlllllllilliii", "1900", "1", "Ilijil"}));
    rows[17] = CoinRecord::FromTexts({"WMW", "1901", "1", "ШЖЩ"});
    rows[250] = CoinRecord::FromTexts({"MWMWM", "1902", "1", "Ilijil", "", "", "", "", "", "", "", "",
                                       "a\nb"});
    // A line break or a tab is as wide as a space, however the text is measured.
    QCOMPARE(meter.Width("a\nb\tc"), meter.Width("a b c"));
    model.LoadBottomUp(rows);
    check("loaded");
    QVERIFY(model.WidestText(0) > meter.Width("illlllllllilliii"));

    QCOMPARE(model.TakeRows(collection.Count() - 1 - 250, 1).size(), std::size_t{1});  // the widest Name goes
    check("widest removed");
    QVERIFY(model.InsertRows(0, {CoinRecord::FromTexts({"WWWWWWWW"})}));
    check("inserted");
    CoinRecord narrow = CoinRecord::FromTexts({"i"});
    QVERIFY(model.SwapRow(0, narrow));
    check("replaced");
    std::vector<CoinRecord> taken = model.TakeRows(0, 100);  // more than are measured one by one
    check("taken");
    QVERIFY(model.InsertRows(0, std::move(taken)));
    check("given back");
    taken = model.TakeRows(10, 2);
    check("two taken");
    std::vector<CoinRecord> none;
    model.SwapAllRows(none);
    check("swapped");
    model.Clear();
    check("cleared");
}

NUMORA_UI_TEST(tst_MainWindow, TestMainWindow)
#include "tst_MainWindow.moc"
