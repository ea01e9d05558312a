// Days of the week and day counts. Dates are day, month (1-12) and year
// (astronomical numbering, year 0 exists; negative years are refused).
// Weekdays are numbered 0 Monday, 1 Tuesday, ..., 6 Sunday; an invalid date
// gives -1. The Julian calendar holds up to Thursday 4 October 1582, the
// Gregorian from Friday 15 October 1582.
#pragma once

#include <versos/util/export.h>

#include <cstdint>

namespace versos {

// Weekday core: counts from 1 January of year 0 (Julian, kinds 0 and 2) or of
// 1583 (Gregorian, kind 1; any kind other than 1 counts as Julian), starting
// at `offset`, with February of the date's year taking 29 days when `leap` is
// non-zero. The day itself is not checked; a month outside 1-12 gives -1.
// The result is reduced to 0..6 even for a negative sum.
VERSOS_UTIL_EXPORT int calculadia_(int day, int month, int year, unsigned char kind, int offset, unsigned char leap);

// Julian date from 1 January of year 0 to 4 October 1582.
VERSOS_UTIL_EXPORT int diajuliano_(int day, int month, int year);

// Julian date of any year from 0 on.
VERSOS_UTIL_EXPORT int diajulianoabs_(int day, int month, int year);

// Gregorian date from 15 October to 31 December 1582. A month before October
// is not checked and gives (day + 3) mod 7; a month after December gives -1.
VERSOS_UTIL_EXPORT int gregoriano1582(int day, int month);

// Gregorian date from 15 October 1582 on.
VERSOS_UTIL_EXPORT int diagregoriano_(int day, int month, int year);

// Date in the calendar in force: Julian up to 4 October 1582, Gregorian from
// 15 October 1582; the days 5 to 14 October 1582 give -1.
VERSOS_UTIL_EXPORT int dia_(int day, int month, int year);

// Day count of a Gregorian date from 1 January 1583 on, day 0 being Monday
// 27 December 1582 (so the count modulo 7 is the weekday); -1 if invalid.
VERSOS_UTIL_EXPORT std::int64_t numdias_(int day, int month, int year);

}  // namespace versos
