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

void ExpectTotal(const AmountTotal& t, Cents total, int read, int unreadable, int empty,
                 const std::string& what)
{
    EXPECT_EQ(t.total, total) << what;
    EXPECT_EQ(t.read, read) << what;
    EXPECT_EQ(t.unreadable, unreadable) << what;
    EXPECT_EQ(t.empty, empty) << what;
}

}  // namespace

TEST(CollectionSummary, AddsWhatReadsAndCountsWhatDoesNot)
{
    const CollectionSummary s = SummarizeCollection(Sample());
    EXPECT_EQ(s.coins, 6);
    // 25.00 + 2.50 + 1234.50 + 5; "10-20" unreadable; one empty.
    ExpectTotal(s.purchase, 126700, 4, 1, 1, "purchase");
    // 30 + 12; "free" and "n/a" unreadable; "" and "  " empty.
    ExpectTotal(s.current, 4200, 2, 2, 2, "current");
    EXPECT_EQ(s.difference, 4200 - 126700);
}

TEST(CollectionSummary, GroupsIgnoreLetterCaseAndPutTheCoinsWithoutAValueLast)
{
    const CollectionSummary s = SummarizeCollection(Sample());

    ASSERT_EQ(s.byCountry.size(), 4u);
    // The order of the drop-down lists: folded bytes, so letters outside ASCII come last.
    EXPECT_EQ(s.byCountry[0].name, "France");
    EXPECT_EQ(s.byCountry[1].name, "United States");  // as written in the higher row
    EXPECT_EQ(s.byCountry[1].coins, 2);
    ExpectTotal(s.byCountry[1].purchase, 2750, 2, 0, 0, "United States purchase");
    ExpectTotal(s.byCountry[1].current, 3000, 1, 1, 0, "United States current");
    EXPECT_EQ(s.byCountry[2].name, "\xC3\x96sterreich");
    EXPECT_EQ(s.byCountry[3].name, "");  // "" and "  "
    EXPECT_EQ(s.byCountry[3].coins, 2);
    ExpectTotal(s.byCountry[3].purchase, 500, 1, 0, 1, "no country purchase");

    ASSERT_EQ(s.byCondition.size(), 4u);
    EXPECT_EQ(s.byCondition[0].name, "Fine");
    EXPECT_EQ(s.byCondition[0].coins, 3);  // "Fine" twice and "fine"
    EXPECT_EQ(s.byCondition[1].name, "Good");
    EXPECT_EQ(s.byCondition[2].name, "Very Fine");
    EXPECT_EQ(s.byCondition[3].name, "");

    ASSERT_EQ(s.byCategory.size(), 4u);
    EXPECT_EQ(s.byCategory[2].name, "Silver");
    EXPECT_EQ(s.byCategory[2].coins, 3);
    EXPECT_EQ(s.byCategory[2].current.total, 1200);
}

TEST(CollectionSummary, PurchasesByTheYearADateBeginsWith)
{
    const CollectionSummary s = SummarizeCollection(Sample());
    ASSERT_EQ(s.purchaseByYear.size(), 3u);
    EXPECT_EQ(s.purchaseByYear[0].year, 1999);
    EXPECT_EQ(s.purchaseByYear[0].purchase.total, 500);
    EXPECT_EQ(s.purchaseByYear[1].year, 2005);
    EXPECT_EQ(s.purchaseByYear[1].coins, 2);
    EXPECT_EQ(s.purchaseByYear[1].purchase.total, 2750);
    EXPECT_EQ(s.purchaseByYear[2].year, 2007);
    EXPECT_EQ(s.purchaseByYear[2].purchase.total, 123450);
    EXPECT_EQ(s.undated.coins, 2);  // "07/03/2005" and ""
    ExpectTotal(s.undated.purchase, 0, 0, 1, 1, "undated");

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
