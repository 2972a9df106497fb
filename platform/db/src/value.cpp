#include "platform/db/value.h"

#include "platform/db/errors.h"

#include <string>

namespace platform::db {

namespace {

[[noreturn]] void wrongKind(ValueKind have, const char* want) {
    throw ConversionError(std::string("Cannot read a ") + kindName(have) + " value as " + want);
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

} // namespace platform::db
