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

// Julian day number of a Julian-calendar date (the usual integer formula).
std::int64_t julian_to_jdn(int day, int month, int year) {
    std::int64_t a = (14 - month) / 12, y = year + 4800 - a, m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - 32083;
}

// Julian-calendar date of a Julian day number (Richards' algorithm).
Date jdn_to_julian(std::int64_t jdn) {
    std::int64_t e = 4 * (jdn + 1401) + 3, h = 5 * (e % 1461 / 4) + 2;
    int month = static_cast<int>((h / 153 + 2) % 12 + 1);
    return {static_cast<int>(h % 153 / 5 + 1), month, static_cast<int>(e / 1461 - 4716 + (14 - month) / 12)};
}

// Julian day 0 was a Monday; 1 January 1970 is Julian day 2440588.
int jdn_weekday(std::int64_t jdn) { return static_cast<int>(jdn % 7); }
int chrono_weekday(sys_days t) { return static_cast<int>(weekday{t}.iso_encoding()) - 1; }

TEST(Calendar, JulianReferenceMeetsChronoAtTheChange) {
    const std::int64_t last_julian = julian_to_jdn(4, 10, 1582);
    EXPECT_EQ(year_month_day{sys_days{days{last_julian + 1 - 2440588}}}, year{1582} / October / 15);
    for (std::int64_t jdn = julian_to_jdn(1, 1, 0); jdn < julian_to_jdn(1, 1, 3000); jdn += 13)
        ASSERT_EQ(jdn_weekday(jdn), chrono_weekday(sys_days{days{jdn - 2440588}})) << jdn;
}

TEST(Calendar, EveryJulianDayFromYear0) {
    const std::int64_t last_julian = julian_to_jdn(4, 10, 1582);
    for (std::int64_t jdn = julian_to_jdn(1, 1, 0); jdn < julian_to_jdn(1, 1, 4000); ++jdn) {
        const Date d = jdn_to_julian(jdn);
        const int in_force = jdn <= last_julian ? jdn_weekday(jdn) : -1;
        ASSERT_EQ(versos::diajulianoabs_(d.day, d.month, d.year), jdn_weekday(jdn))
            << d.day << "/" << d.month << "/" << d.year;
        ASSERT_EQ(versos::diajuliano_(d.day, d.month, d.year), in_force) << d.day << "/" << d.month << "/" << d.year;
        if (jdn <= last_julian) {
            ASSERT_EQ(versos::dia_(d.day, d.month, d.year), in_force);
        }
    }
}

TEST(Calendar, EveryGregorianDayFrom1582) {
    const sys_days day_zero{year{1582} / December / 27};
    for (sys_days t{year{1582} / October / 15}; t <= sys_days{year{32767} / December / 31};
         t += days{t < sys_days{year{2500} / January / 1} ? 1 : 997}) {
        const year_month_day ymd{t};
        const int d = static_cast<int>(unsigned{ymd.day()}), m = static_cast<int>(unsigned{ymd.month()});
        const int y = static_cast<int>(ymd.year());
        ASSERT_EQ(versos::diagregoriano_(d, m, y), chrono_weekday(t)) << d << "/" << m << "/" << y;
        ASSERT_EQ(versos::dia_(d, m, y), chrono_weekday(t)) << d << "/" << m << "/" << y;
        ASSERT_EQ(versos::numdias_(d, m, y), y > 1582 ? (t - day_zero).count() : -1) << d << "/" << m << "/" << y;
    }
    EXPECT_EQ(versos::numdias_(1, 1, 1583), 5);
    EXPECT_EQ(versos::numdias_(2, 1, 1583), 6);
}

TEST(Calendar, DatesThatDoNotExistAreRefused) {
    // 1500 and 1900 are leap years by the Julian rule only, 1600 and 2000 by
    // both, 1583 and 2023 by neither.
    for (int y : {0, 1, 4, 100, 1500, 1581, 1583, 1600, 1900, 2000, 2023, 2024, 2100}) {
        for (int m = 0; m <= 13; ++m) {
            for (int d = -1; d <= 32; ++d) {
                const Date back = jdn_to_julian(julian_to_jdn(d, m, y));
                const bool julian = m >= 1 && m <= 12 && back.day == d && back.month == m && back.year == y;
                const bool gregorian = d >= 1 && year_month_day{year{y}, month(m), day(d)}.ok() && y > 1582;
                EXPECT_EQ(versos::diajulianoabs_(d, m, y) != -1, julian) << d << "/" << m << "/" << y;
                EXPECT_EQ(versos::diajuliano_(d, m, y) != -1, julian && y < 1582) << d << "/" << m << "/" << y;
                EXPECT_EQ(versos::diagregoriano_(d, m, y) != -1, gregorian) << d << "/" << m << "/" << y;
                EXPECT_EQ(versos::numdias_(d, m, y) != -1, gregorian) << d << "/" << m << "/" << y;
            }
        }
    }
    for (int d = 5; d <= 14; ++d) EXPECT_EQ(versos::dia_(d, 10, 1582), -1) << d;
    EXPECT_EQ(versos::diajulianoabs_(1, 1, -1), -1);
    EXPECT_EQ(versos::diagregoriano_(1, 9, 1582), -1);
    EXPECT_EQ(versos::diagregoriano_(31, 11, 1582), -1);
    EXPECT_EQ(versos::gregoriano1582(14, 10), -1);
    EXPECT_EQ(versos::gregoriano1582(32, 12), -1);
    EXPECT_EQ(versos::gregoriano1582(1, 13), -1);
    // Months before October are not checked.
    EXPECT_EQ(versos::gregoriano1582(1, 9), 4);
    EXPECT_EQ(versos::gregoriano1582(INT_MAX, 1), (INT_MAX % 7 + 3) % 7);
}

TEST(Calendar, FarYearsFollowTheCycles) {
    // 400 Gregorian years are 146097 days and 28 Julian years 10227 days,
    // whole weeks both.
    const int far = 2000 + 400 * 5000000;
    EXPECT_EQ(versos::diagregoriano_(29, 2, far), versos::diagregoriano_(29, 2, 2000));
    EXPECT_EQ(versos::numdias_(1, 3, far) - versos::numdias_(1, 3, 2000), std::int64_t{146097} * 5000000);
    EXPECT_EQ(versos::diajulianoabs_(31, 12, 2000 + 28 * 70000000), versos::diajulianoabs_(31, 12, 2000));
    EXPECT_NE(versos::numdias_(31, 12, INT_MAX), -1);
}

TEST(Calendar, WeekdayCoreTakesTheCallersOffsetAndLeapFlag) {
    EXPECT_EQ(versos::calculadia_(1, 1, 0, 0, 2, 1), 3);
    EXPECT_EQ(versos::calculadia_(1, 3, 2000, 1, 4, 1), (versos::calculadia_(1, 3, 2000, 1, 4, 0) + 1) % 7);
    EXPECT_EQ(versos::calculadia_(1, 1, 0, 0, -10, 1), 5);  // -9 brought into 0..6
    EXPECT_EQ(versos::calculadia_(1, 13, 2000, 1, 4, 1), -1);
}

}  // namespace
