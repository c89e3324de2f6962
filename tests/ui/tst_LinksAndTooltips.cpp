// Tooltips of the main window and its outward links: the help and home pages, the View button
// and what a target handed to the default application turns into.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include "UiTestSupport.h"
#include "app/CCollectionDlg.h"
#include "output/PageComposer.h"

namespace {

QPushButton* Button(const CCollectionDlg& dlg, int id)
{
    return qobject_cast<QPushButton*>(dlg.Control(id));
}

QCheckBox* TooltipsBox(const CCollectionDlg& dlg)
{
    return qobject_cast<QCheckBox*>(dlg.Control(CCollectionDlg::IDC_TOOLTIPS));
}

// Rests the pointer on the middle of a widget: the tooltip request goes to the innermost
// widget there (the text part of a drop-down box, the viewport of the list) and travels up
// to its parents, as the pointer's own request would.
void RestPointerOn(QWidget* widget)
{
    const QPoint middle = widget->rect().center();
    QWidget* target = widget->childAt(middle);
    const QPoint pos = target ? target->mapFrom(widget, middle) : middle;
    if (!target)
        target = widget;
    QHelpEvent event(QEvent::ToolTip, pos, target->mapToGlobal(pos));
    QApplication::sendEvent(target, &event);
}

// The tip shown now, or empty when none is.
QString ShownTip() { return QToolTip::isVisible() ? QToolTip::text() : QString(); }

// The thirteen field texts of the form, as the user sees them.
QStringList FormTexts(const CCollectionDlg& dlg)
{
    QStringList texts;
    for (int id : {1005, 1006, 1007, 1019, 1013, 1017, 1009, 1010, 1011, 1012, 1022, 1008, 1014}) {
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

// Types a coin into the form without adding it.
void FillForm(CCollectionDlg& dlg)
{
    int n = 0;
    for (int id : {1005, 1006, 1007, 1013, 1009, 1011, 1008}) {
        qobject_cast<QLineEdit*>(dlg.Control(id))->setText(QString("value %1").arg(++n));
    }
    for (int id : {1019, 1017, 1022})
        qobject_cast<QComboBox*>(dlg.Control(id))->setEditText(QString("choice %1").arg(id));
    qobject_cast<QPlainTextEdit*>(dlg.Control(1014))->setPlainText("two\nlines");
}

}  // namespace

class TestLinksAndTooltips : public QObject {
    Q_OBJECT

private slots:
    void init();
    void tipOfEachControl_data();
    void tipOfEachControl();
    void checkBoxSwitchesTipsAndPreference();
    void linksOpenTheWebPages_data();
    void linksOpenTheWebPages();
    void viewOpensTheImageAsTyped_data();
    void viewOpensTheImageAsTyped();
    void targetsNeverReachAShell_data();
    void targetsNeverReachAShell();

private:
    static void HideTip();
};

void TestLinksAndTooltips::HideTip()
{
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
}

void TestLinksAndTooltips::init() { HideTip(); }

void TestLinksAndTooltips::tipOfEachControl_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("tip");
    const QList<QPair<int, const char*>> tips = {
        {1, "This button will save your data, save your preferences and then quit the program."},
        {1000, "This button adds the coin contained in the fields to the list below."},
        {1001, "This button updates the Coin contained in the fields to the list below."},
        {1002, "This button deletes the currently selected Coin in the list."},
        {1003, "This button clears the data entry fields."},
        {1004, "This list displays all of the coins currently in your list."},
        {1005, "Enter or Update the Title of the Coin here."},
        {1006, "Enter or Update the year the Coin was made here."},
        {1007, "Enter or Update the face value of the Coin here."},
        {1008, "The URL or path where the image will appear on your website or disk."},
        {1009, "Enter or Update the price you purchased the coin for here."},
        {1010, "Enter or Update the date you purchased the coin here."},
        {1011, "Enter or Update the price of the valuation or sale of the coin here."},
        {1012, "Enter or Update the date of the valuation or sale of the coin here."},
        {1013, "Enter or Update the mint marks on the coin here."},
        {1014, "Enter a description of the coin here."},
        {1015, "This button will take you to the Vardelle Website for more information."},
        {1017, "Enter, Update or Choose the condition of your coin from the list."},
        {1019, "Enter, Update or Choose a country of your coin from the list."},
        {1022, "Enter, Update or Choose a category from the list."},
        {1024, "This button generates your Catalogue page."},
        {1025, "This button generates your Report page."},
        {1026, "This button displays a calendar so that you can select a pruchase date for "
               "your coin."},
        {1027, "This button displays a calendar so that you can select a valuation date for "
               "your coin."},
        {1028, "This button will display the preferences window and allow you to edit them."},
        // No tip of their own.
        {1023, ""}, {1029, ""}, {1040, ""}, {1042, ""}, {1021, ""}, {1047, ""}, {1041, ""},
        {-1, ""},  // the "Name:" label
    };
    for (const auto& [id, tip] : tips)
        QTest::addRow("%d", id) << id << QString::fromLatin1(tip);
}

void TestLinksAndTooltips::tipOfEachControl()
{
    QFETCH(int, id);
    QFETCH(QString, tip);

    TempCurrentDir dir;
    WriteFileBytes("nmr.ini", "CREATOR=NMR 1.0\r\nTOOLTIPS=yes\r\n\r\n");
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QWidget* control = dlg.Control(id);
    if (id < 0) {
        for (QLabel* label : dlg.findChildren<QLabel*>())
            if (label->text() == "Name:")
                control = label;
    }
    QVERIFY(control);

    RestPointerOn(control);
    QCOMPARE(ShownTip(), tip);  // whole, however long
}

void TestLinksAndTooltips::checkBoxSwitchesTipsAndPreference()
{
    TempCurrentDir dir;
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QWidget* add = dlg.Control(CCollectionDlg::IDC_ADD);
    const QString addTip = "This button adds the coin contained in the fields to the list below.";
    QCheckBox* box = TooltipsBox(dlg);

    RestPointerOn(add);
    QCOMPARE(ShownTip(), QString());  // off at the first start
    QCOMPARE(dlg.preferences()[PrefKey::Tooltips], std::string());

    box->click();
    QCOMPARE(dlg.preferences()[PrefKey::Tooltips], std::string("yes"));
    QVERIFY(dlg.TooltipsOn());
    RestPointerOn(add);
    QCOMPARE(ShownTip(), addTip);

    // From the keyboard, with the tip still showing: it goes away.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(!box->isChecked());
    QCOMPARE(dlg.preferences()[PrefKey::Tooltips], std::string("no"));
    QVERIFY(!dlg.TooltipsOn());
    QTRY_VERIFY(!QToolTip::isVisible());
    RestPointerOn(add);
    QCOMPARE(ShownTip(), QString());

    box->click();
    QCOMPARE(dlg.preferences()[PrefKey::Tooltips], std::string("yes"));
    RestPointerOn(add);
    QCOMPARE(ShownTip(), addTip);
    QVERIFY(platform.boxes.isEmpty());
}

void TestLinksAndTooltips::linksOpenTheWebPages_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("target");
    const QString help = QString::fromStdString(HelpPageUrl());
    const QString home = QString::fromStdString(HomePageUrl());
    QTest::newRow("Help button") << "1015" << help;
    QTest::newRow("Help > Manual") << "32778" << help;
    QTest::newRow("Help > Website") << "32779" << home;
}

void TestLinksAndTooltips::linksOpenTheWebPages()
{
    QFETCH(QString, how);
    QFETCH(QString, target);

    QVERIFY(target.startsWith("http://"));
    QVERIFY(target.endsWith(how == "32779" ? "/numora/" : "/numora/help.htm"));
    QCOMPARE(target.count(QLatin1Char('/')), 4);  // "http://host/numora/..."

    TempCurrentDir dir;
    WriteFileBytes("nmr.dat", "CREATOR=NMR 1.0\r\n" + DataRecord({"Florin", "1252"}));
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    FillForm(dlg);
    const QStringList before = FormTexts(dlg);

    if (how == "1015")
        Button(dlg, CCollectionDlg::IDC_HELP)->click();
    else
        dlg.findChild<QAction*>(how)->trigger();

    QCOMPARE(platform.opened, QStringList{target});
    QCOMPARE(FormTexts(dlg), before);
    QCOMPARE(dlg.collection().Count(), 1);
    QVERIFY(platform.boxes.isEmpty());
}

void TestLinksAndTooltips::viewOpensTheImageAsTyped_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blanks") << "  " << QStringList{"  "};
    QTest::newRow("relative name") << "pics/coin 1.jpg" << QStringList{"pics/coin 1.jpg"};
    QTest::newRow("address") << "http://example.org/c.jpg?x=1"
                             << QStringList{"http://example.org/c.jpg?x=1"};
}

void TestLinksAndTooltips::viewOpensTheImageAsTyped()
{
    QFETCH(QString, image);
    QFETCH(QStringList, opened);

    TempCurrentDir dir;
    FakePlatform platform;
    CCollectionDlg dlg(platform);
    FillForm(dlg);
    qobject_cast<QLineEdit*>(dlg.Control(CCollectionDlg::IDC_IMAGE))->setText(image);
    const QStringList before = FormTexts(dlg);

    Button(dlg, CCollectionDlg::IDC_VIEW)->click();

    QCOMPARE(platform.opened, opened);
    QCOMPARE(FormTexts(dlg), before);
    QVERIFY(platform.boxes.isEmpty());
}

void TestLinksAndTooltips::targetsNeverReachAShell_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("local");
    QTest::newRow("command after name") << "x.jpg; touch pwned" << true;
    QTest::newRow("command substitution") << "$(touch pwned)" << true;
    QTest::newRow("back quotes") << "`touch pwned`.jpg" << true;
    QTest::newRow("option-like") << "-h" << true;
    QTest::newRow("URL characters in a name") << "coin #1?.jpg" << true;
    QTest::newRow("drive letter") << "C:\\coins\\a.jpg" << true;
    QTest::newRow("http address") << "http://a/b" << false;
    QTest::newRow("file address") << "file:///tmp/a.jpg" << false;
}

void TestLinksAndTooltips::targetsNeverReachAShell()
{
    QFETCH(QString, target);
    QFETCH(bool, local);

    TempCurrentDir dir;
    const QUrl url = TargetUrl(target);
    if (local) {
        QVERIFY(url.isLocalFile());
        QCOMPARE(url.toLocalFile(), dir.path() + "/" + target);
    } else {
        QCOMPARE(url, QUrl(target));
    }

    DesktopPlatform().OpenWithDefaultApp(target);
    QTest::qWait(50);
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{});
}

QTEST_MAIN(TestLinksAndTooltips)
#include "tst_LinksAndTooltips.moc"
