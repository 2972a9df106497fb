#include "date_functions.h"

#include "tsql/convert.h"
#include "tsql/error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>

namespace tsql {

namespace {

//! Date part keywords and their abbreviations.
struct DatePartName {
    std::string_view name;
    DatePart part;
};
constexpr DatePartName kDateParts[] = {
    {"year", DatePart::Year},       {"yy", DatePart::Year},
    {"yyyy", DatePart::Year},       {"quarter", DatePart::Quarter},
    {"qq", DatePart::Quarter},      {"q", DatePart::Quarter},
    {"month", DatePart::Month},     {"mm", DatePart::Month},
    {"m", DatePart::Month},         {"dayofyear", DatePart::DayOfYear},
    {"dy", DatePart::DayOfYear},    {"y", DatePart::DayOfYear},
    {"day", DatePart::Day},         {"dd", DatePart::Day},
    {"d", DatePart::Day},           {"week", DatePart::Week},
    {"wk", DatePart::Week},         {"ww", DatePart::Week},
    {"weekday", DatePart::Weekday}, {"dw", DatePart::Weekday},
    {"w", DatePart::Weekday},       {"hour", DatePart::Hour},
    {"hh", DatePart::Hour},         {"minute", DatePart::Minute},
    {"mi", DatePart::Minute},       {"n", DatePart::Minute},
    {"second", DatePart::Second},   {"ss", DatePart::Second},
    {"s", DatePart::Second},        {"millisecond", DatePart::Millisecond},
    {"ms", DatePart::Millisecond},
};

constexpr std::int64_t kTicksPerHour = 300 * 3600;
constexpr std::int64_t kUnitsPerSecond = TimeOfDay::kUnitsPerSecond;
constexpr std::int64_t kUnitsPerDay = TimeOfDay::kUnitsPerDay;

//! A point in time as the date functions read it: days since 1900-01-01 and 100 ns units of the day (a
//! DATETIME counts the milliseconds it shows, a DATE midnight, a TIME the day 1900-01-01).
struct Instant {
    std::int64_t days = 0;
    std::int64_t units = 0;
    std::int64_t total() const { return days * kUnitsPerDay + units; }
};

Instant instantOf(const Value& v) {
    switch (v.type().id) {
    case TypeId::Date:
        return {v.asDate().days(), 0};
    case TypeId::Time:
        return {0, v.asTime().units()};
    default: {
        const DateTime d = convert(v, Type::dateTime(), ConversionKind::Implicit).asDateTime();
        const DateTime::Parts p = d.parts();
        return {d.days(),
                ((p.hour * 60LL + p.minute) * 60 + p.second) * kUnitsPerSecond + p.millisecond * 10000LL};
    }
    }
}

DateTime::Parts calendar(const Instant& i) {
    DateTime::Parts p = Date(static_cast<std::int32_t>(i.days)).parts();
    const std::int64_t seconds = i.units / kUnitsPerSecond;
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    p.millisecond = static_cast<int>(i.units % kUnitsPerSecond / 10000);
    return p;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

//! Day of week 1 = Sunday .. 7 = Saturday (DATEFIRST 7); 1900-01-01 was a Monday.
int weekdayOf(std::int64_t days) {
    return static_cast<int>((days % 7 + 7) % 7 + 1) % 7 + 1;
}

int dayOfYear(const Instant& i) {
    return static_cast<int>(i.days - Date::fromParts(calendar(i).year, 1, 1)->days() + 1);
}

//! Week number as SQL Server counts it: weeks start on Sunday, the week of January 1 is week 1.
int weekOfYear(const Instant& i) {
    const std::int64_t jan1 = Date::fromParts(calendar(i).year, 1, 1)->days();
    return (dayOfYear(i) + weekdayOf(jan1) - 2) / 7 + 1;
}

//! Sunday-based week index of a day number (for DATEDIFF week boundaries).
std::int64_t weekIndex(std::int64_t days) {
    return floorDiv(days + 1, 7); // 1899-12-31 was a Sunday
}

//! The date `months` months after `days` (the day kept, or the last of a shorter month); nullopt past the
//! years `first`..9999.
std::optional<std::int64_t> addMonths(std::int64_t days, std::int64_t months, int first) {
    const DateTime::Parts p = Date(static_cast<std::int32_t>(days)).parts();
    const std::int64_t total = std::int64_t(p.year) * 12 + (p.month - 1) + months;
    const std::int64_t year = floorDiv(total, 12);
    const int month = static_cast<int>(total - year * 12) + 1;
    if (year < first || year > 9999) return std::nullopt;
    int day = p.day;
    while (!Date::fromParts(static_cast<int>(year), month, day))
        --day;
    return Date::fromParts(static_cast<int>(year), month, day)->days();
}

DateTime addTicks(const DateTime& d, long double ticks) {
    const long double total = static_cast<long double>(d.totalTicks()) + std::round(ticks);
    if (total < static_cast<long double>(DateTime::kMinDays) * DateTime::kTicksPerDay ||
        total >= (static_cast<long double>(DateTime::kMaxDays) + 1) * DateTime::kTicksPerDay)
        raise(517);
    return DateTime::fromTotalTicks(static_cast<std::int64_t>(total));
}

Value partOf(Args a, DatePart part, std::string_view) {
    if (a[0].isNull()) return Value::null(Type::integer());
    const Instant i = instantOf(a[0]);
    const DateTime::Parts p = calendar(i);
    switch (part) {
    case DatePart::Year:
        return Value::integer(p.year);
    case DatePart::Quarter:
        return Value::integer((p.month - 1) / 3 + 1);
    case DatePart::Month:
        return Value::integer(p.month);
    case DatePart::DayOfYear:
        return Value::integer(dayOfYear(i));
    case DatePart::Day:
        return Value::integer(p.day);
    case DatePart::Week:
        return Value::integer(weekOfYear(i));
    case DatePart::Weekday:
        return Value::integer(weekdayOf(i.days));
    case DatePart::Hour:
        return Value::integer(p.hour);
    case DatePart::Minute:
        return Value::integer(p.minute);
    case DatePart::Second:
        return Value::integer(p.second);
    case DatePart::Millisecond:
        return Value::integer(p.millisecond);
    }
    return Value::null(Type::integer());
}

//! Units of a clock part (DATEADD on TIME).
std::int64_t clockUnits(DatePart part) {
    switch (part) {
    case DatePart::Hour:
        return 3600 * kUnitsPerSecond;
    case DatePart::Minute:
        return 60 * kUnitsPerSecond;
    case DatePart::Second:
        return kUnitsPerSecond;
    default:
        return 10000; // millisecond
    }
}

//! DATEADD of a DATE or TIME: the value keeps its type; a TIME goes round the clock.
Value dateOrTimeAdd(DatePart part, std::string_view written, std::int64_t n, const Value& v) {
    const bool clock = part == DatePart::Hour || part == DatePart::Minute || part == DatePart::Second ||
                       part == DatePart::Millisecond;
    const Type& t = v.type();
    if (clock == (t.id == TypeId::Date))
        raise(9810, {std::string(written), "dateadd", std::string(t.baseName())});
    if (t.id == TypeId::Time) {
        const std::int64_t step = n % (kUnitsPerDay / clockUnits(part)) * clockUnits(part);
        return Value::time(
            TimeOfDay(((v.asTime().units() + step) % kUnitsPerDay + kUnitsPerDay) % kUnitsPerDay), t);
    }
    const std::int64_t days = v.asDate().days();
    std::optional<std::int64_t> moved;
    switch (part) {
    case DatePart::Year:
        moved = n > 10000 || n < -10000 ? std::nullopt : addMonths(days, n * 12, 1);
        break;
    case DatePart::Quarter:
        moved = n > 40000 || n < -40000 ? std::nullopt : addMonths(days, n * 3, 1);
        break;
    case DatePart::Month:
        moved = addMonths(days, n, 1);
        break;
    case DatePart::Week:
        moved = days + n * 7;
        break;
    default:
        moved = days + n;
        break;
    }
    if (!moved || *moved < Date::kMinDays || *moved > Date::kMaxDays) raise(517);
    return Value::date(Date(static_cast<std::int32_t>(*moved)));
}

std::string partText(const Value& v) {
    return v.isNull() ? std::string() : toText(v);
}

} // namespace

DatePart parseDatePart(std::string_view text, std::string_view function) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto* it = std::find_if(std::begin(kDateParts), std::end(kDateParts),
                                  [&](const DatePartName& n) { return n.name == lower; });
    if (it == std::end(kDateParts)) raise(155, {std::string(text), std::string(function)});
    return it->part;
}

namespace detail {

Value yearEval(Args a) {
    return partOf(a, DatePart::Year, "year");
}
Value monthEval(Args a) {
    return partOf(a, DatePart::Month, "month");
}
Value dayEval(Args a) {
    return partOf(a, DatePart::Day, "day");
}

Value datePartEval(Args a) {
    const DatePart part = parseDatePart(partText(a[0]), "datepart");
    return partOf(a.subspan(1), part, "datepart");
}

Type dateNameType(std::span<const Type>) {
    return Type::nVarChar(30);
}

Value dateNameEval(Args a) {
    static constexpr std::string_view months[] = {"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};
    static constexpr std::string_view weekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                    "Thursday", "Friday", "Saturday"};
    const DatePart part = parseDatePart(partText(a[0]), "datename");
    if (a[1].isNull()) return Value::null(Type::nVarChar(30));
    const Value n = partOf(a.subspan(1), part, "datename");
    std::string text;
    if (part == DatePart::Month)
        text = months[n.asInt() - 1];
    else if (part == DatePart::Weekday)
        text = weekdays[n.asInt() - 1];
    else
        text = std::to_string(n.asInt());
    return Value::text(std::move(text), Type::nVarChar(30));
}

Type dateAddType(std::span<const Type> args) {
    // DATE and TIME stay what they are; anything else is moved as a DATETIME.
    const Type& t = args[2];
    return t.id == TypeId::Date || t.id == TypeId::Time ? t : Type::dateTime();
}

Value dateAddEval(Args a) {
    const Type result = dateAddType(std::array{a[0].type(), a[1].type(), a[2].type()});
    const DatePart part = parseDatePart(partText(a[0]), "dateadd");
    if (a[1].isNull() || a[2].isNull()) return Value::null(result);
    const std::int64_t n = convert(a[1], Type::integer(), ConversionKind::Implicit).asInt();
    if (result.id != TypeId::DateTime) return dateOrTimeAdd(part, partText(a[0]), n, a[2]);
    const DateTime d = convert(a[2], Type::dateTime(), ConversionKind::Implicit).asDateTime();
    constexpr long double tpd = DateTime::kTicksPerDay;
    auto months = [&](std::int64_t count) {
        const auto days = addMonths(d.days(), count, 1753);
        if (!days) raise(517);
        return Value::dateTime(DateTime(static_cast<std::int32_t>(*days), d.ticks()));
    };
    switch (part) {
    case DatePart::Year:
        return months(n * 12);
    case DatePart::Quarter:
        return months(n * 3);
    case DatePart::Month:
        return months(n);
    case DatePart::DayOfYear:
    case DatePart::Day:
    case DatePart::Weekday:
        return Value::dateTime(addTicks(d, n * tpd));
    case DatePart::Week:
        return Value::dateTime(addTicks(d, n * 7 * tpd));
    case DatePart::Hour:
        return Value::dateTime(addTicks(d, n * static_cast<long double>(kTicksPerHour)));
    case DatePart::Minute:
        return Value::dateTime(addTicks(d, n * 300.0L * 60));
    case DatePart::Second:
        return Value::dateTime(addTicks(d, n * 300.0L));
    case DatePart::Millisecond: {
        // Milliseconds are added to the shown time and rounded to ticks again, as SQL Server does.
        const long double ms = d.ticks() * 10.0L / 3 + n;
        return Value::dateTime(addTicks(DateTime(d.days(), 0), ms * 0.3L));
    }
    }
    return Value::null(result);
}

Value dateDiffEval(Args a) {
    const DatePart part = parseDatePart(partText(a[0]), "datediff");
    if (a[1].isNull() || a[2].isNull()) return Value::null(Type::integer());
    const Instant x = instantOf(a[1]), y = instantOf(a[2]);
    const DateTime::Parts px = calendar(x), py = calendar(y);
    std::int64_t diff = 0;
    switch (part) {
    case DatePart::Year:
        diff = py.year - px.year;
        break;
    case DatePart::Quarter:
        diff = (py.year * 4 + (py.month - 1) / 3) - (px.year * 4 + (px.month - 1) / 3);
        break;
    case DatePart::Month:
        diff = (py.year * 12 + py.month) - (px.year * 12 + px.month);
        break;
    case DatePart::DayOfYear:
    case DatePart::Day:
    case DatePart::Weekday:
        diff = y.days - x.days;
        break;
    case DatePart::Week:
        diff = weekIndex(y.days) - weekIndex(x.days);
        break;
    case DatePart::Hour:
    case DatePart::Minute:
    case DatePart::Second:
    case DatePart::Millisecond:
        diff = floorDiv(y.total(), clockUnits(part)) - floorDiv(x.total(), clockUnits(part));
        break;
    }
    if (diff < std::numeric_limits<std::int32_t>::min() || diff > std::numeric_limits<std::int32_t>::max())
        raise(535);
    return Value::integer(diff);
}

} // namespace detail

} // namespace tsql
