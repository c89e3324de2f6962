#include <gtest/gtest.h>

#include <stdexcept>

#include "output/ValueWizardWalk.h"

constexpr char kToday[] = "2024-05-06";

// Three coins, top row first: Penny 0.20, Sou 5, Thaler 120, each valued long ago.
static Collection ThreeCoins()
{
    Collection c;
    for (const auto& [name, value] : {std::pair{"Thaler", "120"}, {"Sou", "5"}, {"Penny", "0.20"}})
        c.InsertTop(CoinRecord::FromTexts({name, "1900", "1 Unit", "Land", "", "", "", "", value,
                                           "2001-02-02", "", "", name}));
    return c;
}

// One closing: how, what the user typed, the value the showing began with, the row after.
struct Step { WizardClose how; const char* typed; const char* shown; int after; };
using enum WizardClose;

TEST(ValueWizardWalk, ClosingsFollowTheTransitionTableAndDateEveryItemShown)
{
    const std::vector<Step> walks[] = {
        {{Next, "0.25", "0.20", 1}, {Next, "6", "5", 2}, {Ok, "150", "120", 2}},
        {{Next, "0.30", "0.20", 1}, {Back, "5", "5", 0}, {Ok, "0.30", "0.30", 0}},  // typed before
        {{Next, "0.2", "0.20", 1}, {Cancel, "9", "5", 1}, {Cancel, "", "5", 1}, {Ok, "7", "5", 1}},
        {{Back, "a", "0.20", 0}, {Next, "b", "a", 1}, {Next, "c", "5", 2}, {Next, "d", "120", 2}},
    };
    for (const std::vector<Step>& steps : walks) {
        Collection coins = ThreeCoins();
        ValueWizardWalk walk(coins, kToday);
        bool reachedLast = false;
        for (const Step& step : steps) {
            SCOPED_TRACE(std::string(step.shown) + " -> " + step.typed);
            const WizardShowing began = walk.Current();
            EXPECT_EQ(began.value, step.shown);
            EXPECT_EQ(began.date, kToday);  // whichever way the item was reached
            WizardShowing closed = began;
            if (step.how != Cancel)
                closed.value = step.typed;  // Escape discards what was typed
            CoinRecord expected = coins.Row(began.index);
            expected.Set(CoinField::CurrentValue, closed.value);
            expected.Set(CoinField::ValuationDate, kToday);
            const CoinRecord written = walk.Close(step.how, closed);
            EXPECT_EQ(written, expected);
            coins.Replace(began.index, written);
            EXPECT_EQ(walk.Position(), step.after);
            reachedLast = reachedLast || began.index == 2;
        }
        EXPECT_EQ(walk.Finished(), steps.back().how == Ok);
        EXPECT_EQ(coins.Row(2) == ThreeCoins().Row(2), !reachedLast);  // unshown: not dated
    }
}

TEST(ValueWizardWalk, ShowsTheTopRowFirstAndRefusesAnEmptyOrFinishedWalk)
{
    const Collection coins = ThreeCoins();
    ValueWizardWalk walk(coins, kToday);
    const WizardShowing s = walk.Current();
    EXPECT_EQ(std::tie(s.index, s.last, s.name, s.year, s.faceValue, s.country),
              std::make_tuple(0, 2, "Penny", "1900", "1 Unit", "Land"));
    walk.Close(Ok, s);
    EXPECT_THROW(walk.Close(Next, s), std::logic_error);
    EXPECT_THROW(ValueWizardWalk(Collection(), kToday).Current(), std::logic_error);
}
