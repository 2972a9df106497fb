#pragma once
//! The SQL Server catalog of a database (tables, columns, constraints, defaults, views), kept in
//! tables of the same SQLite file; temporary objects live in the session's own temp schema.

#include "ast.h"
#include "sqlite_util.h"
#include "tsql/type.h"

#include <sqlite3.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tsql::engine {

struct TriggerList;

//! A column as SQL Server describes it.
struct ColumnInfo {
    std::string name;
    Type type;
    bool nullable = true;
    bool identity = false;
    long long seed = 1;
    long long increment = 1;
    std::string computedText; //!< expression of a computed column; empty for stored columns
    std::string defaultName;
    std::string defaultText; //!< default expression as written; empty = none
    long long defaultId = 0;
    bool isComputed() const { return !computedText.empty(); }
};

//! A PRIMARY KEY, UNIQUE, CHECK or FOREIGN KEY constraint.
struct ConstraintInfo {
    long long id = 0;
    std::string name;
    ConstraintKind kind = ConstraintKind::PrimaryKey;
    std::vector<std::string> columns;
    std::string checkText;
    std::string refTable;
    std::vector<std::string> refColumns;
    bool clustered = false;
    //! sysobjects.xtype of the constraint ("PK", "UQ", "C", "F").
    const char* xtype() const;
};

//! A table or view.
struct TableInfo {
    long long id = 0;
    std::string name;
    bool view = false;
    bool temp = false;
    std::vector<ColumnInfo> columns;
    std::vector<ConstraintInfo> constraints;
    std::string viewText;
    //! True when a FOREIGN KEY of some table references this one.
    bool referenced = false;
    //! The view's parsed definition, parsed on first use.
    mutable std::shared_ptr<Batch> viewBatch;
    //! SQL of each column's default converted for storing, translated on first use (by column index).
    mutable std::map<int, std::string> defaultSql;
    //! The table's triggers, loaded on the first write (dropped with the rest of the cached definition).
    mutable std::shared_ptr<const TriggerList> triggers;
    //! Name of the SQLite table when it differs from `name` (the `inserted`/`deleted` of a trigger).
    std::string storage;

    //! The table's name in SQLite's SQL (quoted, temp. prefix for temporary tables).
    std::string sqliteName() const;
    //! The SQLite schema holding the table and its catalog rows: "temp" or "main".
    std::string schema() const { return temp ? "temp" : "main"; }
    //! Index of a column by name (case-insensitive), or -1.
    int columnIndex(std::string_view column) const;
    //! Index of the identity column, or -1.
    int identityColumn() const;
    //! True when the table has FOREIGN KEY constraints of its own.
    bool hasForeignKeys() const;
};

//! Object names, ids and definitions of one session's view of the database.
class Catalog {
public:
    explicit Catalog(sqlite3* db)
        : db_(db)
        , cache_(db) {}

    //! Creates the catalog tables of the file (when missing) and of the session's temp schema.
    void initialise();
    //! Drops cached definitions when another connection changed the schema.
    void refreshIfChanged();
    //! Forgets every cached definition (after our own schema changes).
    void invalidate();

    //! The table or view of that name (last part of a multi-part name), or nullptr.
    std::shared_ptr<const TableInfo> table(const std::string& name);
    //! The object id of any object (table, view, constraint, default) or nullopt;
    //! `xtype` empty = any type. Names beginning with '#' are looked up among temporary objects.
    std::optional<long long> objectId(const std::string& name, const std::string& xtype = {});
    //! Name of an object id, or nullopt.
    std::optional<std::string> objectName(long long id);
    //! True when a name is taken by any object (tables, views, constraints, defaults share names).
    bool nameTaken(const std::string& name, bool temp);

    //! A fresh object id (negative ids for temporary objects).
    long long newId(bool temp);
    //! The id after `id` in the order newId hands them out: the ids of the objects one statement creates
    //! before the catalog holds any of them.
    static long long idAfter(long long id, bool temp);
    //! Records a table or view and its columns and constraints, and the identity counter.
    void record(const TableInfo& table);
    //! Removes an object, its columns, constraints and defaults.
    void remove(const TableInfo& table);

    //! Text of a stored procedure as created, or nullopt.
    std::optional<std::string> procedureText(const std::string& name);
    //! Records a stored procedure (xtype 'P') with its text.
    void recordProcedure(long long id, const std::string& name, const std::string& text);
    //! Replaces the text of a procedure (ALTER).
    void setDefinition(long long id, const std::string& text);
    //! Removes an object that has no columns or dependants (a procedure).
    void removeObject(long long id);

    //! Identity: current value (nullopt before the first row) of a table's identity column.
    std::optional<long long> identityCurrent(const TableInfo& table);
    void setIdentityCurrent(const TableInfo& table, long long value);

private:
    std::shared_ptr<TableInfo> load(const std::string& name, bool temp);
    sqlite3* db_;
    StatementCache cache_;
    std::map<std::string, std::shared_ptr<const TableInfo>> tables_; //!< by upper-case name
    long long schemaVersion_ = -1;
};

} // namespace tsql::engine
