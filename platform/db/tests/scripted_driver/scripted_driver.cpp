// A small ODBC driver for tests: it answers each batch by following the batch text as a script, so the
// backend can be driven through the real driver manager into the situations a SQL Server produces
// (several results, PRINT output, errors in the middle of a batch, long data, lost connections).
//
// Script lines (fields separated by tabs):
//   COLUMNS <name>:<type>[:<scale>] ...   starts a result set; <type> is one of the names in kTypes
//   ROW <value> ...                       a row of the current result set; \N is NULL
//   COUNT <n>                             a statement that changed n rows
//   PRINT <text>                          an informational message (severity 0) before the next result
//   ERROR <number> <severity> <text>      a statement that failed
//   LOST                                  the connection breaks
//   STUCK                                 the statement can neither be closed nor run again
// The connection string "DATABASE=refuse" makes the connection fail.

#include "common/utf.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr SQLSMALLINT kDiagSsMsgState = -1150;
constexpr SQLSMALLINT kDiagSsSeverity = -1151;
constexpr SQLSMALLINT kDiagSsLine = -1154;

struct TypeEntry {
    const char* name;
    SQLSMALLINT sqlType;
};

constexpr TypeEntry kTypes[] = {
    {"int", SQL_INTEGER},
    {"bigint", SQL_BIGINT},
    {"bit", SQL_BIT},
    {"float", SQL_FLOAT},
    {"numeric", SQL_NUMERIC},
    {"money", SQL_DECIMAL},
    {"nvarchar", SQL_WVARCHAR},
    {"ntext", SQL_WLONGVARCHAR},
    {"varchar", SQL_VARCHAR},
    {"varbinary", SQL_VARBINARY},
    {"image", SQL_LONGVARBINARY},
    {"datetime", SQL_TYPE_TIMESTAMP},
    {"date", SQL_TYPE_DATE},
    {"time", -154},
    {"uniqueidentifier", SQL_GUID},
    {"int identity", SQL_INTEGER},
};

struct Diag {
    std::string state;
    int native = 0;
    int severity = 0;
    std::string text;
};

struct Column {
    std::string name;
    std::string type;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLSMALLINT scale = 0;
};

//! One step of a batch: what SQLExecDirect or SQLMoreResults positions on.
struct Step {
    std::vector<Diag> diags;
    bool failed = false;
    bool hasColumns = false;
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;
    SQLLEN count = -1;
};

struct Handle {
    std::vector<Diag> diags;
    void clear() { diags.clear(); }
};

struct Env : Handle {};
struct Dbc : Handle {
    bool lost = false;
};
struct Stmt : Handle {
    Dbc* dbc = nullptr;
    std::vector<Step> steps;
    std::size_t step = 0;
    std::ptrdiff_t row = -1;
    SQLUSMALLINT dataColumn = 0;
    std::size_t dataOffset = 0;
    bool stuck = false;
};

Handle* handleOf(SQLSMALLINT, SQLHANDLE h) {
    return static_cast<Handle*>(h);
}

std::vector<std::string> split(const std::string& s, char separator) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const auto at = s.find(separator, start);
        out.push_back(s.substr(start, at - start));
        if (at == std::string::npos) return out;
        start = at + 1;
    }
}

std::string narrow(const SQLWCHAR* text, SQLINTEGER length) {
    std::u16string u;
    for (SQLINTEGER i = 0; length == SQL_NTS ? text[i] != 0 : i < length; ++i)
        u += static_cast<char16_t>(text[i]);
    return common::Utf16ToUtf8(u);
}

//! Writes text as UTF-16 into a buffer of `bytes` bytes; returns the full length in bytes.
SQLLEN writeWide(const std::string& utf8, void* buffer, SQLLEN bytes) {
    const std::u16string u = common::Utf8ToUtf16(utf8);
    if (buffer && bytes >= 2) {
        const auto units = std::min<std::size_t>(u.size(), static_cast<std::size_t>(bytes) / 2 - 1);
        auto* out = static_cast<SQLWCHAR*>(buffer);
        for (std::size_t i = 0; i < units; ++i)
            out[i] = u[i];
        out[units] = 0;
    }
    return static_cast<SQLLEN>(u.size() * 2);
}

std::vector<Step> parse(const std::string& script, Dbc& dbc, bool& stuck) {
    std::vector<Step> steps;
    Step pending;
    const auto flush = [&] {
        steps.push_back(std::move(pending));
        pending = Step();
    };
    for (const auto& line : split(script, '\n')) {
        auto fields = split(line, '\t');
        const std::string verb = fields[0];
        fields.erase(fields.begin());
        if (verb == "COLUMNS") {
            if (pending.hasColumns) flush();
            pending.hasColumns = true;
            for (const auto& f : fields) {
                const auto parts = split(f, ':');
                Column c{parts[0], parts.at(1)};
                for (const auto& t : kTypes)
                    if (c.type == t.name) c.sqlType = t.sqlType;
                if (parts.size() > 2) c.scale = static_cast<SQLSMALLINT>(std::stoi(parts[2]));
                pending.columns.push_back(c);
            }
        } else if (verb == "ROW") {
            pending.rows.push_back(fields);
        } else if (verb == "COUNT") {
            if (pending.hasColumns) flush();
            pending.count = std::stoll(fields.at(0));
            flush();
        } else if (verb == "PRINT") {
            if (pending.hasColumns) flush();
            pending.diags.push_back({"01000", 0, 0, "[Scripted][SQL Server]" + fields.at(0)});
        } else if (verb == "ERROR") {
            if (pending.hasColumns) flush();
            pending.diags.push_back({"42000", std::stoi(fields.at(0)), std::stoi(fields.at(1)),
                                     "[Scripted][SQL Server]" + fields.at(2)});
            pending.failed = true;
            flush();
        } else if (verb == "STUCK") {
            stuck = true;
        } else if (verb == "LOST") {
            if (pending.hasColumns) flush();
            pending.diags.push_back({"08S01", 0, 0, "[Scripted]Communication link failure"});
            pending.failed = true;
            dbc.lost = true;
            flush();
        }
    }
    if (pending.hasColumns || !pending.diags.empty()) flush();
    return steps;
}

SQLRETURN enter(Stmt& s) {
    Step& step = s.steps[s.step];
    s.diags = step.diags;
    s.row = -1;
    if (step.failed) return SQL_ERROR;
    return s.diags.empty() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

const Column* column(Stmt& s, SQLUSMALLINT index) {
    if (s.step >= s.steps.size()) return nullptr;
    const auto& columns = s.steps[s.step].columns;
    return index >= 1 && index <= columns.size() ? &columns[index - 1] : nullptr;
}

std::vector<std::uint8_t> unhex(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

//! Hands out a long value in pieces; character data is NUL-terminated and the total is not told.
SQLRETURN piece(Stmt& s, const std::string& data, std::size_t unit, void* target, SQLLEN bytes,
                SQLLEN* indicator) {
    if (s.dataOffset >= data.size() && s.dataOffset > 0) return SQL_NO_DATA;
    const std::size_t terminator = unit == 0 ? 0 : unit;
    const std::size_t room =
        static_cast<std::size_t>(bytes) > terminator ? static_cast<std::size_t>(bytes) - terminator : 0;
    const std::size_t left = data.size() - s.dataOffset;
    const std::size_t now = std::min(room - room % std::max<std::size_t>(unit, 1), left);
    std::memcpy(target, data.data() + s.dataOffset, now);
    if (terminator) std::memset(static_cast<char*>(target) + now, 0, terminator);
    s.dataOffset += now;
    if (now < left) {
        *indicator = unit == 0 ? static_cast<SQLLEN>(left) : SQL_NO_TOTAL;
        s.diags.push_back({"01004", 0, 0, "String data, right truncated"});
        return SQL_SUCCESS_WITH_INFO;
    }
    *indicator = static_cast<SQLLEN>(left);
    if (now == 0 && s.dataOffset == 0) s.dataOffset = 1; // an empty value was delivered
    return SQL_SUCCESS;
}

} // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    switch (type) {
    case SQL_HANDLE_ENV:
        *output = new Env;
        return SQL_SUCCESS;
    case SQL_HANDLE_DBC:
        *output = new Dbc;
        return SQL_SUCCESS;
    case SQL_HANDLE_STMT: {
        auto* s = new Stmt;
        s->dbc = static_cast<Dbc*>(input);
        *output = s;
        return SQL_SUCCESS;
    }
    default:
        return SQL_ERROR;
    }
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    switch (type) {
    case SQL_HANDLE_ENV:
        delete static_cast<Env*>(handle);
        break;
    case SQL_HANDLE_DBC:
        delete static_cast<Dbc*>(handle);
        break;
    case SQL_HANDLE_STMT:
        delete static_cast<Stmt*>(handle);
        break;
    default:
        return SQL_ERROR;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT statement, SQLUSMALLINT option) {
    auto* s = static_cast<Stmt*>(statement);
    if (s->stuck && option != SQL_DROP) return SQL_ERROR;
    s->steps.clear();
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
    return SQL_SUCCESS;
}
SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
    return SQL_SUCCESS;
}
SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC connection, SQLHWND, SQLWCHAR* in, SQLSMALLINT length,
                                    SQLWCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength, SQLUSMALLINT) {
    auto* dbc = static_cast<Dbc*>(connection);
    dbc->clear();
    const std::string text = narrow(in, length);
    if (text.find("DATABASE=refuse;") != std::string::npos) {
        dbc->diags.push_back({"28000", 18456, 14, "[Scripted][SQL Server]Login failed for user 'sa'."});
        return SQL_ERROR;
    }
    const SQLLEN full = writeWide(text, out, outMax * 2);
    if (outLength) *outLength = static_cast<SQLSMALLINT>(full / 2);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC) {
    return SQL_SUCCESS;
}
SQLRETURN SQL_API SQLEndTran(SQLSMALLINT, SQLHANDLE, SQLSMALLINT) {
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT max,
                              SQLSMALLINT* length) {
    const char* text = nullptr;
    switch (type) {
    case SQL_SERVER_NAME:
        text = "SCRIPTED\\INSTANCE";
        break;
    case SQL_DBMS_NAME: // the server it plays
        text = "Microsoft SQL Server";
        break;
    case SQL_DBMS_VER:
        text = "01.00.0000";
        break;
    case SQL_DRIVER_NAME:
        text = "scripted_odbc_driver.so";
        break;
    case SQL_DRIVER_VER:
        text = "01.00.0000";
        break;
    case SQL_DRIVER_ODBC_VER:
        text = "03.00";
        break;
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR:
    case SQL_TXN_CAPABLE:
        if (value) *static_cast<SQLUSMALLINT*>(value) = 0;
        return SQL_SUCCESS;
    case SQL_GETDATA_EXTENSIONS:
        if (value) *static_cast<SQLUINTEGER*>(value) = 0;
        return SQL_SUCCESS;
    default:
        return SQL_ERROR;
    }
    const SQLLEN full = writeWide(text, value, max);
    if (length) *length = static_cast<SQLSMALLINT>(full);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT statement, SQLWCHAR* text, SQLINTEGER length) {
    auto* s = static_cast<Stmt*>(statement);
    s->clear();
    if (s->stuck) {
        s->diags.push_back({"HY010", 0, 0, "[Scripted]Function sequence error"});
        return SQL_ERROR;
    }
    s->steps = parse(narrow(text, length), *s->dbc, s->stuck);
    s->step = 0;
    if (s->steps.empty()) return SQL_NO_DATA;
    return enter(*s);
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT statement) {
    auto* s = static_cast<Stmt*>(statement);
    s->clear();
    if (s->dbc->lost) {
        s->diags.push_back({"08S01", 0, 0, "[Scripted]Communication link failure"});
        return SQL_ERROR;
    }
    if (s->step + 1 >= s->steps.size()) {
        s->steps.clear();
        return SQL_NO_DATA;
    }
    ++s->step;
    return enter(*s);
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT statement, SQLSMALLINT* count) {
    auto* s = static_cast<Stmt*>(statement);
    s->clear();
    *count = s->step < s->steps.size() ? static_cast<SQLSMALLINT>(s->steps[s->step].columns.size()) : 0;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT statement, SQLLEN* count) {
    auto* s = static_cast<Stmt*>(statement);
    s->clear();
    *count = s->step < s->steps.size() ? s->steps[s->step].count : -1;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT statement, SQLUSMALLINT index, SQLWCHAR* name, SQLSMALLINT max,
                                  SQLSMALLINT* length, SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* scale,
                                  SQLSMALLINT* nullable) {
    auto* s = static_cast<Stmt*>(statement);
    s->clear();
    const Column* c = column(*s, index);
    if (!c) return SQL_ERROR;
    const SQLLEN full = writeWide(c->name, name, max * 2);
    if (length) *length = static_cast<SQLSMALLINT>(full / 2);
    if (type) *type = c->sqlType;
    if (size) *size = 0;
    if (scale) *scale = c->scale;
    if (nullable) *nullable = SQL_NULLABLE;
    return full / 2 < max ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT statement, SQLUSMALLINT index, SQLUSMALLINT field,
                                   SQLPOINTER text, SQLSMALLINT max, SQLSMALLINT* length, SQLLEN* number) {
    auto* s = static_cast<Stmt*>(statement);
    s->clear();
    const Column* c = column(*s, index);
    if (!c) return SQL_ERROR;
    if (field != SQL_DESC_TYPE_NAME) {
        if (number) *number = 0;
        return SQL_SUCCESS;
    }
    const SQLLEN full = writeWide(c->type, text, max);
    if (length) *length = static_cast<SQLSMALLINT>(full);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT statement) {
    auto* s = static_cast<Stmt*>(statement);
    s->clear();
    if (s->step >= s->steps.size()) return SQL_ERROR;
    const auto& rows = s->steps[s->step].rows;
    if (static_cast<std::size_t>(s->row + 1) >= rows.size()) return SQL_NO_DATA;
    ++s->row;
    s->dataColumn = 0;
    if (rows[static_cast<std::size_t>(s->row)].size() == 1 &&
        rows[static_cast<std::size_t>(s->row)][0] == "FAIL") {
        s->diags.push_back({"22003", 8115, 16, "[Scripted][SQL Server]Arithmetic overflow error."});
        return SQL_ERROR;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT statement, SQLUSMALLINT index, SQLSMALLINT target, SQLPOINTER value,
                             SQLLEN bytes, SQLLEN* indicator) {
    auto* s = static_cast<Stmt*>(statement);
    s->clear();
    const Column* c = column(*s, index);
    if (!c || s->row < 0) return SQL_ERROR;
    const auto& row = s->steps[s->step].rows[static_cast<std::size_t>(s->row)];
    if (index > row.size()) return SQL_ERROR;
    const std::string& field = row[index - 1];
    if (s->dataColumn != index) {
        s->dataColumn = index;
        s->dataOffset = 0;
    }
    if (field == "\\N") {
        *indicator = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    switch (target) {
    case SQL_C_WCHAR: {
        const std::u16string u = common::Utf8ToUtf16(field);
        return piece(*s, std::string(reinterpret_cast<const char*>(u.data()), u.size() * 2), 2, value, bytes,
                     indicator);
    }
    case SQL_C_CHAR:
        return piece(*s, field, 1, value, bytes, indicator);
    case SQL_C_BINARY:
        return piece(*s, std::string(reinterpret_cast<const char*>(unhex(field).data()), field.size() / 2), 0,
                     value, bytes, indicator);
    case SQL_C_SBIGINT:
        *static_cast<SQLBIGINT*>(value) = std::stoll(field);
        break;
    case SQL_C_BIT:
        *static_cast<SQLCHAR*>(value) = field == "1" ? 1 : 0;
        break;
    case SQL_C_DOUBLE:
        *static_cast<SQLDOUBLE*>(value) = std::stod(field);
        break;
    case SQL_C_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT t{};
        unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, frac = 0;
        if (c->sqlType == -154)
            std::sscanf(field.c_str(), "%u:%u:%u.%u", &h, &mi, &sec, &frac), y = 2030, mo = 1, d = 2;
        else
            std::sscanf(field.c_str(), "%u-%u-%u %u:%u:%u.%u", &y, &mo, &d, &h, &mi, &sec, &frac);
        t.year = static_cast<SQLSMALLINT>(y);
        t.month = static_cast<SQLUSMALLINT>(mo);
        t.day = static_cast<SQLUSMALLINT>(d);
        t.hour = static_cast<SQLUSMALLINT>(h);
        t.minute = static_cast<SQLUSMALLINT>(mi);
        t.second = static_cast<SQLUSMALLINT>(sec);
        t.fraction = frac;
        *static_cast<SQL_TIMESTAMP_STRUCT*>(value) = t;
        break;
    }
    case SQL_C_GUID: {
        SQLGUID g{};
        unsigned d1 = 0, d2 = 0, d3 = 0, b[8] = {};
        std::sscanf(field.c_str(), "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x", &d1, &d2, &d3, &b[0], &b[1],
                    &b[2], &b[3], &b[4], &b[5], &b[6], &b[7]);
        g.Data1 = d1;
        g.Data2 = static_cast<SQLUSMALLINT>(d2);
        g.Data3 = static_cast<SQLUSMALLINT>(d3);
        for (int i = 0; i < 8; ++i)
            g.Data4[i] = static_cast<SQLCHAR>(b[i]);
        *static_cast<SQLGUID*>(value) = g;
        break;
    }
    default:
        return SQL_ERROR;
    }
    *indicator = 0;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR* state,
                                 SQLINTEGER* native, SQLWCHAR* text, SQLSMALLINT max, SQLSMALLINT* length) {
    const Handle* h = handleOf(type, handle);
    if (record < 1 || static_cast<std::size_t>(record) > h->diags.size()) return SQL_NO_DATA;
    const Diag& d = h->diags[static_cast<std::size_t>(record) - 1];
    if (state) writeWide(d.state, state, 12);
    if (native) *native = d.native;
    const SQLLEN full = writeWide(d.text, text, max * 2);
    if (length) *length = static_cast<SQLSMALLINT>(full / 2);
    return full / 2 < max ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                                   SQLPOINTER value, SQLSMALLINT, SQLSMALLINT*) {
    const Handle* h = handleOf(type, handle);
    if (field == SQL_DIAG_NUMBER) {
        *static_cast<SQLINTEGER*>(value) = static_cast<SQLINTEGER>(h->diags.size());
        return SQL_SUCCESS;
    }
    if (record < 1 || static_cast<std::size_t>(record) > h->diags.size()) return SQL_NO_DATA;
    const Diag& d = h->diags[static_cast<std::size_t>(record) - 1];
    switch (field) {
    case kDiagSsSeverity:
        *static_cast<SQLINTEGER*>(value) = d.severity;
        return SQL_SUCCESS;
    case kDiagSsMsgState:
        *static_cast<SQLINTEGER*>(value) = 2;
        return SQL_SUCCESS;
    case kDiagSsLine:
        *static_cast<SQLINTEGER*>(value) = static_cast<SQLINTEGER>(record) + 4;
        return SQL_SUCCESS;
    case SQL_DIAG_NATIVE:
        *static_cast<SQLINTEGER*>(value) = d.native;
        return SQL_SUCCESS;
    case SQL_DIAG_ROW_NUMBER:
    case SQL_DIAG_COLUMN_NUMBER:
        *static_cast<SQLLEN*>(value) = 0;
        return SQL_SUCCESS;
    default:
        return SQL_ERROR;
    }
}

} // extern "C"
