#include "date_functions.h"

#include "tsql/convert.h"
#include "tsql/error.h"

#include <algorithm>
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

DateTime dateArg(const Value& v) {
    return convert(v, Type::dateTime(), ConversionKind::Implicit).asDateTime();
}

int dayOfYear(const DateTime& d) {
    const auto jan1 = DateTime::fromParts(d.parts().year, 1, 1);
    return d.days() - jan1->days() + 1;
}

//! Week number as SQL Server counts it: weeks start on Sunday, the week of January 1 is week 1.
int weekOfYear(const DateTime& d) {
    const DateTime jan1 = *DateTime::fromParts(d.parts().year, 1, 1);
    return (dayOfYear(d) + jan1.weekday() - 2) / 7 + 1;
}

//! Sunday-based week index of a day number (for DATEDIFF week boundaries).
std::int64_t weekIndex(const DateTime& d) {
    const std::int64_t n = d.days() + 1; // 1899-12-31 was a Sunday
    return n >= 0 ? n / 7 : (n - 6) / 7;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

DateTime addMonths(const DateTime& d, std::int64_t months) {
    const DateTime::Parts p = d.parts();
    const std::int64_t total = std::int64_t(p.year) * 12 + (p.month - 1) + months;
    const std::int64_t year = floorDiv(total, 12);
    const int month = static_cast<int>(total - year * 12) + 1;
    if (year < 1753 || year > 9999) raise(517);
    int day = p.day;
    while (!DateTime::fromParts(static_cast<int>(year), month, day))
        --day; // end of a shorter month
    const DateTime date = *DateTime::fromParts(static_cast<int>(year), month, day);
    return DateTime(date.days(), d.ticks());
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
    const DateTime d = dateArg(a[0]);
    const DateTime::Parts p = d.parts();
    switch (part) {
    case DatePart::Year:
        return Value::integer(p.year);
    case DatePart::Quarter:
        return Value::integer((p.month - 1) / 3 + 1);
    case DatePart::Month:
        return Value::integer(p.month);
    case DatePart::DayOfYear:
        return Value::integer(dayOfYear(d));
    case DatePart::Day:
        return Value::integer(p.day);
    case DatePart::Week:
        return Value::integer(weekOfYear(d));
    case DatePart::Weekday:
        return Value::integer(d.weekday());
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

Value dateAddEval(Args a) {
    const DatePart part = parseDatePart(partText(a[0]), "dateadd");
    if (a[1].isNull() || a[2].isNull()) return Value::null(Type::dateTime());
    const std::int64_t n = convert(a[1], Type::integer(), ConversionKind::Implicit).asInt();
    const DateTime d = dateArg(a[2]);
    constexpr long double tpd = DateTime::kTicksPerDay;
    switch (part) {
    case DatePart::Year:
        return Value::dateTime(addMonths(d, n * 12));
    case DatePart::Quarter:
        return Value::dateTime(addMonths(d, n * 3));
    case DatePart::Month:
        return Value::dateTime(addMonths(d, n));
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
    return Value::null(Type::dateTime());
}

Value dateDiffEval(Args a) {
    const DatePart part = parseDatePart(partText(a[0]), "datediff");
    if (a[1].isNull() || a[2].isNull()) return Value::null(Type::integer());
    const DateTime x = dateArg(a[1]), y = dateArg(a[2]);
    const DateTime::Parts px = x.parts(), py = y.parts();
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
        diff = std::int64_t(y.days()) - x.days();
        break;
    case DatePart::Week:
        diff = weekIndex(y) - weekIndex(x);
        break;
    case DatePart::Hour:
        diff = floorDiv(y.totalTicks(), kTicksPerHour) - floorDiv(x.totalTicks(), kTicksPerHour);
        break;
    case DatePart::Minute:
        diff = floorDiv(y.totalTicks(), 300 * 60) - floorDiv(x.totalTicks(), 300 * 60);
        break;
    case DatePart::Second:
        diff = floorDiv(y.totalTicks(), 300) - floorDiv(x.totalTicks(), 300);
        break;
    case DatePart::Millisecond: {
        const auto ms = [](const DateTime& d) {
            return std::int64_t(d.days()) * 86400000 + (d.ticks() * 10 + 1) / 3;
        };
        diff = ms(y) - ms(x);
        break;
    }
    }
    if (diff < std::numeric_limits<std::int32_t>::min() || diff > std::numeric_limits<std::int32_t>::max())
        raise(535);
    return Value::integer(diff);
}

} // namespace detail

} // namespace tsql
