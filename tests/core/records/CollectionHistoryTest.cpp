#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "records/CollectionHistory.h"

namespace {

using RecordList = std::vector<CoinRecord>;

CoinRecord Coin(const std::string& name, const std::string& year = "1900",
                const std::string& country = "")
{
    return CoinRecord::FromTexts({name, year, "1", country});
}

// Rows top first named "c0", "c1", ... with years in no order.
Collection Sample(int count)
{
    Collection c;
    for (int i = count; i-- > 0;)
        c.InsertTop(Coin("c" + std::to_string(i), std::to_string(1900 + (i * 7) % 11)));
    return c;
}

// An editor that keeps a running total of the rows' text sizes from the calls alone, as a list
// model keeps its column widths: it comes out right only if every change is reported to it.
class TallyEditor : public CollectionEditor {
public:
    explicit TallyEditor(Collection& c) : CollectionEditor(c), m_tally(Total(c.BottomUp())) {}

    std::size_t Tally() const { return m_tally; }
    static std::size_t Total(const RecordList& rows)
    {
        std::size_t sum = 0;
        for (const CoinRecord& r : rows)
            sum += r.TextSize();
        return sum;
    }

    bool InsertRows(int row, RecordList bottomUp) override
    {
        const std::size_t added = Total(bottomUp);
        const bool ok = CollectionEditor::InsertRows(row, std::move(bottomUp));
        m_tally += ok ? added : 0;
        return ok;
    }
    RecordList TakeRows(int row, int count) override
    {
        RecordList taken = CollectionEditor::TakeRows(row, count);
        m_tally -= Total(taken);
        return taken;
    }
    bool SwapRow(int row, CoinRecord& record) override
    {
        const std::size_t incoming = record.TextSize();
        if (!CollectionEditor::SwapRow(row, record))
            return false;
        m_tally = m_tally + incoming - record.TextSize();
        return true;
    }
    void SwapAllRows(RecordList& bottomUp) override
    {
        CollectionEditor::SwapAllRows(bottomUp);
        m_tally = Total(Rows().BottomUp());
    }

private:
    std::size_t m_tally;
};

}  // namespace

TEST(CollectionHistory, UndoAndRedoOfEachKindRestoreTheRowsExactly)
{
    struct Case {
        const char* what;
        StepKind kind;
        std::function<void(CollectionHistory&)> change;
    };
    const Case cases[] = {
        {"add", StepKind::Add, [](auto& h) { h.Add(Coin("new")); }},
        {"update middle", StepKind::Update, [](auto& h) { ASSERT_TRUE(h.Update(3, Coin("u"))); }},
        {"delete top", StepKind::Delete, [](auto& h) { ASSERT_TRUE(h.Delete(0)); }},
        {"delete middle", StepKind::Delete, [](auto& h) { ASSERT_TRUE(h.Delete(4)); }},
        {"delete bottom", StepKind::Delete, [](auto& h) { ASSERT_TRUE(h.Delete(8)); }},
        {"clear all", StepKind::ClearAll, [](auto& h) { h.ClearAll(); }},
        {"sort", StepKind::Sort, [](auto& h) { ASSERT_FALSE(h.Sort(CoinField::Year)); }},
        {"sort that reverses", StepKind::Sort,
         [](auto& h) { ASSERT_TRUE(h.Sort(CoinField::FaceValue)); }},
        {"reverse", StepKind::Sort, [](auto& h) { h.Reverse(); }},
        {"value wizard walk", StepKind::ValueWizard, [](auto& h) {
             h.BeginStep(StepKind::ValueWizard);
             for (int row : {0, 1, 2, 1, 8})
                 ASSERT_TRUE(h.Update(row, Coin("w" + std::to_string(row), "2000")));
             h.EndStep();
         }},
        {"import", StepKind::Import, [](auto& h) {
             ASSERT_EQ(h.Import({Coin("i1"), CoinRecord(), Coin("i2"), Coin("i3")}), 3);
         }},
        {"restore backup", StepKind::RestoreBackup, [](auto& h) {
             h.RestoreBackup({Coin("b1"), Coin(""), Coin("b2")});
         }},
    };
    for (const Case& c : cases) {
        Collection rows = Sample(9);
        TallyEditor editor(rows);
        CollectionHistory history(editor);
        history.Sort(CoinField::Name);  // a step of its own below the one tested
        const RecordList before = rows.BottomUp();
        rows.SetMarkedRow(2);
        c.change(history);
        const RecordList after = rows.BottomUp();
        ASSERT_NE(after, before) << c.what;
        ASSERT_EQ(history.NextUndo(), c.kind) << c.what;

        for (int round = 0; round < 2; ++round) {
            rows.SetMarkedRow(1);
            EXPECT_EQ(history.Undo(), c.kind) << c.what;
            EXPECT_EQ(rows.BottomUp(), before) << c.what;
            EXPECT_EQ(rows.MarkedRow(), -1) << c.what;
            EXPECT_EQ(history.NextRedo(), c.kind) << c.what;
            rows.SetMarkedRow(1);
            EXPECT_EQ(history.Redo(), c.kind) << c.what;
            EXPECT_EQ(rows.BottomUp(), after) << c.what;
            EXPECT_EQ(rows.MarkedRow(), -1) << c.what;
        }
        EXPECT_EQ(editor.Tally(), TallyEditor::Total(rows.BottomUp())) << c.what;
        EXPECT_EQ(history.UndoCount(), 2u) << c.what;
    }
}

TEST(CollectionHistory, OnlyRealChangesAreStepsAndANewChangeDropsTheUndoneOnes)
{
    Collection rows = Sample(1);
    CollectionEditor editor(rows);
    CollectionHistory history(editor);
    const RecordList start = rows.BottomUp();
    EXPECT_TRUE(history.Update(0, rows.Row(0)));
    EXPECT_TRUE(history.Sort(CoinField::Name));
    history.Reverse();
    EXPECT_EQ(history.Import({CoinRecord(), Coin("")}), 0);
    history.RestoreBackup(rows.BottomUp());
    history.BeginStep(StepKind::ValueWizard);
    EXPECT_FALSE(history.Update(5, Coin("x")) || history.Delete(-1));
    history.EndStep();
    EXPECT_EQ(history.UndoCount(), 0u);

    history.Add(Coin("a"));
    history.Add(Coin("b"));
    history.Undo();
    history.BeginStep(StepKind::Import);  // a step may gather changes of every kind
    history.Add(Coin("x"));
    history.Sort(CoinField::Name);
    history.Update(2, Coin("y"));
    history.Delete(1);
    history.EndStep();
    EXPECT_EQ(history.Redo(), std::nullopt);  // "b" is gone for good
    EXPECT_EQ(history.UndoCount(), 2u);
    EXPECT_EQ(history.Undo(), StepKind::Import);
    EXPECT_EQ(history.Undo(), StepKind::Add);
    EXPECT_EQ(rows.BottomUp(), start);
    EXPECT_EQ(history.Undo(), std::nullopt);
}

TEST(CollectionHistory, RefusesAndForgetsWhenTheRowsChangedBehindItsBack)
{
    Collection rows = Sample(5);
    CollectionEditor editor(rows);
    CollectionHistory history(editor);
    history.Delete(4);
    history.Add(Coin("n"));
    rows.Remove(0);  // not through the history
    const RecordList now = rows.BottomUp();
    EXPECT_EQ(history.Undo(), std::nullopt);
    EXPECT_EQ(rows.BottomUp(), now);
    EXPECT_EQ(history.UndoCount() + history.RedoCount(), 0u);
}

TEST(CollectionHistory, ALongRandomSequenceUndoesToTheStartAndRedoesToTheEnd)
{
    std::mt19937 random(2024);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto randomCoin = [&] {
        const auto letter = static_cast<char>('a' + pick(3));
        return Coin("n" + std::to_string(pick(50)), std::to_string(1800 + pick(30)),
                    std::string(static_cast<std::size_t>(pick(40)), letter));
    };
    const auto randomRows = [&](int most) {
        RecordList list(static_cast<std::size_t>(pick(most)));
        for (CoinRecord& r : list)
            r = randomCoin();
        return list;
    };
    Collection rows = Sample(30);
    TallyEditor editor(rows);
    CollectionHistory history(editor);
    std::vector<RecordList> kept = {rows.BottomUp()};  // kept[i]: the rows after i steps
    for (int change = 0; change < 3000; ++change) {
        const int count = rows.Count();
        const int row = count ? pick(count) : 0;
        switch (pick(11)) {
        case 0: history.Add(randomCoin()); break;
        case 1: history.Update(row, randomCoin()); break;
        case 2: case 3: history.Delete(row); break;
        case 4: if (pick(20) == 0) history.ClearAll(); break;
        case 5: history.Sort(kCoinFields[static_cast<std::size_t>(pick(4))]); break;
        case 6: history.Reverse(); break;
        case 7: {
            history.BeginStep(StepKind::ValueWizard);
            for (int i = pick(5); i-- > 0 && count;)
                history.Update(pick(count), randomCoin());
            history.EndStep();
            break;
        }
        case 8: history.Import(randomRows(6)); break;
        case 9: history.RestoreBackup(randomRows(40)); break;
        case 10: {  // a few undos, which the next change cuts off
            for (int i = pick(4); i-- > 0 && history.Undo();)
                kept.pop_back();
            ASSERT_EQ(rows.BottomUp(), kept.back()) << change;
            continue;
        }
        }
        if (history.UndoCount() == kept.size())
            kept.push_back(rows.BottomUp());
        ASSERT_EQ(history.UndoCount() + 1, kept.size()) << change;
    }
    const std::size_t steps = history.UndoCount();
    ASSERT_GT(steps, 1500u);
    for (std::size_t i = steps; i-- > 0;) {
        ASSERT_TRUE(history.Undo()) << i;
        ASSERT_EQ(rows.BottomUp(), kept[i]) << i;
    }
    EXPECT_FALSE(history.Undo());
    for (std::size_t i = 1; i <= steps; ++i) {
        ASSERT_TRUE(history.Redo()) << i;
        ASSERT_EQ(rows.BottomUp(), kept[i]) << i;
    }
    EXPECT_FALSE(history.Redo());
    EXPECT_EQ(editor.Tally(), TallyEditor::Total(rows.BottomUp()));
}

TEST(Collection, RowsTakenAndInsertedBackLandWhereTheyWereAndMoveTheMark)
{
    Collection c = Sample(6);
    const RecordList start = c.BottomUp();
    c.SetMarkedRow(4);
    RecordList taken = c.TakeRows(1, 3);  // rows 1-3
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken.front().Get(CoinField::Name), "c3");  // bottom row first
    EXPECT_EQ(c.MarkedRow(), 1);
    ASSERT_TRUE(c.InsertRows(1, std::move(taken)));
    EXPECT_EQ(c.BottomUp(), start);
    EXPECT_EQ(c.MarkedRow(), 4);
    c.SetMarkedRow(2);
    c.TakeRows(1, 3);
    EXPECT_EQ(c.MarkedRow(), -1);

    for (auto [row, count] : {std::pair{-1, 1}, {0, 4}, {3, 1}, {2, -1}})
        EXPECT_TRUE(c.TakeRows(row, count).empty()) << row << " " << count;
    EXPECT_FALSE(c.InsertRows(4, {Coin("x")}));
    EXPECT_TRUE(c.InsertRows(3, {Coin("bottom")}));
    EXPECT_EQ(c.Row(3).Get(CoinField::Name), "bottom");
    for (const std::vector<std::uint32_t>& order :
         {std::vector<std::uint32_t>{0, 1, 9, 2}, {0, 1}, {1, 1, 2, 3}, {3, 2, 1, 0, 4}}) {
        EXPECT_FALSE(c.Permute(order));
        EXPECT_FALSE(c.Unpermute(order));
    }
    EXPECT_EQ(c.Count(), 4);
}
