// The way back and the ways in and out: Undo and Redo of every change from the menu and the
// keyboard, restoring a backup, and CSV export and import, as the window wires them.

#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

#include <sys/stat.h>

#include "UiTestMain.h"
#include "UiTestSupport.h"

namespace {

const QByteArray kThreeCoins =
    DataFile({Coin("Alpha", "1900", "Peru"), Coin("Gamma", "1902", "Chile"), Coin("Beta", "1901", "Peru")});

QList<QStringList> AllRows(const Session& s)
{
    QList<QStringList> rows;
    for (int r = 0; r < s.List()->model()->rowCount(); ++r)
        rows.append(s.Row(r));
    return rows;
}

QAction* Action(const Session& s, MenuCommand command) { return s.dlg->action(command); }

}  // namespace

class TestUndoAndFiles : public QObject {
    Q_OBJECT

private slots:
    void undoAndRedoOfEachChange_data();
    void undoAndRedoOfEachChange();
    void ctrlZUndoesTypingInAFieldAndChangesFromTheList();
    void aSaveKeepsABackupThatTheDialogRestores();
    void aBackupGoneBeforeItsRestoreChangesNothing();
    void csvExportAndImportRoundTripAndUndo();
    void aMalformedCsvFileAddsNothing();
    void aCsvFileThatIsNotOrdinaryIsRefusedAtOnce();
    void addedMenuItemsClashWithNoMnemonic();
};

void TestUndoAndFiles::undoAndRedoOfEachChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("name");
    QTest::newRow("Add button") << "add" << "Add";
    QTest::newRow("Update button") << "update" << "Update";
    QTest::newRow("Delete button") << "delete" << "Delete";
    QTest::newRow("Clear All") << "clear" << "Clear All";
    QTest::newRow("heading click") << "sort" << "Sort";
    QTest::newRow("value wizard walk") << "wizard" << "Value Wizard";
}

void TestUndoAndFiles::undoAndRedoOfEachChange()
{
    QFETCH(QString, change);
    QFETCH(QString, name);

    Session s;
    WriteFileBytes("nmr.dat", kThreeCoins);
    s.Open();
    QVERIFY(!Action(s, MenuCommand::ItemUndo)->isEnabled() && !Action(s, MenuCommand::ItemRedo)->isEnabled());
    const QList<QStringList> before = AllRows(s);

    if (change == "add") {
        s.Add(Coin("Delta", "1903"));
    } else if (change == "update") {
        s.List()->selectRow(1);
        s.SetForm(kTyped);
        s.Button(IDC_UPDATE)->click();
    } else if (change == "delete") {
        s.List()->selectRow(2);
        s.Button(IDC_DELETE)->click();
    } else if (change == "clear") {
        s.platform.answers = {true};
        s.Trigger(MenuCommand::ItemClearAll);
    } else if (change == "sort") {
        s.List()->horizontalHeader()->sectionClicked(0);  // Name
    } else {
        s.platform.onModal = [](QDialog& d) {
            d.findChild<QLineEdit*>(ObjectName(IDC_WIZARD_VALUE))->setText("99");
            auto* next = d.findChild<QPushButton*>(ObjectName(IDC_WIZARD_NEXT));
            (next->isEnabled() ? next : d.findChild<QPushButton*>("1"))->click();
        };
        s.Button(IDC_VALUEWIZARD)->click();
    }
    const QList<QStringList> after = AllRows(s);
    QVERIFY(after != before);
    QCOMPARE(Action(s, MenuCommand::ItemUndo)->text(), "U&ndo " + name);
    QVERIFY(!Action(s, MenuCommand::ItemRedo)->isEnabled());

    // Undo puts back every row in its order; the form stays as it is and nothing is marked.
    s.SetForm(kTyped);
    s.List()->setFocus();
    s.Trigger(MenuCommand::ItemUndo);
    QCOMPARE(AllRows(s), before);
    QCOMPARE(s.Form(), kTyped);
    QCOMPARE(s.dlg->collection().MarkedRow(), -1);
    QVERIFY(!s.List()->selectionModel()->hasSelection());
    QCOMPARE(s.Edit(IDC_ITEMCOUNT)->text(), QString::number(before.size()));
    QCOMPARE(Action(s, MenuCommand::ItemRedo)->text(), "&Redo " + name);
    QVERIFY(!Action(s, MenuCommand::ItemUndo)->isEnabled());

    s.Trigger(MenuCommand::ItemRedo);
    QCOMPARE(AllRows(s), after);
    QCOMPARE(s.Edit(IDC_ITEMCOUNT)->text(), QString::number(after.size()));
    s.dlg->reject();
    QCOMPARE(ReadFileBytes("nmr.dat").count("NAME="), after.size());
}

void TestUndoAndFiles::ctrlZUndoesTypingInAFieldAndChangesFromTheList()
{
    Session s;
    WriteFileBytes("nmr.dat", kThreeCoins);
    s.Open();
    QVERIFY(s.Show());
    s.List()->selectRow(0);
    s.Button(IDC_DELETE)->click();
    QCOMPARE(s.Names().size(), 2);

    QLineEdit* name = s.Edit(IDC_NAME);
    name->setFocus();
    QTest::keyClicks(name, "Typed");
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(name->text(), QString());  // the field's own undo
    QCOMPARE(s.Names().size(), 2);      // the list is untouched

    s.List()->setFocus();
    QTest::keyClick(s.List(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(s.Names(), (QStringList{"Beta", "Gamma", "Alpha"}));
    QTest::keyClick(s.List(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(s.Names().size(), 2);
    QTest::keyClick(s.List(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // nothing left to redo
    QCOMPARE(s.Names().size(), 2);
}

void TestUndoAndFiles::aSaveKeepsABackupThatTheDialogRestores()
{
    Session s;
    WriteFileBytes("nmr.dat", kThreeCoins);
    s.Open();
    s.Add(Coin("Delta", "1903"));
    s.Trigger(MenuCommand::FileSave);  // keeps the three-coin file as a backup
    QCOMPARE(QDir("backups").entryList(QDir::Files).size(), 1);
    QCOMPARE(ReadFileBytes("backups/" + QDir("backups").entryList(QDir::Files).first()), kThreeCoins);
    s.Add(Coin("Epsilon", "1904"));

    // The list shows the date and size at once; the count follows from the counting thread.
    QStringList shown;
    s.platform.onModal = [&](QDialog& d) {
        auto* list = d.findChild<QListWidget*>("backups");
        QCOMPARE(list->count(), 1);
        QTRY_VERIFY2(list->item(0)->text().endsWith("3 coins"), qPrintable(list->item(0)->text()));
        shown.append(list->item(0)->text());
        list->setCurrentRow(0);
        d.findChild<QPushButton*>("restore")->click();
    };
    s.platform.answers = {true};
    s.Trigger(MenuCommand::FileRestoreBackup);
    QCOMPARE(shown.size(), 1);
    const QString size = QString::number(kThreeCoins.size()) + " bytes";
    QVERIFY2(shown.first().contains(" \u2014 " + size + " \u2014 3 coins"), qPrintable(shown.first()));
    QVERIFY2(s.platform.boxes.last().startsWith("? Replace the coins in the list with the backup of ") &&
                 s.platform.boxes.last().contains(" (3 coins)?"), qPrintable(s.platform.boxes.last()));
    QCOMPARE(s.Names(), (QStringList{"Beta", "Gamma", "Alpha"}));
    QCOMPARE(Action(s, MenuCommand::ItemUndo)->text(), QString("U&ndo Restore Backup"));

    s.Trigger(MenuCommand::ItemUndo);
    QCOMPARE(s.Names(), (QStringList{"Epsilon", "Delta", "Beta", "Gamma", "Alpha"}));
}

void TestUndoAndFiles::aBackupGoneBeforeItsRestoreChangesNothing()
{
    Session s;
    WriteFileBytes("nmr.dat", kThreeCoins);
    s.Open();
    s.Add(Coin("Delta", "1903"));
    s.Trigger(MenuCommand::FileSave);
    const QString backup = "backups/" + QDir("backups").entryList(QDir::Files).first();
    s.platform.onModal = [&](QDialog& d) {
        QVERIFY(QFile::remove(backup));  // removed by hand while the list is up
        d.findChild<QListWidget*>("backups")->setCurrentRow(0);
        d.findChild<QPushButton*>("restore")->click();
    };
    s.platform.answers = {true};
    s.Trigger(MenuCommand::FileRestoreBackup);
    QVERIFY2(s.platform.boxes.last().startsWith("Restore Backup: ") &&
                 s.platform.boxes.last().endsWith("there is no such file."), qPrintable(s.platform.boxes.last()));
    QCOMPARE(s.Names(), (QStringList{"Delta", "Beta", "Gamma", "Alpha"}));
    QVERIFY(!QFileInfo::exists(backup));  // not made anew, empty
    QVERIFY(!Action(s, MenuCommand::ItemUndo)->text().contains("Restore"));
}

void TestUndoAndFiles::csvExportAndImportRoundTripAndUndo()
{
    Session s;
    WriteFileBytes("nmr.dat", kThreeCoins);
    s.Open();
    s.SetForm({" Thaler ", "1780", "1=one", "Österreich", "", "", "", "", "", "", "",
               "", "Line one\n\"quoted\", two"});
    s.Button(IDC_ADD)->click();
    const QList<QStringList> rows = AllRows(s);

    s.platform.nextSaveFileName = QDir::current().absoluteFilePath("coins.csv");
    s.Trigger(MenuCommand::FileExportCsv);
    QVERIFY(ReadFileBytes("coins.csv").contains("Name,Year,Face Value"));

    s.platform.answers = {true};
    s.Trigger(MenuCommand::ItemClearAll);
    s.platform.nextOpenFileName = s.platform.nextSaveFileName;
    s.platform.answers = {true};
    s.Trigger(MenuCommand::FileImportCsv);
    QVERIFY2(s.platform.boxes.last().startsWith("? Add 4 coins from \"coins.csv\"?"), qPrintable(s.platform.boxes.last()));
    QCOMPARE(AllRows(s), rows);
    QVERIFY(s.Combo(IDC_COUNTRY)->findText("Österreich") >= 0);  // the lists learn the values

    s.Trigger(MenuCommand::ItemUndo);
    QCOMPARE(s.Names(), QStringList());
    QCOMPARE(Action(s, MenuCommand::ItemUndo)->text(), QString("U&ndo Clear All"));
}

void TestUndoAndFiles::aMalformedCsvFileAddsNothing()
{
    Session s;
    s.Open();
    WriteFileBytes("bad.csv", "Name,Year\r\nThaler,1780\r\n\"Open,1800\r\n");
    s.platform.nextOpenFileName = QDir::current().absoluteFilePath("bad.csv");
    s.Trigger(MenuCommand::FileImportCsv);
    QCOMPARE(s.platform.boxes.size(), 1);
    QVERIFY2(s.platform.boxes.first().startsWith("Import CSV: Line 3"), qPrintable(s.platform.boxes.first()));
    QCOMPARE(s.Names(), QStringList());
    QVERIFY(!Action(s, MenuCommand::ItemUndo)->isEnabled());
}

void TestUndoAndFiles::aCsvFileThatIsNotOrdinaryIsRefusedAtOnce()
{
    Session s;
    s.Open();
    QCOMPARE(mkfifo("pipe.csv", 0644), 0);
    for (const QString& path : {QDir::current().absoluteFilePath("pipe.csv"), QString("/dev/zero")}) {
        s.platform.boxes.clear();
        s.platform.nextOpenFileName = path;
        s.Trigger(MenuCommand::FileImportCsv);  // a read would wait for a writer, or never end
        QCOMPARE(s.platform.boxes, QStringList{"Import CSV: The file \"" + path + "\" could not be read: it is "
                                               "not an ordinary file (a pipe, a socket or a device)."});
        QCOMPARE(s.Names(), QStringList());
    }
}

void TestUndoAndFiles::addedMenuItemsClashWithNoMnemonic()
{
    Session s;
    s.Open();
    auto mnemonic = [](const QString& text) {
        const qsizetype at = text.indexOf('&');
        return at < 0 ? QChar() : text.at(at + 1).toLower();
    };
    QSet<QChar> titles;
    for (QAction* menuAction : s.dlg->findChild<QMenuBar*>()->actions()) {
        QVERIFY2(!titles.contains(mnemonic(menuAction->text())), qPrintable(menuAction->text()));
        titles.insert(mnemonic(menuAction->text()));
        QSet<QChar> items;
        for (QAction* item : menuAction->menu()->actions()) {
            if (item->isSeparator())
                continue;
            const QChar m = mnemonic(item->text());
            QVERIFY2(!m.isNull() && !items.contains(m), qPrintable(item->text()));
            items.insert(m);
        }
    }
    // The written menus keep their places: File, Item, then the new View menu before Help.
    QStringList order;
    for (QAction* menuAction : s.dlg->findChild<QMenuBar*>()->actions())
        order.append(menuAction->text());
    QCOMPARE(order, (QStringList{"&File", "&Item", "&View", "&Help"}));
}

NUMORA_UI_TEST(tst_UndoAndFiles, TestUndoAndFiles)
#include "tst_UndoAndFiles.moc"
