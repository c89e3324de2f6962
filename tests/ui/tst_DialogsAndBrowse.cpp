// The small dialogs of the main window, driven by keys and clicks: picking a date with the
// "W" buttons, walking the coins with the value wizard, and browsing for a picture.

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "UiTestSupport.h"
#include "app/CCollectionDlg.h"

namespace {

constexpr int kFieldIds[] = {1005, 1006, 1007, 1019, 1013, 1017, 1009,
                             1010, 1011, 1012, 1022, 1008, 1014};

QPushButton* Button(const CCollectionDlg& dlg, int id)
{
    return qobject_cast<QPushButton*>(dlg.Control(id));
}

QLineEdit* Edit(const CCollectionDlg& dlg, int id)
{
    return qobject_cast<QLineEdit*>(dlg.Control(id));
}

QStringList FormTexts(const CCollectionDlg& dlg)
{
    QStringList texts;
    for (int id : kFieldIds) {
        QWidget* control = dlg.Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            texts.append(edit->text());
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            texts.append(combo->currentText());
        else
            texts.append(qobject_cast<QPlainTextEdit*>(control)->toPlainText());
    }
    return texts;
}

// Types a coin into every field of the form without adding it; the result is what the form
// shows afterwards.
QStringList FillForm(CCollectionDlg& dlg)
{
    for (int id : kFieldIds) {
        const QString text = QString("typed %1").arg(id);
        QWidget* control = dlg.Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(text);
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            combo->setEditText(text);
        else
            qobject_cast<QPlainTextEdit*>(control)->setPlainText(text);
    }
    return FormTexts(dlg);
}

// Shows a modal dialog handed to the platform, lets `drive` work on it and returns how it
// closed; -1 when `drive` left it open (it is then rejected).
int Drive(QDialog& dialog, const std::function<void(QDialog&)>& drive)
{
    dialog.show();
    // The user types once the dialog is the active window.
    if (!QTest::qWaitForWindowActive(&dialog))
        qWarning("dialog not active");
    drive(dialog);
    if (dialog.isVisible()) {
        dialog.reject();
        return -1;
    }
    return dialog.result();
}

// Coins for the data file, bottom row first: on screen Aureus is the top row.
void WriteCoins()
{
    WriteFileBytes("nmr.dat",
                   "CREATOR=NMR 1.0\r\n" +
                       DataRecord({"Cent", "1909", "1c", "USA", "S", "VF", "", "", "30",
                                   "2002-01-02", "", "", ""}) +
                       DataRecord({"Bezant", "1050", "", "Byzantium", "", "F", "", "", "20",
                                   "2001-01-01", "", "", ""}) +
                       DataRecord({"Aureus", "-27", "", "Rome", "", "XF", "", "", "10",
                                   "2000-01-01", "", "", "first"}));
}

// A file-open dialog that wanders off to another folder, as a real one may.
class WanderingPlatform : public FakePlatform {
public:
    QString wanderTo;
    QString GetOpenFileName(QWidget* owner, const QStringList& filters) override
    {
        QDir::setCurrent(wanderTo);
        return FakePlatform::GetOpenFileName(owner, filters);
    }
};

}  // namespace

class TestDialogsAndBrowse : public QObject {
    Q_OBJECT

private slots:
    void dateButtonsWriteThePickedDay_data();
    void dateButtonsWriteThePickedDay();
    void wizardWithoutItems();
    void wizardButtonsAtTheEnds_data();
    void wizardButtonsAtTheEnds();
    void wizardWalkWritesValuesAndDates();
    void browseFillsImageAndTitle();
    void browseKeepsTheCurrentFolder_data();
    void browseKeepsTheCurrentFolder();
};

void TestDialogsAndBrowse::dateButtonsWriteThePickedDay_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("closedWith");
    QTest::addColumn<QString>("written");
    const int purchase = CCollectionDlg::IDC_PURCHASEDATE_PICK;
    const int valuation = CCollectionDlg::IDC_VALUATIONDATE_PICK;
    const int purchaseField = CCollectionDlg::IDC_PURCHASEDATE;
    const int valuationField = CCollectionDlg::IDC_VALUATIONDATE;
    QTest::newRow("purchase, Enter at once")
        << purchase << purchaseField << "enter" << int(QDialog::Accepted) << "2026-12-06";
    QTest::newRow("valuation, Enter at once")
        << valuation << valuationField << "enter" << int(QDialog::Accepted) << "2026-12-06";
    QTest::newRow("previous day by keyboard, Escape")
        << purchase << purchaseField << "left escape" << int(QDialog::Rejected) << "2026-12-05";
    QTest::newRow("another day, close box")
        << valuation << valuationField << "pick close" << int(QDialog::Rejected) << "2024-02-29";
    QTest::newRow("a day in 1965, Return")
        << purchase << purchaseField << "1965 return" << int(QDialog::Accepted) << "1965-07-04";
}

void TestDialogsAndBrowse::dateButtonsWriteThePickedDay()
{
    QFETCH(int, button);
    QFETCH(int, field);
    QFETCH(QString, how);
    QFETCH(int, closedWith);
    QFETCH(QString, written);

    TempCurrentDir dir;
    WriteCoins();
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    QStringList expected = FillForm(dlg);
    Edit(dlg, field)->setText("1999-09-09");  // the calendar opens on today all the same
    const CoinRecord topRow = dlg.collection().Row(0);

    QDate openedOn;
    int closed = -2;
    platform.onModal = [&](QDialog& dialog) {
        closed = Drive(dialog, [&](QDialog& d) {
            auto* calendar = d.findChild<QCalendarWidget*>("1053");
            openedOn = calendar->selectedDate();
            if (how == "enter") {
                QTest::keyClick(d.focusWidget(), Qt::Key_Return);
            } else if (how == "left escape") {
                auto* days = calendar->findChild<QTableView*>();
                days->setFocus();
                QTest::keyClick(days, Qt::Key_Left);
                QTest::keyClick(days, Qt::Key_Escape);
            } else if (how == "pick close") {
                calendar->setSelectedDate(QDate(2024, 2, 29));
                d.close();
            } else {
                calendar->setSelectedDate(QDate(1965, 7, 4));
                d.findChild<QPushButton*>("1")->click();
            }
        });
        return closed;
    };
    Button(dlg, button)->click();

    QCOMPARE(platform.modalDialogs, QStringList{"CDateSelectDlg"});
    QCOMPARE(openedOn, platform.today);
    QCOMPARE(closed, closedWith);
    expected[std::find(std::begin(kFieldIds), std::end(kFieldIds), field) - std::begin(kFieldIds)] =
        written;
    QCOMPARE(FormTexts(dlg), expected);  // only its own field changes
    QCOMPARE(dlg.collection().Count(), 3);
    QVERIFY(dlg.collection().Row(0) == topRow);
}

void TestDialogsAndBrowse::wizardWithoutItems()
{
    TempCurrentDir dir;
    FakePlatform platform;
    CCollectionDlg dlg(platform);

    Button(dlg, CCollectionDlg::IDC_VALUEWIZARD)->click();

    QCOMPARE(platform.boxes.size(), 1);
    QCOMPARE(platform.boxes[0].kind, FakePlatform::Box::Error);
    QCOMPARE(platform.boxes[0].text,
             QString("No items in list.  Please enter some items to value"));
    QCOMPARE(platform.boxes[0].caption, QString("Error"));
    QVERIFY(platform.modalDialogs.isEmpty());
}

void TestDialogsAndBrowse::wizardButtonsAtTheEnds_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<QStringList>("enabled");  // per showing: Back, Next
    QTest::newRow("one item") << 1 << QStringList{"--"};
    QTest::newRow("three items") << 3 << QStringList{"-N", "BN", "B-"};
}

// Walks forward with Next while it is enabled, then ends with OK.
void TestDialogsAndBrowse::wizardButtonsAtTheEnds()
{
    QFETCH(int, items);
    QFETCH(QStringList, enabled);

    TempCurrentDir dir;
    QByteArray data = "CREATOR=NMR 1.0\r\n";
    for (int i = 0; i < items; ++i)
        data += DataRecord({QString("Coin %1").arg(i)});
    WriteFileBytes("nmr.dat", data);
    FakePlatform platform;
    CCollectionDlg dlg(platform);

    QStringList seen;
    platform.onModal = [&](QDialog& dialog) {
        return Drive(dialog, [&](QDialog& d) {
            auto* back = d.findChild<QPushButton*>("1030");
            auto* next = d.findChild<QPushButton*>("1031");
            seen.append(QString(back->isEnabled() ? "B" : "-") + (next->isEnabled() ? "N" : "-"));
            if (next->isEnabled() && seen.size() < 10)
                next->click();
            else
                d.findChild<QPushButton*>("1")->click();
        });
    };
    Button(dlg, CCollectionDlg::IDC_VALUEWIZARD)->click();

    QCOMPARE(seen, enabled);
}

void TestDialogsAndBrowse::wizardWalkWritesValuesAndDates()
{
    TempCurrentDir dir;
    WriteCoins();
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    const CoinRecord bottomRow = dlg.collection().Row(2);

    struct Seen {
        QString name, value, date, formName, focus;
    };
    QList<Seen> seen;
    platform.onModal = [&](QDialog& dialog) {
        return Drive(dialog, [&](QDialog& d) {
            auto text = [&](const char* id) { return d.findChild<QLineEdit*>(id)->text(); };
            seen.append({text("1005"), text("1011"), text("1012"),
                         Edit(dlg, CCollectionDlg::IDC_NAME)->text(),
                         d.focusWidget() ? d.focusWidget()->objectName() : QString()});
            QWidget* value = d.focusWidget();
            switch (seen.size()) {
            case 1:  // Aureus
                QTest::keyClicks(value, "100");
                d.findChild<QPushButton*>("1031")->click();
                break;
            case 2:  // Bezant
                QTest::keyClicks(value, "200");
                d.findChild<QPushButton*>("1030")->click();
                break;
            case 3:  // Aureus again; what is typed now is dropped
                QTest::keyClicks(value, "999");
                QTest::keyClick(value, Qt::Key_Escape);
                break;
            default:  // Aureus once more: Enter ends the walk
                QTest::keyClicks(value, "150");
                QTest::keyClick(value, Qt::Key_Return);
                break;
            }
        });
    };
    Button(dlg, CCollectionDlg::IDC_VALUEWIZARD)->click();

    QCOMPARE(seen.size(), 4);
    const QString today = "2026-12-06";
    const QList<QStringList> expected = {
        {"Aureus", "10", today},   // the value stored, dated today
        {"Bezant", "20", today},   // reached by Next: dated today as well
        {"Aureus", "100", today},  // the value typed before
        {"Aureus", "100", today},  // Escape dropped "999"
    };
    for (int i = 0; i < seen.size(); ++i) {
        QCOMPARE(QStringList({seen[i].name, seen[i].value, seen[i].date}), expected[i]);
        QCOMPARE(seen[i].formName, seen[i].name);  // the form behind shows the item valued
        QCOMPARE(seen[i].focus, QString("1011"));
    }

    auto field = [&](int row, CoinField f) {
        return QString::fromUtf8(std::string(dlg.collection().Row(row).Get(f)));
    };
    QCOMPARE(field(0, CoinField::CurrentValue), QString("150"));
    QCOMPARE(field(0, CoinField::ValuationDate), today);
    QCOMPARE(field(0, CoinField::Description), QString("first"));
    QCOMPARE(field(1, CoinField::CurrentValue), QString("200"));
    QCOMPARE(field(1, CoinField::ValuationDate), today);
    QVERIFY(dlg.collection().Row(2) == bottomRow);
    QCOMPARE(FormTexts(dlg), QStringList(13, QString()));
}

void TestDialogsAndBrowse::browseFillsImageAndTitle()
{
    TempCurrentDir dir;
    WriteCoins();
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    QStringList expected = FillForm(dlg);
    const QString path = dir.path() + "/pictures/coin #1.jpg";

    platform.nextOpenFileName = path;
    Button(dlg, CCollectionDlg::IDC_BROWSE)->click();

    QCOMPARE(platform.lastFilters,
             QStringList({"JPG Files (*.jpg)", "GIF Files (*.gif)", "PNG Files (*.png)",
                          "BMP Files (*.bmp)", "All Files (*.*)"}));
    expected[11] = path;
    QCOMPARE(FormTexts(dlg), expected);
    QCOMPARE(dlg.windowTitle(), "Vomek: " + path);
    QCOMPARE(dlg.collection().Count(), 3);
    QCOMPARE(dlg.collection().Row(0).Get(CoinField::Image), std::string_view());

    // Cancelled: nothing changes, the title from before included.
    platform.nextOpenFileName.clear();
    Edit(dlg, CCollectionDlg::IDC_IMAGE)->setText("old.jpg");
    expected[11] = "old.jpg";
    Button(dlg, CCollectionDlg::IDC_BROWSE)->click();
    QCOMPARE(platform.fileDialogs, 2);
    QCOMPARE(FormTexts(dlg), expected);
    QCOMPARE(dlg.windowTitle(), "Vomek: " + path);
}

void TestDialogsAndBrowse::browseKeepsTheCurrentFolder_data()
{
    QTest::addColumn<bool>("choose");
    QTest::newRow("file chosen") << true;
    QTest::newRow("cancelled") << false;
}

void TestDialogsAndBrowse::browseKeepsTheCurrentFolder()
{
    QFETCH(bool, choose);

    TempCurrentDir dir;
    QTemporaryDir elsewhere;
    WanderingPlatform platform;
    platform.wanderTo = elsewhere.path();
    platform.nextOpenFileName = choose ? elsewhere.path() + "/a.png" : QString();
    CCollectionDlg dlg(platform);
    Edit(dlg, CCollectionDlg::IDC_NAME)->setText("Denarius");
    Button(dlg, CCollectionDlg::IDC_ADD)->click();

    Button(dlg, CCollectionDlg::IDC_BROWSE)->click();
    QCOMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());

    // The collection's files are still those of the folder the program started in.
    dlg.findChild<QAction*>("57603")->trigger();
    QVERIFY(ReadFileBytes(dir.file("nmr.dat")).contains("NAME=Denarius\r\n"));
    QVERIFY(!QFileInfo::exists(elsewhere.filePath("nmr.dat")));
}

QTEST_MAIN(TestDialogsAndBrowse)
#include "tst_DialogsAndBrowse.moc"
