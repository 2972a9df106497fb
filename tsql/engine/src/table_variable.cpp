#include "table_variable.h"

#include "ddl.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "sqlite_util.h"

#include <algorithm>
#include <utility>

namespace tsql::engine {

namespace {

//! Ids of table variables step this far apart, leaving room for their constraints' ids.
constexpr long long kIdStep = 1000;

//! A copied SQLite value, freed with its holder.
struct KeptValue {
    sqlite3_value* value = nullptr;
    explicit KeptValue(sqlite3_value* v)
        : value(sqlite3_value_dup(v)) {}
    KeptValue(KeptValue&& other) noexcept
        : value(std::exchange(other.value, nullptr)) {}
    KeptValue(const KeptValue&) = delete;
    KeptValue& operator=(const KeptValue&) = delete;
    KeptValue& operator=(KeptValue&&) = delete;
    ~KeptValue() { sqlite3_value_free(value); }
};

//! The stored columns of a table variable, rowid first, as a SELECT or INSERT list.
std::string storedColumns(const TableInfo& t) {
    std::string out = "rowid";
    for (const auto& c : t.columns)
        if (!c.isComputed()) out += ", " + quoteName(c.name);
    return out;
}

} // namespace

TableVariable::~TableVariable() {
    // Nothing can be reported from here: a table left behind is dropped by the next declaration of its name.
    const std::string sql = "DROP TABLE IF EXISTS " + info.sqliteName();
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    try {
        catalog->forgetIdentity(info);
    } catch (const std::exception&) {
        // The counter of a later table variable never takes this one's id.
    }
}

std::shared_ptr<TableVariable> declareTableVariable(Executor& ex, const std::string& name,
                                                    const CreateTableStmt& definition) {
    auto& s = ex.session();
    auto& live = s.tableVariables;
    live.erase(std::remove_if(live.begin(), live.end(), [](const auto& w) { return w.expired(); }),
               live.end());
    auto tv = std::make_shared<TableVariable>();
    tv->db = s.db;
    tv->catalog = &s.catalog;
    TableInfo& t = tv->info;
    t.name = name;
    t.temp = true;
    t.id = s.nextTableVariableId;
    s.nextTableVariableId -= kIdStep;
    // Names repeat from scope to scope (so that prepared statements are reused), except where a table of
    // an earlier scope is still held, by a cursor for instance.
    for (int k = 1; t.storage.empty(); ++k) {
        std::string candidate = "tsql_tv_" + std::to_string(s.nestLevel) + "_" + std::to_string(k);
        bool taken = std::any_of(live.begin(), live.end(), [&](const auto& w) {
            auto other = w.lock();
            return other && other->info.storage == candidate;
        });
        bool declaredHere = std::any_of(s.variables.begin(), s.variables.end(), [&](const Variable& v) {
            return v.table && v.table->info.storage == candidate;
        });
        if (!taken && !declaredHere) t.storage = candidate;
    }
    tv->ddl = defineTable(ex, definition, t, false);
    ex.run("DROP TABLE IF EXISTS " + t.sqliteName());
    ex.run(tv->ddl);
    live.push_back(tv);
    return tv;
}

std::shared_ptr<const TableInfo> tableVariable(Session::Impl& s, const ObjectName& name, int line) {
    if (name.parts.size() != 1 || name.name().empty() || name.name()[0] != '@') return nullptr;
    Variable* v = s.variable(name.name());
    if (!v || !v->table) raise(1087, line, {name.name()});
    return std::shared_ptr<const TableInfo>(v->table, &v->table->info);
}

struct TableVariablesKept::Kept {
    std::shared_ptr<TableVariable> table;
    std::vector<std::vector<KeptValue>> rows;
    std::optional<long long> identity;
};

TableVariablesKept::TableVariablesKept(Session::Impl& s)
    : s_(s) {
    for (const auto& weak : s.tableVariables) {
        auto table = weak.lock();
        if (!table) continue;
        Kept kept{table, {}, s.catalog.identityCurrent(table->info)};
        const std::string sql = "SELECT " + storedColumns(table->info) + " FROM " + table->info.sqliteName();
        sqlite3_stmt* st = s.statements.get(sql);
        StatementReset reset(st);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<KeptValue> row;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                row.emplace_back(sqlite3_column_value(st, i));
            kept.rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) throwSqlite(s.db, rc, sql);
        kept_.push_back(std::move(kept));
    }
}

TableVariablesKept::~TableVariablesKept() = default;

void TableVariablesKept::restore() {
    for (auto& kept : kept_) {
        const TableInfo& t = kept.table->info;
        sqlite3_stmt* exists = s_.statements.get("SELECT 1 FROM temp.sqlite_master WHERE name = ?1");
        {
            StatementReset reset(exists);
            sqlite3_bind_text(exists, 1, t.storage.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(exists) != SQLITE_ROW) execSql(s_.db, kept.table->ddl);
        }
        execSql(s_.db, "DELETE FROM " + t.sqliteName());
        std::string marks;
        for (std::size_t i = 0; i < (kept.rows.empty() ? 0 : kept.rows.front().size()); ++i)
            marks += i ? ", ?" : "?";
        const std::string sql =
            "INSERT INTO " + t.sqliteName() + " (" + storedColumns(t) + ") VALUES (" + marks + ")";
        for (const auto& row : kept.rows) {
            sqlite3_stmt* st = s_.statements.get(sql);
            StatementReset reset(st);
            for (std::size_t i = 0; i < row.size(); ++i)
                sqlite3_bind_value(st, static_cast<int>(i + 1), row[i].value);
            int rc = sqlite3_step(st);
            if (rc != SQLITE_DONE) throwSqlite(s_.db, rc, sql);
        }
        if (kept.identity) s_.catalog.setIdentityCurrent(t, *kept.identity);
    }
}

} // namespace tsql::engine
