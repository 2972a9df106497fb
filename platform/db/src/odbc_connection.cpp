#include "odbc_connection.h"

#include "odbc_batch.h"
#include "odbc_driver.h"
#include "odbc_support.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace platform::db::detail {

namespace {

//! How long beyond the login timeout a driver may take before the attempt is given up.
constexpr auto kLoginGrace = std::chrono::seconds(2);

SQLPOINTER integerAttribute(std::intptr_t value) {
    return reinterpret_cast<SQLPOINTER>(value);
}

//! The handles of one connection.
struct Link {
    explicit Link(bool wide)
        : environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE)
        , encoding(wide) {
        SQLSetEnvAttr(environment.get(), SQL_ATTR_ODBC_VERSION, integerAttribute(SQL_OV_ODBC3), 0);
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    ~Link() {
        if (connected) SQLDisconnect(connection->get());
    }

    Handle environment;
    Encoding encoding;
    std::optional<Handle> connection;
    bool connected = false;
};

//! The outcome of a connection attempt, handed from the thread making it to the one waiting for it.
struct Attempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::string failure; //!< the driver's reasons; empty when connected
};

//! Connects the link; returns the driver's reasons when it cannot.
std::string driverConnect(Link& link, Encoding::Encoded& text) {
    SQLHDBC connection = link.connection->get();
    const auto length = static_cast<SQLSMALLINT>(text.length());
    const SQLRETURN rc = link.encoding.wide()
                             ? SQLDriverConnectW(connection, nullptr, text.wideText(), length, nullptr, 0,
                                                 nullptr, SQL_DRIVER_NOPROMPT)
                             : SQLDriverConnect(connection, nullptr, text.narrowText(), length, nullptr, 0,
                                                nullptr, SQL_DRIVER_NOPROMPT);
    if (SQL_SUCCEEDED(rc)) {
        link.connected = true;
        return {};
    }
    std::string reasons;
    for (const auto& d : readDiagnostics(link.encoding, SQL_HANDLE_DBC, connection))
        reasons += (reasons.empty() ? "" : "; ") + d.text;
    return reasons.empty() ? "the ODBC driver gave no reason" : reasons;
}

//! Opens a connection. Some drivers keep waiting for a server that accepted the network connection
//! but never answers, whatever the login timeout; such an attempt is left to its own thread, which
//! frees the handles once the driver returns, and the caller gets an error in time.
std::shared_ptr<Link> openLink(const ConnectionDescription& description) {
    // A server that names an ODBC data source is reached through it, with the data source's driver.
    const std::string sourceDriver = dataSourceDriver(description.server);
    const bool dataSource = !sourceDriver.empty();
    auto link = std::make_shared<Link>(driverTakesWideText(dataSource ? sourceDriver : description.driver));
    if (!dataSource) requireInstalledDriver(link->environment.get(), description.driver);
    link->connection.emplace(SQL_HANDLE_DBC, link->environment.get());
    if (description.loginTimeoutSeconds > 0)
        SQLSetConnectAttr(link->connection->get(), SQL_ATTR_LOGIN_TIMEOUT,
                          integerAttribute(description.loginTimeoutSeconds), SQL_IS_UINTEGER);
    auto text = std::make_shared<Encoding::Encoded>(link->encoding.encode(
        dataSource ? description.odbcDataSourceString() : description.odbcConnectionString()));
    auto attempt = std::make_shared<Attempt>();
    std::thread([link, text, attempt] {
        std::string failure = driverConnect(*link, *text);
        std::lock_guard lock(attempt->mutex);
        attempt->done = true;
        attempt->failure = std::move(failure);
        attempt->finished.notify_all();
    }).detach();

    const std::string where = "Cannot connect to the database '" + description.database + "' on server '" +
                              description.server + "': ";
    std::unique_lock lock(attempt->mutex);
    if (description.loginTimeoutSeconds > 0) {
        const auto limit = std::chrono::seconds(description.loginTimeoutSeconds) + kLoginGrace;
        if (!attempt->finished.wait_for(lock, limit, [&] { return attempt->done; }))
            throw ConnectionError(where + "the server did not answer within " +
                                  std::to_string(limit.count()) + " seconds");
    } else {
        attempt->finished.wait(lock, [&] { return attempt->done; });
    }
    if (!attempt->failure.empty()) throw ConnectionError(where + attempt->failure);
    return link;
}

//! A text the connection's driver tells about it (SQLGetInfo); empty when it tells nothing.
std::string infoText(const Link& link, SQLUSMALLINT what) {
    TextBuffer text(link.encoding, 255);
    SQLSMALLINT bytes = 0;
    SQLHDBC connection = link.connection->get();
    const SQLRETURN rc = link.encoding.wide()
                             ? SQLGetInfoW(connection, what, text.data(), text.bytes(), &bytes)
                             : SQLGetInfo(connection, what, text.data(), text.bytes(), &bytes);
    return SQL_SUCCEEDED(rc) ? text.text(bytes / static_cast<SQLSMALLINT>(link.encoding.unit())) : "";
}

class OdbcConnection final : public Connection {
public:
    explicit OdbcConnection(const ConnectionDescription& description)
        : link_(openLink(description))
        , serverName_(infoText(*link_, SQL_SERVER_NAME))
        , statement_(link_->connection->get(), link_->encoding,
                     infoText(*link_, SQL_DBMS_NAME) == "Microsoft SQL Server") {
        if (serverName_.empty()) serverName_ = description.server;
    }

    BatchResult execute(std::string_view batch) override { return runBatch(statement_, batch); }

    BatchResult stream(std::string_view batch, RowHandler& rows) override {
        return runBatch(statement_, batch, &rows);
    }

    std::string serverName() const override { return serverName_; }

private:
    std::shared_ptr<Link> link_;
    std::string serverName_;
    //! Freed before the link disconnects.
    Statement statement_;
};

} // namespace

std::unique_ptr<Connection> openOdbc(const ConnectionDescription& description) {
    return std::make_unique<OdbcConnection>(description);
}

} // namespace platform::db::detail
