#pragma once
//! SQL Server errors as the engine raises them: number, severity, state, message text and line.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tsql {

//! What an error ends when no TRY block catches it (SQL Server's behaviour with XACT_ABORT OFF).
enum class ErrorEnds : std::uint8_t {
    Statement, //!< the statement fails; the batch goes on with the next statement
    //! Compiling a statement failed (severity 15, or a name deferred resolution could not resolve):
    //! the batch, procedure, trigger or dynamic batch ends and its caller goes on. A TRY block of the
    //! same scope does not catch it; one around the caller's EXEC does.
    Scope,
    Batch, //!< the batch ends, with every procedure and trigger running in it
};

//! One entry of the message table: SQL Server's number, severity, what the error ends and the text
//! template. Templates hold `%s` (text) and `%d` (number) placeholders filled in order by
//! formatMessage. A message whose text depends on the state has a row per such state; state 0 is the
//! row of every other state.
struct MessageInfo {
    int number;
    int severity;
    ErrorEnds ends;
    std::string_view text;
    int state = 0;
};

//! The message table entry for a number and state (the number's general row when the state has no row
//! of its own), or nullptr when the number is not in the table.
const MessageInfo* findMessage(int number, int state = 0);

//! Fills a template's placeholders with the arguments in order (missing arguments leave them empty).
std::string formatMessage(std::string_view templ, const std::vector<std::string>& args);

//! An error as SQL Server reports it: `Msg <number>, Level <severity>, State <state>: <message>`.
class SqlError : public std::runtime_error {
public:
    SqlError(int number, int severity, int state, std::string message, int line = 0);

    //! Builds the error of a table message with its severity, the state and the filled template.
    //! Throws std::logic_error when the number is not in the table (a fault of the caller).
    static SqlError make(int number, const std::vector<std::string>& args = {}, int state = 1);

    int number() const { return number_; }
    int severity() const { return severity_; }
    int state() const { return state_; }
    const std::string& message() const { return message_; }
    //! Line of the batch the error belongs to (1-based; 0 when not known yet).
    int line() const { return line_; }
    void setLine(int line) { line_ = line; }
    //! The procedure or trigger the error occurred in (empty in a batch or dynamic SQL).
    const std::string& procedure() const { return procedure_; }
    void setProcedure(std::string procedure) { procedure_ = std::move(procedure); }

private:
    int number_;
    int severity_;
    int state_;
    std::string message_;
    int line_;
    std::string procedure_;
};

//! What `error` ends when nothing catches it: its message-table row's column, else (numbers outside the
//! table) nothing below severity 11, its scope at severity 15, the batch otherwise.
ErrorEnds endsOf(const SqlError& error);

//! Throws SqlError::make(number, args, state).
[[noreturn]] void raise(int number, const std::vector<std::string>& args = {}, int state = 1);

//! Text a UDF hands to sqlite3_result_error so that the error survives SQLite:
//! "\x01TSQL:<number>:<severity>:<state>:<message>".
std::string encodeForSqlite(const SqlError& error);

//! Recovers an error encoded by encodeForSqlite from an SQLite error message (sqlite3_errmsg);
//! std::nullopt when the message is SQLite's own.
std::optional<SqlError> decodeSqliteError(std::string_view sqliteMessage);

} // namespace tsql
