#include "calendar.h"

#include <cmath>
#include <cstdio>

namespace fmx {
namespace {

constexpr std::int64_t kMicrosecondsPerDay = 86'400'000'000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

// Days from 0000-03-01 style civil algorithm, shifted so 0001-01-01 is day 0.
std::int64_t DaysFromCivilRaw(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

const std::int64_t kEpochOffset = DaysFromCivilRaw(1, 1, 1);

} // namespace

std::int64_t DayNumberFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    // Carry whole years out of the month first, then let the day overflow.
    const std::int64_t monthIndex = month - 1;
    const std::int64_t y = year + FloorDiv(monthIndex, 12);
    const std::int64_t m = monthIndex - FloorDiv(monthIndex, 12) * 12 + 1;
    return DaysFromCivilRaw(y, m, 1) - kEpochOffset + (day - 1);
}

CivilDate CivilFromDayNumber(std::int64_t dayNumber) {
    const std::int64_t z = dayNumber + kEpochOffset;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return {y, m, d};
}

void SetNormalizedDate(Moment& moment, std::int64_t year, std::int64_t month, std::int64_t day) {
    moment.day = DayNumberFromCivil(year, month, day);
}

void SetNormalizedTime(Moment& moment, std::int64_t hour, std::int64_t minute, std::int64_t second,
                       std::int64_t microsecond) {
    // Hours arrive as 64-bit values; keep the sum inside 64 bits by carrying
    // whole days out of the hours first.
    // Beyond a few million years the calendar means nothing; clamping keeps
    // the arithmetic defined.
    constexpr std::int64_t kHourLimit = std::int64_t{1} << 40;
    hour = hour > kHourLimit ? kHourLimit : (hour < -kHourLimit ? -kHourLimit : hour);
    const std::int64_t hourDays = FloorDiv(hour, 24);
    const std::int64_t hourRest = hour - hourDays * 24;
    const std::int64_t total = ((hourRest * 60 + minute) * 60 + second) * 1'000'000 + microsecond;
    const std::int64_t carry = FloorDiv(total, kMicrosecondsPerDay);
    moment.day += hourDays + carry;
    moment.microseconds = total - carry * kMicrosecondsPerDay;
}

double SecondsSinceEpoch(const Moment& moment) {
    return static_cast<double>(moment.day) * 86400.0 +
           static_cast<double>(moment.microseconds) / 1e6;
}

Moment MomentFromSeconds(double seconds) {
    Moment moment;
    if (!std::isfinite(seconds)) {
        return moment;
    }
    const double days = std::floor(seconds / 86400.0);
    moment.day = static_cast<std::int64_t>(days);
    moment.microseconds = std::llround((seconds - days * 86400.0) * 1e6);
    if (moment.microseconds >= kMicrosecondsPerDay) {
        moment.microseconds -= kMicrosecondsPerDay;
        ++moment.day;
    }
    return moment;
}

std::string FormatMoment(const Moment& moment) {
    const CivilDate date = CivilFromDayNumber(moment.day);
    const std::int64_t totalSeconds = moment.microseconds / 1'000'000;
    const long long fraction = moment.microseconds % 1'000'000;
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02d %02lld:%02lld:%02lld",
                          static_cast<long long>(date.year), date.month, date.day,
                          static_cast<long long>(totalSeconds / 3600),
                          static_cast<long long>(totalSeconds / 60 % 60),
                          static_cast<long long>(totalSeconds % 60));
    std::string text(buffer, static_cast<std::size_t>(n));
    if (fraction != 0) {
        n = std::snprintf(buffer, sizeof buffer, ".%06lld", fraction);
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

} // namespace fmx
