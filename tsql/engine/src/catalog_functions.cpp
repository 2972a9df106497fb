#include "catalog_functions.h"

#include "errors.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "system_views.h"
#include "tsql/sqlite.h"

#include <array>
#include <optional>
#include <string>

namespace tsql::engine {

namespace {

//! A catalog function: its name and argument kinds ('i' integer, 's' text).
struct CatalogFunction {
    std::string_view name;
    std::string_view args;
    bool returnsName; //!< sysname result (else int)
};

constexpr std::array<CatalogFunction, 5> catalogFunctions{{
    {"COL_NAME", "ii", true},
    {"OBJECTPROPERTY", "is", false},
    {"COLUMNPROPERTY", "iss", false},
    {"INDEXPROPERTY", "iss", false},
    {"INDEX_COL", "sii", true},
}};

//! What an OBJECTPROPERTY property reads.
enum class ObjectFact {
    KindIn,       //!< 1 when the object's xtype is in `arg`, else 0
    Zero,         //!< 0 for every object
    Disabled,     //!< the disabled flag, for objects whose xtype is in `arg`
    HasChild,     //!< a table owns an object of xtype `arg`
    HasIdentity,  //!< a table has an identity column
    HasClustered, //!< a table has a clustered index
    Referenced,   //!< a table is referenced by a FOREIGN KEY
    TriggerEvent, //!< a trigger fires for the statement `arg`
    OwnerId,      //!< the owner (dbo)
};

struct ObjectProperty {
    std::string_view name;
    ObjectFact fact;
    std::string_view arg;
};

constexpr std::array<ObjectProperty, 34> objectProperties{{
    {"IsUserTable", ObjectFact::KindIn, "U"},
    {"IsTable", ObjectFact::KindIn, "U"},
    {"IsView", ObjectFact::KindIn, "V"},
    {"IsProcedure", ObjectFact::KindIn, "P"},
    {"IsTrigger", ObjectFact::KindIn, "TR"},
    {"IsPrimaryKey", ObjectFact::KindIn, "PK"},
    {"IsUniqueCnst", ObjectFact::KindIn, "UQ"},
    {"IsCheckCnst", ObjectFact::KindIn, "C"},
    {"IsForeignKey", ObjectFact::KindIn, "F"},
    {"IsDefaultCnst", ObjectFact::KindIn, "D"},
    {"IsConstraint", ObjectFact::KindIn, "PK UQ C F D"},
    {"IsScalarFunction", ObjectFact::KindIn, "FN"},
    {"IsInlineFunction", ObjectFact::KindIn, "IF"},
    {"IsTableFunction", ObjectFact::KindIn, "TF"},
    {"IsExecuted", ObjectFact::KindIn, "P TR FN IF TF"},
    {"IsSystemTable", ObjectFact::Zero, ""},
    {"IsMSShipped", ObjectFact::Zero, ""},
    {"IsDefault", ObjectFact::Zero, ""},
    {"IsRule", ObjectFact::Zero, ""},
    {"IsReplProc", ObjectFact::Zero, ""},
    {"CnstIsDisabled", ObjectFact::Disabled, "PK UQ C F D"},
    {"CnstIsNotTrusted", ObjectFact::Disabled, "PK UQ C F D"},
    {"ExecIsTriggerDisabled", ObjectFact::Disabled, "TR"},
    {"ExecIsInsertTrigger", ObjectFact::TriggerEvent, "INSERT"},
    {"ExecIsUpdateTrigger", ObjectFact::TriggerEvent, "UPDATE"},
    {"ExecIsDeleteTrigger", ObjectFact::TriggerEvent, "DELETE"},
    {"TableHasPrimaryKey", ObjectFact::HasChild, "PK"},
    {"TableHasUniqueCnst", ObjectFact::HasChild, "UQ"},
    {"TableHasCheckCnst", ObjectFact::HasChild, "C"},
    {"TableHasForeignKey", ObjectFact::HasChild, "F"},
    {"TableHasDefaultCnst", ObjectFact::HasChild, "D"},
    {"TableHasIdentity", ObjectFact::HasIdentity, ""},
    {"TableHasClustIndex", ObjectFact::HasClustered, ""},
    {"TableHasForeignRef", ObjectFact::Referenced, ""},
}};

//! What a COLUMNPROPERTY property reads: a column of `SELECT ... FROM tsql_columns`.
struct ColumnProperty {
    std::string_view name;
    std::string_view sql;
};

constexpr std::array<ColumnProperty, 10> columnProperties{{
    {"IsIdentity", "is_identity <> 0"},
    {"IsComputed", "computed IS NOT NULL"},
    {"AllowsNull", "nullable <> 0"},
    {"ColumnId", "colid"},
    {"Precision", "tsql_type_fact(type_code, 4)"},
    {"Scale", "tsql_type_fact(type_code, 6)"},
    {"IsRowGuidCol", "0"},
    {"IsIdNotForRepl", "0"},
    {"IsFulltextIndexed", "0"},
    {"IsOutParam", "0"},
}};

//! What an INDEXPROPERTY property reads from a sysindexes status.
struct IndexProperty {
    std::string_view name;
    int statusBit; //!< 0 = always 0
};

constexpr std::array<IndexProperty, 9> indexProperties{{
    {"IsClustered", 16},
    {"IsUnique", 2},
    {"IsStatistics", 0},
    {"IsAutoStatistics", 0},
    {"IsHypothetical", 0},
    {"IsFulltextKey", 0},
    {"IsPadIndex", 0},
    {"IsRowLockDisallowed", 0},
    {"IsPageLockDisallowed", 0},
}};

std::string lowerCase(std::string_view s) {
    std::string out;
    for (char c : s)
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool inList(std::string_view list, std::string_view word) {
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(' ', start);
        if (end == std::string_view::npos) end = list.size();
        if (equalsIgnoreCase(list.substr(start, end - start), word)) return true;
        start = end + 1;
    }
    return false;
}

std::string textArg(sqlite3_value* v) {
    const unsigned char* t = sqlite3_value_text(v);
    return t ? reinterpret_cast<const char*>(t) : "";
}

//! A query of the catalog run once with bound arguments.
class Query {
public:
    Query(sqlite3* db, const std::string& sql)
        : db_(db) {
        int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &s_, nullptr);
        if (rc != SQLITE_OK) throwSqlite(db, rc, sql);
    }
    ~Query() { sqlite3_finalize(s_); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    Query& bind(int i, long long v) {
        sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    Query& bind(int i, const std::string& v) {
        sqlite3_bind_text(s_, i, v.c_str(), -1, SQLITE_TRANSIENT);
        return *this;
    }
    bool step() {
        int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throwSqlite(db_, rc, sqlite3_sql(s_));
    }
    long long integer(int col) { return sqlite3_column_int64(s_, col); }
    std::string text(int col) {
        const unsigned char* t = sqlite3_column_text(s_, col);
        return t ? reinterpret_cast<const char*>(t) : "";
    }
    bool isNull(int col) { return sqlite3_column_type(s_, col) == SQLITE_NULL; }

private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

const char* schemaOf(long long id) {
    return id < 0 ? "temp" : "main";
}

//! Last part of an object name as written ('dbo.[Tab]' -> 'Tab').
std::string lastPart(const std::string& name) {
    std::string part;
    bool bracket = false;
    for (char c : name) {
        if (c == '[' && !bracket)
            bracket = true;
        else if (c == ']' && bracket)
            bracket = false;
        else if (c == '.' && !bracket)
            part.clear();
        else
            part += c;
    }
    return part;
}

//! The statements a trigger fires for, read from its text ("FOR INSERT, UPDATE AS").
bool triggerFiresFor(const std::string& definition, std::string_view event) {
    std::vector<Token> tokens = tokenize(definition);
    bool afterOn = false, events = false;
    for (const Token& t : tokens) {
        if (t.is("ON"))
            afterOn = true;
        else if (afterOn && (t.is("FOR") || t.is("AFTER") || t.is("OF")))
            events = true;
        else if (events && t.is("AS"))
            return false;
        else if (events && t.is(event))
            return true;
    }
    return false;
}

std::optional<long long> objectProperty(sqlite3* db, long long id, const std::string& name) {
    const ObjectProperty* prop = nullptr;
    for (const auto& p : objectProperties)
        if (equalsIgnoreCase(p.name, name)) prop = &p;
    std::string schema = schemaOf(id);
    Query q(db, "SELECT xtype, flags, definition FROM " + schema + ".tsql_objects WHERE id = ?");
    q.bind(1, id);
    if (!prop || !q.step()) return std::nullopt;
    std::string xtype = q.text(0);
    long long flags = q.integer(1);
    auto whenTable = [&](const std::string& sql) -> std::optional<long long> {
        if (xtype != "U") return std::nullopt;
        Query c(db, sql);
        c.bind(1, id);
        return c.step() ? 1 : 0;
    };
    switch (prop->fact) {
    case ObjectFact::KindIn:
        return inList(prop->arg, xtype) ? 1 : 0;
    case ObjectFact::Zero:
        return 0;
    case ObjectFact::OwnerId:
        return 1;
    case ObjectFact::Disabled:
        if (!inList(prop->arg, xtype)) return std::nullopt;
        return (flags & 2) ? 1 : 0;
    case ObjectFact::TriggerEvent:
        if (xtype != "TR") return std::nullopt;
        return triggerFiresFor(q.text(2), prop->arg) ? 1 : 0;
    case ObjectFact::HasChild:
        return whenTable("SELECT 1 FROM " + schema + ".tsql_objects WHERE parent_obj = ? AND xtype = '" +
                         std::string(prop->arg) + "'");
    case ObjectFact::HasIdentity:
        return whenTable("SELECT 1 FROM " + schema + ".tsql_columns WHERE object_id = ? AND is_identity");
    case ObjectFact::HasClustered:
        return whenTable("SELECT 1 FROM " + schema +
                         ".tsql_objects WHERE parent_obj = ?1 AND xtype IN ('PK', 'UQ') AND flags & 1 "
                         "UNION ALL SELECT 1 FROM " +
                         schema + ".tsql_indexes WHERE object_id = ?1 AND flags & 1");
    case ObjectFact::Referenced:
        return whenTable("SELECT 1 FROM main.tsql_objects f JOIN " + schema +
                         ".tsql_objects t ON t.name = f.ref_name WHERE t.id = ? AND f.xtype = 'F'");
    }
    return std::nullopt;
}

std::optional<long long> columnProperty(sqlite3* db, long long id, const std::string& column,
                                        const std::string& name) {
    for (const auto& p : columnProperties) {
        if (!equalsIgnoreCase(p.name, name)) continue;
        Query q(db, "SELECT " + std::string(p.sql) + " FROM " + schemaOf(id) +
                        ".tsql_columns WHERE object_id = ? AND name = ?");
        q.bind(1, id).bind(2, column);
        if (!q.step()) return std::nullopt;
        return q.integer(0);
    }
    return std::nullopt;
}

std::optional<long long> indexProperty(sqlite3* db, long long id, const std::string& index,
                                       const std::string& name) {
    for (const auto& p : indexProperties) {
        if (!equalsIgnoreCase(p.name, name)) continue;
        Query q(db, indexStatusSql(id < 0));
        q.bind(1, id).bind(2, index);
        if (!q.step()) return std::nullopt;
        return p.statusBit && (q.integer(0) & p.statusBit) ? 1 : 0;
    }
    return std::nullopt;
}

std::optional<std::string> indexColumn(sqlite3* db, const std::string& table, long long indid,
                                       long long keyno) {
    std::string name = lastPart(table);
    bool temp = !name.empty() && name[0] == '#';
    Query q(db, "SELECT tsql_list_item(i.keycols, ?3) FROM (" + indexRowsSql(temp) + ") i JOIN " +
                    (temp ? "temp" : "main") +
                    ".tsql_objects o ON o.id = i.id WHERE o.name = ?1 AND o.xtype = 'U' AND i.indid = ?2");
    q.bind(1, name).bind(2, indid).bind(3, keyno);
    if (!q.step() || q.isNull(0)) return std::nullopt;
    return q.text(0);
}

std::optional<std::string> columnName(sqlite3* db, long long id, long long colid) {
    Query q(db, std::string("SELECT name FROM ") + schemaOf(id) +
                    ".tsql_columns WHERE object_id = ? AND colid = ?");
    q.bind(1, id).bind(2, colid);
    if (!q.step()) return std::nullopt;
    return q.text(0);
}

//! tsql_catalog('NAME', args...): NULL when an argument is NULL or the object, column, index or
//! property is unknown, as SQL Server answers.
void catalogFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int i = 1; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    sqlite3* db = sqlite3_context_db_handle(ctx);
    std::string name = textArg(argv[0]);
    auto integer = [&](int i) { return sqlite3_value_int64(argv[i]); };
    try {
        std::optional<long long> number;
        std::optional<std::string> text;
        if (name == "COL_NAME")
            text = columnName(db, integer(1), integer(2));
        else if (name == "OBJECTPROPERTY")
            number = objectProperty(db, integer(1), textArg(argv[2]));
        else if (name == "COLUMNPROPERTY")
            number = columnProperty(db, integer(1), textArg(argv[2]), textArg(argv[3]));
        else if (name == "INDEXPROPERTY")
            number = indexProperty(db, integer(1), textArg(argv[2]), textArg(argv[3]));
        else if (name == "INDEX_COL")
            text = indexColumn(db, textArg(argv[1]), integer(2), integer(3));
        if (number)
            sqlite3_result_int64(ctx, *number);
        else if (text)
            sqlite3_result_text(ctx, text->c_str(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        else
            sqlite3_result_null(ctx);
    } catch (const SqlError& e) {
        std::string message = encodeForSqlite(e);
        sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

} // namespace

std::optional<Bound> bindCatalogFunction(Binder& binder, const Expr& e, const Scope& scope) {
    const CatalogFunction* f = nullptr;
    for (const auto& c : catalogFunctions)
        if (equalsIgnoreCase(c.name, e.text)) f = &c;
    if (!f) return std::nullopt;
    if (e.star || e.args.size() != f->args.size())
        raise(174, e.line, {lowerCase(f->name), std::to_string(f->args.size())});
    Bound b;
    b.type = f->returnsName ? Type::nVarChar(128) : Type::integer();
    b.sql = "tsql_catalog('" + std::string(f->name) + "'";
    for (std::size_t i = 0; i < e.args.size(); ++i) {
        Bound a = binder.expr(*e.args[i], scope);
        b.aggregate = b.aggregate || a.aggregate;
        Type to = f->args[i] == 'i' ? Type::integer() : Type::nVarChar(4000);
        b.sql += ", " + binder.convert(a, to, ConversionKind::Implicit);
    }
    b.sql += ")";
    return b;
}

bool isCatalogFunction(std::string_view name) {
    for (const auto& c : catalogFunctions)
        if (equalsIgnoreCase(c.name, name)) return true;
    return false;
}

void registerCatalogFunctions(sqlite3* db) {
    int rc = sqlite3_create_function_v2(db, "tsql_catalog", -1, SQLITE_UTF8, nullptr, catalogFunction,
                                        nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot register the catalog functions");
}

} // namespace tsql::engine
