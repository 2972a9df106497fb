#pragma once
//! SQL text the workflows share: the line separator, integer literals and the statements on the
//! synchronization settings table.

#include <cstdint>
#include <string>
#include <string_view>

namespace quelta {

//! Lines of statement texts are separated by a carriage return.
inline constexpr std::string_view CR = "\r";

//! The decimal literal of an integer (through the SQL text helpers where the value fits their integer kinds).
std::string SqlInteger(std::int64_t value);

//! "SELECT ISNULL(CommitNumber, 0) AS CommitNumber" CR "FROM TabQUELTANastaveniSynchronizace" CR
//! "WHERE Kod = N'<code>'".
std::string CommitNumberQuery(std::string_view code);

//! "SELECT Nazev, Ciselnik" CR "FROM TabQUELTANastaveniSynchronizace" CR "WHERE Kod = N'<code>'".
std::string SettingsRowQuery(std::string_view code);

//! Stamps the synchronization date of a settings row: "UPDATE TabQUELTANastaveniSynchronizace SET" CR
//! "  DatumSynchronizace = GETDATE()" CR "WHERE Kod = N'<code>'" CR "SELECT 1".
std::string StampDateStatement(std::string_view code);

} // namespace quelta
