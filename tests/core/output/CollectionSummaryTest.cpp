#include <gtest/gtest.h>

#include <regex>

#include "core/TestSupport.h"
#include "output/CollectionSummary.h"
#include "output/SummaryPage.h"

namespace {

// Name, Country, Condition, Purchase Price, Purchase Date, Current Value, Category.
CoinRecord Coin(const char* name, const char* country, const char* condition, const char* price,
                const char* date, const char* value, const char* category)
{
    CoinRecord coin;
    coin.Set(CoinField::Name, name);
    coin.Set(CoinField::Country, country);
    coin.Set(CoinField::Condition, condition);
    coin.Set(CoinField::PurchasePrice, price);
    coin.Set(CoinField::PurchaseDate, date);
    coin.Set(CoinField::CurrentValue, value);
    coin.Set(CoinField::Category, category);
    return coin;
}

// Rows top first.
Collection Sample()
{
    const std::vector<CoinRecord> topFirst = {
        Coin("Morgan", "United States", "Fine", "$25.00", "2005-03-14", "30", "Dollars"),
        Coin("Buffalo", "united states", "Very Fine", "2,50", "2005-02-01", "free", "Nickels"),
        Coin("Thaler", "\xC3\x96sterreich", "Fine", "1.234,50 \xE2\x82\xAC", "2007", "",
             "Silver"),
        Coin("Franc", "France", "fine", "10-20", "07/03/2005", "12.00", "Silver"),
        Coin("Token", "", "", "", "", "  ", ""),
        Coin("Drachma", "  ", "Good", "5", "1999-12-31 bought at a fair", "n/a", "silver"),
    };
    Collection collection;
    collection.LoadBottomUp(std::vector<CoinRecord>(topFirst.rbegin(), topFirst.rend()));
    return collection;
}

using Strings = std::vector<std::string>;

// "total read/unreadable/empty", so that a total is compared whole.
std::string Counted(const AmountTotal& t)
{
    return std::to_string(t.total) + " " + std::to_string(t.read) + "/" +
           std::to_string(t.unreadable) + "/" + std::to_string(t.empty);
}

// "name:coins" of each group, in order.
Strings Groups(const std::vector<SummaryGroup>& groups)
{
    Strings shown;
    for (const SummaryGroup& g : groups)
        shown.push_back(g.name + ":" + std::to_string(g.coins));
    return shown;
}

}  // namespace

TEST(CollectionSummary, AddsWhatReadsAndCountsWhatDoesNot)
{
    const CollectionSummary s = SummarizeCollection(Sample());
    EXPECT_EQ(s.coins, 6);
    // 25.00 + 2.50 + 1234.50 + 5; "10-20" unreadable; one empty.
    EXPECT_EQ(Counted(s.purchase), "126700 4/1/1");
    // 30 + 12; "free" and "n/a" unreadable; "" and "  " empty.
    EXPECT_EQ(Counted(s.current), "4200 2/2/2");
    EXPECT_EQ(s.difference, 4200 - 126700);
}

TEST(CollectionSummary, GroupsIgnoreLetterCaseAndPutTheCoinsWithoutAValueLast)
{
    const CollectionSummary s = SummarizeCollection(Sample());
    // The order of the drop-down lists: folded bytes, so letters outside ASCII come last; a
    // group is named as written in its highest row; "" and "  " are both without a value.
    EXPECT_EQ(Groups(s.byCountry),
              (Strings{"France:1", "United States:2", "\xC3\x96sterreich:1", ":2"}));
    EXPECT_EQ(Counted(s.byCountry[1].purchase), "2750 2/0/0");
    EXPECT_EQ(Counted(s.byCountry[1].current), "3000 1/1/0");
    EXPECT_EQ(Counted(s.byCountry[3].purchase), "500 1/0/1");
    EXPECT_EQ(Groups(s.byCondition), (Strings{"Fine:3", "Good:1", "Very Fine:1", ":1"}));
    EXPECT_EQ(Groups(s.byCategory), (Strings{"Dollars:1", "Nickels:1", "Silver:3", ":1"}));
    EXPECT_EQ(s.byCategory[2].current.total, 1200);
}

TEST(CollectionSummary, PurchasesByTheYearADateBeginsWith)
{
    const CollectionSummary s = SummarizeCollection(Sample());
    ASSERT_EQ(s.purchaseByYear.size(), 3u);
    Strings years;
    for (const YearTotal& y : s.purchaseByYear)
        years.push_back(std::to_string(y.year) + ":" + std::to_string(y.coins) + " " +
                        Counted(y.purchase));
    EXPECT_EQ(years, (Strings{"1999:1 500 1/0/0", "2005:2 2750 2/0/0", "2007:1 123450 1/0/0"}));
    EXPECT_EQ(s.undated.coins, 2);  // "07/03/2005" and ""
    EXPECT_EQ(Counted(s.undated.purchase), "0 0/1/1");

    Collection odd;
    for (const char* date : {"20050307", " 2010-01-01", "201", "2O10"})
        odd.InsertTop(Coin("X", "", "", "1", date, "", ""));
    const CollectionSummary o = SummarizeCollection(odd);
    ASSERT_EQ(o.purchaseByYear.size(), 1u);
    EXPECT_EQ(o.purchaseByYear[0].year, 2010);
    EXPECT_EQ(o.undated.coins, 3);
}

TEST(CollectionSummary, ChartsShowTheLargestAndAddUpTheRest)
{
    Collection collection;
    for (int i = 0; i < 5; ++i)
        for (int k = 0; k <= i; ++k)
            collection.InsertTop(Coin("C", ("Land " + std::to_string(i)).c_str(), "", "", "",
                                      (std::to_string(i + 1) + ".50").c_str(),
                                      ("Kind " + std::to_string(i)).c_str()));
    const CollectionSummary s = SummarizeCollection(collection);

    const std::vector<ChartBar> countries = CoinsByCountry(s, 3);
    ASSERT_EQ(countries.size(), 3u);
    EXPECT_EQ(countries[0].label, "Land 4");
    EXPECT_EQ(countries[0].valueText, "5");
    EXPECT_EQ(countries[1].label, "Land 3");
    EXPECT_EQ(countries[2].label, "Other");
    EXPECT_EQ(countries[2].value, 3 + 2 + 1);

    const std::vector<ChartBar> categories = CurrentValueByCategory(s, 12);
    ASSERT_EQ(categories.size(), 5u);
    EXPECT_EQ(categories[0].label, "Kind 4");
    EXPECT_EQ(categories[0].valueText, "27.50");  // 5 x 5.50
    EXPECT_DOUBLE_EQ(categories[0].value, 27.5);
    EXPECT_EQ(categories[4].valueText, "1.50");
}

TEST(SummaryPage, EscapesTheTextsAndLoadsNothing)
{
    Collection collection = Sample();
    collection.InsertTop(Coin("Evil", "<script>alert(1)</script>", "A&B", "1", "", "",
                              "\"quoted\" 'too'"));
    const CollectionSummary summary = SummarizeCollection(collection);
    const std::string page = SummaryPageHtml(summary, "Maria's <coins>");

    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("A&amp;B"), std::string::npos);
    EXPECT_NE(page.find("&quot;quoted&quot; &#39;too&#39;"), std::string::npos);
    EXPECT_NE(page.find("<title>Maria&#39;s &lt;coins&gt;</title>"), std::string::npos);
    EXPECT_FALSE(std::regex_search(page, std::regex("src=|href=|url\\(|@import|https?:",
                                                    std::regex::icase)));
    // The totals, the three charts and the four tables.
    EXPECT_NE(page.find(">1,268.00<"), std::string::npos);  // purchase total
    EXPECT_NE(page.find("1 not readable as an amount, 1 empty"), std::string::npos);
    const auto count = [&](const std::string& what) {
        int n = 0;
        for (std::size_t at = page.find(what); at != std::string::npos; at = page.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("<svg "), 3);
    EXPECT_EQ(count("<table"), 5);

    TempDir dir;
    ASSERT_TRUE(WriteSummaryPage(dir.File("summary.htm"), summary, "Maria's <coins>"));
    EXPECT_EQ(ReadBytes(dir.File("summary.htm")), page);
    EXPECT_FALSE(WriteSummaryPage(dir.File("missing/summary.htm"), summary, "x"));
    EXPECT_EQ(CountEntries(dir.path), 1);
}
