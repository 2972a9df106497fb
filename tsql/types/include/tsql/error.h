#pragma once
//! SQL Server errors as the engine raises them: number, severity, state, message text and line.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tsql {

//! One entry of the message table: SQL Server's number, severity and text template.
//! Templates hold `%s` (text) and `%d` (number) placeholders filled in order by formatMessage.
struct MessageInfo {
    int number;
    int severity;
    std::string_view text;
};

//! The message table entry for a number, or nullptr when the number is not in the table.
const MessageInfo* findMessage(int number);

//! Fills a template's placeholders with the arguments in order (missing arguments leave them empty).
std::string formatMessage(std::string_view templ, const std::vector<std::string>& args);

//! An error as SQL Server reports it: `Msg <number>, Level <severity>, State <state>: <message>`.
class SqlError : public std::runtime_error {
public:
    SqlError(int number, int severity, int state, std::string message, int line = 0);

    //! Builds the error of a table message with its severity, state 1 and the filled template.
    //! Throws std::logic_error when the number is not in the table (a fault of the caller).
    static SqlError make(int number, const std::vector<std::string>& args = {});

    int number() const { return number_; }
    int severity() const { return severity_; }
    int state() const { return state_; }
    const std::string& message() const { return message_; }
    //! Line of the batch the error belongs to (1-based; 0 when not known yet).
    int line() const { return line_; }
    void setLine(int line) { line_ = line; }

private:
    int number_;
    int severity_;
    int state_;
    std::string message_;
    int line_;
};

//! Throws SqlError::make(number, args).
[[noreturn]] void raise(int number, const std::vector<std::string>& args = {});

//! Text a UDF hands to sqlite3_result_error so that the error survives SQLite:
//! "\x01TSQL:<number>:<severity>:<state>:<message>".
std::string encodeForSqlite(const SqlError& error);

//! Recovers an error encoded by encodeForSqlite from an SQLite error message (sqlite3_errmsg);
//! std::nullopt when the message is SQLite's own.
std::optional<SqlError> decodeSqliteError(std::string_view sqliteMessage);

} // namespace tsql
