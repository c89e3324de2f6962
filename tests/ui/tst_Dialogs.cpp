// The main window's dialogs and outward links: preferences, tooltips, help and view links,
// the List and Catalog pages, the date buttons, the value wizard and browsing for a picture.

#include <QCalendarWidget>
#include <QCheckBox>
#include <QHelpEvent>
#include <QToolTip>

#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "output/PageComposer.h"

namespace {

const QByteArray kPrefs =
    "CREATOR=NMR 1.0\r\nNAME=Riverside Coin Club\r\nEMAIL=club@example.org\r\n"
    "ADDRESS1=12 Mill Lane\r\nADDRESS2=Unit 3\r\nCITY=Springfield\r\nSTATE=OR\r\n"
    "COUNTRY=United States\r\nCATALOGUE=cat.htm\r\nLIST=out/list.htm\r\nREPORT=r1\r\n"
    "VALREPORT=v=2\r\nTOOLTIPS=no\r\n\r\n";

// Coins for the data file, bottom row first: on screen Aureus is the top row.
const QList<QStringList> kCoins = {
    {"Cent", "1909", "", "USA", "", "", "", "", "30", "2002-01-02", "", "", ""},
    {"Bezant", "1050", "", "Byzantium", "", "", "", "", "20", "2001-01-01", "", "", ""},
    {"Aureus", "-27", "", "Rome", "", "", "", "", "10", "2000-01-01", "", "", "first"},
};

// Asks the window for the tip of a control as the resting pointer would: the request goes to
// the innermost widget there and travels up.
QString TipOf(QWidget* widget)
{
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
        return "(the last tip stays)";
    const QPoint middle = widget->rect().center();
    QWidget* target = widget->childAt(middle) ? widget->childAt(middle) : widget;
    const QPoint pos = target->mapFrom(widget, middle);
    QHelpEvent event(QEvent::ToolTip, pos, target->mapToGlobal(pos));
    QApplication::sendEvent(target, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void preferences_data();
    void preferences();
    void tooltips();
    void links_data();
    void links();
    void pages_data();
    void pages();
    void dateButtons();
    void valueWizard();
    void browse();
};

void TestDialogs::preferences_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Enter at once") << false;
    QTest::newRow("new name, Escape") << true;
}

void TestDialogs::preferences()
{
    QFETCH(bool, escape);
    Session s;
    WriteFileBytes("nmr.ini", kPrefs);
    s.Open();
    QVERIFY(QFile::remove("nmr.ini"));
    QStringList shown;
    s.platform.onModal = [&](QDialog& d) {
        for (int id : {IDC_PREFS_NAME, IDC_PREFS_EMAIL, IDC_PREFS_ADDRESS1, IDC_PREFS_ADDRESS2,
                       IDC_PREFS_CITY, IDC_PREFS_STATE, IDC_PREFS_COUNTRY, IDC_PREFS_LIST,
                       IDC_PREFS_CATALOGUE})
            shown.append(d.findChild<QLineEdit*>(ObjectName(id))->text());
        if (escape) {
            auto* name = d.findChild<QLineEdit*>(ObjectName(IDC_PREFS_NAME));
            name->setFocus();
            name->selectAll();
            QTest::keyClicks(name, "Hill Collectors");
        }
        QTest::keyClick(d.focusWidget(), escape ? Qt::Key_Escape : Qt::Key_Return);
    };
    s.Button(IDC_PREFERENCES)->click();

    QCOMPARE(shown, (QStringList{"Riverside Coin Club", "club@example.org", "12 Mill Lane",
                                 "Unit 3", "Springfield", "OR", "United States", "out/list.htm",
                                 "cat.htm"}));
    QCOMPARE(ReadFileBytes("nmr.ini"), kPrefs);

    // Escape in the main window writes both files.
    QVERIFY(QFile::remove("nmr.ini"));
    QVERIFY(s.Show());
    s.Add(Coin("Sovereign"));
    QTest::keyClick(s.Edit(IDC_NAME), Qt::Key_Escape);
    QVERIFY(!s.dlg->isVisible());
    QCOMPARE(ReadFileBytes("nmr.ini"), kPrefs);
    QVERIFY(ReadFileBytes("nmr.dat").contains("\r\nNAME=Sovereign\r\n"));
    QVERIFY(s.platform.boxes.isEmpty());
}

void TestDialogs::tooltips()
{
    Session s;
    s.Open();
    QVERIFY(s.Show());
    auto* box = qobject_cast<QCheckBox*>(s.Control(IDC_TOOLTIPS));
    QWidget* pick = s.Control(IDC_PURCHASEDATE_PICK);
    const QString tip =
        "This button displays a calendar so that you can select a pruchase date for your coin.";
    QCOMPARE(TipOf(pick), QString());  // off at the first start

    box->click();
    QCOMPARE(s.dlg->preferences()[PrefKey::Tooltips], std::string("yes"));
    QCOMPARE(TipOf(pick), tip);  // whole, however long
    QCOMPARE(TipOf(s.Control(IDC_BROWSE)), QString());  // Browse has none

    box->click();
    QCOMPARE(s.dlg->preferences()[PrefKey::Tooltips], std::string("no"));
    QCOMPARE(TipOf(pick), QString());
}

void TestDialogs::links_data()
{
    QTest::addColumn<int>("how");  // a button or a menu item
    QTest::addColumn<QString>("image");
    QTest::addColumn<QStringList>("opened");
    const QString help = QString::fromStdString(HelpPageUrl());
    QTest::newRow("Help button") << int(IDC_HELP) << "" << QStringList{help};
    QTest::newRow("Help > Manual") << int(MenuCommand::HelpManual) << "" << QStringList{help};
    QTest::newRow("Help > Website") << int(MenuCommand::HelpWebsite) << ""
                                    << QStringList{QString::fromStdString(HomePageUrl())};
    QTest::newRow("View") << int(IDC_VIEW) << "pics/coin 1.jpg" << QStringList{"pics/coin 1.jpg"};
    QTest::newRow("View, empty Image") << int(IDC_VIEW) << "" << QStringList{};
    QTest::newRow("View, shell-looking name")
        << int(IDC_VIEW) << "$(touch x); y.jpg" << QStringList{"$(touch x); y.jpg"};
}

void TestDialogs::links()
{
    QFETCH(int, how);
    QFETCH(QString, image);
    QFETCH(QStringList, opened);

    Session s;
    s.Open();
    QStringList typed = kTyped;
    typed[11] = image;
    s.SetForm(typed);
    how < 2000 ? s.Button(how)->click() : s.Trigger(MenuCommand(how));

    QCOMPARE(s.platform.opened, opened);
    QCOMPARE(s.Form(), typed);
    QCOMPARE(s.dlg->collection().Count(), 0);
    QVERIFY(s.platform.boxes.isEmpty());
    if (!image.isEmpty()) {  // a local path, never through a shell
        QVERIFY(TargetUrl(image).isLocalFile());
        QCOMPARE(TargetUrl(image).toLocalFile(), s.dir.path() + "/" + image);
    }
}

void TestDialogs::pages_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("blocked");  // a folder stands where the page goes
    QTest::newRow("List, Yes") << "list.htm" << true << false;
    QTest::newRow("Catalog, No") << "catalogue.htm" << false << false;
    QTest::newRow("List, not writable") << "list.htm" << true << true;
}

void TestDialogs::pages()
{
    QFETCH(QString, output);
    QFETCH(bool, answer);
    QFETCH(bool, blocked);

    Session s;
    const bool list = output == "list.htm";
    const QString outer = list ? "ListOutside.htm" : "CatalogueOutside.htm";
    const QString inner = QString(outer).replace("Outside", "Inside");
    for (const QString& name : {outer, inner})
        QVERIFY(QFile::copy(NUMORA_TEST_DATA "/../../templates/" + name, name));
    WriteFileBytes("nmr.dat", DataFile(kCoins));
    WriteFileBytes("nmr.ini", "CREATOR=NMR 1.0\r\nNAME=Riverside Coin Club\r\n\r\n");
    if (blocked)
        QVERIFY(QDir().mkdir(output));
    s.platform.answers = {answer};
    s.Open();
    s.Button(list ? IDC_LISTPAGE : IDC_CATALOG)->click();

    const std::string page = ReadFileBytes(output).toStdString();
    if (blocked) {
        QCOMPARE(s.platform.boxes, QStringList{"Error Saving File.: Save to File"});
        QCOMPARE(s.platform.problems.size(), 1);
        QVERIFY2(s.platform.problems[0].contains(output), qPrintable(s.platform.problems[0]));
        QVERIFY(s.platform.opened.isEmpty());
    } else {
        QCOMPARE(s.platform.boxes, QStringList{"? Your Page Has Been Generated.\nYour page was "
                                               "written to:\n" + output +
                                               "\nWould you like to view it?"});
        QCOMPARE(s.platform.opened, answer ? QStringList{output} : QStringList{});
        QCOMPARE(page, ComposePage(ReadFileBytes(outer).toStdString(),
                                   ReadFileBytes(inner).toStdString(), s.dlg->collection(),
                                   s.dlg->preferences()));
        for (const char* text : {"Riverside Coin Club", "Aureus", "Bezant", "Cent"})
            QVERIFY2(page.find(text) != std::string::npos, text);
    }
    s.Button(IDC_QUIT)->click();  // the default name is kept in the file
    QVERIFY(ReadFileBytes("nmr.ini").contains((list ? "\r\nLIST=" : "\r\nCATALOGUE=") +
                                              output.toUtf8() + "\r\n"));
}

void TestDialogs::dateButtons()
{
    Session s;
    s.Open();
    s.SetForm(kTyped);
    QStringList expected = kTyped;
    // Return at once writes today; another day and then Escape writes that day.
    for (auto [button, field, escape] : {std::tuple{IDC_PURCHASEDATE_PICK, 7, false}, {IDC_VALUATIONDATE_PICK, 9, true}}) {
        s.platform.onModal = [escape = escape](QDialog& d) {
            auto* days = d.findChild<QCalendarWidget*>(ObjectName(IDC_DATE_CALENDAR))->findChild<QTableView*>();
            if (escape)
                days->setFocus(), QTest::keyClick(days, Qt::Key_Left);
            QTest::keyClick(d.focusWidget(), escape ? Qt::Key_Escape : Qt::Key_Return);
        };
        s.Button(button)->click();
        expected[field] = escape ? "2026-12-05" : "2026-12-06";
        QCOMPARE(s.Form(), expected);  // only its own field changes
    }
}

void TestDialogs::valueWizard()
{
    Session s;
    s.Open();
    s.platform.onModal = [](QDialog&) { QFAIL("no wizard without items"); };
    s.Button(IDC_VALUEWIZARD)->click();
    QCOMPARE(s.platform.boxes,
             QStringList{"Error: No items in list.  Please enter some items to value"});

    QStringList seen;  // per showing: name, value, date, Name in the form, Back and Next
    s.platform.onModal = [&](QDialog& d) {
        auto text = [&](int id) { return d.findChild<QLineEdit*>(ObjectName(id))->text(); };
        auto* back = d.findChild<QPushButton*>(ObjectName(IDC_WIZARD_BACK));
        auto* next = d.findChild<QPushButton*>(ObjectName(IDC_WIZARD_NEXT));
        seen.append(QStringList{text(IDC_WIZARD_NAME), text(IDC_WIZARD_VALUE), text(IDC_WIZARD_DATE), s.Edit(IDC_NAME)->text(),
                                back->isEnabled() ? "B" : "-", next->isEnabled() ? "N" : "-"}
                        .join(' '));
        QWidget* value = d.focusWidget();
        const int n = int(seen.size());
        QTest::keyClicks(value, QString::number(100 * n));
        if (n == 1 || n == 6)
            QTest::keyClick(value, Qt::Key_Return);
        else if (n == 5)
            QTest::keyClick(value, Qt::Key_Escape);  // drops what was typed
        else
            (n == 4 ? back : next)->click();
    };
    s.Add(kCoins[0]);  // one item: neither Back nor Next
    s.Button(IDC_VALUEWIZARD)->click();
    for (const QStringList& coin : kCoins.mid(1))
        s.Add(coin);
    s.Button(IDC_VALUEWIZARD)->click();

    QCOMPARE(seen, (QStringList{"Cent 30 2026-12-06 Cent - -", "Aureus 10 2026-12-06 Aureus - N",
                                "Bezant 20 2026-12-06 Bezant B N", "Cent 100 2026-12-06 Cent B -",
                                "Bezant 300 2026-12-06 Bezant B N",
                                "Bezant 300 2026-12-06 Bezant B N"}));
    for (int r = 0; r < 3; ++r)
        QCOMPARE(s.Row(r).mid(8, 2), (QStringList{QStringList{"200", "600", "400"}[r],
                                                  "2026-12-06"}));
    QCOMPARE(s.Row(0).at(12), QString("first"));
    QCOMPARE(s.Form(), QStringList(13));
}

void TestDialogs::browse()
{
    Session s;
    QTemporaryDir elsewhere;
    s.platform.wanderTo = elsewhere.path();
    s.Open();
    s.SetForm(kTyped);
    const QString path = elsewhere.path() + "/coin #1.png";
    s.platform.nextOpenFileName = path;
    s.Button(IDC_BROWSE)->click();

    QStringList expected = kTyped;
    expected[11] = path;
    QCOMPARE(s.Form(), expected);
    QCOMPARE(s.dlg->windowTitle(), "Vomek: " + path);
    QCOMPARE(QDir::currentPath(), QDir(s.dir.path()).canonicalPath());

    s.platform.nextOpenFileName.clear();  // cancelled: nothing changes
    s.Button(IDC_BROWSE)->click();
    QCOMPARE(s.Form(), expected);
    QCOMPARE(s.dlg->windowTitle(), "Vomek: " + path);
    QCOMPARE(QDir::currentPath(), QDir(s.dir.path()).canonicalPath());
}

NUMORA_UI_TEST(tst_Dialogs, TestDialogs)
#include "tst_Dialogs.moc"
