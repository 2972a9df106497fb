#include "platform/soap/value.h"

#include <array>

namespace platform::soap {

namespace {

constexpr std::array<std::string_view, 13> kKindNames = {"absent", "nil",    "string",  "int",      "long",
                                                         "double", "float",  "boolean", "dateTime", "decimal",
                                                         "bytes",  "record", "array"};

[[noreturn]] void WrongKind(Value::Kind wanted, Value::Kind held) {
    throw ValueError("value is " + std::string(KindName(held)) + ", not " + std::string(KindName(wanted)));
}

template <class T> const T& Held(const auto& v, Value::Kind wanted, Value::Kind held) {
    if (const T* p = std::get_if<T>(&v)) return *p;
    WrongKind(wanted, held);
}

Value::Kind KindOfScalar(Scalar s) {
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

std::string_view KindName(Value::Kind kind) {
    return kKindNames[static_cast<std::size_t>(kind)];
}

Value::Value(Record r)
    : v_(Box<Record>(std::move(r))) {}
Value::Value(Array a)
    : v_(Box<soap::Array>(std::move(a))) {}

const std::string& Value::AsString() const {
    return Held<std::string>(v_, Kind::String, GetKind());
}
std::int32_t Value::AsInt() const {
    return Held<std::int32_t>(v_, Kind::Int, GetKind());
}
std::int64_t Value::AsLong() const {
    return Held<std::int64_t>(v_, Kind::Long, GetKind());
}
double Value::AsDouble() const {
    return Held<double>(v_, Kind::Double, GetKind());
}
float Value::AsFloat() const {
    return Held<float>(v_, Kind::Float, GetKind());
}
bool Value::AsBoolean() const {
    return Held<bool>(v_, Kind::Boolean, GetKind());
}
const DateTime& Value::AsDateTime() const {
    return Held<DateTime>(v_, Kind::DateTime, GetKind());
}
const Decimal& Value::AsDecimal() const {
    return Held<Decimal>(v_, Kind::Decimal, GetKind());
}
const Bytes& Value::AsBytes() const {
    return Held<Bytes>(v_, Kind::Bytes, GetKind());
}
const Record& Value::AsRecord() const {
    return *Held<Box<Record>>(v_, Kind::Record, GetKind());
}
Record& Value::AsRecord() {
    return *Held<Box<Record>>(v_, Kind::Record, GetKind());
}
const Array& Value::AsArray() const {
    return *Held<Box<soap::Array>>(v_, Kind::Array, GetKind());
}
Array& Value::AsArray() {
    return *Held<Box<soap::Array>>(v_, Kind::Array, GetKind());
}

bool operator==(const Value& a, const Value& b) {
    if (a.GetKind() != b.GetKind()) return false;
    switch (a.GetKind()) {
    case Value::Kind::Double: // NaN equals NaN for round-trip comparisons
        return a.AsDouble() == b.AsDouble() || (a.AsDouble() != a.AsDouble() && b.AsDouble() != b.AsDouble());
    case Value::Kind::Float:
        return a.AsFloat() == b.AsFloat() || (a.AsFloat() != a.AsFloat() && b.AsFloat() != b.AsFloat());
    default:
        return a.v_ == b.v_;
    }
}

bool Fits(const TypeRef& type, const Value& value) {
    const Value::Kind kind = value.GetKind();
    if (kind == Value::Kind::Absent || kind == Value::Kind::Nil) return true;
    if (type.scalar == Scalar::AnyType) return true;
    if (type.IsScalar()) return kind == KindOfScalar(type.scalar);
    if (type.record) return kind == Value::Kind::Record && value.AsRecord().Type().IsA(*type.record);
    return kind == Value::Kind::Array && &value.AsArray().Type() == type.array;
}

Record::Record(const RecordType& type)
    : type_(&type) {
    values_.reserve(type.Members().size());
    for (const auto& m : type.Members()) {
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

bool Record::Is(std::string_view typeName) const {
    for (const RecordType* t = type_; t; t = t->Base())
        if (t->Name() == typeName) return true;
    return false;
}

namespace {
const MemberInfo& MemberOf(const RecordType& type, std::string_view member) {
    if (const MemberInfo* m = type.Find(member)) return *m;
    throw ValueError("record type " + type.Name() + " has no member " + std::string(member));
}
} // namespace

const Value& Record::Get(std::string_view member) const {
    return values_[MemberOf(*type_, member).index];
}

Value& Record::Mutable(std::string_view member) {
    return values_[MemberOf(*type_, member).index];
}

void Record::Set(std::string_view member, Value value) {
    const MemberInfo& m = MemberOf(*type_, member);
    if (!Fits(m.type, value))
        throw ValueError("member " + type_->Name() + "." + m.name + " cannot hold a " +
                         std::string(KindName(value.GetKind())) + " value");
    values_[m.index] = std::move(value);
}

std::string Record::GetString(std::string_view member) const {
    const Value& v = Get(member);
    return v.IsNull() ? std::string() : v.AsString();
}
std::int32_t Record::GetInt(std::string_view member) const {
    const Value& v = Get(member);
    return v.IsNull() ? 0 : v.AsInt();
}
std::int64_t Record::GetLong(std::string_view member) const {
    const Value& v = Get(member);
    return v.IsNull() ? 0 : v.AsLong();
}
double Record::GetDouble(std::string_view member) const {
    const Value& v = Get(member);
    return v.IsNull() ? 0.0 : v.AsDouble();
}
bool Record::GetBoolean(std::string_view member) const {
    const Value& v = Get(member);
    return v.IsNull() ? false : v.AsBoolean();
}

bool operator==(const Record& a, const Record& b) {
    return a.type_ == b.type_ && a.values_ == b.values_;
}

void Array::Add(Value item) {
    if (!Fits(type_->Element(), item))
        throw ValueError("array " + type_->Name() + " cannot hold a " +
                         std::string(KindName(item.GetKind())) + " element");
    items_.push_back(std::move(item));
}

bool operator==(const Array& a, const Array& b) {
    return a.type_ == b.type_ && a.items_ == b.items_;
}

} // namespace platform::soap
