#include "search/Dates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "common/DateText.h"
#include "platform/Clock.h"

namespace kestrap {
namespace {

TEST(MonthTables, NamesAndErrors) {
    EXPECT_EQ(MonthName(12), "December");
    EXPECT_EQ(MonthName(0), "Error");
    EXPECT_EQ(MonthName(13), "Error");
    EXPECT_EQ(MonthName(-1), "Error");
}

TEST(MonthTables, NumberFromFirstThreeLettersInAnyCase) {
    EXPECT_EQ(MonthNumber("Dec"), 12);
    EXPECT_EQ(MonthNumber("DECEMBER"), 12);
    EXPECT_EQ(MonthNumber("Sept"), 9);
    EXPECT_EQ(MonthNumber("may"), 5);
    EXPECT_EQ(MonthNumber("MAY"), 5);
    EXPECT_EQ(MonthNumber("De"), 0);
    EXPECT_EQ(MonthNumber(""), 0);
    EXPECT_EQ(MonthNumber(" jan"), 0);
    EXPECT_EQ(MonthNumber("Foo"), 0);
}

TEST(FeedDates, CraigslistKeepsFirstTenCharacters) {
    EXPECT_EQ(CraigslistStoredDate("2008-01-15T10:11:12-08:00"), "2008-01-15");
    EXPECT_EQ(CraigslistStoredDate("2008-1-5"), "2008-1-5");
    EXPECT_EQ(CraigslistStoredDate(""), "");
}

TEST(FeedDates, KijijiTakesYearMonthAndDayFields) {
    EXPECT_EQ(KijijiStoredDate("Tue, 15 Jan 2008 10:11:12 EST"), "2008-01-15");
    EXPECT_EQ(KijijiStoredDate("Tue, 5 Jan 2008 10:11:12 EST"), "2008-01-05");
    EXPECT_EQ(KijijiStoredDate("Tue, 05 jAN 2008 10:11:12 EST"), "2008-01-05");
    EXPECT_EQ(KijijiStoredDate("Tue, 05 Foo 2008 10:11:12 EST"), "2008-00-05");
    EXPECT_EQ(KijijiStoredDate("Sat, 7 December 2008"), "2008-12-07");
}

TEST(FeedDates, KijijiMalformedShapes) {
    EXPECT_EQ(KijijiStoredDate(""), "-00-00");
    EXPECT_EQ(KijijiStoredDate("Tue, xx Jan 2008"), "2008-01-00");
    EXPECT_EQ(KijijiStoredDate("Tue, 5 Jan"), "-01-05");
    // a doubled space makes an empty field and shifts the later ones
    EXPECT_EQ(KijijiStoredDate("Tue,  5 Jan 2008"), "Jan-00-00");
    EXPECT_EQ(KijijiStoredDate("Tue, 1e999 Jan 2008"), "2008-01-9223372036854775807");
}

TEST(LocalTexts, DateAndTimeOfALocalTime) {
    const LocalTime now{2008, 1, 5, 7, 3, 9};
    EXPECT_EQ(LocalDateText(now), "01-05-2008");
    EXPECT_EQ(LocalTimeText(now), "07:03:09");
    EXPECT_EQ(LocalTimeText({2012, 12, 31, 23, 59, 58}), "23:59:58");
}

TEST(DayHeading, NamesMonthAndDropsLeadingZero) {
    EXPECT_EQ(DayHeading("2008-01-05"), "January 5, 2008");
    EXPECT_EQ(DayHeading("2008-12-07"), "December 7, 2008");
    EXPECT_EQ(DayHeading("2008-00-05"), "Error 5, 2008");
}

TEST(DayHeading, ShortOrMalformedDatesDoNotBreak) {
    EXPECT_EQ(DayHeading("-00-00"), "Error 0, -00-");
    EXPECT_EQ(DayHeading(""), "Error 0, ");
    EXPECT_EQ(DayHeading("2008-1-5"), "January 0, 2008");
}

TEST(SystemClock, AgreesWithTheStandardClock) {
    const std::time_t before = std::time(nullptr);
    const LocalTime now = SystemClock().Now();
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_GE(now.hour, 0);
    EXPECT_LE(now.hour, 23);
    EXPECT_GE(now.minute, 0);
    EXPECT_LE(now.minute, 59);
    EXPECT_GE(now.second, 0);
    EXPECT_LE(now.second, 60);

    std::tm asTm{};
    asTm.tm_year = now.year - 1900;
    asTm.tm_mon = now.month - 1;
    asTm.tm_mday = now.day;
    asTm.tm_hour = now.hour;
    asTm.tm_min = now.minute;
    asTm.tm_sec = now.second;
    asTm.tm_isdst = -1;
    const std::time_t clockTime = std::mktime(&asTm);
    ASSERT_NE(clockTime, static_cast<std::time_t>(-1));
    EXPECT_LT(std::abs(static_cast<double>(clockTime - before)), 60.0);
}

}  // namespace
}  // namespace kestrap
