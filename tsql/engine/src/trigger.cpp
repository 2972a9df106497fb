#include "trigger.h"

#include "errors.h"
#include "lexer.h"
#include "parser.h"
#include "sqlite_util.h"
#include "tsql/collation.h"
#include "tsql/sqlite.h"

#include <utility>

namespace tsql::engine {

namespace {

//! Runs catalog SQL with its own bound values (no batch variables).
class CatalogStep {
public:
    CatalogStep(Session::Impl& s, const std::string& sql)
        : db_(s.db)
        , st_(s.statements.get(sql))
        , reset_(st_) {}
    CatalogStep& bind(int i, long long v) {
        sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    CatalogStep& bind(int i, const std::string& v) {
        bindText(st_, i, v);
        return *this;
    }
    bool step() {
        int rc = sqlite3_step(st_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) throwSqlite(db_, rc, sqlite3_sql(st_));
        return false;
    }
    long long integer(int col) const { return sqlite3_column_int64(st_, col); }
    bool isNull(int col) const { return sqlite3_column_type(st_, col) == SQLITE_NULL; }
    std::string text(int col) const { return columnText(st_, col); }

private:
    sqlite3* db_;
    sqlite3_stmt* st_;
    StatementReset reset_;
};

//! Parses a trigger's stored text.
std::shared_ptr<const Batch> parseTrigger(const std::string& text) {
    auto batch = std::make_shared<Batch>(parseBatch(text));
    if (batch->statements.size() != 1 || batch->statements.front()->kind != StmtKind::CreateTrigger)
        throw std::runtime_error("the stored text of a trigger does not define one trigger");
    return batch;
}

const CreateTriggerStmt& definitionOf(const TriggerInfo& t) {
    return static_cast<const CreateTriggerStmt&>(*t.definition->statements.front());
}

//! Swaps the session's scope for a trigger's (own variables, SCOPE_IDENTITY, nest level and the
//! `inserted`/`deleted` tables) and restores the firing statement's scope on the way out.
class TriggerScope {
public:
    TriggerScope(Session::Impl& s, long long trigger, std::shared_ptr<const TableInfo> inserted,
                 std::shared_ptr<const TableInfo> deleted, std::vector<std::uint8_t> columnsUpdated)
        : s_(s)
        , variables_(std::move(s.variables))
        , scopeIdentity_(std::exchange(s.scopeIdentity, std::nullopt))
        , trigger_(std::exchange(s.trigger, trigger))
        , triggerLevel_(s.triggerLevel)
        , inserted_(std::exchange(s.inserted, std::move(inserted)))
        , deleted_(std::exchange(s.deleted, std::move(deleted)))
        , columnsUpdated_(std::exchange(s.columnsUpdated, std::move(columnsUpdated)))
        , xactAbort_(s.xactAbort) {
        s_.variables.clear();
        s_.triggerLevel = ++s_.nestLevel;
        if (s_.nestLevel > kMaxNestLevel) {
            restore();
            raise(217, 0, {});
        }
    }
    ~TriggerScope() {
        if (!restored_) restore();
    }
    TriggerScope(const TriggerScope&) = delete;
    TriggerScope& operator=(const TriggerScope&) = delete;

private:
    void restore() {
        restored_ = true;
        --s_.nestLevel;
        s_.variables = std::move(variables_);
        s_.scopeIdentity = scopeIdentity_;
        s_.trigger = trigger_;
        s_.triggerLevel = triggerLevel_;
        s_.inserted = std::move(inserted_);
        s_.deleted = std::move(deleted_);
        s_.columnsUpdated = std::move(columnsUpdated_);
        s_.xactAbort = xactAbort_; // SET options of a trigger last until it returns
    }

    Session::Impl& s_;
    std::vector<Variable> variables_;
    std::optional<long long> scopeIdentity_;
    long long trigger_;
    int triggerLevel_;
    std::shared_ptr<const TableInfo> inserted_, deleted_;
    std::vector<std::uint8_t> columnsUpdated_;
    bool xactAbort_;
    bool restored_ = false;
};

[[noreturn]] void invalidTarget(const ObjectName& table, int line) {
    raise(8197, line, {table.written()}, 4);
}

} // namespace

void triggersChanged(Executor& ex) {
    ex.session().catalog.announceChange();
}

const TriggerList& triggersOf(Session::Impl& s, const TableInfo& table) {
    if (table.triggers) return *table.triggers;
    auto list = std::make_shared<TriggerList>();
    if (!table.temp && !table.view && table.storage.empty()) {
        for (const auto& row : s.catalog.triggers(table.id)) {
            TriggerInfo t;
            t.id = row.id;
            t.name = row.name;
            t.definition = parseTrigger(row.definition);
            t.events = definitionOf(t).events;
            list->events |= t.events;
            list->triggers.push_back(std::move(t));
        }
    }
    table.triggers = list;
    return *list;
}

std::shared_ptr<const TableInfo> pseudoTable(Session::Impl& s, const ObjectName& name) {
    if (s.triggerLevel != s.nestLevel || name.parts.size() != 1) return nullptr;
    if (equalsIgnoreCase(name.name(), "inserted")) return s.inserted;
    if (equalsIgnoreCase(name.name(), "deleted")) return s.deleted;
    return nullptr;
}

void refusePseudoTable(int line) {
    raise(286, line, {});
}

void executeCreateTrigger(Executor& ex, const CreateTriggerStmt& stmt) {
    auto& s = ex.session();
    s.rowCount = 0;
    const std::string& name = stmt.trigger.name();
    auto table = s.catalog.table(stmt.table.name());
    if (!table || table->view || table->temp) invalidTarget(stmt.table, stmt.line);
    checkScope(stmt.body, {}, ScopeKind::Trigger, table.get()); // UPDATE(column) names its columns
    if (!stmt.alter) {
        if (s.catalog.nameTaken(name, false)) raise(2714, stmt.line, {name});
        ex.atomically([&] {
            s.catalog.recordTrigger(s.catalog.newId(false), name, table->id, stmt.text);
            triggersChanged(ex);
        });
    } else {
        auto id = s.catalog.objectId(name, "TR");
        if (!id) raise(208, stmt.line, {stmt.trigger.written()});
        ex.atomically([&] {
            s.catalog.alterTrigger(*id, table->id, stmt.text);
            triggersChanged(ex);
        });
    }
    s.catalog.invalidate();
}

void executeDropTrigger(Executor& ex, const DropStmt& stmt) {
    auto& s = ex.session();
    s.rowCount = 0;
    for (const auto& n : stmt.names) {
        auto id = s.catalog.objectId(n.name(), "TR");
        if (!id) {
            if (stmt.ifExists) continue;
            raise(3701, stmt.line, {"trigger", n.name()});
        }
        ex.atomically([&] {
            s.catalog.removeObject(*id);
            triggersChanged(ex);
        });
        s.catalog.invalidate();
    }
}

TriggerFiring::TriggerFiring(Executor& ex, const TableInfo& table, TriggerEvent event,
                             const std::vector<int>& updated)
    : ex_(ex)
    , table_(table)
    , event_(event) {
    active_ = (triggersOf(ex.session(), table).events & static_cast<int>(event)) != 0;
    if (!active_) return;
    columnsUpdated_.assign((table.columns.size() + 7) / 8, 0);
    auto mark = [&](std::size_t column) {
        columnsUpdated_[column / 8] |= static_cast<std::uint8_t>(1u << (column % 8));
    };
    if (event == TriggerEvent::Insert)
        for (std::size_t i = 0; i < table.columns.size(); ++i)
            mark(i);
    if (event == TriggerEvent::Update)
        for (int i : updated)
            mark(static_cast<std::size_t>(i));
    std::string level = std::to_string(ex.session().nestLevel);
    deletedName_ = "tsql_deleted_" + level;
    insertedName_ = "tsql_inserted_" + level;
}

TriggerFiring::~TriggerFiring() {
    if (!active_) return;
    // Failing here only means the tables went with a rolled back transaction.
    std::string sql = "DROP TABLE IF EXISTS temp." + quoteName(deletedName_) +
                      "; DROP TABLE IF EXISTS temp." + quoteName(insertedName_);
    sqlite3_exec(ex_.session().db, sql.c_str(), nullptr, nullptr, nullptr);
}

std::shared_ptr<TableInfo> TriggerFiring::standIn(const std::string& name, bool temp,
                                                  const std::string& storage) const {
    auto t = std::make_shared<TableInfo>();
    t->name = name;
    t->temp = temp;
    t->storage = storage;
    for (const auto& c : table_.columns) {
        ColumnInfo copy;
        copy.name = c.name;
        copy.type = c.type;
        copy.nullable = c.nullable;
        t->columns.push_back(copy);
    }
    return t;
}

std::shared_ptr<const TableInfo> TriggerFiring::capture(const std::string& pseudoName,
                                                        const std::string& rowsSql) {
    auto t = standIn(pseudoName, true, pseudoName == "inserted" ? insertedName_ : deletedName_);
    std::string columns = "\"tsql_rowid\"", values = "rowid", ddl = "\"tsql_rowid\" INTEGER";
    for (const auto& c : table_.columns) {
        ddl += ", " + quoteName(c.name) + " " + std::string(sqliteDeclType(c.type));
        if (isCharacterType(c.type.id)) ddl += " COLLATE " + std::string(kCollationName);
        columns += ", " + quoteName(c.name);
        values += ", " + quoteName(c.name);
    }
    ex_.run("DROP TABLE IF EXISTS " + t->sqliteName());
    ex_.run("CREATE TEMP TABLE " + quoteName(t->storage) + " (" + ddl + ")");
    ex_.run("INSERT INTO " + t->sqliteName() + " (" + columns + ") SELECT " + values + " FROM " +
            table_.sqliteName() + " WHERE " + rowsSql);
    return t;
}

void TriggerFiring::before(const std::string& rowids) {
    if (!active_) return;
    if (event_ == TriggerEvent::Insert) {
        // An identity primary key may be the rowid, and its first value zero or negative: in a table that
        // was empty every row is new.
        CatalogStep q(ex_.session(), "SELECT max(rowid) FROM " + table_.sqliteName());
        q.step();
        if (!q.isNull(0)) lastRowid_ = q.integer(0);
        return;
    }
    deleted_ = capture("deleted", rowids.empty() ? "1" : "rowid IN (" + rowids + ")");
}

void TriggerFiring::after(long long rows) {
    if (!active_) return;
    if (event_ == TriggerEvent::Insert)
        inserted_ = capture("inserted", lastRowid_ ? "rowid > " + std::to_string(*lastRowid_) : "1");
    else if (event_ == TriggerEvent::Update)
        inserted_ =
            capture("inserted", "rowid IN (SELECT \"tsql_rowid\" FROM " + deleted_->sqliteName() + ")");
    if (!inserted_) inserted_ = capture("inserted", "0");
    if (!deleted_) deleted_ = capture("deleted", "0");
    // The list is held: a trigger body may change the schema and drop the cached definition.
    std::shared_ptr<const TriggerList> list = table_.triggers;
    for (const auto& t : list->triggers) {
        if (!(t.events & static_cast<int>(event_))) continue;
        // A trigger's own changes to its own table do not fire it again (no direct recursion).
        if (t.id == ex_.session().trigger) continue;
        if (!enabled(t)) continue;
        run(t, rows);
    }
    ex_.run("DROP TABLE " + inserted_->sqliteName());
    ex_.run("DROP TABLE " + deleted_->sqliteName());
    active_ = false;
}

bool TriggerFiring::fireBeforeDeletingEveryRow() {
    if (!active_ || event_ != TriggerEvent::Delete) return false;
    auto& s = ex_.session();
    // A DELETE refused by another table's foreign key fails before its triggers run.
    if (!s.catalog.referencesTo(table_.name).empty()) return false;
    std::shared_ptr<const TriggerList> list = table_.triggers;
    std::vector<const TriggerInfo*> firing;
    bool readsInserted = false;
    for (const auto& t : list->triggers) {
        if (!(t.events & static_cast<int>(event_)) || t.id == s.trigger || !enabled(t)) continue;
        if (!runsOnRowsInPlace(s, table_, definitionOf(t).body, readsInserted)) return false;
        firing.push_back(&t);
    }
    long long rows = 0;
    {
        CatalogStep count(s, "SELECT count(*) FROM " + table_.sqliteName());
        count.step();
        rows = count.integer(0);
    }
    deleted_ = standIn("deleted", table_.temp, table_.storage.empty() ? table_.name : table_.storage);
    // The empty `inserted` only for a body that names it: a table created and dropped is a change of
    // the schema, after which SQLite prepares every statement again.
    if (readsInserted) inserted_ = capture("inserted", "0");
    for (const TriggerInfo* t : firing)
        run(*t, rows);
    if (inserted_) ex_.run("DROP TABLE " + inserted_->sqliteName());
    active_ = false;
    return true;
}

bool TriggerFiring::enabled(const TriggerInfo& trigger) {
    // Read when firing: enabling or disabling a trigger changes only its disabled flag.
    return ex_.session().catalog.isEnabled(trigger.id);
}

void TriggerFiring::run(const TriggerInfo& trigger, long long rows) {
    auto& s = ex_.session();
    // Inside a trigger @@TRANCOUNT counts the statement's own transaction.
    bool implicit = s.tranCount == 0;
    if (implicit) s.tranCount = 1;
    Executor inner(s, ex_.output(), ScopeKind::Trigger, trigger.name);
    inner.setAbortOnError(true);
    try {
        TriggerScope scope(s, trigger.id, inserted_, deleted_, columnsUpdated_);
        s.rowCount = rows;
        inner.runStatements(definitionOf(trigger).body);
    } catch (UnwindToCatch& u) {
        // An error in a trigger leaves the transaction only to be rolled back (the statement's own
        // transaction is undone with the statement).
        if (implicit && s.tranCount == 1) s.tranCount = 0;
        u.dooms = true;
        throw;
    } catch (...) {
        if (implicit && s.tranCount == 1) s.tranCount = 0;
        throw;
    }
    if (inner.aborted()) {
        ex_.setStatementError(s.error);
        if (!inner.abortsCaller()) {
            // A name the trigger could not resolve ends the trigger and fails its statement.
            if (implicit && s.tranCount == 1) s.tranCount = 0;
            throw StatementFailed{};
        }
        // Any other error in a trigger undoes the whole transaction and ends the batch.
        ex_.rollbackAll();
        throw BatchAbort{};
    }
    if (s.doomed) {
        // A CATCH block of the trigger took an error: the transaction cannot be committed.
        ex_.rollbackAll();
        raise(3616, 0, {});
    }
    if (s.tranCount == 0) raise(3609, 0, {});
    if (implicit) s.tranCount = 0;
}

} // namespace tsql::engine
