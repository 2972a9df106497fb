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
    //! Result sets become the rows to insert; messages reach the client as they come.
    class Capture : public BatchSink {
    public:
        Capture(BatchSink& out, std::size_t width)
            : out_(out)
            , width_(width) {}
        void onColumns(const std::vector<ResultColumn>& columns) override {
            mismatch = mismatch || columns.size() != width_;
        }
        void onRow(const std::vector<Value>& row) override {
            if (!mismatch) rows.push_back(row);
        }
        void onDone(long long) override {}
        void onMessage(const Message& message) override { out_.onMessage(message); }
        bool cancelled() override { return out_.cancelled(); }

        std::vector<std::vector<Value>> rows;
        bool mismatch = false;

    private:
        BatchSink& out_;
        std::size_t width_;
    };
    Capture captured(ex.output(), targets.size());
    {
        Running running(s);
        Executor inner(s, captured);
        executeExec(inner, exec);
    }
    if (captured.mismatch) raise(213, line, {});
    const std::vector<std::vector<Value>>& rows = captured.rows;
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
