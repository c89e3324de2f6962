#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "output/ValueWizardWalk.h"

namespace {

constexpr char kToday[] = "2024-05-06";

// Three coins, top row first, each with a stored value and valuation date.
Collection ThreeCoins()
{
    Collection c;
    c.InsertTop(CoinRecord::FromTexts({"Thaler", "1780", "1 Thaler", "Österreich", "", "VF", "80",
                                       "2001-01-01", "120", "2001-02-02", "Silver", "", "Bust"}));
    c.InsertTop(CoinRecord::FromTexts({"Sou", "1855", "10 Centimes", "France", "A", "F", "3",
                                       "2002-01-01", "5", "2002-02-02", "Copper", "", ""}));
    c.InsertTop(CoinRecord::FromTexts({"Penny", "1967", "1 Penny", "United Kingdom", "", "UNC",
                                       "0.10", "2003-01-01", "0.20", "2003-02-02", "Bronze", "", ""}));
    return c;
}

// One closing of a showing: how it closed and what the user had typed into the value field.
struct Step {
    WizardClose how;
    std::string typed;
    // Expected: the value shown when the showing began, and the position after the closing.
    std::string shownValue;
    int positionAfter;
};

// Drives the walk as the window does: show, let the user type, close, write the row back.
void Walk(Collection& collection, ValueWizardWalk& walk, const std::vector<Step>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const Step& step = steps[i];
        const WizardShowing began = walk.Current();
        EXPECT_EQ(began.value, step.shownValue);
        EXPECT_EQ(began.date, kToday);  // whichever way the item was reached

        WizardShowing closed = began;
        if (step.how != WizardClose::Cancel)
            closed.value = step.typed;  // Escape discards what was typed
        const CoinRecord written = walk.Close(step.how, closed);

        CoinRecord expected = collection.Row(began.index);
        expected.Set(CoinField::CurrentValue, closed.value);
        expected.Set(CoinField::ValuationDate, kToday);
        EXPECT_EQ(written, expected);
        collection.Replace(began.index, written);

        EXPECT_EQ(walk.Position(), step.positionAfter);
    }
}

TEST(ValueWizardWalk, ShowsTheTopRowFirstWithTodaysDate)
{
    const Collection collection = ThreeCoins();
    const ValueWizardWalk walk(collection, kToday);
    const WizardShowing s = walk.Current();
    EXPECT_EQ(s.index, 0);
    EXPECT_EQ(s.last, 2);
    EXPECT_EQ(s.name, "Penny");
    EXPECT_EQ(s.year, "1967");
    EXPECT_EQ(s.faceValue, "1 Penny");
    EXPECT_EQ(s.country, "United Kingdom");
    EXPECT_EQ(s.value, "0.20");
    EXPECT_EQ(s.date, kToday);
}

TEST(ValueWizardWalk, NextThroughAllItemsThenOk)
{
    Collection collection = ThreeCoins();
    ValueWizardWalk walk(collection, kToday);
    Walk(collection, walk,
         {{WizardClose::Next, "0.25", "0.20", 1},
          {WizardClose::Next, "6", "5", 2},
          {WizardClose::Ok, "150", "120", 2}});
    EXPECT_TRUE(walk.Finished());
    EXPECT_EQ(collection.Row(0).Get(CoinField::CurrentValue), "0.25");
    EXPECT_EQ(collection.Row(1).Get(CoinField::CurrentValue), "6");
    EXPECT_EQ(collection.Row(2).Get(CoinField::CurrentValue), "150");
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(collection.Row(row).Get(CoinField::ValuationDate), kToday);
}

TEST(ValueWizardWalk, BackShowsTheValueTypedBeforeWithTodaysDate)
{
    Collection collection = ThreeCoins();
    ValueWizardWalk walk(collection, kToday);
    Walk(collection, walk,
         {{WizardClose::Next, "0.30", "0.20", 1},
          {WizardClose::Back, "5", "5", 0},
          {WizardClose::Ok, "0.30", "0.30", 0}});
    EXPECT_TRUE(walk.Finished());
    EXPECT_EQ(collection.Row(1).Get(CoinField::ValuationDate), kToday);
}

TEST(ValueWizardWalk, CancelKeepsTheValueButDatesTheItemAndShowsItAgain)
{
    Collection collection = ThreeCoins();
    ValueWizardWalk walk(collection, kToday);
    Walk(collection, walk,
         {{WizardClose::Next, "0.20", "0.20", 1},
          {WizardClose::Cancel, "999", "5", 1},
          {WizardClose::Cancel, "", "5", 1},
          {WizardClose::Ok, "7", "5", 1}});
    EXPECT_EQ(collection.Row(1).Get(CoinField::CurrentValue), "7");
    EXPECT_EQ(collection.Row(2).Get(CoinField::ValuationDate), "2001-02-02");  // never shown
}

TEST(ValueWizardWalk, StaysWithinTheListAtBothEnds)
{
    Collection collection = ThreeCoins();
    ValueWizardWalk walk(collection, kToday);
    Walk(collection, walk,
         {{WizardClose::Back, "a", "0.20", 0},
          {WizardClose::Next, "b", "a", 1},
          {WizardClose::Next, "c", "5", 2},
          {WizardClose::Next, "d", "120", 2}});

    Collection single;
    single.InsertTop(CoinRecord::FromTexts({"Only"}));
    ValueWizardWalk one(single, kToday);
    EXPECT_EQ(one.Current().last, 0);
    Walk(single, one, {{WizardClose::Next, "1", "", 0}, {WizardClose::Back, "2", "1", 0}});
}

TEST(ValueWizardWalk, RefusesToRunWithoutItemsOrAfterOk)
{
    const Collection empty;
    ValueWizardWalk none(empty, kToday);
    EXPECT_TRUE(none.Empty());
    EXPECT_THROW(none.Current(), std::logic_error);
    EXPECT_THROW(none.Close(WizardClose::Ok, {}), std::logic_error);

    const Collection collection = ThreeCoins();
    ValueWizardWalk walk(collection, kToday);
    walk.Close(WizardClose::Ok, walk.Current());
    EXPECT_THROW(walk.Close(WizardClose::Next, walk.Current()), std::logic_error);
}

}  // namespace
