#pragma once
//! Values exchanged through the codec: scalars, generic records and arrays, each owning its content.

#include "platform/soap/types.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform::soap {

//! A dateTime as sent: calendar fields plus the offset from UTC it was written with.
struct DateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    bool hasOffset = true; //!< false when the text carried no zone designator
    int offsetMinutes = 0; //!< east of UTC; 0 with hasOffset is written "Z"

    //! Midnight of a calendar date with zero offset (how dates without a time are sent).
    static DateTime date(int year, int month, int day) { return DateTime{year, month, day}; }
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

//! An xsd:decimal kept as its canonical text.
struct Decimal {
    std::string text;
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

//! Raw bytes of an xsd:base64Binary value.
using Bytes = std::vector<std::uint8_t>;

//! A member or element that is not set (omitted on the wire).
struct Absent {
    friend bool operator==(Absent, Absent) = default;
};
//! An explicit nil (xsi:nil="true"); distinct from an empty array or string.
struct Nil {
    friend bool operator==(Nil, Nil) = default;
};

class Record;
class Array;

//! Owning pointer with deep copy, so records and arrays behave as values.
template <class T> class Box {
public:
    explicit Box(T value)
        : p_(std::make_unique<T>(std::move(value))) {}
    Box(const Box& o)
        : p_(std::make_unique<T>(*o.p_)) {}
    Box(Box&&) noexcept = default;
    Box& operator=(const Box& o) {
        if (this != &o) p_ = std::make_unique<T>(*o.p_);
        return *this;
    }
    Box& operator=(Box&&) noexcept = default;
    ~Box() = default;
    T& operator*() const { return *p_; }
    T* operator->() const { return p_.get(); }
    friend bool operator==(const Box& a, const Box& b) { return *a == *b; }

private:
    std::unique_ptr<T> p_;
};

//! Thrown when a value is read as the wrong kind or a member does not exist.
class ValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Any value of the contract.
class Value {
public:
    enum class Kind {
        Absent,
        Nil,
        String,
        Int,
        Long,
        Double,
        Float,
        Boolean,
        DateTime,
        Decimal,
        Bytes,
        Record,
        Array
    };

    Value() = default;
    Value(Absent) {}
    Value(Nil)
        : v_(Nil{}) {}
    Value(std::string s)
        : v_(std::move(s)) {}
    Value(const char* s)
        : v_(std::string(s)) {}
    Value(std::int32_t i)
        : v_(i) {}
    Value(std::int64_t i)
        : v_(i) {}
    Value(double d)
        : v_(d) {}
    Value(float f)
        : v_(f) {}
    Value(bool b)
        : v_(b) {}
    Value(DateTime d)
        : v_(d) {}
    Value(Decimal d)
        : v_(std::move(d)) {}
    Value(Bytes b)
        : v_(std::move(b)) {}
    Value(Record r);
    Value(Array a);

    Kind kind() const { return static_cast<Kind>(v_.index()); }
    bool isAbsent() const { return kind() == Kind::Absent; }
    bool isNil() const { return kind() == Kind::Nil; }
    //! Absent or nil.
    bool isNull() const { return isAbsent() || isNil(); }

    //! Typed reads; throw ValueError naming both kinds when the value holds another kind.
    const std::string& asString() const;
    std::int32_t asInt() const;
    std::int64_t asLong() const;
    double asDouble() const;
    float asFloat() const;
    bool asBoolean() const;
    const DateTime& asDateTime() const;
    const Decimal& asDecimal() const;
    const Bytes& asBytes() const;
    const Record& asRecord() const;
    Record& asRecord();
    const soap::Array& asArray() const;
    soap::Array& asArray();

    friend bool operator==(const Value& a, const Value& b);

private:
    std::variant<Absent, Nil, std::string, std::int32_t, std::int64_t, double, float, bool, DateTime, Decimal,
                 Bytes, Box<Record>, Box<soap::Array>>
        v_;
};

//! Name of a value kind for messages ("string", "record", ...).
std::string_view kindName(Value::Kind kind);

//! A record of a registered type: all members (inherited first) created empty - strings empty, numbers 0,
//! Booleans false, date-times, decimals, byte strings, records and arrays absent.
class Record {
public:
    explicit Record(const RecordType& type);

    const RecordType& type() const { return *type_; }
    //! True when the concrete type is `typeName` (code name) or derives from it.
    bool is(std::string_view typeName) const;

    //! Member by wire name; throws ValueError for an unknown member.
    const Value& get(std::string_view member) const;
    //! Sets a member after checking the value fits its declared type (absent and nil always fit);
    //! throws ValueError otherwise.
    void set(std::string_view member, Value value);
    //! Member by position in type().members().
    const Value& at(std::size_t index) const { return values_[index]; }
    //! Mutable member by position; the caller keeps it fitting its declared type.
    Value& mutableAt(std::size_t index) { return values_[index]; }
    //! Mutable member by wire name (for filling nested records and arrays in place).
    Value& mutableMember(std::string_view member);

    //! Convenience reads that treat absent and nil as the empty value of the kind.
    std::string getString(std::string_view member) const;
    std::int32_t getInt(std::string_view member) const;
    std::int64_t getLong(std::string_view member) const;
    double getDouble(std::string_view member) const;
    bool getBoolean(std::string_view member) const;

    friend bool operator==(const Record& a, const Record& b);

private:
    const RecordType* type_;
    std::vector<Value> values_;
};

//! A SOAP-encoded array of a registered array type.
class Array {
public:
    explicit Array(const ArrayType& type)
        : type_(&type) {}
    Array(const ArrayType& type, std::vector<Value> items)
        : type_(&type)
        , items_(std::move(items)) {}

    const ArrayType& type() const { return *type_; }
    const std::vector<Value>& items() const { return items_; }
    std::vector<Value>& items() { return items_; }
    //! Appends after checking the item fits the element type; throws ValueError otherwise.
    void add(Value item);

    friend bool operator==(const Array& a, const Array& b);

private:
    const ArrayType* type_;
    std::vector<Value> items_;
};

//! True when `value` may be stored where `type` is declared.
bool fits(const TypeRef& type, const Value& value);

} // namespace platform::soap
