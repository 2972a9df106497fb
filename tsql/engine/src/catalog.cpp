#include "catalog.h"

#include "catalog_rows.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "tsql/datetime.h"

#include <algorithm>
#include <cstdio>

namespace tsql::engine {

using namespace catalog_rows;

namespace {

//! Distance between the ids newId hands out: upwards for the database, downwards for temporary objects.
constexpr long long kIdStep = 16;
constexpr long long kTempIdStep = 7;

constexpr std::string_view catalogSchema = R"(
CREATE TABLE IF NOT EXISTS @.tsql_objects(
  id INTEGER PRIMARY KEY, name TEXT NOT NULL COLLATE NOCASE, xtype TEXT NOT NULL,
  parent_obj INTEGER NOT NULL DEFAULT 0, crdate INTEGER, definition TEXT, keycols TEXT,
  ref_name TEXT, ref_cols TEXT, flags INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS @.tsql_objects_name ON tsql_objects(name);
CREATE INDEX IF NOT EXISTS @.tsql_objects_parent ON tsql_objects(parent_obj);
CREATE TABLE IF NOT EXISTS @.tsql_columns(
  object_id INTEGER NOT NULL, colid INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,
  type_code INTEGER NOT NULL, nullable INTEGER NOT NULL, is_identity INTEGER NOT NULL,
  seed INTEGER, increment INTEGER, computed TEXT, default_id INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(object_id, colid));
CREATE TABLE IF NOT EXISTS @.tsql_identity(object_id INTEGER PRIMARY KEY, current INTEGER);
CREATE TABLE IF NOT EXISTS @.tsql_indexes(
  object_id INTEGER NOT NULL, indid INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,
  keycols TEXT NOT NULL, flags INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(object_id, indid));
)";

std::string schemaSql(std::string_view schema) {
    std::string out;
    for (char c : catalogSchema) {
        if (c == '@')
            out += schema;
        else
            out += c;
    }
    return out;
}

} // namespace

std::string generatedConstraintName(std::string_view prefix, std::string_view table, std::string_view column,
                                    long long id) {
    // Cut after whole characters: names are UTF-8.
    auto leading = [](std::string_view text, std::size_t characters) {
        std::size_t end = 0;
        for (std::size_t n = 0; end < text.size() && n < characters; ++n)
            do
                ++end;
            while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
        return std::string(text.substr(0, end));
    };
    std::string name = std::string(prefix) + "__" + leading(table, 9) + "__";
    if (!column.empty()) name += leading(column, 5) + "__";
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08llX", static_cast<unsigned long long>(id) & 0xFFFFFFFFULL);
    return name + hex;
}

std::string constraintName(const ConstraintDef& def, std::string_view table, long long id) {
    if (!def.name.empty()) return def.name;
    switch (def.kind) {
    case ConstraintKind::PrimaryKey:
        return generatedConstraintName("PK", table, "", id);
    case ConstraintKind::Unique:
        return generatedConstraintName("UQ", table, "", id);
    case ConstraintKind::Check:
        return generatedConstraintName("CK", table, def.column, id);
    case ConstraintKind::ForeignKey:
        return generatedConstraintName("FK", table, def.columns.empty() ? "" : def.columns.front(), id);
    }
    return def.name;
}

const char* ConstraintInfo::xtype() const {
    switch (kind) {
    case ConstraintKind::PrimaryKey:
        return "PK";
    case ConstraintKind::Unique:
        return "UQ";
    case ConstraintKind::Check:
        return "C";
    case ConstraintKind::ForeignKey:
        return "F";
    }
    return "";
}

std::string TableInfo::sqliteName() const {
    return (temp ? "temp." : "main.") + quoteName(storage.empty() ? name : storage);
}

int TableInfo::columnIndex(std::string_view column) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (equalsIgnoreCase(columns[i].name, column)) return static_cast<int>(i);
    return -1;
}

int TableInfo::identityColumn() const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].identity) return static_cast<int>(i);
    return -1;
}

void Catalog::initialise() {
    execSql(db_, "BEGIN IMMEDIATE");
    try {
        execSql(db_, schemaSql("main"));
        execSql(db_, "COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    execSql(db_, schemaSql("temp"));
}

namespace {

//! SQLite's count of the changes to the main database this connection has seen.
int dataVersion(sqlite3* db) {
    int version = -1;
    // No name is the main database, found without comparing the names of the attached ones.
    if (sqlite3_file_control(db, nullptr, SQLITE_FCNTL_DATA_VERSION, &version) != SQLITE_OK) return -1;
    return version;
}

} // namespace

void Catalog::refreshIfMoved(std::uint64_t clientCalls) {
    if (schemaVersion_ >= 0 && checkedData_ >= 0 && clientCalls == checkedClientCalls_ &&
        dataVersion(db_) == checkedData_)
        return;
    refreshIfChanged();
    checkedClientCalls_ = clientCalls;
}

void Catalog::refreshIfChanged() {
    OneShot q(cache_, db_, "PRAGMA main.schema_version");
    long long version = q.step() ? sqlite3_column_int64(q.get(), 0) : 0;
    checkedData_ = dataVersion(db_);
    if (version != schemaVersion_) {
        // Temporary tables are ours alone; only shared definitions can go stale.
        for (auto it = tables_.begin(); it != tables_.end();) {
            if (!it->second || !it->second->temp)
                it = tables_.erase(it);
            else
                ++it;
        }
        schemaVersion_ = version;
        ++generation_;
        ++version_;
    }
}

void Catalog::invalidate() {
    tables_.clear();
    schemaVersion_ = -1;
    ++generation_;
    ++version_;
}

void Catalog::forget(const std::string& name) {
    tables_.erase(upper(name));
    ++version_;
}

std::shared_ptr<const TableInfo> Catalog::table(const std::string& name) {
    std::string key = upper(name);
    auto it = tables_.find(key);
    if (it != tables_.end()) return it->second;
    auto loaded = load(name, isTempName(name));
    tables_[key] = loaded;
    return loaded;
}

std::shared_ptr<TableInfo> Catalog::load(const std::string& name, bool temp) {
    std::string schema = schemaOf(temp);
    OneShot q(cache_, db_,
              "SELECT id, name, xtype, definition FROM " + schema +
                  ".tsql_objects WHERE name = ? AND xtype IN ('U','V')");
    q.bind(1, name);
    if (!q.step()) return nullptr;
    auto t = std::make_shared<TableInfo>();
    t->id = sqlite3_column_int64(q.get(), 0);
    t->name = columnText(q.get(), 1);
    t->view = columnText(q.get(), 2) == "V";
    t->viewText = columnText(q.get(), 3);
    t->temp = temp;

    OneShot c(cache_, db_,
              "SELECT c.name, c.type_code, c.nullable, c.is_identity, c.seed, c.increment, c.computed, "
              "c.default_id, d.name, d.definition FROM " +
                  schema + ".tsql_columns c LEFT JOIN " + schema +
                  ".tsql_objects d ON d.id = c.default_id WHERE c.object_id = ? ORDER BY c.colid");
    c.bind(1, t->id);
    while (c.step()) {
        ColumnInfo col;
        col.name = columnText(c.get(), 0);
        col.type = Type::fromCode(sqlite3_column_int64(c.get(), 1));
        col.nullable = sqlite3_column_int(c.get(), 2) != 0;
        col.identity = sqlite3_column_int(c.get(), 3) != 0;
        col.seed = sqlite3_column_int64(c.get(), 4);
        col.increment = sqlite3_column_int64(c.get(), 5);
        col.computedText = columnText(c.get(), 6);
        col.defaultId = sqlite3_column_int64(c.get(), 7);
        col.defaultName = columnText(c.get(), 8);
        col.defaultText = columnText(c.get(), 9);
        t->columns.push_back(std::move(col));
    }

    OneShot k(cache_, db_,
              "SELECT id, name, xtype, keycols, definition, ref_name, ref_cols, flags FROM " + schema +
                  ".tsql_objects WHERE parent_obj = ? AND xtype IN ('PK','UQ','C','F') ORDER BY id");
    k.bind(1, t->id);
    while (k.step()) {
        ConstraintInfo ci;
        ci.id = sqlite3_column_int64(k.get(), 0);
        ci.name = columnText(k.get(), 1);
        std::string x = columnText(k.get(), 2);
        ci.kind = x == "PK"   ? ConstraintKind::PrimaryKey
                  : x == "UQ" ? ConstraintKind::Unique
                  : x == "C"  ? ConstraintKind::Check
                              : ConstraintKind::ForeignKey;
        ci.columns = splitNames(reinterpret_cast<const char*>(sqlite3_column_text(k.get(), 3)));
        ci.checkText = columnText(k.get(), 4);
        ci.refTable = columnText(k.get(), 5);
        ci.refColumns = splitNames(reinterpret_cast<const char*>(sqlite3_column_text(k.get(), 6)));
        ci.clustered = (sqlite3_column_int(k.get(), 7) & 1) != 0;
        t->constraints.push_back(std::move(ci));
    }
    if (!temp) {
        OneShot r(
            cache_, db_,
            "SELECT 1 FROM main.tsql_objects WHERE xtype = 'F' AND ref_name = ? COLLATE NOCASE LIMIT 1");
        r.bind(1, t->name);
        t->referenced = r.step();
    }
    return t;
}

bool TableInfo::hasForeignKeys() const {
    for (const auto& k : constraints)
        if (k.kind == ConstraintKind::ForeignKey) return true;
    return false;
}

std::optional<long long> Catalog::objectId(const std::string& name, const std::string& xtype) {
    bool temp = isTempName(name);
    std::string sql = std::string("SELECT id FROM ") + schemaOf(temp) + ".tsql_objects WHERE name = ?";
    if (!xtype.empty()) sql += " AND xtype = ?";
    OneShot q(cache_, db_, sql);
    q.bind(1, name);
    if (!xtype.empty()) q.bind(2, upper(xtype));
    if (!q.step()) return std::nullopt;
    return sqlite3_column_int64(q.get(), 0);
}

std::optional<std::string> Catalog::objectName(long long id) {
    OneShot q(cache_, db_,
              std::string("SELECT name FROM ") + schemaOf(id < 0) + ".tsql_objects WHERE id = ?");
    q.bind(1, id);
    if (!q.step()) return std::nullopt;
    return columnText(q.get(), 0);
}

bool Catalog::nameTaken(const std::string& name, bool temp) {
    OneShot q(cache_, db_, std::string("SELECT 1 FROM ") + schemaOf(temp) + ".tsql_objects WHERE name = ?");
    q.bind(1, name);
    return q.step();
}

std::optional<std::string> Catalog::procedureText(const std::string& name) {
    OneShot q(cache_, db_, "SELECT definition FROM main.tsql_objects WHERE name = ? AND xtype = 'P'");
    q.bind(1, name);
    if (!q.step()) return std::nullopt;
    return columnText(q.get(), 0);
}

void Catalog::recordProcedure(long long id, const std::string& name, const std::string& text) {
    OneShot q(cache_, db_,
              "INSERT INTO main.tsql_objects(id, name, xtype, parent_obj, crdate, definition) "
              "VALUES (?,?,'P',0,?,?)");
    q.bind(1, id);
    q.bind(2, name);
    q.bind(3, DateTime::now().totalTicks());
    q.bind(4, text);
    q.step();
}

void Catalog::setDefinition(long long id, const std::string& text) {
    OneShot q(cache_, db_, "UPDATE main.tsql_objects SET definition = ? WHERE id = ?");
    q.bind(1, text);
    q.bind(2, id);
    q.step();
}

void Catalog::removeObject(long long id) {
    OneShot q(cache_, db_, std::string("DELETE FROM ") + schemaOf(id < 0) + ".tsql_objects WHERE id = ?");
    q.bind(1, id);
    q.step();
}

long long Catalog::newId(bool temp) {
    OneShot q(cache_, db_,
              temp ? "SELECT coalesce(min(id), -1000) FROM temp.tsql_objects"
                   : "SELECT coalesce(max(id), 1013578649) FROM main.tsql_objects");
    q.step();
    return idAfter(sqlite3_column_int64(q.get(), 0), temp);
}

long long Catalog::idAfter(long long id, bool temp) {
    return temp ? id - kTempIdStep : id + kIdStep;
}

void Catalog::record(const TableInfo& t) {
    std::string schema = schemaOf(t.temp);
    long long now = DateTime::now().totalTicks();
    auto insertObject = [&](long long id, const std::string& name, const std::string& xtype, long long parent,
                            const std::string& definition, const std::string& keycols,
                            const std::string& refName, const std::string& refCols, long long flags) {
        OneShot q(cache_, db_,
                  "INSERT INTO " + schema +
                      ".tsql_objects(id, name, xtype, parent_obj, crdate, definition, keycols, ref_name, "
                      "ref_cols, flags) VALUES (?,?,?,?,?,?,?,?,?,?)");
        q.bind(1, id);
        q.bind(2, name);
        q.bind(3, xtype);
        q.bind(4, parent);
        q.bind(5, now);
        q.bind(6, definition);
        q.bind(7, keycols);
        q.bind(8, refName);
        q.bind(9, refCols);
        q.bind(10, flags);
        q.step();
    };
    insertObject(t.id, t.name, t.view ? "V" : "U", 0, t.viewText, "", "", "", 0);
    for (const ColumnInfo& c : t.columns)
        if (c.defaultId != 0)
            insertObject(c.defaultId, c.defaultName, "D", t.id, c.defaultText, c.name, "", "", 0);
    insertColumns(t);
    for (const auto& k : t.constraints)
        insertObject(k.id, k.name, k.xtype(), t.id, k.checkText, joinNames(k.columns), k.refTable,
                     joinNames(k.refColumns), k.clustered ? 1 : 0);
    forget(t.name);
    // Referenced tables learn about their new reference on their next load.
    for (const auto& k : t.constraints)
        if (k.kind == ConstraintKind::ForeignKey) forget(k.refTable);
}

void Catalog::insertColumns(const TableInfo& t) {
    for (std::size_t i = 0; i < t.columns.size(); ++i)
        addColumn(t, i);
}

void Catalog::addColumn(const TableInfo& t, std::size_t i) {
    const ColumnInfo& c = t.columns.at(i);
    OneShot q(cache_, db_,
              "INSERT INTO " + t.schema() +
                  ".tsql_columns(object_id, colid, name, type_code, nullable, is_identity, seed, "
                  "increment, computed, default_id) VALUES (?,?,?,?,?,?,?,?,?,?)");
    q.bind(1, t.id);
    q.bind(2, static_cast<long long>(i + 1));
    q.bind(3, c.name);
    q.bind(4, static_cast<long long>(c.type.code()));
    q.bind(5, static_cast<long long>(c.nullable));
    q.bind(6, static_cast<long long>(c.identity));
    q.bind(7, c.seed);
    q.bind(8, c.increment);
    if (c.isComputed()) q.bind(9, c.computedText);
    q.bind(10, c.defaultId);
    q.step();
    forget(t.name);
}

void Catalog::replaceViewColumns(const TableInfo& view) {
    OneShot q(cache_, db_, "DELETE FROM main.tsql_columns WHERE object_id = ?");
    q.bind(1, view.id);
    q.step();
    insertColumns(view);
    forget(view.name);
}

void Catalog::remove(const TableInfo& t) {
    std::string schema = schemaOf(t.temp);
    OneShot a(cache_, db_, "DELETE FROM " + schema + ".tsql_objects WHERE id = ? OR parent_obj = ?");
    a.bind(1, t.id);
    a.bind(2, t.id);
    a.step();
    OneShot b(cache_, db_, "DELETE FROM " + schema + ".tsql_columns WHERE object_id = ?");
    b.bind(1, t.id);
    b.step();
    OneShot c(cache_, db_, "DELETE FROM " + schema + ".tsql_identity WHERE object_id = ?");
    c.bind(1, t.id);
    c.step();
    forget(t.name);
    for (const auto& k : t.constraints)
        if (k.kind == ConstraintKind::ForeignKey) forget(k.refTable);
}

std::optional<long long> Catalog::identityCurrent(const TableInfo& t) {
    OneShot q(cache_, db_,
              std::string("SELECT current FROM ") + schemaOf(t.temp) + ".tsql_identity WHERE object_id = ?");
    q.bind(1, t.id);
    if (!q.step() || sqlite3_column_type(q.get(), 0) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(q.get(), 0);
}

void Catalog::setIdentityCurrent(const TableInfo& t, long long value) {
    OneShot q(cache_, db_,
              std::string("INSERT OR REPLACE INTO ") + schemaOf(t.temp) +
                  ".tsql_identity(object_id, current) VALUES (?, ?)");
    q.bind(1, t.id);
    q.bind(2, value);
    q.step();
}

} // namespace tsql::engine
