#include "platform/db/value.h"

#include "platform/db/errors.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace platform::db {

namespace {

[[noreturn]] void wrongKind(ValueKind have, const char* want) {
    throw ConversionError(std::string("Cannot read a ") + kindName(have) + " value as " + want);
}

std::string decimalText(std::string text) {
    if (text.find('.') == std::string::npos) return text;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    if (text == "-0" || text.empty()) text = "0";
    return text;
}

std::string floatText(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    return std::string(buf, r.ptr);
}

std::string dateTimeText(common::TDateTime days) {
    const auto f = common::DecodeDateTime(days);
    char buf[40];
    if (f.hour == 0 && f.minute == 0 && f.second == 0 && f.millisecond == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", f.year, f.month, f.day);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour,
                      f.minute, f.second);
    return buf;
}

} // namespace

const char* kindName(ValueKind kind) {
    switch (kind) {
    case ValueKind::Null:
        return "NULL";
    case ValueKind::Bool:
        return "bit";
    case ValueKind::Int:
        return "integer";
    case ValueKind::Float:
        return "float";
    case ValueKind::Decimal:
        return "decimal";
    case ValueKind::Text:
        return "text";
    case ValueKind::DateTime:
        return "date-time";
    case ValueKind::Bytes:
        return "binary";
    }
    return "unknown";
}

bool Value::asBool() const {
    if (const auto* b = std::get_if<bool>(&data_)) return *b;
    wrongKind(kind(), "bit");
}

std::int64_t Value::asInt() const {
    if (const auto* i = std::get_if<std::int64_t>(&data_)) return *i;
    wrongKind(kind(), "integer");
}

double Value::asFloat() const {
    if (const auto* d = std::get_if<double>(&data_)) return *d;
    wrongKind(kind(), "float");
}

const std::string& Value::asText() const {
    if (const auto* s = std::get_if<std::string>(&data_)) return *s;
    wrongKind(kind(), "text");
}

const Decimal& Value::asDecimal() const {
    if (const auto* d = std::get_if<Decimal>(&data_)) return *d;
    wrongKind(kind(), "decimal");
}

common::TDateTime Value::asDateTime() const {
    if (const auto* d = std::get_if<DateTime>(&data_)) return d->days;
    wrongKind(kind(), "date-time");
}

const Bytes& Value::asBytes() const {
    if (const auto* b = std::get_if<Bytes>(&data_)) return *b;
    wrongKind(kind(), "binary");
}

std::string toText(const Value& value) {
    switch (value.kind()) {
    case ValueKind::Null:
        return {};
    case ValueKind::Bool:
        return value.asBool() ? "True" : "False";
    case ValueKind::Int:
        return std::to_string(value.asInt());
    case ValueKind::Float:
        return floatText(value.asFloat());
    case ValueKind::Decimal:
        return decimalText(value.asDecimal().text);
    case ValueKind::Text:
        return value.asText();
    case ValueKind::DateTime:
        return dateTimeText(value.asDateTime());
    case ValueKind::Bytes:
        return std::string(value.asBytes().begin(), value.asBytes().end());
    }
    return {};
}

} // namespace platform::db
