#include "insert_exec.h"

#include "errors.h"
#include "exec.h"
#include "sqlite_util.h"
#include "tsql/convert.h"
#include "tsql/sqlite.h"

namespace tsql::engine {

namespace {

//! Counts the INSERT ... EXEC statements running on a session.
class Running {
public:
    explicit Running(Session::Impl& s)
        : s_(s) {
        ++s_.insertExecs;
    }
    ~Running() { --s_.insertExecs; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    Session::Impl& s_;
};

} // namespace

ExecRows::ExecRows(Executor& ex, const ExecStmt& exec, const TableInfo& table,
                   const std::vector<int>& targets, int line)
    : ex_(ex) {
    auto& s = ex.session();
    if (s.insertExecs > 0) raise(8164, line, {});
    std::vector<std::vector<Value>> rows;
    {
        Running running(s);
        BatchOutput captured;
        Executor inner(s, captured);
        // Messages reach the client as they came; result sets become the rows to insert.
        auto pass = [&] {
            for (auto& event : captured.events) {
                if (event.kind != BatchEvent::Kind::Rows) {
                    ex.output().events.push_back(std::move(event));
                    continue;
                }
                if (event.rows.columns.size() != targets.size()) raise(213, line, {});
                for (auto& row : event.rows.rows)
                    rows.push_back(std::move(row));
            }
            captured.events.clear();
        };
        try {
            executeExec(inner, exec);
        } catch (...) {
            for (auto& event : captured.events)
                if (event.kind != BatchEvent::Kind::Rows) ex.output().events.push_back(std::move(event));
            throw;
        }
        pass();
    }
    table_ = "temp.\"tsql_insert_exec_" + std::to_string(s.nestLevel) + "\"";
    std::string columns, select, marks;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        const std::string name = "\"c" + std::to_string(k + 1) + "\"";
        columns += (k ? ", " : "") + name;
        marks += k ? ", ?" : "?";
        shape_.columns.push_back({name, table.columns[static_cast<std::size_t>(targets[k])].type});
    }
    ex.run("DROP TABLE IF EXISTS " + table_);
    ex.run("CREATE TABLE " + table_ + " (" + columns + ")");
    const std::string insert = "INSERT INTO " + table_ + " VALUES (" + marks + ")";
    for (const auto& row : rows) {
        sqlite3_stmt* st = s.statements.get(insert);
        StatementReset reset(st);
        for (std::size_t k = 0; k < row.size(); ++k)
            bindValue(st, static_cast<int>(k + 1),
                      convert(row[k], shape_.columns[k].type, ConversionKind::Store));
        const int rc = sqlite3_step(st);
        if (rc != SQLITE_DONE) throwSqlite(s.db, rc, insert);
    }
    shape_.sql = "SELECT " + columns + " FROM " + table_;
}

ExecRows::~ExecRows() {
    if (table_.empty()) return;
    // Failing here only means the table went with a rolled back transaction.
    const std::string sql = "DROP TABLE IF EXISTS " + table_;
    sqlite3_exec(ex_.session().db, sql.c_str(), nullptr, nullptr, nullptr);
}

} // namespace tsql::engine
