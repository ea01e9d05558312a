// Calendar routines against Julian day numbers (the Julian calendar) and the
// proleptic Gregorian calendar of <chrono>.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdint>

#include <versos/util.h>

namespace {

using namespace std::chrono;

struct Date {
    int day, month, year;
};

// Julian day number of a Julian-calendar date (the usual integer formula,
// valid from 4800 BC on).
std::int64_t julian_to_jdn(int day, int month, int year) {
    std::int64_t a = (14 - month) / 12;
    std::int64_t y = year + 4800 - a;
    std::int64_t m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - 32083;
}

// Julian-calendar date of a Julian day number (Richards' algorithm).
Date jdn_to_julian(std::int64_t jdn) {
    std::int64_t f = jdn + 1401;
    std::int64_t e = 4 * f + 3;
    std::int64_t g = e % 1461 / 4;
    std::int64_t h = 5 * g + 2;
    int day = static_cast<int>(h % 153 / 5 + 1);
    int month = static_cast<int>((h / 153 + 2) % 12 + 1);
    int year = static_cast<int>(e / 1461 - 4716 + (12 + 2 - month) / 12);
    return {day, month, year};
}

// Julian day 0 was a Monday, so the day number mod 7 is the weekday number.
int jdn_weekday(std::int64_t jdn) { return static_cast<int>(jdn % 7); }

// The Julian day number of 1 January 1970, the epoch of sys_days.
constexpr std::int64_t kJdnOfUnixEpoch = 2440588;

year_month_day gregorian_of_jdn(std::int64_t jdn) {
    return year_month_day{sys_days{days{jdn - kJdnOfUnixEpoch}}};
}

int chrono_weekday(const year_month_day& ymd) {
    return static_cast<int>(weekday{sys_days{ymd}}.iso_encoding()) - 1;
}

TEST(Calendar, DocumentedExamples) {
    EXPECT_EQ(versos::dia_(4, 10, 1582), 3);
    EXPECT_EQ(versos::dia_(15, 10, 1582), 4);
    EXPECT_EQ(versos::dia_(10, 10, 1582), -1);
    EXPECT_EQ(versos::diagregoriano_(1, 1, 1583), 5);
    EXPECT_EQ(versos::diajuliano_(1, 1, 0), 3);
    EXPECT_EQ(versos::numdias_(1, 1, 1583), 5);
    EXPECT_EQ(versos::numdias_(2, 1, 1583), 6);
    EXPECT_EQ(versos::gregoriano1582(1, 11), 0);
    EXPECT_EQ(versos::gregoriano1582(1, 12), 2);
}

TEST(Calendar, JulianReferenceAgreesWithChrono) {
    // The change of calendar: Julian 4 October 1582 is followed by Gregorian
    // 15 October 1582, which chrono knows as a Friday.
    std::int64_t change = julian_to_jdn(4, 10, 1582) + 1;
    EXPECT_EQ(gregorian_of_jdn(change), year{1582} / October / 15);
    for (std::int64_t jdn = julian_to_jdn(1, 1, 0); jdn < julian_to_jdn(1, 1, 3000); jdn += 13)
        ASSERT_EQ(jdn_weekday(jdn), chrono_weekday(gregorian_of_jdn(jdn))) << jdn;
}

TEST(Calendar, JulianWeekdaysOfEveryDayFromYear0) {
    const std::int64_t last_julian = julian_to_jdn(4, 10, 1582);
    for (std::int64_t jdn = julian_to_jdn(1, 1, 0); jdn < julian_to_jdn(1, 1, 4000); ++jdn) {
        Date d = jdn_to_julian(jdn);
        ASSERT_EQ(julian_to_jdn(d.day, d.month, d.year), jdn);
        const int weekday = jdn_weekday(jdn);
        ASSERT_EQ(versos::diajulianoabs_(d.day, d.month, d.year), weekday) << d.day << "/" << d.month << "/" << d.year;
        if (jdn <= last_julian) {
            ASSERT_EQ(versos::diajuliano_(d.day, d.month, d.year), weekday) << d.day << "/" << d.month << "/" << d.year;
            ASSERT_EQ(versos::dia_(d.day, d.month, d.year), weekday);
        } else {
            ASSERT_EQ(versos::diajuliano_(d.day, d.month, d.year), -1) << d.day << "/" << d.month << "/" << d.year;
        }
    }
}

TEST(Calendar, GregorianWeekdaysAndDayCountsOfEveryDayFrom1582) {
    const sys_days first{year{1582} / October / 15};
    const sys_days day_zero{year{1582} / December / 27};
    for (sys_days t = first; t <= sys_days{year{2500} / December / 31}; t += days{1}) {
        year_month_day ymd{t};
        int d = static_cast<int>(unsigned(ymd.day()));
        int m = static_cast<int>(unsigned(ymd.month()));
        int y = static_cast<int>(ymd.year());
        int weekday = chrono_weekday(ymd);
        ASSERT_EQ(versos::diagregoriano_(d, m, y), weekday) << d << "/" << m << "/" << y;
        ASSERT_EQ(versos::dia_(d, m, y), weekday) << d << "/" << m << "/" << y;
        if (y >= 1583) {
            ASSERT_EQ(versos::numdias_(d, m, y), (t - day_zero).count()) << d << "/" << m << "/" << y;
        }
    }
    // Sparser up to the end of chrono's range.
    for (sys_days t{year{2501} / January / 1}; t <= sys_days{year{32767} / December / 31}; t += days{997}) {
        year_month_day ymd{t};
        int d = static_cast<int>(unsigned(ymd.day()));
        int m = static_cast<int>(unsigned(ymd.month()));
        int y = static_cast<int>(ymd.year());
        ASSERT_EQ(versos::diagregoriano_(d, m, y), chrono_weekday(ymd)) << d << "/" << m << "/" << y;
        ASSERT_EQ(versos::numdias_(d, m, y), (t - day_zero).count()) << d << "/" << m << "/" << y;
    }
}

TEST(Calendar, DaysOutsideTheCalendarsAreRefused) {
    // Leap years by each rule: 1500 and 1900 are Julian leap years only,
    // 1600 and 2000 are leap in both, 1583 and 2023 in neither.
    for (int y : {0, 4, 100, 1500, 1581, 1583, 1600, 1700, 1900, 2000, 2023, 2024, 2100, 2400}) {
        for (int m = 0; m <= 13; ++m) {
            for (int d = -1; d <= 32; ++d) {
                bool julian_ok = m >= 1 && m <= 12 && d >= 1 && [&] {
                    Date back = jdn_to_julian(julian_to_jdn(d, m, y));
                    return back.day == d && back.month == m && back.year == y;
                }();
                EXPECT_EQ(versos::diajulianoabs_(d, m, y) != -1, julian_ok) << d << "/" << m << "/" << y;
                EXPECT_EQ(versos::diajuliano_(d, m, y) != -1, julian_ok && y < 1582) << d << "/" << m << "/" << y;
                bool gregorian_ok = year_month_day{year{y}, month(m), day(d)}.ok() && d >= 1;
                EXPECT_EQ(versos::diagregoriano_(d, m, y) != -1, gregorian_ok && y > 1582) << d << "/" << m << "/" << y;
                EXPECT_EQ(versos::numdias_(d, m, y) != -1, gregorian_ok && y > 1582) << d << "/" << m << "/" << y;
            }
        }
    }
    EXPECT_EQ(versos::diagregoriano_(29, 2, 1900), -1);
    EXPECT_EQ(versos::numdias_(29, 2, 1900), -1);
    EXPECT_NE(versos::diajuliano_(29, 2, 1500), -1);
    // Negative years, the ten days that never were, and the rest of 1582 in
    // the wrong calendar.
    EXPECT_EQ(versos::diajulianoabs_(1, 1, -1), -1);
    EXPECT_EQ(versos::diajuliano_(1, 1, -4), -1);
    for (int d = 5; d <= 14; ++d) EXPECT_EQ(versos::dia_(d, 10, 1582), -1) << d;
    EXPECT_EQ(versos::diagregoriano_(14, 10, 1582), -1);
    EXPECT_EQ(versos::diagregoriano_(1, 9, 1582), -1);
    EXPECT_EQ(versos::diagregoriano_(31, 11, 1582), -1);
    EXPECT_EQ(versos::diajuliano_(1, 11, 1582), -1);
}

TEST(Calendar, RestOf1582) {
    EXPECT_EQ(versos::gregoriano1582(15, 10), 4);
    EXPECT_EQ(versos::gregoriano1582(14, 10), -1);
    EXPECT_EQ(versos::gregoriano1582(32, 10), -1);
    EXPECT_EQ(versos::gregoriano1582(31, 11), -1);
    EXPECT_EQ(versos::gregoriano1582(32, 12), -1);
    EXPECT_EQ(versos::gregoriano1582(0, 11), -1);
    EXPECT_EQ(versos::gregoriano1582(1, 13), -1);
    // Months before October are not checked.
    EXPECT_EQ(versos::gregoriano1582(1, 9), 4);
    EXPECT_EQ(versos::gregoriano1582(INT_MAX, 1), (INT_MAX % 7 + 3) % 7);
}

TEST(Calendar, FarYearsFollowTheCycles) {
    // 400 Gregorian years are 146097 days, a whole number of weeks; 28 Julian
    // years are 10227 days, also whole weeks.
    const int far = 2000 + 400 * 5000000;
    EXPECT_EQ(versos::diagregoriano_(29, 2, far), versos::diagregoriano_(29, 2, 2000));
    EXPECT_EQ(versos::numdias_(1, 3, far) - versos::numdias_(1, 3, 2000), std::int64_t{146097} * 5000000);
    EXPECT_EQ(versos::diajulianoabs_(31, 12, 2000 + 28 * 70000000), versos::diajulianoabs_(31, 12, 2000));
    EXPECT_NE(versos::diajulianoabs_(31, 12, INT_MAX - 3), -1);
    EXPECT_NE(versos::numdias_(31, 12, INT_MAX), -1);
}

TEST(Calendar, WeekdayCoreTakesTheCallersOffsetAndLeapFlag) {
    // 1 March with February counted as 29 days moves one weekday on.
    int plain = versos::calculadia_(1, 3, 2000, 1, 4, 0);
    int leap = versos::calculadia_(1, 3, 2000, 1, 4, 1);
    EXPECT_EQ((plain + 1) % 7, leap);
    EXPECT_EQ(versos::calculadia_(1, 1, 0, 0, 2, 1), 3);
    EXPECT_EQ(versos::calculadia_(1, 1, 0, 0, 3, 1), 4);
    EXPECT_EQ(versos::calculadia_(1, 1, 0, 0, -10, 1), 5);  // -9 reduced to a weekday
    EXPECT_EQ(versos::calculadia_(1, 13, 2000, 1, 4, 1), -1);
    EXPECT_EQ(versos::calculadia_(1, 0, 2000, 1, 4, 1), -1);
}

}  // namespace
