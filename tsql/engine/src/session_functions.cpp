#include "session_functions.h"

#include "lexer.h"
#include "session.h"
#include "tsql/sqlite.h"

#include <array>
#include <string>

namespace tsql::engine {

namespace {

Type sysname() {
    return Type::nVarChar(128);
}
Type integerType() {
    return Type::integer();
}
Type identityType() {
    return Type::numeric(38, 0);
}
Type smallType() {
    return Type::smallInt();
}
Type tinyType() {
    return Type::tinyInt();
}
Type versionType() {
    return Type::nVarChar(300);
}
Type errorMessageType() {
    return Type::nVarChar(4000);
}
Type errorProcedureType() {
    return Type::nVarChar(126);
}
Type columnsUpdatedType() {
    return Type::varBinary(128);
}

constexpr std::array<SessionFunction, 34> sessionFunctions{{
    {"SUSER_SNAME", 0, 1, sysname},
    {"SUSER_NAME", 0, 1, sysname},
    {"SUSER_ID", 0, 1, integerType},
    {"USER_NAME", 0, 1, sysname},
    {"USER_ID", 0, 1, integerType},
    {"DB_NAME", 0, 1, sysname},
    {"DB_ID", 0, 1, smallType},
    {"HOST_NAME", 0, 0, sysname},
    {"APP_NAME", 0, 0, sysname},
    {"OBJECT_ID", 1, 2, integerType},
    {"OBJECT_NAME", 1, 1, sysname},
    {"SCOPE_IDENTITY", 0, 0, identityType},
    {"@@ERROR", 0, 0, integerType},
    {"@@ROWCOUNT", 0, 0, integerType},
    {"@@TRANCOUNT", 0, 0, integerType},
    {"@@IDENTITY", 0, 0, identityType},
    {"@@SERVERNAME", 0, 0, sysname},
    {"@@SPID", 0, 0, smallType},
    {"@@VERSION", 0, 0, versionType},
    {"@@NESTLEVEL", 0, 0, integerType},
    {"@@DATEFIRST", 0, 0, tinyType},
    {"@@LANGUAGE", 0, 0, sysname},
    {"@@MAX_PRECISION", 0, 0, tinyType},
    {"@@PROCID", 0, 0, integerType},
    {"@@FETCH_STATUS", 0, 0, integerType},
    {"@@CURSOR_ROWS", 0, 0, integerType},
    {"ERROR_NUMBER", 0, 0, integerType},
    {"ERROR_SEVERITY", 0, 0, integerType},
    {"ERROR_STATE", 0, 0, integerType},
    {"ERROR_LINE", 0, 0, integerType},
    {"ERROR_MESSAGE", 0, 0, errorMessageType},
    {"ERROR_PROCEDURE", 0, 0, errorProcedureType},
    {"XACT_STATE", 0, 0, smallType},
    {"COLUMNS_UPDATED", 0, 0, columnsUpdatedType},
}};

std::string argText(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? reinterpret_cast<const char*>(t) : "";
}

void resultText(sqlite3_context* ctx, const std::string& s) {
    sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

//! A stable positive number for a login (SUSER_ID).
long long loginId(const std::string& login) {
    unsigned long long h = 1469598103934665603ULL;
    for (char c : upper(login))
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return 256 + static_cast<long long>(h % 1000000);
}

//! Object name of OBJECT_ID's argument: the last part of 'db.schema.name', brackets removed.
std::string lastPart(const std::string& name) {
    std::string part, last;
    bool bracket = false;
    for (char c : name) {
        if (c == '[' && !bracket) {
            bracket = true;
        } else if (c == ']' && bracket) {
            bracket = false;
        } else if (c == '.' && !bracket) {
            last = part;
            part.clear();
            continue;
        } else {
            part += c;
        }
        last = part;
    }
    return part;
}

//! ERROR_NUMBER() and the others: the error of the innermost CATCH block running, NULL outside one.
void caughtError(sqlite3_context* ctx, const std::string& name, const std::vector<SqlError>& caught) {
    if (caught.empty()) return sqlite3_result_null(ctx);
    const SqlError& e = caught.back();
    if (name == "ERROR_NUMBER")
        sqlite3_result_int64(ctx, e.number());
    else if (name == "ERROR_SEVERITY")
        sqlite3_result_int64(ctx, e.severity());
    else if (name == "ERROR_STATE")
        sqlite3_result_int64(ctx, e.state());
    else if (name == "ERROR_LINE")
        sqlite3_result_int64(ctx, e.line());
    else if (name == "ERROR_MESSAGE")
        resultText(ctx, e.message());
    else if (name == "ERROR_PROCEDURE" && !e.procedure().empty())
        resultText(ctx, e.procedure());
    else
        sqlite3_result_null(ctx);
}

void sessionFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto* s = static_cast<Session::Impl*>(sqlite3_user_data(ctx));
    std::string name = argText(argv[0]);
    try {
        auto optionalInt = [&](const std::optional<long long>& v) {
            if (v)
                sqlite3_result_int64(ctx, *v);
            else
                sqlite3_result_null(ctx);
        };
        if (name == "SUSER_SNAME" || name == "SUSER_NAME") {
            resultText(ctx, s->login);
        } else if (name == "SUSER_ID") {
            sqlite3_result_int64(ctx, loginId(s->login));
        } else if (name == "USER_NAME") {
            resultText(ctx, "dbo");
        } else if (name == "USER_ID") {
            sqlite3_result_int64(ctx, 1);
        } else if (name == "DB_NAME") {
            resultText(ctx, s->database->name());
        } else if (name == "DB_ID") {
            sqlite3_result_int64(ctx, 5);
        } else if (name == "HOST_NAME") {
            resultText(ctx, "localhost");
        } else if (name == "APP_NAME") {
            resultText(ctx, "tsql");
        } else if (name == "OBJECT_ID") {
            if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
            std::string type = argc > 2 && sqlite3_value_type(argv[2]) != SQLITE_NULL ? argText(argv[2]) : "";
            while (!type.empty() && type.back() == ' ')
                type.pop_back();
            optionalInt(s->catalog.objectId(lastPart(argText(argv[1])), type));
        } else if (name == "OBJECT_NAME") {
            if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
            auto n = s->catalog.objectName(sqlite3_value_int64(argv[1]));
            if (n)
                resultText(ctx, *n);
            else
                sqlite3_result_null(ctx);
        } else if (name == "SCOPE_IDENTITY") {
            optionalInt(s->scopeIdentity);
        } else if (name == "@@IDENTITY") {
            optionalInt(s->identity);
        } else if (name == "@@ERROR") {
            sqlite3_result_int64(ctx, s->error);
        } else if (name == "@@ROWCOUNT") {
            sqlite3_result_int64(ctx, s->rowCount);
        } else if (name == "@@TRANCOUNT") {
            sqlite3_result_int64(ctx, s->tranCount);
        } else if (name == "@@SERVERNAME") {
            resultText(ctx, s->database->serverName());
        } else if (name == "@@SPID") {
            sqlite3_result_int64(ctx, s->spid);
        } else if (name == "@@VERSION") {
            resultText(ctx, "Embedded T-SQL engine 1.0");
        } else if (name == "@@NESTLEVEL") {
            sqlite3_result_int64(ctx, s->nestLevel);
        } else if (name == "@@PROCID") {
            sqlite3_result_int64(ctx, 0);
        } else if (name == "@@DATEFIRST") {
            sqlite3_result_int64(ctx, 7);
        } else if (name == "@@LANGUAGE") {
            resultText(ctx, "us_english");
        } else if (name == "@@MAX_PRECISION") {
            sqlite3_result_int64(ctx, 38);
        } else if (name == "@@FETCH_STATUS") {
            sqlite3_result_int64(ctx, s->fetchStatus);
        } else if (name == "@@CURSOR_ROWS") {
            sqlite3_result_int64(ctx, s->cursorRows);
        } else if (name == "COLUMNS_UPDATED") {
            // NULL outside a trigger of INSERT or UPDATE.
            if (s->columnsUpdated.empty()) return sqlite3_result_null(ctx);
            sqlite3_result_blob(ctx, s->columnsUpdated.data(), static_cast<int>(s->columnsUpdated.size()),
                                SQLITE_TRANSIENT);
        } else if (name == "UPDATE") {
            // UPDATE(column) of a trigger, with the column's colid.
            const auto bit = static_cast<std::size_t>(sqlite3_value_int64(argv[1]) - 1);
            const bool set =
                bit / 8 < s->columnsUpdated.size() && (s->columnsUpdated[bit / 8] >> (bit % 8)) & 1;
            sqlite3_result_int64(ctx, set ? 1 : 0);
        } else if (name == "XACT_STATE") {
            sqlite3_result_int64(ctx, s->tranCount == 0 ? 0 : s->doomed ? -1 : 1);
        } else if (name.rfind("ERROR_", 0) == 0) {
            caughtError(ctx, name, s->caught);
        } else {
            sqlite3_result_null(ctx);
        }
    } catch (const SqlError& e) {
        std::string text = encodeForSqlite(e);
        sqlite3_result_error(ctx, text.c_str(), static_cast<int>(text.size()));
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

//! tsql_error(number): raises a message-table error from inside a query (e.g. 512).
void errorFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    std::string text = encodeForSqlite(SqlError::make(sqlite3_value_int(argv[0])));
    sqlite3_result_error(ctx, text.c_str(), static_cast<int>(text.size()));
}

//! tsql_variable(slot): a variable of the running scope as it is now (see Binder::liveVariables).
void variableFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* s = static_cast<Session::Impl*>(sqlite3_user_data(ctx));
    const auto slot = static_cast<std::size_t>(sqlite3_value_int64(argv[0]));
    if (slot >= s->variables.size()) return sqlite3_result_error(ctx, "variable slot out of range", -1);
    try {
        setResult(ctx, s->variables[slot].value);
    } catch (const SqlError& e) {
        const std::string text = encodeForSqlite(e);
        sqlite3_result_error(ctx, text.c_str(), static_cast<int>(text.size()));
    }
}

//! tsql_next_identity(tableId): the next identity value of a table for the running statement.
void nextIdentity(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto* s = static_cast<Session::Impl*>(sqlite3_user_data(ctx));
    auto it = s->identityCounters.find(sqlite3_value_int64(argv[0]));
    if (it == s->identityCounters.end()) {
        sqlite3_result_error(ctx, "identity counter missing", -1);
        return;
    }
    IdentityCounter& c = it->second;
    c.current = c.current ? *c.current + c.increment : c.seed;
    c.changed = true;
    s->identity = c.current;
    s->scopeIdentity = c.current;
    sqlite3_result_int64(ctx, *c.current);
}

} // namespace

const SessionFunction* findSessionFunction(std::string_view name) {
    for (const auto& f : sessionFunctions)
        if (equalsIgnoreCase(f.name, name)) return &f;
    return nullptr;
}

void registerSessionFunctions(sqlite3* db, Session::Impl* session) {
    int rc = sqlite3_create_function_v2(db, "tsql_session", -1, SQLITE_UTF8, session, sessionFunction,
                                        nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "tsql_error", 1, SQLITE_UTF8, nullptr, errorFunction, nullptr,
                                        nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "tsql_next_identity", 1, SQLITE_UTF8, session, nextIdentity,
                                        nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "tsql_variable", 1, SQLITE_UTF8, session, variableFunction,
                                        nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot register the session functions");
}

} // namespace tsql::engine
