#pragma once
//! SQL text the workflows share: the line separator, integer literals and the statements on the
//! synchronization settings table.

#include "quelta/errors.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quelta {

//! Lines of statement texts are separated by a carriage return.
inline constexpr std::string_view CR = "\r";

//! The error of a code without its row in TabQUELTANastaveniSynchronizace.
EQueltaError MissingSettingsRow(std::string_view code);

//! Command-line argument 6 as one integer (surrounding blanks and a leading "+" allowed); EQueltaError
//! otherwise.
std::int32_t EntityIdValue(const std::string& entityId);

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

class TDBConnector;

//! Runs `work` on the connector's connection inside "BEGIN TRANSACTION" ... "COMMIT TRANSACTION"; when it
//! throws, the transaction is rolled back and the error passed on.
void InTransaction(TDBConnector& db, const std::function<void()>& work);

} // namespace quelta
