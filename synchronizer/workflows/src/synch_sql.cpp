#include "quelta/workflows/synch_sql.h"

#include "common/sql_text.h"
#include "quelta/db_connector.h"

#include <charconv>
#include <limits>

namespace quelta {

EQueltaError MissingSettingsRow(std::string_view code) {
    return EQueltaError("Tabulka TabQUELTANastaveniSynchronizace nemá řádek s kódem '" + std::string(code) +
                        "'.");
}

std::int32_t EntityIdValue(const std::string& entityId) {
    std::string_view s = entityId;
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (s.size() > 1 && s.front() == '+') s.remove_prefix(1);
    std::int32_t value = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size())
        throw EQueltaError("Chybný identifikátor záznamu (6. parametr): '" + entityId +
                           "'. Očekáváno celé číslo.");
    return value;
}

std::string SqlInteger(std::int64_t value) {
    if (value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max())
        return common::SqlValue(static_cast<std::int32_t>(value));
    return std::to_string(value); // beyond the variant's integer kinds; digits and a sign only
}

std::string CommitNumberQuery(std::string_view code) {
    return "SELECT ISNULL(CommitNumber, 0) AS CommitNumber" + std::string(CR) +
           "FROM TabQUELTANastaveniSynchronizace" + std::string(CR) +
           "WHERE Kod = " + common::SqlNString(code);
}

std::string SettingsRowQuery(std::string_view code) {
    return "SELECT Nazev, Ciselnik" + std::string(CR) + "FROM TabQUELTANastaveniSynchronizace" +
           std::string(CR) + "WHERE Kod = " + common::SqlNString(code);
}

std::string StampDateStatement(std::string_view code) {
    return "UPDATE TabQUELTANastaveniSynchronizace SET" + std::string(CR) +
           "  DatumSynchronizace = GETDATE()" + std::string(CR) + "WHERE Kod = " + common::SqlNString(code) +
           std::string(CR) + "SELECT 1";
}

void InTransaction(TDBConnector& db, const std::function<void()>& work) {
    db.ExecSQL("BEGIN TRANSACTION");
    try {
        work();
    } catch (...) {
        // The work's error is what the user must see; a failed rollback leaves the transaction to end with
        // the connection, which rolls it back as well.
        try {
            db.ExecSQL("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION");
        } catch (const std::exception&) {
        }
        throw;
    }
    db.ExecSQL("COMMIT TRANSACTION");
}

} // namespace quelta
