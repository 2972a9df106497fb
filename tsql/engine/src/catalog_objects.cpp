//! The catalog rows that belong to a table: constraints and their flags, defaults, triggers, indexes,
//! and renaming objects, tables and columns.

#include "catalog.h"

#include "catalog_rows.h"
#include "lexer.h"
#include "tsql/datetime.h"

namespace tsql::engine {

using namespace catalog_rows;

std::string flagSql(std::string_view column, CatalogFlag flag) {
    return "(" + std::string(column) + " & " + std::to_string(static_cast<int>(flag)) + ") <> 0";
}

namespace {

//! `list` ("a\x1fb") with the name `from` replaced by `to`.
std::string renamedIn(const std::string& list, const std::string& from, const std::string& to) {
    std::vector<std::string> names = splitNames(list.c_str());
    for (auto& n : names)
        if (equalsIgnoreCase(n, from)) n = to;
    return joinNames(names);
}

const std::string disabledFlag = std::to_string(static_cast<int>(CatalogFlag::Disabled));

} // namespace

std::vector<ChildObject> Catalog::children(const TableInfo& t, const std::vector<std::string>& xtypes) {
    std::vector<ChildObject> out;
    OneShot q(cache_, db_,
              "SELECT id, name, xtype, " + flagSql("flags", CatalogFlag::Disabled) + " FROM " + t.schema() +
                  ".tsql_objects WHERE parent_obj = ? ORDER BY id");
    q.bind(1, t.id);
    while (q.step()) {
        ChildObject c{q.integer(0), q.text(1), q.text(2), q.integer(3) != 0};
        for (const auto& x : xtypes)
            if (c.xtype == x) out.push_back(c);
    }
    return out;
}

std::set<std::string> Catalog::disabledNames(const TableInfo& t) {
    std::set<std::string> out;
    for (const auto& c : children(t, {"PK", "UQ", "C", "F", "D", "TR"}))
        if (c.disabled) out.insert(upper(c.name));
    return out;
}

void Catalog::setDisabled(const TableInfo& t, const std::string& name, bool disabled) {
    OneShot q(cache_, db_,
              "UPDATE " + t.schema() + ".tsql_objects SET flags = " +
                  (disabled ? "flags | " + disabledFlag : "flags & ~" + disabledFlag) +
                  " WHERE parent_obj = ? AND name = ?");
    q.bind(1, t.id);
    q.bind(2, name);
    q.step();
}

bool Catalog::isEnabled(long long id) {
    OneShot q(cache_, db_,
              std::string("SELECT ") + flagSql("flags", CatalogFlag::Disabled) + " FROM " + schemaOf(id < 0) +
                  ".tsql_objects WHERE id = ?");
    q.bind(1, id);
    return q.step() && q.integer(0) == 0;
}

std::vector<ReferenceInfo> Catalog::referencesTo(const std::string& name) {
    std::vector<ReferenceInfo> out;
    OneShot q(cache_, db_,
              "SELECT f.name, p.name, f.ref_cols FROM main.tsql_objects f JOIN main.tsql_objects p ON p.id = "
              "f.parent_obj WHERE f.xtype = 'F' AND f.ref_name = ? COLLATE NOCASE ORDER BY f.id");
    q.bind(1, name);
    while (q.step())
        out.push_back({q.text(0), q.text(1), splitNames(q.text(2).c_str())});
    return out;
}

void Catalog::addDefault(const TableInfo& t, const ColumnInfo& c) {
    const std::string schema = t.schema();
    OneShot d(
        cache_, db_,
        "INSERT INTO " + schema +
            ".tsql_objects(id, name, xtype, parent_obj, crdate, definition, keycols) VALUES (?, ?, 'D', "
            "?, (SELECT crdate FROM " +
            schema + ".tsql_objects WHERE id = ?3), ?, ?)");
    d.bind(1, c.defaultId);
    d.bind(2, c.defaultName);
    d.bind(3, t.id);
    d.bind(4, c.defaultText);
    d.bind(5, c.name);
    d.step();
    OneShot u(cache_, db_,
              "UPDATE " + schema + ".tsql_columns SET default_id = ? WHERE object_id = ? AND name = ?");
    u.bind(1, c.defaultId);
    u.bind(2, t.id);
    u.bind(3, c.name);
    u.step();
    forget(t.name);
}

void Catalog::dropDefault(const TableInfo& t, const ColumnInfo& c) {
    removeObject(c.defaultId);
    OneShot u(cache_, db_,
              "UPDATE " + t.schema() + ".tsql_columns SET default_id = 0 WHERE object_id = ? AND name = ?");
    u.bind(1, t.id);
    u.bind(2, c.name);
    u.step();
    forget(t.name);
}

void Catalog::rewrite(const TableInfo& t, const std::set<std::string>& disabled) {
    const std::string schema = t.schema();
    OneShot c(cache_, db_, "DELETE FROM " + schema + ".tsql_columns WHERE object_id = ?");
    c.bind(1, t.id);
    c.step();
    OneShot o(
        cache_, db_,
        "DELETE FROM " + schema +
            ".tsql_objects WHERE id = ?1 OR (parent_obj = ?1 AND xtype IN ('PK', 'UQ', 'C', 'F', 'D'))");
    o.bind(1, t.id);
    o.step();
    record(t);
    for (const auto& k : t.constraints)
        if (disabled.count(upper(k.name))) setDisabled(t, k.name, true);
}

std::vector<TriggerRow> Catalog::triggers(long long tableId) {
    std::vector<TriggerRow> out;
    OneShot q(cache_, db_,
              "SELECT id, name, definition FROM main.tsql_objects WHERE parent_obj = ? AND xtype = 'TR' "
              "ORDER BY id");
    q.bind(1, tableId);
    while (q.step())
        out.push_back({q.integer(0), q.text(1), q.text(2)});
    return out;
}

void Catalog::recordTrigger(long long id, const std::string& name, long long tableId,
                            const std::string& text) {
    OneShot q(
        cache_, db_,
        "INSERT INTO main.tsql_objects(id, name, xtype, parent_obj, crdate, definition) VALUES (?, ?, 'TR', "
        "?, ?, ?)");
    q.bind(1, id);
    q.bind(2, name);
    q.bind(3, tableId);
    q.bind(4, DateTime::now().totalTicks());
    q.bind(5, text);
    q.step();
}

void Catalog::alterTrigger(long long id, long long tableId, const std::string& text) {
    OneShot q(cache_, db_, "UPDATE main.tsql_objects SET definition = ?, parent_obj = ? WHERE id = ?");
    q.bind(1, text);
    q.bind(2, tableId);
    q.bind(3, id);
    q.step();
}

std::vector<IndexInfo> Catalog::indexes(const TableInfo& t) {
    std::vector<IndexInfo> out;
    OneShot q(cache_, db_,
              "SELECT indid, name, keycols, " + flagSql("flags", CatalogFlag::Clustered) + ", " +
                  flagSql("flags", CatalogFlag::Unique) + " FROM " + t.schema() +
                  ".tsql_indexes WHERE object_id = ? ORDER BY indid");
    q.bind(1, t.id);
    while (q.step())
        out.push_back(
            {q.integer(0), q.text(1), splitNames(q.text(2).c_str()), q.integer(3) != 0, q.integer(4) != 0});
    return out;
}

void Catalog::addIndex(const TableInfo& t, const IndexInfo& ix) {
    OneShot q(cache_, db_,
              "INSERT INTO " + t.schema() +
                  ".tsql_indexes(object_id, indid, name, keycols, flags) VALUES (?, ?, ?, ?, ?)");
    q.bind(1, t.id);
    q.bind(2, ix.indid);
    q.bind(3, ix.name);
    q.bind(4, joinNames(ix.columns));
    q.bind(5, static_cast<long long>((ix.clustered ? static_cast<int>(CatalogFlag::Clustered) : 0) |
                                     (ix.unique ? static_cast<int>(CatalogFlag::Unique) : 0)));
    q.step();
}

void Catalog::dropIndex(const TableInfo& t, long long indid) {
    OneShot q(cache_, db_, "DELETE FROM " + t.schema() + ".tsql_indexes WHERE object_id = ? AND indid = ?");
    q.bind(1, t.id);
    q.bind(2, indid);
    q.step();
}

void Catalog::renameIndex(const TableInfo& t, long long indid, const std::string& name) {
    OneShot q(cache_, db_,
              "UPDATE " + t.schema() + ".tsql_indexes SET name = ? WHERE object_id = ? AND indid = ?");
    q.bind(1, name);
    q.bind(2, t.id);
    q.bind(3, indid);
    q.step();
}

void Catalog::renameObject(long long id, const std::string& name) {
    OneShot q(cache_, db_,
              std::string("UPDATE ") + schemaOf(id < 0) + ".tsql_objects SET name = ? WHERE id = ?");
    q.bind(1, name);
    q.bind(2, id);
    q.step();
    invalidate();
}

void Catalog::renameTable(const TableInfo& t, const std::string& name) {
    OneShot q(cache_, db_,
              "UPDATE main.tsql_objects SET ref_name = ? WHERE xtype = 'F' AND ref_name = ? COLLATE NOCASE");
    q.bind(1, name);
    q.bind(2, t.name);
    q.step();
    renameObject(t.id, name);
}

void Catalog::renameColumn(const TableInfo& t, const std::string& from, const std::string& to) {
    const std::string schema = t.schema();
    {
        OneShot q(cache_, db_,
                  "UPDATE " + schema + ".tsql_columns SET name = ? WHERE object_id = ? AND name = ?");
        q.bind(1, to);
        q.bind(2, t.id);
        q.bind(3, from);
        q.step();
    }
    // Key column lists of constraints and defaults, of FOREIGN KEYs referencing the table, of indexes.
    struct List {
        long long key;
        std::string names;
    };
    auto rewriteLists = [&](const std::string& select, const std::string& update) {
        std::vector<List> lists;
        {
            OneShot q(cache_, db_, select);
            q.bind(1, t.id);
            q.bind(2, t.name);
            while (q.step())
                lists.push_back({q.integer(0), q.text(1)});
        }
        for (const auto& l : lists) {
            OneShot u(cache_, db_, update);
            u.bind(1, renamedIn(l.names, from, to));
            u.bind(2, l.key);
            u.bind(3, t.id);
            u.step();
        }
    };
    rewriteLists("SELECT id, keycols FROM " + schema +
                     ".tsql_objects WHERE parent_obj = ?1 AND keycols IS NOT NULL "
                     "AND ?2 IS NOT NULL",
                 "UPDATE " + schema + ".tsql_objects SET keycols = ?1 WHERE id = ?2 AND ?3 IS NOT NULL");
    rewriteLists("SELECT id, ref_cols FROM " + schema +
                     ".tsql_objects WHERE xtype = 'F' AND ?1 IS NOT NULL AND "
                     "ref_name = ?2 COLLATE NOCASE",
                 "UPDATE " + schema + ".tsql_objects SET ref_cols = ?1 WHERE id = ?2 AND ?3 IS NOT NULL");
    rewriteLists("SELECT indid, keycols FROM " + schema +
                     ".tsql_indexes WHERE object_id = ?1 AND ?2 IS NOT NULL",
                 "UPDATE " + schema + ".tsql_indexes SET keycols = ?1 WHERE indid = ?2 AND object_id = ?3");
    invalidate();
}

void Catalog::announceChange() {
    execSql(db_, "DROP TABLE IF EXISTS main.tsql_trigger_stamp; CREATE TABLE main.tsql_trigger_stamp(x)");
    invalidate();
}

void Catalog::recordPermission(const std::string& action, const std::string& permission,
                               const std::string& object, const std::string& principal) {
    execSql(db_, "CREATE TABLE IF NOT EXISTS main.tsql_permissions(action TEXT NOT NULL, permission TEXT NOT "
                 "NULL, object TEXT NOT NULL COLLATE NOCASE, principal TEXT NOT NULL COLLATE NOCASE)");
    OneShot q(cache_, db_, "INSERT INTO main.tsql_permissions VALUES (?, ?, ?, ?)");
    q.bind(1, action);
    q.bind(2, permission);
    q.bind(3, object);
    q.bind(4, principal);
    q.step();
}

void Catalog::forgetIdentity(const TableInfo& t) {
    OneShot q(cache_, db_,
              std::string("DELETE FROM ") + schemaOf(t.temp) + ".tsql_identity WHERE object_id = ?");
    q.bind(1, t.id);
    q.step();
}

} // namespace tsql::engine
