// Calendar arithmetic for the host's date-time values: a moment is a day
// number (day 0 = 0001-01-01, proleptic Gregorian) plus microseconds into
// that day, so any out-of-range part carries over the way a calendar does.
#pragma once

#include <cstdint>
#include <string>

namespace fmx {

struct CivilDate {
    std::int64_t year;
    int month; // 1..12
    int day;   // 1..31
};

struct Moment {
    std::int64_t day = 0;          // days since 0001-01-01
    std::int64_t microseconds = 0; // 0 .. one day minus 1 us
};

std::int64_t DayNumberFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);
CivilDate CivilFromDayNumber(std::int64_t dayNumber);

// Month 13 of 2020 is January 2021; day 0 is the last day of the month before.
void SetNormalizedDate(Moment& moment, std::int64_t year, std::int64_t month, std::int64_t day);
// Overflowing hours, minutes or seconds move the date.
void SetNormalizedTime(Moment& moment, std::int64_t hour, std::int64_t minute, std::int64_t second,
                       std::int64_t microsecond);

double SecondsSinceEpoch(const Moment& moment);
Moment MomentFromSeconds(double seconds);

// "YYYY-MM-DD HH:MM:SS", with ".ffffff" only when there are microseconds.
std::string FormatMoment(const Moment& moment);

} // namespace fmx
