// The widest text of each column of a large list, which is looked for in two halves at once:
// whichever half holds it, in ASCII or not, and however often a text repeats, the result is
// what measuring every cell gives.
#include "UiTestMain.h"
#include "UiTestSupport.h"
#include "records/qt/CoinTableModel.h"

class TestColumnWidths : public QObject {
    Q_OBJECT

private slots:
    void theWidestIsFoundInEitherHalf();
};

void TestColumnWidths::theWidestIsFoundInEitherHalf()
{
    Collection collection;
    CoinTableModel model(collection, QApplication::font());
    TextWidthMeter meter(QApplication::font());
    const int count = 30001;  // an odd count: the halves differ by one row
    std::vector<CoinRecord> rows;
    rows.reserve(count);
    // Mint marks: hundreds of narrow texts beyond ASCII, each repeating, and once a wider one
    // that is not the longest in bytes.
    for (int i = 0; i < count; ++i) {
        const std::string mark = "i€ii" + std::to_string(i % 300);
        rows.push_back(CoinRecord::FromTexts({"illlllllllilliii", "1900", "1", i % 7 ? "Ilijil" : "Ilij€",
                                              i == count - 100 ? "ЩЩЩЩ" : mark}));
    }
    // Name: the widest is short, far in the second half, in ASCII in a row that is not;
    // Year: in the first half, beyond ASCII; Face Value: the very last row; Country: the very
    // first row; Description: the first row of the second half.
    rows[count - 5] = CoinRecord::FromTexts({"WMWMW", "1900", "1", "Ilij€"});
    rows[3] = CoinRecord::FromTexts({"illlllllllilliii", "ЖЖЖЖ", "1", "Ilijil"});
    rows[count - 1] = CoinRecord::FromTexts({"illlllllllilliii", "1900", "MMMMMMMMMM", "Ilijil"});
    rows[0] = CoinRecord::FromTexts({"illlllllllilliii", "1900", "1", "ЩЩЩЩЩЩЩЩЩЩЩЩЩЩЩЩЩЩ"});
    rows[count / 2] = CoinRecord::FromTexts({"illlllllllilliii", "1900", "1", "Ilijil", "", "", "", "",
                                             "", "", "", "", "a\nlong description"});
    model.LoadBottomUp(rows);
    for (int c = 0; c < kCoinFieldCount; ++c) {
        int widest = 0;
        for (const CoinRecord& r : collection.BottomUp())
            widest = std::max(widest, meter.Width(r.Get(kCoinFields[c])));
        QVERIFY2(model.WidestText(c) == widest, qPrintable(QString("column %1").arg(c)));
    }
    QVERIFY(model.WidestText(0) > meter.Width("illlllllllilliii"));
    QVERIFY(model.WidestText(1) > meter.Width("1900"));
    QVERIFY(model.WidestText(4) == meter.Width("ЩЩЩЩ"));
}

NUMORA_UI_TEST(tst_ColumnWidths, TestColumnWidths)
#include "tst_ColumnWidths.moc"
