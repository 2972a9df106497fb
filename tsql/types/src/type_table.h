#pragma once
//! The static facts of each type, shared by the type descriptors and the result type rules (private).

#include "tsql/type.h"

namespace tsql::detail {

constexpr int kMaxDigits = 38;

//! How a type name takes arguments.
enum class TypeArgs { None, Length, PrecisionScale, FloatBits, FractionDigits };

//! Static facts of each TypeId, indexed by the enum's value.
struct TypeRow {
    TypeId id;
    std::string_view name;
    int precedence;
    std::uint8_t xtype;
    std::int16_t fixedLength; //!< storage bytes of fixed-size types; 0 for sized/variable ones
    std::uint8_t prec;        //!< systypes.prec of the base type
    std::uint8_t scale;
    bool variable;
    TypeArgs args;
};

//! The row of a type.
const TypeRow& typeRow(TypeId id);

//! Maximum length of a sized type (characters for NCHAR/NVARCHAR, else bytes).
std::int32_t maxLength(TypeId id);

} // namespace tsql::detail
