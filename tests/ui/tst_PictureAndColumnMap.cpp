// The picture window beside the form and the column map of a CSV file of another program,
// driven through the real main window.

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "output/qt/CPictureWnd.h"
#include "records/qt/CoinSearchField.h"
#include "storage/qt/CCsvMapDlg.h"

namespace {

QStringList CoinWithImage(const QString& name, const QString& image)
{
    QStringList coin = Coin(name);
    while (coin.size() < 13)
        coin.append(QString());
    coin[11] = image;
    return coin;
}

void SavePicture(const QString& path, QSize size, Qt::GlobalColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path));
}

// Waits for the window to answer its latest request.
bool Settled(CPictureWnd* window)
{
    return QTest::qWaitFor([&] { return !window->IsLoading(); }, 10000);
}

}  // namespace

class TestPictureAndColumnMap : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        // The window's size and place go to the user's settings: a private folder here.
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QStandardPaths::setTestModeEnabled(false);
    }

    void thePictureWindowFollowsTheForm()
    {
        Session s;
        SavePicture("wide.png", QSize(800, 200), Qt::red);
        WriteFileBytes("fake.jpg", "these are not the bytes of a picture");
        QVERIFY(::mkfifo("pipe.jpg", 0600) == 0);
        // Bottom row first: the list shows wide, missing, fake, pipe, none.
        WriteFileBytes("nmr.dat", DataFile({CoinWithImage("None", ""), 
                                            CoinWithImage("Pipe", "pipe.jpg"), CoinWithImage("Fake", "fake.jpg"),
                                            CoinWithImage("Missing", "missing.jpg"), CoinWithImage("Wide", "wide.png")}));
        s.Open();
        QVERIFY(s.Show());
        const QRect mainFrame = s.dlg->frameGeometry();
        s.Trigger(MenuCommand::ViewPicture);
        CPictureWnd* window = s.dlg->pictureWindow();
        QVERIFY(window && window->isVisible());
        // Beside the main window where the screen has room for it, and on the screen.
        const QRect screen = s.dlg->screen()->availableGeometry();
        if (screen.right() - mainFrame.right() > window->width() + 8)
            QVERIFY(!window->geometry().intersects(mainFrame));
        QVERIFY(screen.contains(window->frameGeometry()));
        QVERIFY(window->geometry().topLeft() != mainFrame.topLeft());
        QVERIFY(Settled(window));
        QCOMPARE(window->Lines(), QStringList{"No picture: the Image field is empty."});

        const auto click = [&](int row) {
            s.List()->scrollTo(s.List()->model()->index(row, 0));
            QTest::mouseClick(s.List()->viewport(), Qt::LeftButton, {},
                              s.List()->visualRect(s.List()->model()->index(row, 0)).center());
        };
        click(0);
        QVERIFY(Settled(window));
        QCOMPARE(window->Lines(), QStringList{QString()});
        const QImage shown = window->Pictures().value(0);
        QVERIFY(!shown.isNull());
        QVERIFY2(shown.width() <= window->width() && shown.width() < 800, qPrintable(QString::number(shown.width())));
        QVERIFY(qAbs(shown.width() - 4 * shown.height()) <= 4);  // its shape kept
        QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::red));
        QCOMPARE(window->windowTitle(), QString("Picture - wide.png"));

        const QString lines[] = {"No such file: missing.jpg", "Not a picture Numora can show: fake.jpg",
                                 "Not a picture file: pipe.jpg"};
        for (int row = 1; row <= 3; ++row) {
            click(row);
            QVERIFY(Settled(window));
            QCOMPARE(window->Lines(), QStringList{lines[row - 1]});
        }

        // Find shows the found coin in the form, and so the window.
        s.dlg->searchField()->setText("missing");
        s.dlg->OnFindNext();
        QVERIFY(Settled(window));
        QCOMPARE(window->Lines(), QStringList{lines[0]});
        // Clear empties the form.
        s.Button(IDC_CLEAR)->click();
        QVERIFY(Settled(window));
        QCOMPARE(window->Lines(), QStringList{"No picture: the Image field is empty."});
        // Typing a path shows it.
        s.Edit(IDC_IMAGE)->setText("wide.png");
        QVERIFY(Settled(window));
        QVERIFY(!window->Pictures().value(0).isNull());

        // The main window keeps its controls and Tab cycle: the picture window is no part of it.
        QVERIFY(!s.dlg->findChildren<QWidget*>().contains(nullptr));
        QVERIFY(window->isWindow());
    }

    void thePictureWindowKeepsItsSizeAndPlace()
    {
        QRect placed;
        {
            Session s;
            s.Open();
            QVERIFY(s.Show());
            s.Trigger(MenuCommand::ViewPicture);
            CPictureWnd* window = s.dlg->pictureWindow();
            window->setGeometry(QRect(QPoint(700, 120), QSize(420, 330)));
            QTest::qWait(50);
            placed = window->geometry();
            window->close();
        }
        Session s;
        s.Open();
        QVERIFY(s.Show());
        s.Trigger(MenuCommand::ViewPicture);
        QCOMPARE(s.dlg->pictureWindow()->geometry(), placed);
    }

    void aFileOfAnotherProgramIsMappedOnceAndImportedAsOneStep()
    {
        Session s;
        s.Open();
        WriteFileBytes("sheet.csv", "Coin,Denomination,Grade,Notes,Weight (g),Comments\r\n"
                                    "Thaler,1 Thaler,VF,heavy,28,from Vienna\r\n"
                                    "Ducat,1 Ducat,XF,,3.5,thin\r\n");
        s.platform.nextOpenFileName = QDir::current().absoluteFilePath("sheet.csv");
        int maps = 0;
        s.platform.onModal = [&](QDialog& dialog) {
            auto* map = qobject_cast<CCsvMapDlg*>(&dialog);
            QVERIFY(map);
            ++maps;
            // The guess: Name, Face Value, Condition, Description, left out, Description.
            const QStringList guessed = {"Name", "Face Value", "Condition", "Description", "Leave out", "Description"};
            for (int i = 0; i < guessed.size(); ++i)
                QCOMPARE(map->FieldBox(i)->currentText(), guessed[i]);
            QCOMPARE(map->NotesLabel()->text(), QString("These columns are joined, one line each: Notes, Comments -> Description."));
            QVERIFY(dialog.findChild<QLabel*>() != nullptr);
            // Without a Name column OK waits.
            map->FieldBox(0)->setCurrentIndex(0);
            QVERIFY(!map->OkButton()->isEnabled());
            QVERIFY(map->NotesLabel()->text().endsWith("Choose the column that holds the Name."));
            map->FieldBox(0)->setCurrentText("Name");
            map->FieldBox(4)->setCurrentText("Mint Marks");
            QVERIFY(map->OkButton()->isEnabled());
            QVERIFY(map->RememberBox()->isChecked());
            map->OkButton()->click();
        };
        s.platform.answers = {true};
        s.Trigger(MenuCommand::FileImportCsv);
        QCOMPARE(maps, 1);
        QVERIFY2(s.platform.boxes.last().startsWith("? Add 2 coins from \"sheet.csv\"?"), qPrintable(s.platform.boxes.last()));
        QCOMPARE(s.Row(0), (QStringList{"Thaler", "", "1 Thaler", "", "28", "VF", "", "", "", "", "", "", "heavy\nfrom Vienna"}));
        QCOMPARE(s.Row(1), (QStringList{"Ducat", "", "1 Ducat", "", "3.5", "XF", "", "", "", "", "", "", "thin"}));
        QVERIFY(QFileInfo::exists("csvmaps.dat"));

        // One step for Undo.
        s.Trigger(MenuCommand::ItemUndo);
        QCOMPARE(s.Names(), QStringList());

        // The same headings again: the saved map, no question about the columns.
        s.platform.answers = {true};
        s.Trigger(MenuCommand::FileImportCsv);
        QCOMPARE(maps, 1);
        QCOMPARE(s.Row(0).at(4), QString("28"));

        // Cancelled: nothing added, nothing asked after it.
        WriteFileBytes("other.csv", "Title,Price\r\nMark,2\r\n");
        s.platform.nextOpenFileName = QDir::current().absoluteFilePath("other.csv");
        s.platform.onModal = [&](QDialog& dialog) { ++maps, dialog.reject(); };
        const qsizetype boxes = s.platform.boxes.size();
        s.Trigger(MenuCommand::FileImportCsv);
        QCOMPARE(maps, 2);
        QCOMPARE(s.platform.boxes.size(), boxes);
        QCOMPARE(s.Names(), (QStringList{"Thaler", "Ducat"}));

        // Our own export asks no map.
        s.platform.nextSaveFileName = QDir::current().absoluteFilePath("ours.csv");
        s.Trigger(MenuCommand::FileExportCsv);
        s.platform.nextOpenFileName = s.platform.nextSaveFileName;
        s.platform.answers = {true};
        s.Trigger(MenuCommand::FileImportCsv);
        QCOMPARE(maps, 2);
        QCOMPARE(s.Names(), (QStringList{"Thaler", "Ducat", "Thaler", "Ducat"}));
    }
};

NUMORA_UI_TEST(tst_PictureAndColumnMap, TestPictureAndColumnMap)
#include "tst_PictureAndColumnMap.moc"
