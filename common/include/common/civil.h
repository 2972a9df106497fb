#pragma once
//! The proleptic Gregorian calendar as day counts (H. Hinnant's algorithms), shared by every
//! date type of the system.

#include <cstdint>

namespace common {

//! A calendar date.
struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;
};

//! True for a leap year of the Gregorian calendar.
constexpr bool IsLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

//! The number of days of a month (1 to 12) of a year.
constexpr int DaysInMonth(std::int64_t year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

//! Days since 1970-01-01 of a date (negative before it).
constexpr std::int64_t UnixDaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

//! The date of a day count since 1970-01-01.
constexpr CivilDate CivilFromUnixDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CivilDate out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(y + (out.month <= 2));
    return out;
}

static_assert(UnixDaysFromCivil(1970, 1, 1) == 0);
static_assert(CivilFromUnixDays(-25567).year == 1900);
static_assert(DaysInMonth(2000, 2) == 29 && DaysInMonth(1900, 2) == 28 && DaysInMonth(2024, 2) == 29);

} // namespace common
