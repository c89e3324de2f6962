// The preferences file and the Preferences dialog, seen through the main window: what the
// dialog shows and hands back, the exact file, the tooltips switch across a restart, and the
// order in which each way out writes the two files.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "UiTestSupport.h"
#include "app/CCollectionDlg.h"

namespace {

const QByteArray kFirstRunFile =
    "CREATOR=NMR 1.0\r\nNAME=\r\nEMAIL=\r\nADDRESS1=\r\nADDRESS2=\r\nCITY=\r\nSTATE=\r\n"
    "COUNTRY=\r\nCATALOGUE=\r\nLIST=\r\nREPORT=\r\nVALREPORT=\r\nTOOLTIPS=\r\n\r\n";

// A complete file in another order than the program writes, with a key in lower case that
// must be ignored.
const QByteArray kFilledFile =
    "CREATOR=NMR 1.0\r\nTOOLTIPS=no\r\nLIST=out/list.htm\r\nname=ignored\r\n"
    "NAME=Riverside Coin Club\r\nEMAIL=club@example.org\r\nADDRESS1=12 Mill Lane\r\n"
    "ADDRESS2=Unit 3\r\nCITY=Springfield\r\nSTATE=OR\r\nCOUNTRY=United States\r\n"
    "CATALOGUE=cat.htm\r\nREPORT=r1\r\nVALREPORT=v=2\r\n\r\n";

// The same values as the program writes them.
const QByteArray kFilledFileAsWritten =
    "CREATOR=NMR 1.0\r\nNAME=Riverside Coin Club\r\nEMAIL=club@example.org\r\n"
    "ADDRESS1=12 Mill Lane\r\nADDRESS2=Unit 3\r\nCITY=Springfield\r\nSTATE=OR\r\n"
    "COUNTRY=United States\r\nCATALOGUE=cat.htm\r\nLIST=out/list.htm\r\nREPORT=r1\r\n"
    "VALREPORT=v=2\r\nTOOLTIPS=no\r\n\r\n";

// The dialog's fields by object name, with the values of kFilledFile.
const QList<QPair<QString, QString>> kFilledFields = {
    {"1005", "Riverside Coin Club"}, {"1033", "club@example.org"}, {"1034", "12 Mill Lane"},
    {"1035", "Unit 3"},              {"1036", "Springfield"},      {"1037", "OR"},
    {"1016", "United States"},       {"1041", "out/list.htm"},     {"1042", "cat.htm"},
};

// Shows a modal dialog handed to the platform, lets `drive` work on it and returns how it
// closed. A dialog that `drive` did not close fails the test and is rejected.
int Drive(QDialog& dialog, const std::function<void(QDialog&)>& drive)
{
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        qWarning("dialog not exposed");
    drive(dialog);
    if (dialog.isVisible()) {
        qWarning("dialog still open");
        dialog.reject();
        return -1;
    }
    return dialog.result();
}

QPushButton* Button(const CCollectionDlg& dlg, int id)
{
    return qobject_cast<QPushButton*>(dlg.Control(id));
}

// Records, for every error box, whether the data file held a coin at that moment: it does only
// once the data file has been written.
class OrderPlatform : public FakePlatform {
public:
    QList<bool> dataWrittenAtError;
    void ShowError(QWidget* owner, const QString& text, const QString& caption) override
    {
        dataWrittenAtError.append(ReadFileBytes("nmr.dat").contains("NAME=Sovereign"));
        FakePlatform::ShowError(owner, text, caption);
    }
};

}  // namespace

class TestPreferences : public QObject {
    Q_OBJECT

private slots:
    void firstRunWritesEveryKeyEmpty();
    void dialogShowsAndKeepsValues_data();
    void dialogShowsAndKeepsValues();
    void unwritableFileKeepsNewValuesForTheRun();
    void handSetKeysSurviveRuns();
    void tooltipsSwitchAtStart_data();
    void tooltipsSwitchAtStart();
    void tooltipsChoiceSurvivesARestart();
    void waysOutWriteBothFilesInOrder_data();
    void waysOutWriteBothFilesInOrder();
};

void TestPreferences::firstRunWritesEveryKeyEmpty()
{
    TempCurrentDir dir;
    for (int run = 0; run < 2; ++run) {
        FakePlatform platform;
        CCollectionDlg dlg(platform);
        auto* box = qobject_cast<QCheckBox*>(dlg.Control(CCollectionDlg::IDC_TOOLTIPS));
        QVERIFY(!box->isChecked());
        QVERIFY(!dlg.TooltipsOn());
        Button(dlg, CCollectionDlg::IDC_QUIT)->click();
        QCOMPARE(ReadFileBytes("nmr.ini"), kFirstRunFile);
        QVERIFY(platform.boxes.isEmpty());
    }
}

void TestPreferences::dialogShowsAndKeepsValues_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expectedName");
    QTest::newRow("Enter at once") << "enter" << "Riverside Coin Club";
    QTest::newRow("new name, Escape") << "escape" << "Riverside Coin Club";
    QTest::newRow("new name, close box") << "close" << "Riverside Coin Club";
    QTest::newRow("new name, Return") << "return" << "Hill Collectors";
}

void TestPreferences::dialogShowsAndKeepsValues()
{
    QFETCH(QString, action);
    QFETCH(QString, expectedName);

    TempCurrentDir dir;
    WriteFileBytes("nmr.ini", kFilledFile);
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    QVERIFY(QFile::remove("nmr.ini"));

    QStringList shown;
    QString focused;
    platform.onModal = [&](QDialog& dialog) {
        return Drive(dialog, [&](QDialog& d) {
            for (const auto& [id, value] : kFilledFields)
                shown.append(d.findChild<QLineEdit*>(id)->text());
            focused = d.focusWidget() ? d.focusWidget()->objectName() : QString();
            if (action == "enter") {
                QTest::keyClick(d.focusWidget(), Qt::Key_Return);
                return;
            }
            auto* name = d.findChild<QLineEdit*>("1005");
            name->setFocus();
            name->selectAll();
            QTest::keyClicks(name, "Hill Collectors");
            if (action == "escape")
                QTest::keyClick(name, Qt::Key_Escape);
            else if (action == "close")
                d.close();
            else
                d.findChild<QPushButton*>("1")->click();
        });
    };
    Button(dlg, CCollectionDlg::IDC_PREFERENCES)->click();

    QCOMPARE(platform.modalDialogs, QStringList{"CPreferencesDlg"});
    QStringList expectedShown;
    for (const auto& field : kFilledFields)
        expectedShown.append(field.second);
    QCOMPARE(shown, expectedShown);
    QCOMPARE(focused, QString("1"));  // Return is the first tab stop

    QByteArray expectedFile = kFilledFileAsWritten;
    expectedFile.replace("Riverside Coin Club", expectedName.toUtf8());
    QCOMPARE(ReadFileBytes("nmr.ini"), expectedFile);  // written however the dialog closed
    QCOMPARE(QString::fromStdString(dlg.preferences()[PrefKey::Name]), expectedName);
    QCOMPARE(dlg.preferences()[PrefKey::Report], std::string("r1"));
    QVERIFY(platform.boxes.isEmpty());
}

void TestPreferences::unwritableFileKeepsNewValuesForTheRun()
{
    TempCurrentDir dir;
    QVERIFY(QDir().mkdir("nmr.ini"));  // cannot be replaced by a file
    FakePlatform platform;
    CCollectionDlg dlg(platform);

    int boxesWhileOpen = -1;
    platform.onModal = [&](QDialog& dialog) {
        return Drive(dialog, [&](QDialog& d) {
            d.findChild<QLineEdit*>("1041")->setText("mine.htm");
            d.findChild<QPushButton*>("1")->click();
            boxesWhileOpen = static_cast<int>(platform.boxes.size());
        });
    };
    Button(dlg, CCollectionDlg::IDC_PREFERENCES)->click();

    QCOMPARE(boxesWhileOpen, 0);  // the message comes once the dialog has closed
    QCOMPARE(platform.boxes.size(), 1);
    QCOMPARE(platform.boxes[0].text, QString("Save to File"));
    QCOMPARE(platform.boxes[0].caption, QString("Error Writing File"));
    QCOMPARE(dlg.preferences()[PrefKey::List], std::string("mine.htm"));
    QVERIFY(QFileInfo("nmr.ini").isDir());
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"nmr.dat"});
}

void TestPreferences::handSetKeysSurviveRuns()
{
    TempCurrentDir dir;
    WriteFileBytes("nmr.ini", kFilledFile);
    for (int run = 0; run < 3; ++run) {
        FakePlatform platform;
        platform.onModal = [](QDialog& dialog) {
            return Drive(dialog,
                         [](QDialog& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Return); });
        };
        CCollectionDlg dlg(platform);
        Button(dlg, CCollectionDlg::IDC_PREFERENCES)->click();
        QCOMPARE(ReadFileBytes("nmr.ini"), kFilledFileAsWritten);
        Button(dlg, CCollectionDlg::IDC_QUIT)->click();
        QCOMPARE(ReadFileBytes("nmr.ini"), kFilledFileAsWritten);
    }
}

void TestPreferences::tooltipsSwitchAtStart_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<bool>("on");
    QTest::newRow("yes") << QByteArray("TOOLTIPS=yes\r\n") << true;
    QTest::newRow("Yes") << QByteArray("TOOLTIPS=Yes\r\n") << false;
    QTest::newRow("YES") << QByteArray("TOOLTIPS=YES\r\n") << false;
    QTest::newRow("no") << QByteArray("TOOLTIPS=no\r\n") << false;
    QTest::newRow("empty") << QByteArray("TOOLTIPS=\r\n") << false;
    QTest::newRow("no line") << QByteArray("NAME=x\r\n") << false;
    QTest::newRow("later line wins") << QByteArray("TOOLTIPS=no\r\nTOOLTIPS=yes\r\n") << true;
    QTest::newRow("lower-case key") << QByteArray("tooltips=yes\r\n") << false;
}

void TestPreferences::tooltipsSwitchAtStart()
{
    QFETCH(QByteArray, lines);
    QFETCH(bool, on);

    TempCurrentDir dir;
    WriteFileBytes("nmr.ini", "CREATOR=NMR 1.0\r\n" + lines + "\r\n");
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    QCOMPARE(qobject_cast<QCheckBox*>(dlg.Control(CCollectionDlg::IDC_TOOLTIPS))->isChecked(), on);
    QCOMPARE(dlg.TooltipsOn(), on);
}

void TestPreferences::tooltipsChoiceSurvivesARestart()
{
    TempCurrentDir dir;
    for (const bool check : {true, false}) {
        {
            FakePlatform platform;
            CCollectionDlg dlg(platform);
            auto* box = qobject_cast<QCheckBox*>(dlg.Control(CCollectionDlg::IDC_TOOLTIPS));
            QCOMPARE(box->isChecked(), !check);
            box->click();
            Button(dlg, CCollectionDlg::IDC_QUIT)->click();
        }
        QVERIFY(ReadFileBytes("nmr.ini").contains(check ? "\r\nTOOLTIPS=yes\r\n\r\n"
                                                        : "\r\nTOOLTIPS=no\r\n\r\n"));
        FakePlatform platform;
        CCollectionDlg next(platform);
        QCOMPARE(qobject_cast<QCheckBox*>(next.Control(CCollectionDlg::IDC_TOOLTIPS))->isChecked(),
                 check);
        QCOMPARE(next.TooltipsOn(), check);
    }
}

void TestPreferences::waysOutWriteBothFilesInOrder_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("dataFirst");
    QTest::newRow("Quit") << "quit" << false;
    QTest::newRow("Enter in Name") << "enter" << false;
    QTest::newRow("Escape") << "escape" << false;
    QTest::newRow("close box") << "close" << false;
    QTest::newRow("File > Exit") << "exit" << true;
}

// The preferences file is a folder, so writing it fails with a box; whether the coin was
// already in the data file when the box came tells the order.
void TestPreferences::waysOutWriteBothFilesInOrder()
{
    QFETCH(QString, way);
    QFETCH(bool, dataFirst);

    TempCurrentDir dir;
    QVERIFY(QDir().mkdir("nmr.ini"));
    OrderPlatform platform;
    CCollectionDlg dlg(platform);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* name = qobject_cast<QLineEdit*>(dlg.Control(CCollectionDlg::IDC_NAME));
    name->setText("Sovereign");
    Button(dlg, CCollectionDlg::IDC_ADD)->click();
    QCOMPARE(dlg.collection().Count(), 1);
    QVERIFY(!ReadFileBytes("nmr.dat").contains("Sovereign"));

    if (way == "quit") {
        Button(dlg, CCollectionDlg::IDC_QUIT)->click();
    } else if (way == "enter") {
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Return);
    } else if (way == "escape") {
        QTest::keyClick(name, Qt::Key_Escape);
    } else if (way == "close") {
        dlg.close();
    } else {
        dlg.findChild<QAction*>("32772")->trigger();
    }

    QCOMPARE(platform.boxes.size(), 1);
    QCOMPARE(platform.boxes[0].text, QString("Save to File"));
    QCOMPARE(platform.boxes[0].caption, QString("Error Writing File"));
    QCOMPARE(platform.dataWrittenAtError, QList<bool>{dataFirst});
    QVERIFY(ReadFileBytes("nmr.dat").contains("NAME=Sovereign\r\n"));  // written all the same
    QCOMPARE(platform.endedWith, dataFirst ? QList<int>{0} : QList<int>{});

    // Whatever way was taken, neither file is written a second time.
    QVERIFY(QFile::remove("nmr.dat"));
    dlg.close();
    QVERIFY(!QFileInfo::exists("nmr.dat"));
    QCOMPARE(platform.boxes.size(), 1);
}

QTEST_MAIN(TestPreferences)
#include "tst_Preferences.moc"
