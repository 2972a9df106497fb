#include "quelta/workflows/synch_sql.h"

#include "common/sql_text.h"

#include <limits>

namespace quelta {

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

} // namespace quelta
