#pragma once
//! The data type codes of TYPE_INFO.

#include <cstdint>

namespace tsql::server::code {

// Fixed-length types (no length in TYPE_INFO).
inline constexpr std::uint8_t kNull = 0x1F;
inline constexpr std::uint8_t kInt1 = 0x30;
inline constexpr std::uint8_t kBit = 0x32;
inline constexpr std::uint8_t kInt2 = 0x34;
inline constexpr std::uint8_t kInt4 = 0x38;
inline constexpr std::uint8_t kDateTim4 = 0x3A;
inline constexpr std::uint8_t kFlt4 = 0x3B;
inline constexpr std::uint8_t kMoney = 0x3C;
inline constexpr std::uint8_t kDateTime = 0x3D;
inline constexpr std::uint8_t kFlt8 = 0x3E;
inline constexpr std::uint8_t kMoney4 = 0x7A;
inline constexpr std::uint8_t kInt8 = 0x7F;

// Types with a one-byte length.
inline constexpr std::uint8_t kGuid = 0x24;
inline constexpr std::uint8_t kIntN = 0x26;
inline constexpr std::uint8_t kDecimal = 0x37;
inline constexpr std::uint8_t kNumeric = 0x3F;
inline constexpr std::uint8_t kBitN = 0x68;
inline constexpr std::uint8_t kDecimalN = 0x6A;
inline constexpr std::uint8_t kNumericN = 0x6C;
inline constexpr std::uint8_t kFltN = 0x6D;
inline constexpr std::uint8_t kMoneyN = 0x6E;
inline constexpr std::uint8_t kDateTimN = 0x6F;
inline constexpr std::uint8_t kDateN = 0x28;
inline constexpr std::uint8_t kTimeN = 0x29;
inline constexpr std::uint8_t kDateTime2N = 0x2A;
inline constexpr std::uint8_t kDateTimeOffsetN = 0x2B;

// Types with a two-byte length (0xFFFF: a MAX type whose values come as PLP).
inline constexpr std::uint8_t kBigVarBinary = 0xA5;
inline constexpr std::uint8_t kBigVarChar = 0xA7;
inline constexpr std::uint8_t kBigBinary = 0xAD;
inline constexpr std::uint8_t kBigChar = 0xAF;
inline constexpr std::uint8_t kNVarChar = 0xE7;
inline constexpr std::uint8_t kNChar = 0xEF;

// Types with a four-byte length.
inline constexpr std::uint8_t kImage = 0x22;
inline constexpr std::uint8_t kText = 0x23;
inline constexpr std::uint8_t kNText = 0x63;
inline constexpr std::uint8_t kVariant = 0x62;

// Others.
inline constexpr std::uint8_t kXml = 0xF1;
inline constexpr std::uint8_t kUdt = 0xF0;

inline constexpr std::uint16_t kMaxLength = 0xFFFF;

} // namespace tsql::server::code
