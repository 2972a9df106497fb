#pragma once
//! Triggers: their definitions in the catalog, and running them after INSERT, UPDATE and DELETE with
//! the statement's rows in `inserted` and `deleted`.

#include "exec.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tsql::engine {

//! One trigger of a table as the catalog holds it.
struct TriggerInfo {
    long long id = 0;
    std::string name;
    int events = 0;                          //!< bit set of TriggerEvent
    std::shared_ptr<const Batch> definition; //!< the parsed CREATE TRIGGER
};

//! The triggers of a table in the order they were created.
struct TriggerList {
    std::vector<TriggerInfo> triggers;
    int events = 0; //!< events at least one trigger fires for (enabled or not)
};

//! The triggers of `table`, read once per cached table definition.
const TriggerList& triggersOf(Session::Impl& s, const TableInfo& table);

//! After a change of triggers (created, altered, dropped, enabled, disabled) inside a write: makes
//! every session reload its cached table definitions, and with them the trigger lists.
void triggersChanged(Executor& ex);

//! The `inserted` or `deleted` table when the running trigger's own body names one, else nullptr.
std::shared_ptr<const TableInfo> pseudoTable(Session::Impl& s, const ObjectName& name);

//! Error 286: a statement writes to `inserted` or `deleted`.
[[noreturn]] void refusePseudoTable(int line);

void executeCreateTrigger(Executor& ex, const CreateTriggerStmt& stmt);
void executeDropTrigger(Executor& ex, const DropStmt& stmt);

//! True when a trigger body reads nothing but `inserted`, `deleted`, variables and constants and writes
//! only by INSERT into tables other than `table` that have no triggers for INSERT nor foreign keys
//! (trigger_in_place.cpp): run before a DELETE of every row of `table`, with `deleted` read from the rows
//! in place, it does exactly what it would do after the DELETE with a copy of them. Sets `readsInserted`
//! when the body names `inserted`.
bool runsOnRowsInPlace(Session::Impl& s, const TableInfo& table, const std::vector<StmtPtr>& body,
                       bool& readsInserted);

//! Captures the rows one write statement changes and fires the table's triggers after it. Does
//! nothing (beyond one cached lookup) for a table without triggers for the event.
class TriggerFiring {
public:
    //! `updated`: the indexes of the columns an UPDATE sets (an INSERT sets every column).
    TriggerFiring(Executor& ex, const TableInfo& table, TriggerEvent event,
                  const std::vector<int>& updated = {});
    ~TriggerFiring();
    TriggerFiring(const TriggerFiring&) = delete;
    TriggerFiring& operator=(const TriggerFiring&) = delete;

    //! Before the write. `rowids` selects the rowids of the rows an UPDATE or DELETE changes (kept as
    //! `deleted`; empty for a DELETE of every row); an INSERT passes nothing and its new rows are found
    //! past the last rowid.
    void before(const std::string& rowids = {});
    //! After the write of `rows` rows: captures `inserted` and runs the triggers in creation order.
    void after(long long rows);
    //! Instead of before() and after() for a DELETE of every row: when no other table's foreign key
    //! references the table and every trigger to run runs on the rows in place (runsOnRowsInPlace), runs
    //! them now with `deleted` reading the table itself, and returns true; the DELETE follows. Saves
    //! copying the rows.
    bool fireBeforeDeletingEveryRow();

private:
    //! `inserted` or `deleted`: the table's columns (their names, types and nullability) over `storage`.
    std::shared_ptr<TableInfo> standIn(const std::string& name, bool temp, const std::string& storage) const;
    std::shared_ptr<const TableInfo> capture(const std::string& pseudoName, const std::string& rowsSql);
    bool enabled(const TriggerInfo& trigger);
    void run(const TriggerInfo& trigger, long long rows);

    Executor& ex_;
    const TableInfo& table_;
    TriggerEvent event_;
    bool active_ = false;
    std::optional<long long> lastRowid_;     //!< before an INSERT, nullopt for an empty table
    std::string deletedName_, insertedName_; //!< SQLite temp tables holding the rows
    std::shared_ptr<const TableInfo> inserted_, deleted_;
    std::vector<std::uint8_t> columnsUpdated_; //!< what COLUMNS_UPDATED() returns in the triggers
};

} // namespace tsql::engine
