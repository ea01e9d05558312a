#include "versos/util/calendar.h"

namespace versos {

namespace {

// Calendar kinds of calculadia_.
constexpr unsigned char kJulian = 0;
constexpr unsigned char kGregorian = 1;
constexpr unsigned char kJulianAnyYear = 2;

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool julian_leap(std::int64_t y) { return y % 4 == 0; }
bool gregorian_leap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Leap years among the years 0 .. y - 1 (y >= 0).
std::int64_t julian_leaps_before(std::int64_t y) { return (y + 3) / 4; }
std::int64_t gregorian_leaps_before(std::int64_t y) { return (y + 3) / 4 - (y + 99) / 100 + (y + 399) / 400; }

int month_length(int month, bool leap) { return month == 2 && leap ? 29 : kMonthDays[month - 1]; }

// Days in the months before `month` (1-12) of a year.
int days_before_month(int month, bool leap) {
    int days = 0;
    for (int m = 1; m < month; ++m) days += month_length(m, leap);
    return days;
}

bool valid_date(int day, int month, int year, bool leap) {
    return day > 0 && month >= 1 && month <= 12 && year >= 0 && day <= month_length(month, leap);
}

int weekday_of(std::int64_t sum) {
    int r = static_cast<int>(sum % 7);
    return r < 0 ? r + 7 : r;
}

}  // namespace

int calculadia_(int day, int month, int year, unsigned char kind, int offset, unsigned char leap) {
    if (month < 1 || month > 12) return -1;
    const bool gregorian = kind == kGregorian;
    const std::int64_t first_year = gregorian ? 1583 : 0;
    std::int64_t s = offset;
    // Each year of 365 days moves the weekday on by one, a leap year by two;
    // the counts below sum that over the years before the date's year.
    if (year > first_year) {
        s += year - first_year;
        s += gregorian ? gregorian_leaps_before(year) - gregorian_leaps_before(first_year)
                       : julian_leaps_before(year) - julian_leaps_before(first_year);
    }
    s += days_before_month(month, leap != 0);
    return weekday_of(s + day);
}

int diajuliano_(int day, int month, int year) {
    if (year > 1582) return -1;
    if (!valid_date(day, month, year, julian_leap(year))) return -1;
    if (year == 1582 && (month > 10 || (month == 10 && day > 4))) return -1;
    return calculadia_(day, month, year, kJulian, 2, julian_leap(year));
}

int diajulianoabs_(int day, int month, int year) {
    if (!valid_date(day, month, year, julian_leap(year))) return -1;
    return calculadia_(day, month, year, kJulianAnyYear, 2, julian_leap(year));
}

int gregoriano1582(int day, int month) {
    if (day <= 0) return -1;
    switch (month) {
        case 10:
            if (day <= 14 || day > 31) return -1;
            return (day - 11) % 7;
        case 11:
            if (day > 30) return -1;
            return (day + 20) % 7;
        case 12:
            if (day > 31) return -1;
            return (day + 50) % 7;
        default:
            if (month > 12) return -1;
            return (day % 7 + 3) % 7;  // day + 3 could overflow
    }
}

int diagregoriano_(int day, int month, int year) {
    if (year == 1582 && ((month == 10 && day > 14) || month == 11 || month == 12)) return gregoriano1582(day, month);
    if (year <= 1582 || !valid_date(day, month, year, gregorian_leap(year))) return -1;
    return calculadia_(day, month, year, kGregorian, 4, gregorian_leap(year));
}

int dia_(int day, int month, int year) {
    int weekday = diajuliano_(day, month, year);
    return weekday != -1 ? weekday : diagregoriano_(day, month, year);
}

std::int64_t numdias_(int day, int month, int year) {
    if (year <= 1582 || !valid_date(day, month, year, gregorian_leap(year))) return -1;
    std::int64_t years = static_cast<std::int64_t>(year) - 1583;
    std::int64_t leaps = gregorian_leaps_before(year) - gregorian_leaps_before(1583);
    return 4 + 365 * years + leaps + days_before_month(month, gregorian_leap(year)) + day;
}

}  // namespace versos
