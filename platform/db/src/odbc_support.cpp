#include "odbc_support.h"

namespace platform::db::detail {

namespace {

// Diagnostic fields SQL Server drivers add to each record.
constexpr SQLSMALLINT kDiagSsMsgState = -1150;
constexpr SQLSMALLINT kDiagSsSeverity = -1151;
constexpr SQLSMALLINT kDiagSsLine = -1154;

int diagInteger(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field, int fallback) {
    SQLINTEGER value = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagField(type, handle, record, field, &value, SQL_IS_INTEGER, nullptr)))
        return fallback;
    return static_cast<int>(value);
}

SQLRETURN diagRecord(const Encoding& encoding, SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                     void* state, SQLINTEGER* native, TextBuffer& message, SQLSMALLINT* length) {
    if (encoding.wide())
        return SQLGetDiagRecW(type, handle, record, static_cast<SQLWCHAR*>(state), native,
                              static_cast<SQLWCHAR*>(message.data()), message.units(), length);
    return SQLGetDiagRec(type, handle, record, static_cast<SQLCHAR*>(state), native,
                         static_cast<SQLCHAR*>(message.data()), message.units(), length);
}

} // namespace

std::vector<Diagnostic> readDiagnostics(const Encoding& encoding, SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<Diagnostic> out;
    if (!handle) return out;
    for (SQLSMALLINT record = 1;; ++record) {
        TextBuffer state(encoding, 5);
        TextBuffer message(encoding, 1024);
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc = diagRecord(encoding, type, handle, record, state.data(), &native, message, &length);
        if (SQL_SUCCEEDED(rc) && length >= message.units()) {
            message.grow(static_cast<std::size_t>(length));
            rc = diagRecord(encoding, type, handle, record, state.data(), &native, message, &length);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        Diagnostic d;
        d.sqlState = state.text(5);
        d.native = static_cast<int>(native);
        d.text = message.text(length);
        const int severity = diagInteger(type, handle, record, kDiagSsSeverity, 0);
        // Other drivers answer the SQL Server fields with nothing or with zero.
        if (severity > 0 && severity <= 25) {
            d.severity = severity;
            d.state = diagInteger(type, handle, record, kDiagSsMsgState, 1);
            d.line = diagInteger(type, handle, record, kDiagSsLine, 0);
        }
        out.push_back(std::move(d));
    }
    return out;
}

} // namespace platform::db::detail
