// The main window's form and commands: start-up without files, what Add, Update, Delete,
// Clear All and their menu items leave in the form and the list, the questions they ask, the
// drop-down lists, and the ways out of the window with the files each one writes.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
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

// The form control of each field, in field order.
constexpr int kFieldIds[13] = {1005, 1006, 1007, 1019, 1013, 1017, 1009,
                               1010, 1011, 1012, 1022, 1008, 1014};

const QStringList kHeadings = {
    "Name",          "Year",          "Face Value",     "Country",  "Mint Marks",
    "Condition",     "Purchase Price", "Purchase Date", "Current Value",
    "Valuation Date", "Category",     "Image",          "Description",
};

const QStringList kEmptyForm(13);

const QStringList kMorgan = {
    "Morgan Dollar", "1921",        "1 Dollar",       "United States", "D",
    "Fine",          "25.00",       "2005-03-14",     "30.00",         "2005-06-02",
    "Silver Dollars", "morgan.jpg", "Light wear on the cheek.",
};
const QStringList kBuffalo = {
    "Buffalo Nickel", "1936", "5 Cents", "United States", "",  "Very Fine", "2.50",
    "2005-02-01",     "",     "",        "Nickels",       "",  "",
};

// The two coins above, Buffalo Nickel on top, as the data file holds them.
const QByteArray kMorganBuffaloFile =
    "CREATOR=NMR 1.0\r\n"
    "NAME=Morgan Dollar\r\nYEAR=1921\r\nFACEVALUE=1 Dollar\r\nCOUNTRY=United States\r\n"
    "MINTMARKS=D\r\nCONDITION=Fine\r\nPURCHASEPRICE=25.00\r\nPURCHASEDATE=2005-03-14\r\n"
    "CURRENTVALUE=30.00\r\nVALUATIONDATE=2005-06-02\r\nCATEGORY=Silver Dollars\r\n"
    "IMAGE=morgan.jpg\r\nDESCRIPTION=Light wear on the cheek.\r\n"
    "\r\n"
    "NAME=Buffalo Nickel\r\nYEAR=1936\r\nFACEVALUE=5 Cents\r\nCOUNTRY=United States\r\n"
    "MINTMARKS=\r\nCONDITION=Very Fine\r\nPURCHASEPRICE=2.50\r\nPURCHASEDATE=2005-02-01\r\n"
    "CURRENTVALUE=\r\nVALUATIONDATE=\r\nCATEGORY=Nickels\r\nIMAGE=\r\nDESCRIPTION=\r\n";

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

// Puts a value into a control as a user would leave it there.
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

// A main window over a temporary current folder, with files put there before it starts.
struct Session {
    TempCurrentDir dir;
    FakePlatform platform;
    std::unique_ptr<CCollectionDlg> dlg;

    void Open() { dlg = std::make_unique<CCollectionDlg>(platform); }

    QWidget* Control(int id) const { return dlg->Control(id); }
    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(Control(id)); }
    QComboBox* Combo(int id) const { return qobject_cast<QComboBox*>(Control(id)); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(Control(id)); }
    QTableView* List() const { return qobject_cast<QTableView*>(Control(1004)); }
    QString Count() const { return Edit(1021)->text(); }

    void Trigger(int command) const
    {
        QAction* action = dlg->findChild<QAction*>(QString::number(command));
        QVERIFY2(action, qPrintable(QString::number(command)));
        action->trigger();
    }

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

    // The thirteen texts of a row as the collection holds them.
    QStringList Row(int row) const
    {
        QStringList values;
        for (CoinField field : kCoinFields) {
            const std::string_view text = dlg->collection().Row(row).Get(field);
            values.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        }
        return values;
    }

    QStringList Names() const
    {
        QStringList names;
        for (int r = 0; r < dlg->collection().Count(); ++r)
            names.append(Row(r).at(0));
        return names;
    }

    void Add(const QStringList& values) const
    {
        SetForm(values);
        Button(1000)->click();
    }

    void Mark(int row) const { List()->selectRow(row); }

    bool ShowAndActivate() const
    {
        dlg->show();
        dlg->activateWindow();
        return QTest::qWaitForWindowActive(dlg.get());
    }
};

QStringList Coin(const QString& name, const QString& year = {}, const QString& country = {})
{
    QStringList values(13);
    values[0] = name;
    values[1] = year;
    values[3] = country;
    return values;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void startsEmptyWithoutFiles();
    void buttonsClearTheFormMenuItemsLeaveIt_data();
    void buttonsClearTheFormMenuItemsLeaveIt();
    void deletingLeavesNothingMarked();
    void addedCoinsGoToTheTop();
    void blankNameIsRefused_data();
    void blankNameIsRefused();
    void duplicateNameAndYearAsks_data();
    void duplicateNameAndYearAsks();
    void itemAddTwiceAsksTheSecondTime();
    void updateOverwritesEveryColumnOfTheMarkedRow();
    void updateWithoutNameOrMarkChangesNoRow();
    void deleteRemovesTheMarkedRowOnly();
    void clearAllAsksAndKeepsTheDropDownLists();
    void dropDownListsIgnoreCaseAndNeverComplete();
    void enterInSingleLineFieldQuitsAndWritesBothFiles_data();
    void enterInSingleLineFieldQuitsAndWritesBothFiles();
    void enterOnAFocusedButtonPressesIt();
    void enterAndTabInDescription();
    void tabWalksTheFormInTemplateOrder();
    void enterInClosedComboQuits();
    void escapeClosesAndWritesBothFiles();
    void fileSaveWritesOnlyTheDataFile();
    void fileExitWritesBothFilesAndEnds();
    void readOnlyDataFileIsReportedAndKept();
};

void TestMainWindow::startsEmptyWithoutFiles()
{
    Session s;
    s.Open();
    QVERIFY(s.ShowAndActivate());

    QCOMPARE(s.Form(), kEmptyForm);
    QCOMPARE(s.Count(), QString("0"));
    QVERIFY(!qobject_cast<QCheckBox*>(s.Control(1040))->isChecked());
    QVERIFY(!s.dlg->TooltipsOn());
    QCOMPARE(QApplication::focusWidget(), s.Control(1005));

    QAbstractItemModel* model = s.List()->model();
    QCOMPARE(model->rowCount(), 0);
    QStringList headings;
    for (int c = 0; c < model->columnCount(); ++c)
        headings.append(model->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(headings, kHeadings);
    for (int c = 0; c < 13; ++c)
        QVERIFY(!s.List()->horizontalHeader()->isSectionHidden(c));
    for (int id : {1019, 1017, 1022})
        QCOMPARE(s.Combo(id)->count(), 0);
    QVERIFY(s.platform.boxes.isEmpty());

    s.dlg->close();
    QCOMPARE(ReadFileBytes(s.dir.file("nmr.dat")), QByteArray());
    QVERIFY(QFileInfo(s.dir.file("nmr.ini")).size() > 0);
}

void TestMainWindow::buttonsClearTheFormMenuItemsLeaveIt_data()
{
    QTest::addColumn<int>("button");   // 0 for the menu item
    QTest::addColumn<int>("command");  // 0 for the button
    QTest::addColumn<QStringList>("namesAfter");

    QTest::newRow("Add button") << 1000 << 0 << QStringList{"Delta", "Beta", "Alpha"};
    QTest::newRow("Item > Add") << 0 << 32773 << QStringList{"Delta", "Beta", "Alpha"};
    QTest::newRow("Update button") << 1001 << 0 << QStringList{"Beta", "Delta"};
    QTest::newRow("Item > Update") << 0 << 32775 << QStringList{"Beta", "Delta"};
    QTest::newRow("Delete button") << 1002 << 0 << QStringList{"Beta"};
    QTest::newRow("Item > Delete") << 0 << 32774 << QStringList{"Beta"};
}

void TestMainWindow::buttonsClearTheFormMenuItemsLeaveIt()
{
    QFETCH(int, button);
    QFETCH(int, command);
    QFETCH(QStringList, namesAfter);

    Session s;
    s.Open();
    s.Add(Coin("Alpha", "1900"));
    s.Add(Coin("Beta", "1901"));
    s.Mark(1);  // Alpha
    const QStringList typed = {"Delta", "1999", "1 Euro", "Ireland", "S", "Mint", "3.00",
                               "2020-01-02", "4.00", "2021-02-03", "Euro", "d.jpg", "Harp"};
    s.SetForm(typed);

    if (button)
        s.Button(button)->click();
    else
        s.Trigger(command);

    QCOMPARE(s.Names(), namesAfter);
    QCOMPARE(s.Count(), QString::number(namesAfter.size()));
    QCOMPARE(s.Form(), button ? kEmptyForm : typed);
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestMainWindow::deletingLeavesNothingMarked()
{
    Session s;
    s.Open();
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        s.Add(Coin(name));
    s.Mark(1);  // Beta

    s.Trigger(32774);
    s.Trigger(32774);

    QCOMPARE(s.Names(), (QStringList{"Gamma", "Alpha"}));
    QCOMPARE(s.dlg->collection().MarkedRow(), -1);
    QVERIFY(!s.List()->selectionModel()->hasSelection());
}

void TestMainWindow::addedCoinsGoToTheTop()
{
    Session s;
    s.Open();
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        s.Add(Coin(name));

    QCOMPARE(s.Names(), (QStringList{"Gamma", "Beta", "Alpha"}));
    QCOMPARE(s.Count(), QString("3"));
    QCOMPARE(s.List()->model()->data(s.List()->model()->index(0, 0)).toString(), QString("Gamma"));
    // Adding selects nothing, so nothing is marked for Update or Delete.
    QVERIFY(!s.List()->selectionModel()->hasSelection());
    QCOMPARE(s.dlg->collection().MarkedRow(), -1);
}

void TestMainWindow::blankNameIsRefused_data()
{
    QTest::addColumn<bool>("viaMenu");
    QTest::newRow("Add button") << false;
    QTest::newRow("Item > Add") << true;
}

void TestMainWindow::blankNameIsRefused()
{
    QFETCH(bool, viaMenu);

    Session s;
    s.Open();
    const QStringList typed = {"", "1900", "", "Peru", "", "Fine", "", "", "", "", "Gold", "", ""};
    s.SetForm(typed);
    if (viaMenu)
        s.Trigger(32773);
    else
        s.Button(1000)->click();

    QCOMPARE(s.platform.boxes.size(), 1);
    QCOMPARE(s.platform.boxes[0].kind, FakePlatform::Box::Error);
    QCOMPARE(s.platform.boxes[0].text, QString("Course Name Blank.\r\nNo entry added."));
    QCOMPARE(s.platform.boxes[0].caption, QString("Error"));
    QCOMPARE(s.dlg->collection().Count(), 0);
    QCOMPARE(s.Count(), QString("0"));
    QCOMPARE(s.Form(), viaMenu ? typed : kEmptyForm);
    // Refused before anything reached the drop-down lists.
    for (int id : {1019, 1017, 1022})
        QCOMPARE(s.Combo(id)->count(), 0);
}

void TestMainWindow::duplicateNameAndYearAsks_data()
{
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("rows");

    QTest::newRow("same, answered No") << Coin("Morgan Dollar", "1921", "United States")
                                       << QList<bool>{false} << true << 1;
    QTest::newRow("same, answered Yes") << Coin("Morgan Dollar", "1921", "United States")
                                        << QList<bool>{true} << true << 2;
    QTest::newRow("other country still a duplicate") << Coin("Morgan Dollar", "1921", "Canada")
                                                     << QList<bool>{false} << true << 1;
    QTest::newRow("name differs in case") << Coin("morgan dollar", "1921", "United States")
                                          << QList<bool>{} << false << 2;
    QTest::newRow("trailing space is kept") << Coin("Morgan Dollar ", "1921")
                                            << QList<bool>{} << false << 2;
    QTest::newRow("other year") << Coin("Morgan Dollar", "1922") << QList<bool>{} << false << 2;
}

void TestMainWindow::duplicateNameAndYearAsks()
{
    QFETCH(QStringList, second);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, asked);
    QFETCH(int, rows);

    Session s;
    s.Open();
    s.Add(Coin("Morgan Dollar", "1921", "United States"));
    s.Add(Coin("Peace Dollar", "1922"));
    s.platform.answers = answers;
    s.Add(second);

    if (asked) {
        QCOMPARE(s.platform.boxes.size(), 1);
        QCOMPARE(s.platform.boxes[0].kind, FakePlatform::Box::Question);
        QCOMPARE(s.platform.boxes[0].text,
                 QString("This entry is already in the list.\r\nDo you really want to add this item?"));
    } else {
        QVERIFY(s.platform.boxes.isEmpty());
    }
    QCOMPARE(s.dlg->collection().Count(), rows + 1);
    QCOMPARE(s.Count(), QString::number(rows + 1));
    if (rows == 2)
        QCOMPARE(s.Row(0), second);
    else
        QCOMPARE(s.Row(0).at(0), QString("Peace Dollar"));
    // A refused coin's Country does not reach the list of countries.
    QCOMPARE(s.Combo(1019)->findText("Canada", Qt::MatchFixedString) >= 0, false);
    QCOMPARE(s.Form(), kEmptyForm);
}

void TestMainWindow::itemAddTwiceAsksTheSecondTime()
{
    Session s;
    s.Open();
    s.SetForm(Coin("Sovereign", "1911"));
    s.Trigger(32773);
    QVERIFY(s.platform.boxes.isEmpty());
    s.platform.answers = {true};
    s.Trigger(32773);

    QCOMPARE(s.platform.boxes.size(), 1);
    QCOMPARE(s.platform.boxes[0].kind, FakePlatform::Box::Question);
    QCOMPARE(s.Names(), (QStringList{"Sovereign", "Sovereign"}));
    QCOMPARE(s.Form(), Coin("Sovereign", "1911"));
}

void TestMainWindow::updateOverwritesEveryColumnOfTheMarkedRow()
{
    Session s;
    s.Open();
    s.Add(kMorgan);
    s.Add(kBuffalo);
    s.Mark(1);  // Morgan Dollar
    const QStringList typed = {"Peace Dollar", "1922", "", "", "", "", "", "", "40.00",
                               "2006-01-01", "", "", ""};
    s.SetForm(typed);
    s.Button(1001)->click();

    QCOMPARE(s.Row(1), typed);
    QCOMPARE(s.Row(0), kBuffalo);
    QCOMPARE(s.Count(), QString("2"));
    QCOMPARE(s.Form(), kEmptyForm);
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestMainWindow::updateWithoutNameOrMarkChangesNoRow()
{
    Session s;
    s.Open();
    s.Add(kBuffalo);

    // No marked row: nothing changes, even with a Name.
    s.SetForm(Coin("Peace Dollar", "1922"));
    s.Trigger(32775);
    QCOMPARE(s.Row(0), kBuffalo);

    // A marked row but no Name: the row stays, the drop-down values are taken all the same.
    s.Mark(0);
    QStringList typed(13);
    typed[3] = "Peru";
    typed[5] = "Uncirculated";
    typed[10] = "Gold";
    s.SetForm(typed);
    s.Trigger(32775);

    QCOMPARE(s.Row(0), kBuffalo);
    QCOMPARE(s.Form(), typed);
    QCOMPARE(ComboEntries(s.Combo(1019)), (QStringList{"Peru", "United States"}));
    QCOMPARE(ComboEntries(s.Combo(1017)), (QStringList{"Uncirculated", "Very Fine"}));
    QCOMPARE(ComboEntries(s.Combo(1022)), (QStringList{"Gold", "Nickels"}));
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestMainWindow::deleteRemovesTheMarkedRowOnly()
{
    Session s;
    s.Open();
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        s.Add(Coin(name));

    // Nothing marked: nothing deleted, and the button still clears the form.
    s.SetForm(Coin("Typed"));
    s.Button(1002)->click();
    QCOMPARE(s.Names(), (QStringList{"Gamma", "Beta", "Alpha"}));
    QCOMPARE(s.Form(), kEmptyForm);

    s.Mark(1);
    s.Button(1002)->click();
    QCOMPARE(s.Names(), (QStringList{"Gamma", "Alpha"}));
    QCOMPARE(s.Count(), QString("2"));
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestMainWindow::clearAllAsksAndKeepsTheDropDownLists()
{
    Session s;
    s.Open();
    s.Add(kMorgan);
    s.Add(kBuffalo);
    const QStringList typed = Coin("Typed", "2000", "Chile");
    s.SetForm(typed);

    s.platform.answers = {false};
    s.Trigger(32776);
    QCOMPARE(s.platform.boxes.size(), 1);
    QCOMPARE(s.platform.boxes[0].kind, FakePlatform::Box::Question);
    QCOMPARE(s.platform.boxes[0].text, QString("Are you sure that you want to clear list?"));
    QCOMPARE(s.dlg->collection().Count(), 2);
    QCOMPARE(s.Count(), QString("2"));
    QCOMPARE(s.Form(), typed);

    s.platform.answers = {true};
    s.Trigger(32776);
    QCOMPARE(s.platform.boxes.size(), 2);
    QCOMPARE(s.dlg->collection().Count(), 0);
    QCOMPARE(s.List()->model()->rowCount(), 0);
    QCOMPARE(s.Count(), QString("0"));
    QCOMPARE(s.Form(), typed);
    QCOMPARE(ComboEntries(s.Combo(1019)), QStringList{"United States"});
    QCOMPARE(ComboEntries(s.Combo(1017)), (QStringList{"Fine", "Very Fine"}));
    QCOMPARE(ComboEntries(s.Combo(1022)), (QStringList{"Nickels", "Silver Dollars"}));
}

void TestMainWindow::dropDownListsIgnoreCaseAndNeverComplete()
{
    Session s;
    s.Open();
    s.Add(Coin("Franc", "1960", "France"));
    s.Add(Coin("Centime", "1961", "france"));
    QCOMPARE(ComboEntries(s.Combo(1019)), QStringList{"France"});
    QCOMPARE(s.Row(0).at(3), QString("france"));

    s.Add(Coin("Morgan Dollar", "1921", "United States"));
    // Typed key by key into the Country box, "United" stays "United".
    s.SetForm(Coin("Shilling", "1950"));
    QComboBox* country = s.Combo(1019);
    country->setFocus();
    QTest::keyClicks(country, "United");
    QCOMPARE(country->currentText(), QString("United"));
    s.Trigger(32773);
    QCOMPARE(s.Row(0).at(3), QString("United"));
    QCOMPARE(country->currentText(), QString("United"));
    QCOMPARE(ComboEntries(country), (QStringList{"France", "United", "United States"}));

    // Shown from the row and read back by an Update, it is still "United".
    s.SetForm(kEmptyForm);
    s.Mark(0);
    s.dlg->ReadRowIntoForm(0);
    QCOMPARE(country->currentText(), QString("United"));
    s.Trigger(32775);
    QCOMPARE(s.Row(0).at(3), QString("United"));
    QCOMPARE(s.Row(1).at(3), QString("United States"));
}

void TestMainWindow::enterInSingleLineFieldQuitsAndWritesBothFiles_data()
{
    QTest::addColumn<int>("field");
    QTest::newRow("Name") << 1005;
    QTest::newRow("Image") << 1008;
    QTest::newRow("Purchase Date, read-only") << 1010;
}

void TestMainWindow::enterInSingleLineFieldQuitsAndWritesBothFiles()
{
    QFETCH(int, field);

    Session s;
    s.Open();
    QVERIFY(s.ShowAndActivate());
    s.Add(kMorgan);
    s.Add(kBuffalo);
    s.SetForm(Coin("Typed but not added"));

    QLineEdit* edit = s.Edit(field);
    edit->setFocus();
    QCOMPARE(QApplication::focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Return);

    QVERIFY(!s.dlg->isVisible());
    QCOMPARE(s.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(ReadFileBytes(s.dir.file("nmr.dat")), kMorganBuffaloFile);
    QVERIFY(ReadFileBytes(s.dir.file("nmr.ini")).startsWith("CREATOR=NMR 1.0\r\n"));
    QVERIFY(s.platform.endedWith.isEmpty());
}

void TestMainWindow::enterOnAFocusedButtonPressesIt()
{
    Session s;
    s.Open();
    QVERIFY(s.ShowAndActivate());
    s.SetForm(kBuffalo);
    QPushButton* add = s.Button(1000);
    add->setFocus();
    QCOMPARE(QApplication::focusWidget(), add);
    QTest::keyClick(add, Qt::Key_Return);

    QVERIFY(s.dlg->isVisible());
    QCOMPARE(s.Names(), QStringList{"Buffalo Nickel"});
    QCOMPARE(s.Form(), kEmptyForm);
}

void TestMainWindow::enterAndTabInDescription()
{
    Session s;
    s.Open();
    QVERIFY(s.ShowAndActivate());
    auto* description = qobject_cast<QPlainTextEdit*>(s.Control(1014));
    description->setFocus();
    QTest::keyClicks(description, "First");
    QTest::keyClick(description, Qt::Key_Return);
    QTest::keyClicks(description, "Second");

    QVERIFY(s.dlg->isVisible());
    QCOMPARE(description->toPlainText(), QString("First\nSecond"));

    QTest::keyClick(description, Qt::Key_Tab);
    QCOMPARE(description->toPlainText(), QString("First\nSecond"));
    QVERIFY(QApplication::focusWidget() != description);
    QCOMPARE(QApplication::focusWidget(), s.Control(1023));  // the next control in tab order
}

void TestMainWindow::tabWalksTheFormInTemplateOrder()
{
    Session s;
    s.Open();
    QVERIFY(s.ShowAndActivate());
    QCOMPARE(QApplication::focusWidget(), s.Control(1005));
    QStringList visited;
    for (int i = 1; i < 13; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        while (focus && focus->objectName().toInt() == 0)  // a box's own line edit
            focus = focus->parentWidget();
        visited.append(focus ? focus->objectName() : QString());
    }
    QCOMPARE(visited, (QStringList{"1006", "1007", "1019", "1013", "1017", "1009", "1010",
                                   "1011", "1012", "1022", "1008", "1014"}));
}

void TestMainWindow::enterInClosedComboQuits()
{
    Session s;
    s.Open();
    QVERIFY(s.ShowAndActivate());
    s.Add(kBuffalo);
    QComboBox* country = s.Combo(1019);
    country->setFocus();

    // With its list open, Enter picks the entry and the window stays.
    country->showPopup();
    QTRY_VERIFY(country->view()->isVisible());
    QTest::keyClick(country->view(), Qt::Key_Return);
    QTRY_VERIFY(!country->view()->isVisible());
    QVERIFY(s.dlg->isVisible());
    QCOMPARE(country->currentText(), QString("United States"));

    country->setEditText(QString());
    country->setFocus();
    QTest::keyClicks(country, "Peru");
    QVERIFY(!country->view()->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

    QVERIFY(!s.dlg->isVisible());
    QCOMPARE(s.dlg->result(), int(QDialog::Accepted));
    QVERIFY(ReadFileBytes(s.dir.file("nmr.dat")).contains("NAME=Buffalo Nickel\r\n"));
    // Quit does not add what was typed; the list of countries is unchanged.
    QCOMPARE(ComboEntries(country), QStringList{"United States"});
}

void TestMainWindow::escapeClosesAndWritesBothFiles()
{
    Session s;
    s.Open();
    QVERIFY(s.ShowAndActivate());
    s.Add(kMorgan);
    s.Add(kBuffalo);
    QTest::keyClick(s.Edit(1005), Qt::Key_Escape);

    QVERIFY(!s.dlg->isVisible());
    QCOMPARE(s.dlg->result(), int(QDialog::Rejected));
    QCOMPARE(ReadFileBytes(s.dir.file("nmr.dat")), kMorganBuffaloFile);
    QVERIFY(ReadFileBytes(s.dir.file("nmr.ini")).startsWith("CREATOR=NMR 1.0\r\n"));
}

void TestMainWindow::fileSaveWritesOnlyTheDataFile()
{
    Session s;
    const QByteArray prefs = "CREATOR=NMR 1.0\r\nNAME=Collector\r\n";
    WriteFileBytes(s.dir.file("nmr.ini"), prefs);
    s.Open();
    QVERIFY(s.ShowAndActivate());
    s.Add(kMorgan);
    s.Add(kBuffalo);
    s.Mark(1);
    s.SetForm(Coin("Typed but not added", "2000"));

    s.Trigger(57603);

    QCOMPARE(ReadFileBytes(s.dir.file("nmr.dat")), kMorganBuffaloFile);
    QCOMPARE(ReadFileBytes(s.dir.file("nmr.ini")), prefs);
    QCOMPARE(s.Form(), kEmptyForm);
    QVERIFY(s.dlg->isVisible());
    QVERIFY(s.platform.endedWith.isEmpty());
    QCOMPARE(s.Names(), (QStringList{"Buffalo Nickel", "Morgan Dollar"}));
    QCOMPARE(s.dlg->collection().MarkedRow(), 1);
    QVERIFY(s.List()->selectionModel()->isRowSelected(1, {}));
    QCOMPARE(s.Count(), QString("2"));
}

void TestMainWindow::fileExitWritesBothFilesAndEnds()
{
    Session s;
    const QByteArray prefs = "CREATOR=NMR 1.0\r\nNAME=Collector\r\n";
    WriteFileBytes(s.dir.file("nmr.ini"), prefs);
    s.Open();
    s.Add(kMorgan);
    s.Add(kBuffalo);

    s.Trigger(32772);

    QCOMPARE(s.platform.endedWith, QList<int>{0});
    QCOMPARE(ReadFileBytes(s.dir.file("nmr.dat")), kMorganBuffaloFile);
    const QByteArray written = ReadFileBytes(s.dir.file("nmr.ini"));
    QVERIFY(written != prefs);
    QVERIFY(written.contains("\r\nNAME=Collector\r\n"));
    QVERIFY(written.contains("\r\nTOOLTIPS="));
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestMainWindow::readOnlyDataFileIsReportedAndKept()
{
    Session s;
    const QByteArray old = "CREATOR=NMR 1.0\r\nNAME=Old Coin\r\nYEAR=1800\r\n";
    WriteFileBytes(s.dir.file("nmr.dat"), old);
    s.Open();
    QCOMPARE(s.Names(), QStringList{"Old Coin"});
    QVERIFY(QFile::setPermissions(s.dir.file("nmr.dat"),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    s.Add(kBuffalo);
    s.SetForm(Coin("Typed but not added"));

    s.Trigger(57603);

    QCOMPARE(s.platform.boxes.size(), 1);
    QCOMPARE(s.platform.boxes[0].kind, FakePlatform::Box::Error);
    QCOMPARE(s.platform.boxes[0].text, QString("Save to File"));
    QCOMPARE(s.platform.boxes[0].caption, QString("Error Writing File"));
    QCOMPARE(ReadFileBytes(s.dir.file("nmr.dat")), old);
    QCOMPARE(s.Form(), kEmptyForm);
    QCOMPARE(s.Names(), (QStringList{"Buffalo Nickel", "Old Coin"}));
    QVERIFY(s.platform.endedWith.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
