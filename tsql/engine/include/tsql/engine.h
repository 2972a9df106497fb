#pragma once
//! The embedded T-SQL engine: databases kept in SQLite files, sessions that run T-SQL batches.

#include "tsql/error.h"
#include "tsql/value.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tsql {

//! A column of a result set: its name as SQL Server reports it (empty when it has none) and its type.
struct ResultColumn {
    std::string name;
    Type type;
};

//! One result set, fully read.
struct ResultSet {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<Value>> rows;
};

//! A PRINT text, an informational message or an error, as the server reports it.
struct Message {
    int number = 0;
    int severity = 0;
    int state = 0;
    int line = 0;
    std::string text;
    std::string procedure; //!< the procedure or trigger it was raised in; empty in a batch or dynamic SQL
    bool isError() const { return severity >= 11; }
};

//! One thing a batch produced, in the order it produced them.
struct BatchEvent {
    enum class Kind { Rows, Message } kind = Kind::Message;
    ResultSet rows;
    Message message;
};

//! Receives what a batch produces while it runs, in the order a SQL Server client reads it: each
//! result set as onColumns, onRow for every row, onDone; messages (PRINT, informational messages,
//! errors) as they are raised; the count of every INSERT, UPDATE and DELETE as it completes. Procedures,
//! triggers and dynamic SQL the batch runs report through the same sink. A result set an error cuts short
//! ends with onDone for the rows sent so far, then the error follows; an error before the first row sends
//! no result set at all.
//!
//! A sink may throw (its client has gone away): the batch stops there, a statement still running is
//! rolled back as after an error, and the exception leaves Session::execute; the session stays usable
//! (an open transaction stays open).
class BatchSink {
public:
    virtual ~BatchSink() = default;
    //! A result set begins.
    virtual void onColumns(const std::vector<ResultColumn>& columns) = 0;
    //! The next row of the current result set, one value per column.
    virtual void onRow(const std::vector<Value>& row) = 0;
    //! The current result set ended after `rows` rows.
    virtual void onDone(long long rows) = 0;
    //! A PRINT text, an informational message or an error.
    virtual void onMessage(const Message& message) = 0;
    //! An INSERT, UPDATE or DELETE changed `rows` rows.
    virtual void onRowsAffected(long long rows) { (void)rows; }
    //! Asked before every statement and, while SQLite works, every thousand or so of its steps: true ends
    //! the batch there, as a client's attention does: the running statement is rolled back as after an
    //! error, nothing more is reported and Session::execute returns. Must not throw.
    virtual bool cancelled() { return false; }
};

//! Everything a batch produced.
struct BatchOutput {
    std::vector<BatchEvent> events;
    long long rowsAffected = -1; //!< of the last statement that changed rows, -1 if none
    bool hasErrors() const;
};

//! How to open a database.
struct DatabaseOptions {
    std::string path; //!< database file; empty = a fresh in-memory database
    std::string name; //!< DB_NAME(); empty = derived from the file name ("master" in memory)
    std::string serverName = "localhost";
    bool create = false; //!< create the file when missing; otherwise a missing file fails with 4060
};

class Session;

//! One database: a SQLite file (WAL, busy timeout) shared by the sessions opened on it.
class Database : public std::enable_shared_from_this<Database> {
public:
    //! Opens (or, with options.create, creates) a database; throws SqlError 4060 when the file is missing.
    static std::shared_ptr<Database> open(const DatabaseOptions& options);
    ~Database();

    //! A new session (connection) for `login`: own variables, own temporary tables.
    std::unique_ptr<Session> connect(const std::string& login);

    const std::string& name() const;
    const std::string& serverName() const;

    struct Impl;

private:
    explicit Database(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

//! A connection: runs batches one after another. Not thread-safe.
class Session {
public:
    ~Session();
    //! Parses the whole batch, then runs it. Errors are reported as events, as SQL Server reports them
    //! to a client; nothing is thrown for errors of the batch itself.
    BatchOutput execute(std::string_view batch);
    //! The same, handing results and messages to `sink` as they are produced; nothing is kept.
    void execute(std::string_view batch, BatchSink& sink);
    const std::string& login() const;

    struct Impl;
    explicit Session(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace tsql
