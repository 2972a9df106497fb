#include "scalars.h"

#include "platform/soap/codec.h"

#include "common/civil.h"

namespace platform::soap {

namespace {

[[noreturn]] void bad(std::string_view text) {
    detail::throwInvalid("dateTime", text);
}

} // namespace

std::string formatDateTime(const DateTime& dt) {
    std::string out;
    detail::appendDateTime(out, dt);
    return out;
}

DateTime parseDateTime(std::string_view text) {
    const std::string_view t = detail::trimXmlSpace(text);
    std::size_t pos = 0;
    auto number = [&](std::size_t minDigits, std::size_t maxDigits) {
        const std::size_t start = pos;
        int value = 0;
        while (pos < t.size() && pos - start < maxDigits && t[pos] >= '0' && t[pos] <= '9')
            value = value * 10 + (t[pos++] - '0');
        if (pos - start < minDigits) bad(text);
        return value;
    };
    auto expect = [&](char c) {
        if (pos >= t.size() || t[pos] != c) bad(text);
        ++pos;
    };
    DateTime dt;
    dt.hasOffset = false;
    if (pos < t.size() && t[pos] == '-') bad(text); // years before the common era are not used
    dt.year = number(4, 4);
    expect('-');
    dt.month = number(2, 2);
    expect('-');
    dt.day = number(2, 2);
    expect('T');
    dt.hour = number(2, 2);
    expect(':');
    dt.minute = number(2, 2);
    expect(':');
    dt.second = number(2, 2);
    if (pos < t.size() && t[pos] == '.') {
        ++pos;
        const std::size_t start = pos;
        int ms = 0;
        while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
            if (pos - start < 3) ms = ms * 10 + (t[pos] - '0');
            ++pos;
        }
        if (pos == start) bad(text);
        for (std::size_t d = pos - start; d < 3; ++d)
            ms *= 10;
        dt.millisecond = ms;
    }
    if (pos < t.size()) {
        dt.hasOffset = true;
        if (t[pos] == 'Z') {
            ++pos;
        } else if (t[pos] == '+' || t[pos] == '-') {
            const int sign = t[pos++] == '-' ? -1 : 1;
            const int hours = number(2, 2);
            expect(':');
            const int minutes = number(2, 2);
            if (hours > 14 || minutes > 59) bad(text);
            dt.offsetMinutes = sign * (hours * 60 + minutes);
        } else {
            bad(text);
        }
    }
    if (pos != t.size() || dt.month < 1 || dt.month > 12 || dt.day < 1 ||
        dt.day > common::DaysInMonth(dt.year, dt.month) || dt.hour > 23 || dt.minute > 59 || dt.second > 59)
        bad(text);
    return dt;
}

namespace detail {

void appendDateTime(std::string& out, const DateTime& dt) {
    char buf[32];
    char* p = buf;
    auto digits = [&p](int value, int width) {
        if (value < 0) value = 0;
        for (int i = width - 1; i >= 0; --i, value /= 10)
            p[i] = static_cast<char>('0' + value % 10);
        p += width;
    };
    digits(dt.year, 4);
    *p++ = '-';
    digits(dt.month, 2);
    *p++ = '-';
    digits(dt.day, 2);
    *p++ = 'T';
    digits(dt.hour, 2);
    *p++ = ':';
    digits(dt.minute, 2);
    *p++ = ':';
    digits(dt.second, 2);
    *p++ = '.';
    digits(dt.millisecond, 3);
    if (dt.hasOffset) {
        if (dt.offsetMinutes == 0) {
            *p++ = 'Z';
        } else {
            const int off = dt.offsetMinutes < 0 ? -dt.offsetMinutes : dt.offsetMinutes;
            *p++ = dt.offsetMinutes < 0 ? '-' : '+';
            digits(off / 60, 2);
            *p++ = ':';
            digits(off % 60, 2);
        }
    }
    out.append(buf, p);
}

} // namespace detail

} // namespace platform::soap
