#include "system_views.h"

#include "lexer.h"
#include "normalise.h"
#include "tsql/error.h"

#include <array>
#include <cctype>
#include <stdexcept>

namespace tsql::engine {

namespace {

//! Column types of the system views.
enum class Col { Sysname, Int, SmallInt, TinyInt, BigInt, Bit, Char2, DateTime, Text4000, NVarChar60 };

Type typeOf(Col c) {
    switch (c) {
    case Col::Sysname:
        return Type::nVarChar(128);
    case Col::Int:
        return Type::integer();
    case Col::SmallInt:
        return Type::smallInt();
    case Col::TinyInt:
        return Type::tinyInt();
    case Col::BigInt:
        return Type::bigInt();
    case Col::Bit:
        return Type::bit();
    case Col::Char2:
        return Type::chr(2);
    case Col::DateTime:
        return Type::dateTime();
    case Col::Text4000:
        return Type::nVarChar(4000);
    case Col::NVarChar60:
        return Type::nVarChar(60);
    }
    return Type::integer();
}

//! A column of a view as written in the tables below.
struct ColumnSpec {
    std::string_view name;
    Col type;
    std::string_view sql;
};

//! Fields of tsql_type_fact(code, field).
enum TypeField { kXtype = 1, kXusertype, kLength, kPrec, kXprec, kScale };

// sysobjects: one row per object of the database (temporary objects live elsewhere, as in tempdb).
constexpr std::array<ColumnSpec, 25> sysobjectsColumns{{
    {"name", Col::Sysname, "o.name"},
    {"id", Col::Int, "o.id"},
    {"xtype", Col::Char2, "substr(o.xtype || ' ', 1, 2)"},
    {"uid", Col::SmallInt, "1"},
    {"info", Col::SmallInt,
     "CASE WHEN o.xtype = 'D' THEN coalesce((SELECT c.colid FROM main.tsql_columns c WHERE c.object_id = "
     "o.parent_obj AND c.name = o.keycols), 0) ELSE 0 END"},
    {"status", Col::Int, "CASE WHEN o.flags & 2 THEN 2048 ELSE 0 END"},
    {"base_schema_ver", Col::Int, "0"},
    {"replinfo", Col::Int, "0"},
    {"parent_obj", Col::Int, "o.parent_obj"},
    {"crdate", Col::DateTime, "o.crdate"},
    {"ftcatid", Col::SmallInt, "0"},
    {"schema_ver", Col::Int, "0"},
    {"stats_schema_ver", Col::Int, "0"},
    {"type", Col::Char2, "CASE WHEN o.xtype IN ('PK', 'UQ') THEN 'K ' ELSE substr(o.xtype || ' ', 1, 2) END"},
    {"userstat", Col::SmallInt, "CASE WHEN o.xtype = 'U' THEN 1 ELSE 0 END"},
    {"sysstat", Col::SmallInt, "0"},
    {"indexdel", Col::SmallInt, "0"},
    {"refdate", Col::DateTime, "o.crdate"},
    {"version", Col::Int, "0"},
    {"deltrig", Col::Int, "CASE WHEN o.xtype = 'TR' THEN o.parent_obj ELSE 0 END"},
    {"instrig", Col::Int, "0"},
    {"updtrig", Col::Int, "0"},
    {"seltrig", Col::Int, "0"},
    {"category", Col::Int, "0"},
    {"cache", Col::SmallInt, "0"},
}};
constexpr std::string_view sysobjectsFrom = "main.tsql_objects o";

// syscolumns: the columns of tables and views.
constexpr std::array<ColumnSpec, 24> syscolumnsColumns{{
    {"name", Col::Sysname, "c.name"},
    {"id", Col::Int, "c.object_id"},
    {"xtype", Col::TinyInt, "tsql_type_fact(c.type_code, 1)"},
    {"typestat", Col::TinyInt, "0"},
    {"xusertype", Col::SmallInt, "tsql_type_fact(c.type_code, 2)"},
    {"length", Col::SmallInt, "tsql_type_fact(c.type_code, 3)"},
    {"xprec", Col::TinyInt, "tsql_type_fact(c.type_code, 5)"},
    {"xscale", Col::TinyInt, "tsql_type_fact(c.type_code, 6)"},
    {"colid", Col::SmallInt, "c.colid"},
    {"xoffset", Col::SmallInt, "0"},
    {"bitpos", Col::TinyInt, "0"},
    {"reserved", Col::TinyInt, "0"},
    {"colstat", Col::SmallInt, "CASE WHEN c.is_identity THEN 1 ELSE 0 END"},
    {"cdefault", Col::Int, "c.default_id"},
    {"domain", Col::Int, "0"},
    {"number", Col::SmallInt, "0"},
    {"colorder", Col::SmallInt, "c.colid"},
    {"offset", Col::SmallInt, "0"},
    {"status", Col::TinyInt,
     "(CASE WHEN c.nullable THEN 8 ELSE 0 END) | (CASE WHEN c.is_identity THEN 128 ELSE 0 END)"},
    {"prec", Col::SmallInt, "tsql_type_fact(c.type_code, 4)"},
    {"scale", Col::Int, "tsql_type_fact(c.type_code, 6)"},
    {"iscomputed", Col::Int, "CASE WHEN c.computed IS NULL THEN 0 ELSE 1 END"},
    {"isoutparam", Col::Int, "0"},
    {"isnullable", Col::Int, "CASE WHEN c.nullable THEN 1 ELSE 0 END"},
}};
constexpr std::string_view syscolumnsFrom =
    "main.tsql_columns c JOIN main.tsql_objects o ON o.id = c.object_id AND o.xtype IN ('U', 'V')";

// systypes: the base types of the type library.
constexpr std::array<ColumnSpec, 15> systypesColumns{{
    {"name", Col::Sysname, "t.column1"},
    {"xtype", Col::TinyInt, "t.column2"},
    {"status", Col::TinyInt, "0"},
    {"xusertype", Col::SmallInt, "t.column3"},
    {"length", Col::SmallInt, "t.column4"},
    {"xprec", Col::TinyInt, "CASE WHEN t.column7 THEN 0 ELSE t.column5 END"},
    {"xscale", Col::TinyInt, "t.column6"},
    {"tdefault", Col::Int, "0"},
    {"domain", Col::Int, "0"},
    {"uid", Col::SmallInt, "4"},
    {"usertype", Col::SmallInt, "0"},
    {"variable", Col::Bit, "t.column7"},
    {"allownulls", Col::Bit, "1"},
    {"prec", Col::SmallInt, "t.column5"},
    {"scale", Col::TinyInt, "t.column6"},
}};

// syscomments: object texts, and the stored texts of defaults, checks and computed columns, in parts
// of 4000 characters numbered by colid. Procedures are number 1 of their group; computed columns are
// keyed by their table and carry their colid as number.
constexpr std::array<ColumnSpec, 9> syscommentsColumns{{
    {"id", Col::Int, "s.id"},
    {"number", Col::SmallInt, "s.number"},
    {"colid", Col::SmallInt, "q.n"},
    {"status", Col::SmallInt, "0"},
    {"texttype", Col::SmallInt, "2"},
    {"language", Col::SmallInt, "0"},
    {"encrypted", Col::Bit, "0"},
    {"compressed", Col::Bit, "0"},
    {"text", Col::Text4000, "substr(s.txt, (q.n - 1) * 4000 + 1, 4000)"},
}};
constexpr std::string_view syscommentsFrom =
    "(SELECT o.id AS id, CASE o.xtype WHEN 'P' THEN 1 ELSE 0 END AS number, tsql_object_text(o.definition) "
    "AS txt "
    "FROM main.tsql_objects o WHERE o.xtype IN ('P', 'V', 'TR', 'FN', 'IF', 'TF') "
    "UNION ALL SELECT o.id, 0, tsql_normalised_text(o.definition) FROM main.tsql_objects o "
    "WHERE o.xtype IN ('D', 'C') "
    "UNION ALL SELECT c.object_id, c.colid, tsql_normalised_text(c.computed) FROM main.tsql_columns c "
    "WHERE c.computed IS NOT NULL) s "
    "JOIN (WITH RECURSIVE n(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM n WHERE n < "
    "(SELECT coalesce(max(length(definition)), 0) / 4000 + 1 FROM main.tsql_objects)) SELECT n FROM n) q "
    "ON q.n <= max(1, (length(s.txt) + 3999) / 4000)";

// sysindexes: a heap (indid 0) or clustered (indid 1) row per table, a row per other index (the
// indexes behind PRIMARY KEY and UNIQUE constraints and those of CREATE INDEX), and the text/image
// row (indid 255) of tables holding such columns.
//! sysindexes.status of the index behind a PRIMARY KEY or UNIQUE constraint `k`, and of an index `x` of
//! CREATE INDEX: 2 = unique, 16 = clustered, 2048 = primary key, 4096 = unique constraint.
constexpr std::string_view constraintIndexStatus =
    "2 | (CASE WHEN k.flags & 1 THEN 16 ELSE 0 END) | (CASE WHEN k.xtype = 'PK' THEN 2048 ELSE 4096 END)";
constexpr std::string_view createdIndexStatus =
    "(CASE WHEN x.flags & 1 THEN 16 ELSE 0 END) | (CASE WHEN x.flags & 4 THEN 2 ELSE 0 END)";

//! Rank of a PRIMARY KEY or UNIQUE constraint `k` that is not clustered among those of its table.
constexpr std::string_view constraintRank =
    "(SELECT count(*) FROM main.tsql_objects k2 WHERE k2.parent_obj = k.parent_obj AND k2.xtype IN ('PK', "
    "'UQ') AND (k2.flags & 1) = 0 AND k2.id <= k.id)";

//! indid of the index of a constraint `k`: 1 when clustered, else the rank-th indid from 2 up that no
//! CREATE INDEX index of the table holds.
const std::string constraintIndid =
    "CASE WHEN k.flags & 1 THEN 1 WHEN NOT EXISTS (SELECT 1 FROM main.tsql_indexes x WHERE x.object_id = "
    "k.parent_obj AND x.indid >= 2) THEN 1 + " +
    std::string(constraintRank) +
    " ELSE (WITH RECURSIVE seq(n) AS (SELECT 2 UNION ALL SELECT n + 1 FROM seq WHERE n < 254) SELECT "
    "min(s.n) FROM seq s WHERE s.n NOT IN (SELECT x.indid FROM main.tsql_indexes x WHERE x.object_id = "
    "k.parent_obj) AND s.n - 1 - (SELECT count(*) FROM main.tsql_indexes x WHERE x.object_id = k.parent_obj "
    "AND x.indid BETWEEN 2 AND s.n) >= " +
    std::string(constraintRank) + ") END";

const std::string indexRows =
    "SELECT o.id AS id, 0 AS indid, o.name AS name, '' AS keycols, 0 AS status FROM main.tsql_objects o "
    "WHERE o.xtype = 'U' AND NOT EXISTS (SELECT 1 FROM main.tsql_objects k WHERE k.parent_obj = o.id AND "
    "k.xtype IN ('PK', 'UQ') AND k.flags & 1) AND NOT EXISTS (SELECT 1 FROM main.tsql_indexes x WHERE "
    "x.object_id = o.id AND x.indid = 1) UNION ALL SELECT k.parent_obj, " +
    constraintIndid + ", k.name, k.keycols, " + std::string(constraintIndexStatus) +
    " FROM main.tsql_objects k WHERE k.xtype IN ('PK', 'UQ') UNION ALL SELECT x.object_id, x.indid, x.name, "
    "x.keycols, " +
    std::string(createdIndexStatus) +
    " FROM main.tsql_indexes x UNION ALL SELECT o.id, 255, 't' || o.name, '', 0 FROM main.tsql_objects o "
    "WHERE o.xtype = 'U' AND EXISTS (SELECT 1 FROM main.tsql_columns c WHERE c.object_id = o.id AND "
    "tsql_type_fact(c.type_code, 1) IN (34, 35, 99))";

constexpr std::array<ColumnSpec, 15> sysindexesColumns{{
    {"id", Col::Int, "i.id"},
    {"status", Col::Int, "i.status"},
    {"first", Col::Int, "0"},
    {"indid", Col::SmallInt, "i.indid"},
    {"root", Col::Int, "0"},
    {"minlen", Col::SmallInt, "0"},
    {"keycnt", Col::SmallInt,
     "CASE WHEN i.keycols = '' THEN 0 ELSE length(i.keycols) - length(replace(i.keycols, char(31), '')) + 1 "
     "END"},
    {"groupid", Col::SmallInt, "1"},
    {"dpages", Col::Int, "0"},
    {"reserved", Col::Int, "0"},
    {"used", Col::Int, "0"},
    {"rowcnt", Col::BigInt, "0"},
    {"rowmodctr", Col::Int, "0"},
    {"OrigFillFactor", Col::TinyInt, "0"},
    {"name", Col::Sysname, "i.name"},
}};

constexpr std::array<ColumnSpec, 12> sysObjectsColumns{{
    {"name", Col::Sysname, "o.name"},
    {"object_id", Col::Int, "o.id"},
    {"principal_id", Col::Int, "NULL"},
    {"schema_id", Col::Int, "1"},
    {"parent_object_id", Col::Int, "o.parent_obj"},
    {"type", Col::Char2, "substr(o.xtype || ' ', 1, 2)"},
    {"type_desc", Col::NVarChar60,
     "CASE o.xtype WHEN 'U' THEN 'USER_TABLE' WHEN 'V' THEN 'VIEW' WHEN 'P' THEN 'SQL_STORED_PROCEDURE' "
     "WHEN 'TR' THEN 'SQL_TRIGGER' WHEN 'FN' THEN 'SQL_SCALAR_FUNCTION' WHEN 'IF' THEN "
     "'SQL_INLINE_TABLE_VALUED_FUNCTION' WHEN 'TF' THEN 'SQL_TABLE_VALUED_FUNCTION' WHEN 'PK' THEN "
     "'PRIMARY_KEY_CONSTRAINT' WHEN 'UQ' THEN 'UNIQUE_CONSTRAINT' WHEN 'C' THEN 'CHECK_CONSTRAINT' WHEN 'D' "
     "THEN 'DEFAULT_CONSTRAINT' WHEN 'F' THEN 'FOREIGN_KEY_CONSTRAINT' END"},
    {"create_date", Col::DateTime, "o.crdate"},
    {"modify_date", Col::DateTime, "o.crdate"},
    {"is_ms_shipped", Col::Bit, "0"},
    {"is_published", Col::Bit, "0"},
    {"is_schema_published", Col::Bit, "0"},
}};

constexpr std::array<ColumnSpec, 12> sysColumnsColumns{{
    {"object_id", Col::Int, "c.object_id"},
    {"name", Col::Sysname, "c.name"},
    {"column_id", Col::Int, "c.colid"},
    {"system_type_id", Col::TinyInt, "tsql_type_fact(c.type_code, 1)"},
    {"user_type_id", Col::Int, "tsql_type_fact(c.type_code, 2)"},
    {"max_length", Col::SmallInt, "tsql_type_fact(c.type_code, 3)"},
    {"precision", Col::TinyInt, "tsql_type_fact(c.type_code, 5)"},
    {"scale", Col::TinyInt, "tsql_type_fact(c.type_code, 6)"},
    {"is_nullable", Col::Bit, "CASE WHEN c.nullable THEN 1 ELSE 0 END"},
    {"is_identity", Col::Bit, "CASE WHEN c.is_identity THEN 1 ELSE 0 END"},
    {"is_computed", Col::Bit, "CASE WHEN c.computed IS NULL THEN 0 ELSE 1 END"},
    {"default_object_id", Col::Int, "c.default_id"},
}};

template <std::size_t N> std::vector<SystemViewColumn> columnsOf(const std::array<ColumnSpec, N>& specs) {
    std::vector<SystemViewColumn> out;
    for (const auto& s : specs)
        out.push_back({std::string(s.name), typeOf(s.type), std::string(s.sql)});
    return out;
}

std::string quoted(std::string_view s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

//! The systypes rows of the type library as a SQLite VALUES list.
std::string systypesFrom() {
    std::string values;
    for (const SysTypeRow& r : sysTypes())
        values += std::string(values.empty() ? "" : ", ") + "(" + quoted(r.name) + ", " +
                  std::to_string(r.xtype) + ", " + std::to_string(r.xusertype) + ", " +
                  std::to_string(r.length) + ", " + std::to_string(r.prec) + ", " + std::to_string(r.scale) +
                  ", " + (r.variable ? "1" : "0") + ")";
    return "(VALUES " + values + ") t";
}

//! sysreferences: one row per FOREIGN KEY with up to 16 column ids of each side.
SystemView sysreferences() {
    SystemView v;
    v.name = "sysreferences";
    auto add = [&](std::string name, Col type, std::string sql) {
        v.columns.push_back({std::move(name), typeOf(type), std::move(sql)});
    };
    add("constid", Col::Int, "f.constid");
    add("fkeyid", Col::Int, "f.fkeyid");
    add("rkeyid", Col::Int, "f.rkeyid");
    add("rkeyindid", Col::SmallInt,
        "coalesce((SELECT i.indid FROM (" + indexRows +
            ") i WHERE i.id = f.rkeyid AND i.keycols = f.rk COLLATE NOCASE AND i.status & 2), 0)");
    add("keycnt", Col::SmallInt,
        "CASE WHEN f.fk = '' THEN 0 ELSE length(f.fk) - length(replace(f.fk, char(31), '')) + 1 END");
    add("fkeydbid", Col::SmallInt, "0");
    add("rkeydbid", Col::SmallInt, "0");
    for (std::string side : {"f", "r"})
        for (int k = 1; k <= 16; ++k)
            add(side + "key" + std::to_string(k), Col::SmallInt,
                std::string("coalesce((SELECT x.colid FROM main.tsql_columns x WHERE x.object_id = f.") +
                    side + "keyid AND x.name = tsql_list_item(f." + side + "k, " + std::to_string(k) +
                    ")), 0)");
    v.sql = "(SELECT k.id AS constid, k.parent_obj AS fkeyid, r.id AS rkeyid, coalesce(k.keycols, '') AS fk, "
            "coalesce(k.ref_cols, '') AS rk FROM main.tsql_objects k LEFT JOIN main.tsql_objects r ON "
            "r.name = k.ref_name AND r.xtype = 'U' WHERE k.xtype = 'F') f";
    return v;
}

//! Fills `sql` of a view from its columns and FROM text.
SystemView finish(SystemView v, std::string_view from) {
    std::string list;
    for (std::size_t i = 0; i < v.columns.size(); ++i)
        list += (i ? ", " : "") + v.columns[i].sql + " AS \"c" + std::to_string(i + 1) + "\"";
    v.sql = "SELECT " + list + " FROM " + std::string(from);
    return v;
}

const std::vector<SystemView>& systemViews() {
    static const std::vector<SystemView> views = [] {
        std::vector<SystemView> out;
        out.push_back(finish({"sysobjects", columnsOf(sysobjectsColumns), {}}, sysobjectsFrom));
        out.push_back(finish({"syscolumns", columnsOf(syscolumnsColumns), {}}, syscolumnsFrom));
        out.push_back(finish({"systypes", columnsOf(systypesColumns), {}}, systypesFrom()));
        out.push_back(finish({"syscomments", columnsOf(syscommentsColumns), {}}, syscommentsFrom));
        SystemView refs = sysreferences();
        std::string refsFrom = refs.sql;
        out.push_back(finish(std::move(refs), refsFrom));
        out.push_back(finish({"sysindexes", columnsOf(sysindexesColumns), {}}, "(" + indexRows + ") i"));
        out.push_back(finish({"sys.objects", columnsOf(sysObjectsColumns), {}}, sysobjectsFrom));
        out.push_back(finish({"sys.columns", columnsOf(sysColumnsColumns), {}}, syscolumnsFrom));
        return out;
    }();
    return views;
}

std::string inTempSchema(std::string sql) {
    for (std::size_t at = sql.find("main.tsql_"); at != std::string::npos; at = sql.find("main.tsql_", at))
        sql.replace(at, 4, "temp");
    return sql;
}

//! The same views over the session's temporary objects (`tempdb..sysobjects`).
const std::vector<SystemView>& tempdbViews() {
    static const std::vector<SystemView> views = [] {
        std::vector<SystemView> out = systemViews();
        for (SystemView& v : out)
            v.sql = inTempSchema(v.sql);
        return out;
    }();
    return views;
}

std::string textArg(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? reinterpret_cast<const char*>(t) : "";
}

//! tsql_type_fact(type code, field): a syscolumns fact of a column type.
void typeFact(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        TypeFacts f = typeFacts(Type::fromCode(sqlite3_value_int64(argv[0])));
        switch (sqlite3_value_int(argv[1])) {
        case kXtype:
            return sqlite3_result_int(ctx, f.xtype);
        case kXusertype:
            return sqlite3_result_int(ctx, f.xusertype);
        case kLength:
            return sqlite3_result_int(ctx, f.length);
        case kPrec:
            return sqlite3_result_int(ctx, f.prec);
        case kXprec:
            return sqlite3_result_int(ctx, f.xprec);
        case kScale:
            return sqlite3_result_int(ctx, f.scale);
        default:
            return sqlite3_result_null(ctx);
        }
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

//! tsql_list_item(list, n): the n-th (1-based) name of a '\x1f'-separated list, or NULL.
void listItem(sqlite3_context* ctx, int, sqlite3_value** argv) {
    std::string list = textArg(argv[0]);
    long long n = sqlite3_value_int64(argv[1]);
    if (list.empty() || n < 1) return sqlite3_result_null(ctx);
    std::size_t start = 0;
    for (long long i = 1; i < n; ++i) {
        start = list.find('\x1f', start);
        if (start == std::string::npos) return sqlite3_result_null(ctx);
        ++start;
    }
    std::size_t end = list.find('\x1f', start);
    std::string item = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    sqlite3_result_text(ctx, item.c_str(), static_cast<int>(item.size()), SQLITE_TRANSIENT);
}

//! tsql_object_text(text): the text of a module as SQL Server keeps it, where an ALTER statement is
//! remembered as the CREATE statement it amounts to.
void objectText(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    std::string text = textArg(argv[0]);
    std::size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (text.compare(i, 2, "--") == 0) {
            i = text.find('\n', i);
        } else if (text.compare(i, 2, "/*") == 0) {
            std::size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? end : end + 2;
        } else {
            break;
        }
    }
    bool alter = i != std::string::npos && i + 5 < text.size() &&
                 equalsIgnoreCase(text.substr(i, 5), "ALTER") &&
                 std::isspace(static_cast<unsigned char>(text[i + 5]));
    if (alter) text.replace(i, 5, "CREATE");
    sqlite3_result_text(ctx, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

//! tsql_normalised_text(text): the stored form of a default, check or computed column.
void normalisedText(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    try {
        std::string out = normalisedExpressionText(textArg(argv[0]));
        sqlite3_result_text(ctx, out.c_str(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
    } catch (const SqlError& e) {
        const std::string text = encodeForSqlite(e);
        sqlite3_result_error(ctx, text.c_str(), static_cast<int>(text.size()));
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

} // namespace

const SystemView* findSystemView(const std::vector<std::string>& parts) {
    if (parts.empty()) return nullptr;
    const std::string& last = parts.back();
    bool sysSchema = parts.size() >= 2 && equalsIgnoreCase(parts[parts.size() - 2], "sys");
    bool tempdb = parts.size() >= 3 && equalsIgnoreCase(parts.front(), "tempdb");
    for (const SystemView& v : tempdb ? tempdbViews() : systemViews()) {
        bool inSys = v.name.rfind("sys.", 0) == 0;
        if (inSys ? sysSchema && equalsIgnoreCase(v.name.substr(4), last)
                  : !sysSchema && equalsIgnoreCase(v.name, last))
            return &v;
    }
    return nullptr;
}

const std::string& indexRowsSql(bool temp) {
    static const std::string tempSql = inTempSchema(indexRows);
    return temp ? tempSql : indexRows;
}

const std::string& indexStatusSql(bool temp) {
    static const std::string mainSql =
        "SELECT " + std::string(constraintIndexStatus) +
        " FROM main.tsql_objects k WHERE k.parent_obj = ?1 AND k.name = ?2 AND "
        "k.xtype IN ('PK', 'UQ') UNION ALL SELECT " +
        std::string(createdIndexStatus) + " FROM main.tsql_indexes x WHERE x.object_id = ?1 AND x.name = ?2";
    static const std::string tempSql = inTempSchema(mainSql);
    return temp ? tempSql : mainSql;
}

void registerSystemViewFunctions(sqlite3* db) {
    int rc = sqlite3_create_function_v2(db, "tsql_type_fact", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                        typeFact, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "tsql_list_item", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                        listItem, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "tsql_normalised_text", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                        nullptr, normalisedText, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "tsql_object_text", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                        nullptr, objectText, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot register the system view functions");
}

} // namespace tsql::engine
