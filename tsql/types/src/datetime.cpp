#include "tsql/datetime.h"

#include "tsql/error.h"

#include "common/civil.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

namespace tsql {

namespace {

const std::int64_t k1900 = common::UnixDaysFromCivil(1900, 1, 1);

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

[[noreturn]] void notADate() {
    raise(241);
}
[[noreturn]] void outOfRange() {
    raise(242, {"varchar"});
}

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

int toInt(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

//! Month number of an English month name or its three-letter abbreviation; 0 if none.
int monthFromName(std::string_view word) {
    static constexpr std::string_view names[] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                                 "MAY",       "JUNE",     "JULY",     "AUGUST",
                                                 "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
    const std::string w = upperAscii(word);
    for (int i = 0; i < 12; ++i) {
        const std::string_view n = names[i];
        if (w == n || (w.size() == 3 && n.substr(0, 3) == w)) return i + 1;
    }
    return 0;
}

int expandYear(std::string_view digits) {
    const int y = toInt(digits);
    if (digits.size() == 4) return y;
    if (digits.size() == 2) return y < 50 ? 2000 + y : 1900 + y;
    notADate();
}

struct Time {
    int hour = 0, minute = 0, second = 0;
    std::int64_t fraction = 0; //!< 100-nanosecond units of the second
};

//! "hh:mi[:ss[.fff | :fff]]" with an optional AM/PM marker (already split off); `digits` is the most
//! fraction digits the target type takes (3 for DATETIME, 7 for TIME).
Time parseClock(std::string_view s, std::string_view marker, std::size_t digits) {
    Time t;
    std::vector<std::string_view> fields;
    std::string_view fraction;
    const auto dot = s.find('.');
    if (dot != std::string_view::npos) {
        fraction = s.substr(dot + 1);
        s = s.substr(0, dot);
        if (!allDigits(fraction) || fraction.size() > digits) notADate();
    }
    std::size_t start = 0;
    for (;;) {
        const auto colon = s.find(':', start);
        fields.push_back(
            s.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    if (fields.size() < 2 || fields.size() > 4 || (fields.size() == 4 && !fraction.empty())) notADate();
    for (auto f : fields)
        if (!allDigits(f) || f.size() > 3) notADate();
    t.hour = toInt(fields[0]);
    t.minute = toInt(fields[1]);
    if (fields.size() > 2) t.second = toInt(fields[2]);
    if (fields.size() == 4) {
        // hh:mi:ss:mmm counts milliseconds.
        if (toInt(fields[3]) > 999) outOfRange();
        t.fraction = std::int64_t(toInt(fields[3])) * 10000;
    }
    if (!fraction.empty()) {
        std::string f(fraction);
        f.resize(7, '0');
        t.fraction = std::stoll(f);
    }
    if (!marker.empty()) {
        if (t.hour < 1 || t.hour > 12) outOfRange();
        const bool pm = marker == "PM";
        if (t.hour == 12) t.hour = 0;
        if (pm) t.hour += 12;
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59) outOfRange();
    return t;
}

enum class Order { MDY, DMY };

struct CivilFields {
    int year = 1900, month = 1, day = 1;
};

//! Date written in one token: yyyymmdd, yyyy-mm-dd, mm/dd/yyyy, dd.mm.yyyy, ...
CivilFields parseDateToken(std::string_view s, Order order) {
    if (allDigits(s)) {
        if (s.size() == 8) return {toInt(s.substr(0, 4)), toInt(s.substr(4, 2)), toInt(s.substr(6, 2))};
        if (s.size() == 6) return {expandYear(s.substr(0, 2)), toInt(s.substr(2, 2)), toInt(s.substr(4, 2))};
        if (s.size() == 4) return {toInt(s), 1, 1};
        notADate();
    }
    const auto sep = s.find_first_of("-/.");
    if (sep == std::string_view::npos) notADate();
    const char c = s[sep];
    const auto sep2 = s.find(c, sep + 1);
    if (sep2 == std::string_view::npos || s.find(c, sep2 + 1) != std::string_view::npos) notADate();
    const std::string_view a = s.substr(0, sep), b = s.substr(sep + 1, sep2 - sep - 1),
                           d = s.substr(sep2 + 1);
    if (!allDigits(a) || !allDigits(b) || !allDigits(d) || a.size() > 4 || b.size() > 2 || d.size() > 4)
        notADate();
    if (a.size() == 4) return {toInt(a), toInt(b), toInt(d)};
    if (a.size() > 2) notADate();
    if (order == Order::DMY) return {expandYear(d), toInt(b), toInt(a)};
    return {expandYear(d), toInt(a), toInt(b)};
}

//! Date written in words: "Jan 1 2024", "1 Jan 2024", "January 1, 2024".
CivilFields parseDateWords(const std::vector<std::string_view>& words) {
    if (words.size() != 3) notADate();
    std::string_view w[3];
    for (int i = 0; i < 3; ++i) {
        w[i] = words[static_cast<std::size_t>(i)];
        if (!w[i].empty() && w[i].back() == ',') w[i].remove_suffix(1);
    }
    if (const int m = monthFromName(w[0]); m && allDigits(w[1]) && w[1].size() <= 2 && allDigits(w[2]))
        return {expandYear(w[2]), m, toInt(w[1])};
    if (const int m = monthFromName(w[1]); m && allDigits(w[0]) && w[0].size() <= 2 && allDigits(w[2]))
        return {expandYear(w[2]), m, toInt(w[0])};
    notADate();
}

//! A date and time read from text, not yet checked against the range of a type.
struct Fields {
    CivilFields date;
    Time time;
    bool hasDate = false;
};

Fields parseFields(std::string_view text, Order order, std::size_t fractionDigits) {
    std::string s(text);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    std::size_t first = 0;
    while (first < s.size() && std::isspace(static_cast<unsigned char>(s[first])))
        ++first;
    s.erase(0, first);
    Fields out;
    if (s.empty()) return out;
    // ISO 8601: yyyy-mm-ddThh:mi:ss[.mmm]
    bool iso = false;
    if (s.size() > 10 && (s[10] == 'T' || s[10] == 't') && s[4] == '-' && s[7] == '-') {
        s[10] = ' ';
        iso = true;
    }
    std::vector<std::string_view> tokens;
    std::string_view rest = s;
    while (!rest.empty()) {
        const auto blank = rest.find_first_of(" \t\r\n");
        if (blank != 0) tokens.push_back(rest.substr(0, blank));
        if (blank == std::string_view::npos) break;
        rest.remove_prefix(blank + 1);
    }
    // Split off the time (the token with ':') and an AM/PM marker, attached or not.
    std::string_view timeToken, marker;
    std::vector<std::string_view> dateTokens;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::string_view t = tokens[i];
        const std::string up = upperAscii(t);
        if (up == "AM" || up == "PM") {
            if (!marker.empty() || timeToken.empty()) notADate();
            marker = up == "AM" ? "AM" : "PM";
            continue;
        }
        if (t.find(':') != std::string_view::npos) {
            if (!timeToken.empty()) notADate();
            if (up.size() > 2 && (up.ends_with("AM") || up.ends_with("PM"))) {
                marker = up.ends_with("AM") ? "AM" : "PM";
                t.remove_suffix(2);
            }
            timeToken = t;
            continue;
        }
        if (!timeToken.empty()) notADate();
        dateTokens.push_back(t);
    }
    if (iso && timeToken.empty()) notADate();
    if (dateTokens.size() == 1) {
        out.date = parseDateToken(dateTokens[0], order);
        out.hasDate = true;
    } else if (!dateTokens.empty()) {
        out.date = parseDateWords(dateTokens);
        out.hasDate = true;
    }
    if (iso && std::count(timeToken.begin(), timeToken.end(), ':') < 2) notADate();
    if (!timeToken.empty()) out.time = parseClock(timeToken, marker, fractionDigits);
    const CivilFields& d = out.date;
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > common::DaysInMonth(d.year, d.month) ||
        d.year < 1 || d.year > 9999)
        outOfRange();
    return out;
}

Order orderOf(int style) {
    switch (style) {
    case 3:
    case 4:
    case 5:
    case 103:
    case 104:
    case 105:
        return Order::DMY;
    default:
        return Order::MDY;
    }
}

DateTime parseWithOrder(std::string_view text, Order order) {
    const Fields f = parseFields(text, order, 3);
    if (f.date.year < 1753) outOfRange();
    const auto result = DateTime::fromParts(f.date.year, f.date.month, f.date.day, f.time.hour, f.time.minute,
                                            f.time.second, static_cast<int>(f.time.fraction / 10000));
    if (!result) outOfRange();
    return *result;
}

} // namespace

DateTime::DateTime(std::int32_t days, std::int32_t ticks)
    : days_(days)
    , ticks_(ticks) {
    if (days < kMinDays || days > kMaxDays || ticks < 0 || ticks >= kTicksPerDay)
        raise(8115, {"expression", "datetime"});
}

std::optional<DateTime> DateTime::fromParts(int year, int month, int day, int hour, int minute, int second,
                                            int millisecond) {
    if (year < 1753 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > common::DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59 || millisecond < 0 || millisecond > 999)
        return std::nullopt;
    const std::int64_t days =
        common::UnixDaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - k1900;
    // Milliseconds to 1/300 s ticks, rounding half up (.995 .. .998 become .997, .999 the next second).
    const std::int64_t ticks =
        (std::int64_t(hour) * 3600 + minute * 60 + second) * 300 + (std::int64_t(millisecond) * 3 + 5) / 10;
    const std::int64_t total = days * kTicksPerDay + ticks;
    if (total >= (std::int64_t(kMaxDays) + 1) * kTicksPerDay) return std::nullopt;
    return fromTotalTicks(total);
}

DateTime DateTime::fromTotalTicks(std::int64_t total) {
    const std::int64_t days = floorDiv(total, kTicksPerDay);
    if (days < kMinDays || days > kMaxDays) raise(8115, {"expression", "datetime"});
    return DateTime(static_cast<std::int32_t>(days), static_cast<std::int32_t>(total - days * kTicksPerDay));
}

DateTime DateTime::fromFloat(double days) {
    const double ticks = std::round(days * kTicksPerDay);
    if (!std::isfinite(ticks) || ticks < double(kMinDays) * kTicksPerDay ||
        ticks >= (double(kMaxDays) + 1) * kTicksPerDay)
        raise(8115, {"expression", "datetime"});
    return fromTotalTicks(static_cast<std::int64_t>(ticks));
}

namespace {

DateTime clockNow(bool utc) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t secs = std::chrono::system_clock::to_time_t(now);
    std::tm parts{};
    if (utc)
        gmtime_r(&secs, &parts);
    else
        localtime_r(&secs, &parts);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return *DateTime::fromParts(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                                parts.tm_min, std::min(parts.tm_sec, 59), static_cast<int>(ms));
}

} // namespace

DateTime DateTime::now() {
    return clockNow(false);
}

DateTime DateTime::utcNow() {
    return clockNow(true);
}

double DateTime::toFloat() const {
    return days_ + static_cast<double>(ticks_) / kTicksPerDay;
}

DateTime::Parts DateTime::parts() const {
    Parts p{};
    const common::CivilDate date = common::CivilFromUnixDays(k1900 + days_);
    p.year = date.year;
    p.month = date.month;
    p.day = date.day;
    const int seconds = ticks_ / 300;
    p.hour = seconds / 3600;
    p.minute = seconds / 60 % 60;
    p.second = seconds % 60;
    p.millisecond = ((ticks_ % 300) * 10 + 1) / 3;
    return p;
}

int DateTime::weekday() const {
    // 1900-01-01 was a Monday (2 with Sunday = 1).
    const int w = static_cast<int>(((std::int64_t(days_) % 7) + 7) % 7);
    return (w + 1) % 7 + 1;
}

std::string DateTime::toString() const {
    const Parts p = parts();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second, p.millisecond);
    return buf;
}

DateTime parseDateTime(std::string_view text) {
    return parseWithOrder(text, Order::MDY);
}

DateTime parseDateTime(std::string_view text, int style) {
    return parseWithOrder(text, orderOf(style));
}

Date::Date(std::int32_t days)
    : days_(days) {
    if (days < kMinDays || days > kMaxDays) raise(8115, {"expression", "date"});
}

std::optional<Date> Date::fromParts(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > common::DaysInMonth(year, month))
        return std::nullopt;
    return Date(static_cast<std::int32_t>(
        common::UnixDaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - k1900));
}

DateTime::Parts Date::parts() const {
    const common::CivilDate date = common::CivilFromUnixDays(k1900 + days_);
    return {date.year, static_cast<int>(date.month), static_cast<int>(date.day), 0, 0, 0, 0};
}

std::string Date::toString() const {
    const DateTime::Parts p = parts();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", p.year, p.month, p.day);
    return buf;
}

TimeOfDay::TimeOfDay(std::int64_t units)
    : units_(units) {
    if (units < 0 || units >= kUnitsPerDay) raise(8115, {"expression", "time"});
}

TimeOfDay TimeOfDay::fromParts(int hour, int minute, int second, std::int64_t fraction) {
    return TimeOfDay(((std::int64_t(hour) * 60 + minute) * 60 + second) * kUnitsPerSecond + fraction);
}

TimeOfDay TimeOfDay::rounded(int scale) const {
    std::int64_t unit = 1;
    for (int i = scale; i < 7; ++i)
        unit *= 10;
    // Half up, and past the last instant of the day back to midnight, as SQL Server rounds.
    return TimeOfDay((units_ + unit / 2) / unit * unit % kUnitsPerDay);
}

DateTime::Parts TimeOfDay::parts() const {
    const std::int64_t seconds = units_ / kUnitsPerSecond;
    return {1900,
            1,
            1,
            static_cast<int>(seconds / 3600),
            static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60),
            static_cast<int>(units_ % kUnitsPerSecond / 10000)};
}

std::string TimeOfDay::toString(int scale) const {
    const DateTime::Parts p = parts();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%07lld", p.hour, p.minute, p.second,
                  static_cast<long long>(units_ % kUnitsPerSecond));
    std::string out = buf;
    out.resize(scale > 0 ? 9 + static_cast<std::size_t>(scale) : 8);
    return out;
}

Date parseDate(std::string_view text, int style) {
    const Fields f = parseFields(text, orderOf(style), 7);
    return *Date::fromParts(f.date.year, f.date.month, f.date.day);
}

TimeOfDay parseTime(std::string_view text, int style) {
    const Fields f = parseFields(text, orderOf(style), 7);
    return TimeOfDay::fromParts(f.time.hour, f.time.minute, f.time.second, f.time.fraction);
}

} // namespace tsql
