#include <gtest/gtest.h>

#include "output/DateText.h"

TEST(DateText, PadsMonthAndDayAndWritesAnyYearAsItIs)
{
    EXPECT_EQ(DateText(2005, 3, 7), "2005-03-07");
    EXPECT_EQ(DateText(1965, 1, 31), "1965-01-31");  // before 1970
    EXPECT_EQ(DateText(2050, 12, 1), "2050-12-01");  // after 2038
    EXPECT_EQ(DateText(999, 10, 10), "999-10-10");   // no leading zeros in the year
}
