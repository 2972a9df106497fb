#pragma once
//! SQL Server data types: descriptors, type names, catalog facts, precedence and result types.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tsql {

//! The SQL Server types the engine supports. `Null` is the type of a bare NULL literal: it yields to
//! every other type in CASE, COALESCE, UNION and arithmetic, and becomes INT when alone.
enum class TypeId : std::uint8_t {
    Null,
    Bit,
    TinyInt,
    SmallInt,
    Int,
    BigInt,
    Numeric,
    Decimal,
    Money,
    Real,
    Float,
    DateTime,
    Char,
    VarChar,
    Text,
    NChar,
    NVarChar,
    NText,
    Binary,
    VarBinary,
    Image,
    UniqueIdentifier,
    Date, //!< appended: type codes stored in catalogs stay valid
    Time,
};

//! A type with its arguments. `length` counts characters for CHAR/VARCHAR/NCHAR/NVARCHAR and bytes for
//! BINARY/VARBINARY; kMax means (MAX). precision/scale are used by NUMERIC/DECIMAL (MONEY is 19,4);
//! `scale` is the fraction digits of TIME (0..7).
struct Type {
    static constexpr std::int32_t kMax = -1;

    TypeId id = TypeId::Null;
    std::int32_t length = 0;
    std::uint8_t precision = 0;
    std::uint8_t scale = 0;

    friend bool operator==(const Type&, const Type&) = default;

    // Constructors of common types with SQL Server's defaults.
    static Type null() { return {}; }
    static Type bit() { return {TypeId::Bit, 0, 1, 0}; }
    static Type tinyInt() { return {TypeId::TinyInt, 0, 3, 0}; }
    static Type smallInt() { return {TypeId::SmallInt, 0, 5, 0}; }
    static Type integer() { return {TypeId::Int, 0, 10, 0}; }
    static Type bigInt() { return {TypeId::BigInt, 0, 19, 0}; }
    //! NUMERIC(p,s); p in 1..38, s in 0..p (not checked here: parseType checks user input).
    static Type numeric(int p = 18, int s = 0);
    static Type decimal(int p = 18, int s = 0);
    static Type money() { return {TypeId::Money, 0, 19, 4}; }
    static Type real() { return {TypeId::Real, 0, 24, 0}; }
    static Type floating() { return {TypeId::Float, 0, 53, 0}; }
    static Type dateTime() { return {TypeId::DateTime, 0, 23, 3}; }
    static Type chr(std::int32_t n = 1) { return {TypeId::Char, n, 0, 0}; }
    static Type varChar(std::int32_t n = 1) { return {TypeId::VarChar, n, 0, 0}; }
    static Type text() { return {TypeId::Text, 0, 0, 0}; }
    static Type nChar(std::int32_t n = 1) { return {TypeId::NChar, n, 0, 0}; }
    static Type nVarChar(std::int32_t n = 1) { return {TypeId::NVarChar, n, 0, 0}; }
    static Type nText() { return {TypeId::NText, 0, 0, 0}; }
    static Type binary(std::int32_t n = 1) { return {TypeId::Binary, n, 0, 0}; }
    static Type varBinary(std::int32_t n = 1) { return {TypeId::VarBinary, n, 0, 0}; }
    static Type image() { return {TypeId::Image, 0, 0, 0}; }
    static Type uniqueIdentifier() { return {TypeId::UniqueIdentifier, 0, 0, 0}; }
    static Type date() { return {TypeId::Date, 0, 10, 0}; }
    //! TIME(scale): hh:mi:ss with `scale` fraction digits (0..7, SQL Server's default 7).
    static Type time(int scale = 7) {
        return {TypeId::Time, 0, static_cast<std::uint8_t>(scale == 0 ? 8 : 9 + scale),
                static_cast<std::uint8_t>(scale)};
    }

    //! Lower-case SQL Server name with arguments as SQL Server writes it: "int", "numeric(19,2)",
    //! "nvarchar(20)", "varchar(max)".
    std::string name() const;
    //! Lower-case base name used in messages ("nvarchar", "int", "numeric").
    std::string_view baseName() const;

    //! A compact integer that identifies the type exactly (id, length, precision, scale); used to pass
    //! types to the SQLite functions as integer literals. fromCode(code()) == *this.
    std::int64_t code() const;
    //! Inverse of code(); throws std::invalid_argument for codes no Type produces.
    static Type fromCode(std::int64_t code);
};

// Type families.
bool isIntegerType(TypeId id);      //!< BIT, TINYINT, SMALLINT, INT, BIGINT
bool isExactNumericType(TypeId id); //!< integer types, NUMERIC, DECIMAL, MONEY
bool isNumericType(TypeId id);      //!< exact numerics, REAL, FLOAT
bool isDecimalType(TypeId id);      //!< NUMERIC, DECIMAL, MONEY (scaled exact values)
bool isCharacterType(TypeId id);    //!< CHAR, VARCHAR, TEXT, NCHAR, NVARCHAR, NTEXT
bool isUnicodeType(TypeId id);      //!< NCHAR, NVARCHAR, NTEXT
bool isBinaryType(TypeId id);       //!< BINARY, VARBINARY, IMAGE
bool isLargeObjectType(TypeId id);  //!< TEXT, NTEXT, IMAGE (cannot be compared or sorted)
bool isFixedLengthType(TypeId id);  //!< CHAR, NCHAR, BINARY (padded to their length)
bool isDateOrTimeType(TypeId id);   //!< DATETIME, DATE, TIME

//! Parses a type as written in T-SQL, case-insensitively: "INT", "numeric(19, 2)", "NVARCHAR(MAX)",
//! "[varchar] (10)", "double precision", "float(24)", "character varying(5)", "sysname" (nvarchar(128)).
//! Applies SQL Server's defaults (CHAR = CHAR(1), NUMERIC = NUMERIC(18,0), FLOAT(1..24) = REAL).
//! Returns std::nullopt for an unknown type name; throws SqlError for bad arguments
//! (e.g. numeric(40,2), varchar(0), varchar(9000)) with SQL Server's message.
std::optional<Type> parseType(std::string_view text);

//! Parses a bare type name with already-split arguments (what a parser sees: name, then numbers or MAX).
//! `args` holds the numbers; a MAX argument is passed as Type::kMax.
std::optional<Type> makeType(std::string_view name, std::span<const std::int32_t> args);

//! What SQL Server's catalog reports for a type (systypes row for the base type; syscolumns facts for a
//! column of this exact type).
struct TypeFacts {
    std::string_view systypesName; //!< systypes.name, e.g. "nvarchar"
    std::uint8_t xtype;            //!< systypes.xtype / syscolumns.xtype
    std::int16_t xusertype;        //!< systypes.xusertype / syscolumns.xusertype
    std::int16_t length;           //!< syscolumns.length: bytes (nvarchar(20) = 40; MAX = -1)
    std::int16_t prec;             //!< syscolumns.prec: digits for numbers, characters for text types
    std::uint8_t xprec;            //!< syscolumns.xprec
    std::uint8_t scale;            //!< syscolumns.scale / xscale
};

//! Catalog facts of a column of this type. Type::null() reports as int.
TypeFacts typeFacts(const Type& type);

//! The systypes rows for the base types (one per TypeId except Null, plus "sysname"), in xusertype order.
struct SysTypeRow {
    std::string_view name;
    std::uint8_t xtype;
    std::int16_t xusertype;
    std::int16_t length;
    std::int16_t prec;
    std::uint8_t scale;
    bool variable; //!< systypes.variable
};
std::span<const SysTypeRow> sysTypes();

//! SQL Server's data type precedence: a larger number wins. Null has the lowest.
int precedence(TypeId id);

//! Binary operators of expressions.
enum class BinaryOp { Add, Subtract, Multiply, Divide, Modulo };

//! Operator text as used in SQL Server's messages ("add", "subtract", "multiply", "divide", "modulo").
std::string_view operatorName(BinaryOp op);

//! Result type of `l op r` (SQL Server's rules: precedence, NUMERIC precision/scale with the 38-digit cap,
//! `+` as concatenation of two character or two binary operands with the summed length, DATETIME with
//! numbers). Throws SqlError 402 ("The data types %s and %s are incompatible in the %s operator.") or
//! 8117 for operand types the operator does not accept.
Type binaryResultType(BinaryOp op, const Type& l, const Type& r);

//! Result type of unary minus; throws SqlError 8117 for non-numeric operands.
Type negateResultType(const Type& operand);

//! Common type of CASE branches, COALESCE arguments and UNION columns (precedence, widest length,
//! NUMERIC unified as max integer digits + max scale capped at 38). Null branches are ignored.
//! Throws SqlError 206 ("Operand type clash: %s is incompatible with %s") when no implicit conversion
//! joins two branch types.
Type commonType(std::span<const Type> types);

//! Result type of ISNULL(check, replacement): the type of `check` (of `replacement` when check is Null).
Type isNullResultType(const Type& check, const Type& replacement);

//! Type both operands of a comparison are converted to (higher precedence). Throws SqlError 206/402
//! when they cannot be compared, 306 for TEXT/NTEXT/IMAGE operands (use LIKE or IS NULL).
Type comparisonType(const Type& l, const Type& r);

//! Type of an integer literal (INT, or NUMERIC(p,0) when it does not fit INT), of a decimal literal
//! ("12.50" = NUMERIC(4,2)) and of a float literal ("1e3" = FLOAT), from its text as lexed.
//! SQL Server types an integer literal that meets a NUMERIC operand in arithmetic as NUMERIC(digits,0)
//! (so 2.0/3 is 0.666666, not 0.666666666666): the binder passes `numericContext` = true there.
Type numericLiteralType(std::string_view literal, bool numericContext = false);

} // namespace tsql
