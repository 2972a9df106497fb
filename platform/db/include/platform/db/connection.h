#pragma once
//! Connections, batches and their buffered results.

#include "platform/db/errors.h"
#include "platform/db/value.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::db {

//! Where and as whom to connect. `backend` picks the implementation: "odbc" or "embedded".
struct ConnectionDescription {
    std::string backend = "odbc";
    std::string driver;   //!< ODBC driver name (odbc backend)
    std::string server;   //!< data source / instance name
    std::string database; //!< catalog
    std::string login;    //!< empty = integrated security
    std::string password;
    std::string dataDir; //!< folder of the database files (embedded backend)
    //! Extra ODBC keywords appended verbatim (e.g. "Encrypt=yes;").
    std::string extra;
    //! Seconds to wait for the server while connecting; 0 or less leaves the driver's default.
    int loginTimeoutSeconds = 15;

    bool integratedSecurity() const { return login.empty(); }
    //! The ODBC connection string for this description (DRIVER, SERVER, DATABASE, UID/PWD or
    //! Trusted_Connection). A server written "HOST,PORT", as SQL Server administrators write a port,
    //! goes to FreeTDS as SERVER=HOST;Port=PORT, which every FreeTDS version understands.
    std::string odbcConnectionString() const;
    //! The connection string when `server` names an ODBC data source (odbc.ini): DSN instead of DRIVER
    //! and SERVER, so the data source's own settings (driver, host, port, protocol version) apply.
    std::string odbcDataSourceString() const;
};

//! Column of a result set.
struct Column {
    std::string name;
    std::string typeName; //!< the server's type name in lower case ("int", "bit", "nvarchar", ...)
};

//! One result set of a batch, fully read.
class ResultSet {
public:
    ResultSet() = default;
    ResultSet(std::vector<Column> columns, std::vector<std::vector<Value>> rows);

    const std::vector<Column>& columns() const { return columns_; }
    const std::vector<std::vector<Value>>& rows() const { return rows_; }
    std::size_t rowCount() const { return rows_.size(); }
    //! Index of a column by name (ASCII letters case-insensitive, first match); nullopt when absent.
    std::optional<std::size_t> columnIndex(std::string_view name) const;
    //! Value of a named column in a row; throws std::out_of_range naming the column when absent.
    const Value& at(std::size_t row, std::string_view column) const;

private:
    std::vector<Column> columns_;
    std::vector<std::vector<Value>> rows_;
};

//! What one batch produced, in order.
struct BatchResult {
    std::vector<ResultSet> resultSets;
    std::vector<ServerMessage> messages; //!< PRINT output and informational messages
    long long rowsAffected = -1;         //!< of the last statement that changed rows, -1 if none
};

//! Receives the rows of a batch's result sets one by one, as they arrive.
class RowHandler {
public:
    virtual ~RowHandler() = default;
    //! A result set begins.
    virtual void columns(const std::vector<Column>& columns) = 0;
    //! The next row of the current result set, one value per column. An exception stops the batch (what is
    //! still running is cancelled) and reaches the caller of stream.
    virtual void row(std::vector<Value>& row) = 0;
};

//! An open connection. Not thread-safe; one user at a time.
class Connection {
public:
    virtual ~Connection() = default;
    //! Runs a batch of statements and reads all its results. Errors with severity >= 11
    //! are collected and thrown together as one DbError once the batch has ended.
    virtual BatchResult execute(std::string_view batch) = 0;
    //! Runs a batch as execute does, but hands the rows of its result sets to `rows` as they arrive
    //! instead of keeping them: the result sets returned have their columns and no rows. The connection
    //! must not be used from the handler. This implementation reads the whole batch first; backends
    //! that can pass rows on while the batch runs override it, so that a long result is never held.
    virtual BatchResult stream(std::string_view batch, RowHandler& rows);
    //! The server name the connection reports.
    virtual std::string serverName() const = 0;
};

using BackendFactory = std::function<std::unique_ptr<Connection>(const ConnectionDescription&)>;

//! Makes a backend available under a name. Backends outside this library register themselves
//! through a call their executables make at start (e.g. tsql::registerEmbeddedBackend()).
void registerBackend(const std::string& name, BackendFactory factory);
bool hasBackend(const std::string& name);

//! Opens a connection with the backend the description names; throws ConnectionError.
std::unique_ptr<Connection> connect(const ConnectionDescription& description);

} // namespace platform::db
