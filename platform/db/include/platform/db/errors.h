#pragma once
//! Errors of the database layer.

#include <stdexcept>
#include <string>
#include <vector>

namespace platform::db {

//! One message the server reported (error or informational).
struct ServerMessage {
    int number = 0;
    int severity = 0;
    int state = 0;
    int line = 0;
    std::string text;
    std::string sqlState = {}; //!< the five-character ODBC state, empty when unknown
};

//! The server refused a batch or a statement in it. what() is the first error's text.
class DbError : public std::runtime_error {
public:
    explicit DbError(std::vector<ServerMessage> errors);
    DbError(int number, int severity, std::string text);
    int number() const { return errors_.front().number; }
    int severity() const { return errors_.front().severity; }
    int state() const { return errors_.front().state; }
    //! Every error of the batch, in the order the server reported them.
    const std::vector<ServerMessage>& errors() const { return errors_; }

private:
    std::vector<ServerMessage> errors_;
};

//! The connection could not be made or was lost (no server message available).
class ConnectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! A value was read as a kind it cannot be converted to (e.g. NULL read strictly).
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace platform::db
