#include "platform/soap/value.h"

#include <array>

namespace platform::soap {

namespace {

constexpr std::array<std::string_view, 13> kKindNames = {"absent", "nil",    "string",  "int",      "long",
                                                         "double", "float",  "boolean", "dateTime", "decimal",
                                                         "bytes",  "record", "array"};

[[noreturn]] void wrongKind(Value::Kind wanted, Value::Kind held) {
    throw ValueError("value is " + std::string(kindName(held)) + ", not " + std::string(kindName(wanted)));
}

template <class T> const T& held(const auto& v, Value::Kind wanted, Value::Kind held) {
    if (const T* p = std::get_if<T>(&v)) return *p;
    wrongKind(wanted, held);
}

Value::Kind kindOfScalar(Scalar s) {
    switch (s) {
    case Scalar::String:
    case Scalar::SoapString:
        return Value::Kind::String;
    case Scalar::Int:
        return Value::Kind::Int;
    case Scalar::Long:
        return Value::Kind::Long;
    case Scalar::Double:
        return Value::Kind::Double;
    case Scalar::Float:
        return Value::Kind::Float;
    case Scalar::Boolean:
        return Value::Kind::Boolean;
    case Scalar::DateTime:
        return Value::Kind::DateTime;
    case Scalar::Decimal:
        return Value::Kind::Decimal;
    case Scalar::Base64:
        return Value::Kind::Bytes;
    case Scalar::None:
    case Scalar::AnyType:
        break;
    }
    return Value::Kind::Absent;
}

} // namespace

std::string_view kindName(Value::Kind kind) {
    return kKindNames[static_cast<std::size_t>(kind)];
}

Value::Value(Record r)
    : v_(Box<Record>(std::move(r))) {}
Value::Value(Array a)
    : v_(Box<soap::Array>(std::move(a))) {}

const std::string& Value::asString() const {
    return held<std::string>(v_, Kind::String, kind());
}
std::int32_t Value::asInt() const {
    return held<std::int32_t>(v_, Kind::Int, kind());
}
std::int64_t Value::asLong() const {
    return held<std::int64_t>(v_, Kind::Long, kind());
}
double Value::asDouble() const {
    return held<double>(v_, Kind::Double, kind());
}
float Value::asFloat() const {
    return held<float>(v_, Kind::Float, kind());
}
bool Value::asBoolean() const {
    return held<bool>(v_, Kind::Boolean, kind());
}
const DateTime& Value::asDateTime() const {
    return held<DateTime>(v_, Kind::DateTime, kind());
}
const Decimal& Value::asDecimal() const {
    return held<Decimal>(v_, Kind::Decimal, kind());
}
const Bytes& Value::asBytes() const {
    return held<Bytes>(v_, Kind::Bytes, kind());
}
const Record& Value::asRecord() const {
    return *held<Box<Record>>(v_, Kind::Record, kind());
}
Record& Value::asRecord() {
    return *held<Box<Record>>(v_, Kind::Record, kind());
}
const Array& Value::asArray() const {
    return *held<Box<soap::Array>>(v_, Kind::Array, kind());
}
Array& Value::asArray() {
    return *held<Box<soap::Array>>(v_, Kind::Array, kind());
}

bool operator==(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
    case Value::Kind::Double: // NaN equals NaN for round-trip comparisons
        return a.asDouble() == b.asDouble() || (a.asDouble() != a.asDouble() && b.asDouble() != b.asDouble());
    case Value::Kind::Float:
        return a.asFloat() == b.asFloat() || (a.asFloat() != a.asFloat() && b.asFloat() != b.asFloat());
    default:
        return a.v_ == b.v_;
    }
}

bool fits(const TypeRef& type, const Value& value) {
    const Value::Kind kind = value.kind();
    if (kind == Value::Kind::Absent || kind == Value::Kind::Nil) return true;
    if (type.scalar == Scalar::AnyType) return true;
    if (type.isScalar()) return kind == kindOfScalar(type.scalar);
    if (type.record) return kind == Value::Kind::Record && value.asRecord().type().isA(*type.record);
    return kind == Value::Kind::Array && &value.asArray().type() == type.array;
}

Record::Record(const RecordType& type)
    : type_(&type) {
    values_.reserve(type.members().size());
    for (const auto& m : type.members()) {
        switch (m.type.scalar) {
        case Scalar::String:
        case Scalar::SoapString:
            values_.emplace_back(std::string());
            break;
        case Scalar::Int:
            values_.emplace_back(std::int32_t{0});
            break;
        case Scalar::Long:
            values_.emplace_back(std::int64_t{0});
            break;
        case Scalar::Double:
            values_.emplace_back(0.0);
            break;
        case Scalar::Float:
            values_.emplace_back(0.0f);
            break;
        case Scalar::Boolean:
            values_.emplace_back(false);
            break;
        default:
            values_.emplace_back();
            break;
        }
    }
}

bool Record::is(std::string_view typeName) const {
    for (const RecordType* t = type_; t; t = t->base())
        if (t->name() == typeName) return true;
    return false;
}

namespace {
const MemberInfo& memberOf(const RecordType& type, std::string_view member) {
    if (const MemberInfo* m = type.find(member)) return *m;
    throw ValueError("record type " + type.name() + " has no member " + std::string(member));
}
} // namespace

const Value& Record::get(std::string_view member) const {
    return values_[memberOf(*type_, member).index];
}

Value& Record::mutableMember(std::string_view member) {
    return values_[memberOf(*type_, member).index];
}

void Record::set(std::string_view member, Value value) {
    const MemberInfo& m = memberOf(*type_, member);
    if (!fits(m.type, value))
        throw ValueError("member " + type_->name() + "." + m.name + " cannot hold a " +
                         std::string(kindName(value.kind())) + " value");
    values_[m.index] = std::move(value);
}

std::string Record::getString(std::string_view member) const {
    const Value& v = get(member);
    return v.isNull() ? std::string() : v.asString();
}
std::int32_t Record::getInt(std::string_view member) const {
    const Value& v = get(member);
    return v.isNull() ? 0 : v.asInt();
}
std::int64_t Record::getLong(std::string_view member) const {
    const Value& v = get(member);
    return v.isNull() ? 0 : v.asLong();
}
double Record::getDouble(std::string_view member) const {
    const Value& v = get(member);
    return v.isNull() ? 0.0 : v.asDouble();
}
bool Record::getBoolean(std::string_view member) const {
    const Value& v = get(member);
    return v.isNull() ? false : v.asBoolean();
}

bool operator==(const Record& a, const Record& b) {
    return a.type_ == b.type_ && a.values_ == b.values_;
}

void Array::add(Value item) {
    if (!fits(type_->element(), item))
        throw ValueError("array " + type_->name() + " cannot hold a " + std::string(kindName(item.kind())) +
                         " element");
    items_.push_back(std::move(item));
}

bool operator==(const Array& a, const Array& b) {
    return a.type_ == b.type_ && a.items_ == b.items_;
}

} // namespace platform::soap
