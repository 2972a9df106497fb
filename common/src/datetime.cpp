#include "common/datetime.h"

#include "common/civil.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <stdexcept>

namespace common {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

const std::int64_t kEpochOffset = UnixDaysFromCivil(1899, 12, 30);

} // namespace

std::int64_t DaysFromCivil(int year, int month, int day) {
    return UnixDaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochOffset;
}

bool IsValidDateTime(const DateTimeFields& f) {
    return f.year >= 1 && f.year <= 9999 && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
           f.day <= DaysInMonth(f.year, f.month) && f.hour >= 0 && f.hour < 24 && f.minute >= 0 &&
           f.minute < 60 && f.second >= 0 && f.second < 60 && f.millisecond >= 0 && f.millisecond < 1000;
}

TDateTime EncodeDateTime(const DateTimeFields& f) {
    if (!IsValidDateTime(f)) throw std::invalid_argument("Invalid date or time");
    const auto days = static_cast<double>(DaysFromCivil(f.year, f.month, f.day));
    const double ms = ((f.hour * 60.0 + f.minute) * 60.0 + f.second) * 1000.0 + f.millisecond;
    const double fraction = ms / static_cast<double>(kMsPerDay);
    // Before the epoch the fraction counts forwards from the (negative) day number's whole part.
    return days >= 0 ? days + fraction : days - fraction;
}

DateTimeFields DecodeDateTime(TDateTime value) {
    double whole = std::trunc(value);
    // Outside years 1 to 9999 there is no calendar date (and far outside, no integer day count).
    if (!std::isfinite(value) || whole < static_cast<double>(DaysFromCivil(1, 1, 1)) ||
        whole > static_cast<double>(DaysFromCivil(9999, 12, 31)))
        throw std::invalid_argument("Invalid date-time value");
    double fraction = std::fabs(value - whole);
    auto ms = static_cast<std::int64_t>(std::llround(fraction * static_cast<double>(kMsPerDay)));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        whole += value >= 0 ? 1 : -1;
    }
    DateTimeFields f;
    const CivilDate date = CivilFromUnixDays(static_cast<std::int64_t>(whole) + kEpochOffset);
    f.year = date.year;
    f.month = date.month;
    f.day = date.day;
    f.hour = static_cast<int>(ms / 3'600'000);
    f.minute = static_cast<int>(ms / 60'000 % 60);
    f.second = static_cast<int>(ms / 1000 % 60);
    f.millisecond = static_cast<int>(ms % 1000);
    return f;
}

TDateTime Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           local.tm_sec, static_cast<int>(ms)});
}

} // namespace common
