#pragma once
//! The SQL Server catalog of a database (tables, columns, constraints, defaults, views), kept in
//! tables of the same SQLite file; temporary objects live in the session's own temp schema.

#include "ast.h"
#include "sqlite_util.h"
#include "tsql/type.h"

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tsql::engine {

struct TriggerList;

//! Bits of the flags of catalog rows (objects and indexes).
enum class CatalogFlag : int {
    Clustered = 1, //!< a clustered PRIMARY KEY, UNIQUE constraint or index
    Disabled = 2,  //!< a trigger after DISABLE TRIGGER, a CHECK or FOREIGN KEY after NOCHECK CONSTRAINT
    Unique = 4,    //!< a unique index
};

//! SQL that holds when `flag` is set in the flags column `column` of a query over the catalog tables,
//! e.g. "(o.flags & 2) <> 0".
std::string flagSql(std::string_view column, CatalogFlag flag);

//! An index made by CREATE INDEX.
struct IndexInfo {
    long long indid = 0; //!< 1 for a clustered index, 2 and up otherwise
    std::string name;
    std::vector<std::string> columns;
    bool clustered = false;
    bool unique = false;
};

//! A FOREIGN KEY constraint of some table, seen from the table it references.
struct ReferenceInfo {
    std::string name;                    //!< the constraint
    std::string table;                   //!< the table the constraint belongs to
    std::vector<std::string> refColumns; //!< the referenced columns
};

//! A row of the catalog that belongs to a table (constraint, default, trigger).
struct ChildObject {
    long long id = 0;
    std::string name;
    std::string xtype;
    bool disabled = false;
};

//! A trigger as the catalog keeps it.
struct TriggerRow {
    long long id = 0;
    std::string name;
    std::string definition; //!< the text as created
};

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

//! The name SQL Server gives a constraint declared without one: PREFIX__table__[colum__]1A2B3C4D, with
//! the table's first 9 and the column's first 5 characters and the constraint's object id in hexadecimal.
//! `column` is the DEFAULT's column, a FOREIGN KEY's first column or a column-level CHECK's column.
std::string generatedConstraintName(std::string_view prefix, std::string_view table, std::string_view column,
                                    long long id);
//! The name of a declared PRIMARY KEY, UNIQUE, CHECK or FOREIGN KEY constraint with object id `id`: as
//! written, or generated.
std::string constraintName(const ConstraintDef& def, std::string_view table, long long id);

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
    //! True for the table of a table variable (DECLARE @t TABLE).
    bool isTableVariable() const { return !name.empty() && name.front() == '@'; }
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
    //! refreshIfChanged for a check repeated while a batch runs (a procedure call): skipped while SQLite's
    //! data version of the main database and `clientCalls` (a count of the times the client was handed
    //! something) are those of the last check. Another connection's commit reaches this session only
    //! through a read that begins after it (which moves the data version) or through the client, which
    //! may have waited for it while it received results.
    void refreshIfMoved(std::uint64_t clientCalls);
    //! Forgets every cached definition (after our own schema changes).
    void invalidate();
    //! After a change that alters no SQLite table (a trigger or procedure created, altered, dropped, a
    //! trigger switched on or off): makes every session reload its cached definitions, as they watch
    //! SQLite's schema version.
    void announceChange();
    //! Changes whenever cached definitions are dropped (by refreshIfChanged or invalidate): what a
    //! session keeps from the catalog elsewhere is valid while this stays the same.
    long long generation() const { return generation_; }
    //! Changes whenever a definition this session reads may have changed (the generation, and a table
    //! or view recorded, altered or removed here, temporary ones included): SQL bound from the
    //! definitions is valid while this stays the same.
    long long version() const { return version_; }

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
    //! Records a view's columns anew (sp_refreshview).
    void replaceViewColumns(const TableInfo& view);
    //! Records a rebuilt table anew (same id): its columns, defaults and constraints; `disabled` names
    //! (upper case) the constraints that stay switched off. Triggers, indexes and identity stay.
    void rewrite(const TableInfo& table, const std::set<std::string>& disabled);
    //! Records column `index` of `table` (added by ALTER TABLE ADD).
    void addColumn(const TableInfo& table, std::size_t index);

    // Objects of a table (catalog_objects.cpp).
    //! The constraints, defaults and triggers of a table of the given xtypes ("PK", "C", "TR", ...).
    std::vector<ChildObject> children(const TableInfo& table, const std::vector<std::string>& xtypes);
    //! Upper-case names of the table's disabled constraints and triggers.
    std::set<std::string> disabledNames(const TableInfo& table);
    //! Switches the disabled flag of the table's constraint or trigger `name`.
    void setDisabled(const TableInfo& table, const std::string& name, bool disabled);
    //! True when the trigger or constraint `id` exists and is not disabled.
    bool isEnabled(long long id);
    //! FOREIGN KEY constraints (of any table, this one too) that reference table `name`.
    std::vector<ReferenceInfo> referencesTo(const std::string& name);
    //! Records the default of column `column` (its defaultId, defaultName and defaultText set).
    void addDefault(const TableInfo& table, const ColumnInfo& column);
    //! Removes the default of column `column`.
    void dropDefault(const TableInfo& table, const ColumnInfo& column);

    //! The triggers of a table in creation order.
    std::vector<TriggerRow> triggers(long long tableId);
    //! Records a trigger (xtype 'TR') of a table with its text.
    void recordTrigger(long long id, const std::string& name, long long tableId, const std::string& text);
    //! Replaces the text and table of a trigger (ALTER TRIGGER).
    void alterTrigger(long long id, long long tableId, const std::string& text);

    //! The indexes of CREATE INDEX on a table, by indid.
    std::vector<IndexInfo> indexes(const TableInfo& table);
    void addIndex(const TableInfo& table, const IndexInfo& index);
    void dropIndex(const TableInfo& table, long long indid);
    void renameIndex(const TableInfo& table, long long indid, const std::string& name);

    //! Renames any object (constraint, procedure, view, ...) by id.
    void renameObject(long long id, const std::string& name);
    //! Renames a table and the references to it.
    void renameTable(const TableInfo& table, const std::string& name);
    //! Records GRANT, DENY or REVOKE of `permission` on `object` (empty: a statement permission).
    void recordPermission(const std::string& action, const std::string& permission, const std::string& object,
                          const std::string& principal);
    //! Renames a column of a table in its column row and in every key column list that names it.
    void renameColumn(const TableInfo& table, const std::string& from, const std::string& to);

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
    void forgetIdentity(const TableInfo& table);

private:
    std::shared_ptr<TableInfo> load(const std::string& name, bool temp);
    //! Drops the cached definition of a table or view.
    void forget(const std::string& name);
    void insertColumns(const TableInfo& table);
    sqlite3* db_;
    StatementCache cache_;
    std::map<std::string, std::shared_ptr<const TableInfo>> tables_; //!< by upper-case name
    long long schemaVersion_ = -1;
    int checkedData_ = -1;                 //!< SQLite's data version at the last check
    std::uint64_t checkedClientCalls_ = 0; //!< the client calls counted at the last refreshIfMoved
    long long generation_ = 0;
    long long version_ = 0;
};

} // namespace tsql::engine
