#include "session_functions.h"

#include "errors.h"
#include "lexer.h"
#include "session.h"
#include "tsql/sqlite.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
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
Type sidType() {
    return Type::varBinary(85);
}
Type bigType() {
    return Type::bigInt();
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

} // namespace

//! One call of tsql_session: the session, the arguments after the name and the result to set.
struct SessionCall {
    Session::Impl& s;
    sqlite3_context* ctx;
    int argc;
    sqlite3_value** argv;

    bool given(int i) const { return i < argc && sqlite3_value_type(argv[i]) != SQLITE_NULL; }
    bool null(int i) const { return i < argc && !given(i); }
    std::string text(int i) const { return valueText(argv[i]); }
    long long integer(int i) const { return sqlite3_value_int64(argv[i]); }
    Bytes bytes(int i) const {
        const auto* b = static_cast<const std::uint8_t*>(sqlite3_value_blob(argv[i]));
        return Bytes(b, b + sqlite3_value_bytes(argv[i]));
    }

    void result(long long v) { sqlite3_result_int64(ctx, v); }
    void result(const std::string& v) {
        sqlite3_result_text(ctx, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void result(const Bytes& v) {
        sqlite3_result_blob(ctx, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    template <typename T> void result(const std::optional<T>& v) {
        if (v)
            result(*v);
        else
            sqlite3_result_null(ctx);
    }
};

namespace {

//! The login every database knows, with SQL Server's fixed id and SID.
constexpr std::string_view kSystemLogin = "sa";

//! A stable number for a login (SUSER_ID): sa is 1, as in SQL Server.
long long loginId(const std::string& login) {
    if (equalsIgnoreCase(login, kSystemLogin)) return 1;
    unsigned long long h = 1469598103934665603ULL;
    for (char c : upper(login))
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return 256 + static_cast<long long>(h % 1000000);
}

//! A stable security identifier for a login (SUSER_SID): 16 bytes of the login's name, 0x01 for sa.
Bytes loginSid(const std::string& login) {
    if (equalsIgnoreCase(login, kSystemLogin)) return {1};
    Bytes sid(16);
    unsigned long long h = 14695981039346656037ULL;
    for (std::size_t i = 0; i < sid.size(); ++i) {
        for (char c : upper(login))
            h = (h ^ static_cast<unsigned char>(c) ^ i) * 1099511628211ULL;
        sid[i] = static_cast<std::uint8_t>(h >> 56);
    }
    return sid;
}

//! Logins are not listed anywhere: a name maps to an id or SID, and back only for this session's login
//! and sa.
std::optional<std::string> loginWhere(const SessionCall& c,
                                      const std::function<bool(const std::string&)>& is) {
    for (const std::string& login : {c.s.login, std::string(kSystemLogin)})
        if (is(login)) return login;
    return std::nullopt;
}

//! ERROR_NUMBER() and the others: `read` of the error of the innermost CATCH block running, NULL
//! outside one.
template <typename T, typename Read> std::optional<T> caughtError(const SessionCall& c, Read read) {
    if (c.s.caught.empty()) return std::nullopt;
    return T(read(c.s.caught.back()));
}

//! The database's users: dbo (1) is every login here, as for a database owner.
constexpr std::pair<std::string_view, int> kUsers[] = {{"public", 0}, {"dbo", 1}, {"guest", 2}};

//! Databases by DB_ID: the system ones and this one (5).
std::optional<std::string> databaseName(const SessionCall& c, long long id) {
    static constexpr std::string_view system[] = {"master", "tempdb", "model", "msdb"};
    if (id == 5) return c.s.database->name();
    if (id >= 1 && id <= 4) return std::string(system[id - 1]);
    return std::nullopt;
}
std::optional<long long> databaseId(const SessionCall& c, const std::string& name) {
    if (equalsIgnoreCase(name, c.s.database->name())) return 5;
    for (long long id = 1; id <= 4; ++id)
        if (equalsIgnoreCase(*databaseName(c, id), name)) return id;
    return std::nullopt;
}

//! Object name of OBJECT_ID's argument: the last part of 'db.schema.name', brackets removed.
std::string lastPart(const std::string& name) {
    std::string part;
    bool bracket = false;
    for (char c : name) {
        if (c == '[' && !bracket) {
            bracket = true;
        } else if (c == ']' && bracket) {
            bracket = false;
        } else if (c == '.' && !bracket) {
            part.clear();
        } else {
            part += c;
        }
    }
    return part;
}

//! SERVERPROPERTY's answers; the version is SQL Server 2005's, the lowest the system supports.
std::optional<std::string> serverProperty(const SessionCall& c, const std::string& name) {
    static constexpr std::pair<std::string_view, std::string_view> fixed[] = {
        {"ProductVersion", "9.00.5000.00"},
        {"ProductLevel", "SP4"},
        {"Edition", "Embedded T-SQL engine"},
        {"EngineEdition", "4"},
        {"Collation", "Czech_CI_AS"},
        {"LCID", "1029"},
        {"IsCaseSensitive", "0"},
        {"IsClustered", "0"},
        {"IsFullTextInstalled", "0"},
        {"IsIntegratedSecurityOnly", "0"},
        {"IsSingleUser", "0"},
        {"LicenseType", "DISABLED"},
    };
    for (const auto& [property, value] : fixed)
        if (equalsIgnoreCase(property, name)) return std::string(value);
    if (equalsIgnoreCase(name, "ServerName") || equalsIgnoreCase(name, "MachineName"))
        return c.s.database->serverName();
    return std::nullopt;
}

std::optional<std::string> databaseProperty(const SessionCall& c, const std::string& db,
                                            const std::string& name) {
    static constexpr std::pair<std::string_view, std::string_view> fixed[] = {
        {"Collation", "Czech_CI_AS"},
        {"Status", "ONLINE"},
        {"Updateability", "READ_WRITE"},
        {"UserAccess", "MULTI_USER"},
        {"Recovery", "SIMPLE"},
        {"Version", "611"},
        {"IsAutoClose", "0"},
        {"IsAutoShrink", "0"},
        {"IsAnsiNullsEnabled", "1"},
        {"IsAnsiPaddingEnabled", "1"},
        {"IsAnsiWarningsEnabled", "1"},
        {"IsArithmeticAbortEnabled", "1"},
        {"IsQuotedIdentifiersEnabled", "1"},
        {"IsRecursiveTriggersEnabled", "0"},
        {"IsFulltextEnabled", "0"},
    };
    if (!databaseId(c, db)) return std::nullopt;
    for (const auto& [property, value] : fixed)
        if (equalsIgnoreCase(property, name)) return std::string(value);
    return std::nullopt;
}

//! ERROR_NUMBER() and the others: the error of the innermost CATCH block running, NULL outside one.
const SqlError* caughtError(const SessionCall& c) {
    return c.s.caught.empty() ? nullptr : &c.s.caught.back();
}

using Call = SessionCall;

constexpr SessionFunction kSessionFunctions[] = {
    {"SUSER_SNAME", 0, 1, "b", sysname,
     [](Call& c) {
         if (!c.given(0)) return c.null(0) ? c.result(std::optional<std::string>()) : c.result(c.s.login);
         const Bytes sid = c.bytes(0);
         c.result(loginWhere(c, [&](const std::string& l) { return loginSid(l) == sid; }));
     }},
    {"SUSER_NAME", 0, 1, "i", sysname,
     [](Call& c) {
         if (!c.given(0)) return c.null(0) ? c.result(std::optional<std::string>()) : c.result(c.s.login);
         const long long id = c.integer(0);
         c.result(loginWhere(c, [&](const std::string& l) { return loginId(l) == id; }));
     }},
    {"SUSER_ID", 0, 1, "s", integerType,
     [](Call& c) {
         if (c.null(0)) return c.result(std::optional<long long>());
         const std::string login = c.given(0) ? c.text(0) : c.s.login;
         c.result(login.empty() ? std::optional<long long>() : loginId(login));
     }},
    {"SUSER_SID", 0, 1, "s", sidType,
     [](Call& c) {
         if (c.null(0)) return c.result(std::optional<Bytes>());
         const std::string login = c.given(0) ? c.text(0) : c.s.login;
         c.result(login.empty() ? std::optional<Bytes>() : loginSid(login));
     }},
    {"ORIGINAL_LOGIN", 0, 0, "", sysname, [](Call& c) { c.result(c.s.login); }},
    {"USER_NAME", 0, 1, "i", sysname,
     [](Call& c) {
         if (!c.given(0)) return c.null(0) ? c.result(std::optional<std::string>()) : c.result("dbo");
         for (const auto& [name, id] : kUsers)
             if (id == c.integer(0)) return c.result(std::string(name));
         c.result(std::optional<std::string>());
     }},
    {"USER_ID", 0, 1, "s", integerType,
     [](Call& c) {
         if (!c.given(0)) return c.null(0) ? c.result(std::optional<long long>()) : c.result(1LL);
         for (const auto& [name, id] : kUsers)
             if (equalsIgnoreCase(name, c.text(0))) return c.result(static_cast<long long>(id));
         c.result(std::optional<long long>());
     }},
    {"IS_MEMBER", 1, 1, "s", integerType,
     [](Call& c) {
         // Every login works as the database owner here: a member of public and db_owner.
         const std::string role = c.text(0);
         c.result(equalsIgnoreCase(role, "public") || equalsIgnoreCase(role, "db_owner") ? 1LL : 0LL);
     }},
    {"IS_SRVROLEMEMBER", 1, 2, "ss", integerType,
     [](Call& c) { c.result(equalsIgnoreCase(c.s.login, kSystemLogin) ? 1LL : 0LL); }},
    {"HAS_DBACCESS", 1, 1, "s", integerType,
     [](Call& c) { c.result(databaseId(c, c.text(0)) ? std::optional<long long>(1) : std::nullopt); }},
    {"DB_NAME", 0, 1, "i", sysname,
     [](Call& c) {
         if (!c.given(0))
             return c.null(0) ? c.result(std::optional<std::string>()) : c.result(c.s.database->name());
         c.result(databaseName(c, c.integer(0)));
     }},
    {"DB_ID", 0, 1, "s", smallType,
     [](Call& c) {
         if (!c.given(0)) return c.null(0) ? c.result(std::optional<long long>()) : c.result(5LL);
         c.result(databaseId(c, c.text(0)));
     }},
    {"DATABASEPROPERTYEX", 2, 2, "ss", sysname,
     [](Call& c) { c.result(databaseProperty(c, c.text(0), c.text(1))); }},
    {"SERVERPROPERTY", 1, 1, "s", sysname, [](Call& c) { c.result(serverProperty(c, c.text(0))); }},
    {"HOST_NAME", 0, 0, "", sysname, [](Call& c) { c.result(std::string("localhost")); }},
    {"HOST_ID", 0, 0, "", sysname, [](Call& c) { c.result(std::to_string(c.s.spid)); }},
    {"APP_NAME", 0, 0, "", sysname, [](Call& c) { c.result(std::string("tsql")); }},
    {"GETANSINULL", 0, 1, "s", integerType, [](Call& c) { c.result(1LL); }},
    {"OBJECT_ID", 1, 2, "ss", integerType,
     [](Call& c) {
         if (!c.given(0)) return c.result(std::optional<long long>());
         std::string type = c.given(1) ? c.text(1) : "";
         while (!type.empty() && type.back() == ' ')
             type.pop_back();
         c.result(c.s.catalog.objectId(lastPart(c.text(0)), type));
     }},
    {"OBJECT_NAME", 1, 1, "i", sysname,
     [](Call& c) {
         if (!c.given(0)) return c.result(std::optional<std::string>());
         c.result(c.s.catalog.objectName(c.integer(0)));
     }},
    {"SCOPE_IDENTITY", 0, 0, "", identityType, [](Call& c) { c.result(c.s.scopeIdentity); }},
    {"ROWCOUNT_BIG", 0, 0, "", bigType, [](Call& c) { c.result(c.s.rowCount); }},
    {"@@ERROR", 0, 0, "", integerType, [](Call& c) { c.result(static_cast<long long>(c.s.error)); }},
    {"@@ROWCOUNT", 0, 0, "", integerType, [](Call& c) { c.result(c.s.rowCount); }},
    {"@@TRANCOUNT", 0, 0, "", integerType, [](Call& c) { c.result(static_cast<long long>(c.s.tranCount)); }},
    {"@@IDENTITY", 0, 0, "", identityType, [](Call& c) { c.result(c.s.identity); }},
    {"@@SERVERNAME", 0, 0, "", sysname, [](Call& c) { c.result(c.s.database->serverName()); }},
    {"@@SERVICENAME", 0, 0, "", sysname, [](Call& c) { c.result(std::string("MSSQLSERVER")); }},
    {"@@SPID", 0, 0, "", smallType, [](Call& c) { c.result(static_cast<long long>(c.s.spid)); }},
    {"@@VERSION", 0, 0, "", versionType,
     [](Call& c) { c.result(std::string("Embedded T-SQL engine 9.00.5000.00 (SQL Server 2005 dialect)")); }},
    {"@@NESTLEVEL", 0, 0, "", integerType, [](Call& c) { c.result(static_cast<long long>(c.s.nestLevel)); }},
    {"@@DATEFIRST", 0, 0, "", tinyType, [](Call& c) { c.result(7LL); }},
    {"@@LANGUAGE", 0, 0, "", sysname, [](Call& c) { c.result(std::string("us_english")); }},
    {"@@LANGID", 0, 0, "", smallType, [](Call& c) { c.result(0LL); }},
    {"@@LOCK_TIMEOUT", 0, 0, "", integerType, [](Call& c) { c.result(-1LL); }},
    {"@@MAX_CONNECTIONS", 0, 0, "", integerType, [](Call& c) { c.result(32767LL); }},
    {"@@MAX_PRECISION", 0, 0, "", tinyType, [](Call& c) { c.result(38LL); }},
    {"@@TEXTSIZE", 0, 0, "", integerType, [](Call& c) { c.result(2147483647LL); }},
    {"@@PROCID", 0, 0, "", integerType, [](Call& c) { c.result(0LL); }},
    {"@@FETCH_STATUS", 0, 0, "", integerType,
     [](Call& c) { c.result(static_cast<long long>(c.s.fetchStatus)); }},
    {"@@CURSOR_ROWS", 0, 0, "", integerType, [](Call& c) { c.result(c.s.cursorRows); }},
    {"ERROR_NUMBER", 0, 0, "", integerType,
     [](Call& c) {
         const SqlError* e = caughtError(c);
         c.result(e ? std::optional<long long>(e->number()) : std::nullopt);
     }},
    {"ERROR_SEVERITY", 0, 0, "", integerType,
     [](Call& c) {
         const SqlError* e = caughtError(c);
         c.result(e ? std::optional<long long>(e->severity()) : std::nullopt);
     }},
    {"ERROR_STATE", 0, 0, "", integerType,
     [](Call& c) {
         const SqlError* e = caughtError(c);
         c.result(e ? std::optional<long long>(e->state()) : std::nullopt);
     }},
    {"ERROR_LINE", 0, 0, "", integerType,
     [](Call& c) {
         const SqlError* e = caughtError(c);
         c.result(e ? std::optional<long long>(e->line()) : std::nullopt);
     }},
    {"ERROR_MESSAGE", 0, 0, "", errorMessageType,
     [](Call& c) {
         const SqlError* e = caughtError(c);
         c.result(e ? std::optional<std::string>(e->message()) : std::nullopt);
     }},
    {"ERROR_PROCEDURE", 0, 0, "", errorProcedureType,
     [](Call& c) {
         const SqlError* e = caughtError(c);
         c.result(e && !e->procedure().empty() ? std::optional<std::string>(e->procedure()) : std::nullopt);
     }},
    {"XACT_STATE", 0, 0, "", smallType,
     [](Call& c) {
         c.result(c.s.tranCount == 0 ? 0LL : c.s.doomed ? -1LL : 1LL);
     }},
    {"COLUMNS_UPDATED", 0, 0, "", columnsUpdatedType,
     [](Call& c) {
         // NULL outside a trigger of INSERT or UPDATE.
         c.result(c.s.columnsUpdated.empty() ? std::optional<Bytes>()
                                             : Bytes(c.s.columnsUpdated.begin(), c.s.columnsUpdated.end()));
     }},
};

//! UPDATE(column) of a trigger, called with the column's colid (not a function of the language).
void columnUpdated(SessionCall& c) {
    const auto bit = static_cast<std::size_t>(c.integer(0) - 1);
    const auto& mask = c.s.columnsUpdated;
    c.result(bit / 8 < mask.size() && (mask[bit / 8] >> (bit % 8)) & 1 ? 1LL : 0LL);
}

void sessionFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto* s = static_cast<Session::Impl*>(sqlite3_user_data(ctx));
    try {
        SessionCall call{*s, ctx, argc - 1, argv + 1};
        // The name is a constant of the statement: SQLite keeps the function found with it for the
        // statement's later rows.
        auto* f = static_cast<const SessionFunction*>(sqlite3_get_auxdata(ctx, 0));
        if (!f) {
            const std::string_view name = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
            if (name == "UPDATE") return columnUpdated(call);
            f = findSessionFunction(name);
            if (!f) return sqlite3_result_null(ctx);
            sqlite3_set_auxdata(ctx, 0, const_cast<SessionFunction*>(f), nullptr);
        }
        f->eval(call);
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
    // Looked up whenever a call is bound and again each time SQLite evaluates one: a sorted index.
    static const auto index = [] {
        std::array<const SessionFunction*, std::size(kSessionFunctions)> sorted{};
        for (std::size_t i = 0; i < sorted.size(); ++i)
            sorted[i] = &kSessionFunctions[i];
        std::sort(sorted.begin(), sorted.end(),
                  [](const SessionFunction* a, const SessionFunction* b) { return a->name < b->name; });
        return sorted;
    }();
    constexpr std::size_t longest = 32;
    static_assert(std::all_of(std::begin(kSessionFunctions), std::end(kSessionFunctions), [](const auto& f) {
        return f.name.size() <= longest &&
               std::none_of(f.name.begin(), f.name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    }));
    if (name.size() > longest) return nullptr;
    std::array<char, longest> buffer{};
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        buffer[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const std::string_view key(buffer.data(), name.size());
    auto it = std::lower_bound(index.begin(), index.end(), key,
                               [](const SessionFunction* f, std::string_view k) { return f->name < k; });
    return it != index.end() && (*it)->name == key ? *it : nullptr;
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
