#include "odbc_connection.h"

#include "odbc_batch.h"
#include "odbc_driver.h"
#include "odbc_support.h"

#include <cstdint>

namespace platform::db::detail {

namespace {

class OdbcConnection final : public Connection {
public:
    explicit OdbcConnection(const ConnectionDescription& description)
        : environment_(SQL_HANDLE_ENV, SQL_NULL_HANDLE)
        , encoding_(driverTakesWideText(description.driver)) {
        SQLSetEnvAttr(environment_.get(), SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(SQL_OV_ODBC3)), 0);
        requireInstalledDriver(environment_.get(), description.driver);
        connection_.emplace(SQL_HANDLE_DBC, environment_.get());
        if (description.loginTimeoutSeconds > 0)
            SQLSetConnectAttr(
                connection_->get(), SQL_ATTR_LOGIN_TIMEOUT,
                reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(description.loginTimeoutSeconds)),
                SQL_IS_UINTEGER);
        auto text = encoding_.encode(description.odbcConnectionString());
        const SQLRETURN rc = encoding_.wide()
                                 ? SQLDriverConnectW(connection_->get(), nullptr, text.wideText(),
                                                     static_cast<SQLSMALLINT>(text.length()), nullptr, 0,
                                                     nullptr, SQL_DRIVER_NOPROMPT)
                                 : SQLDriverConnect(connection_->get(), nullptr, text.narrowText(),
                                                    static_cast<SQLSMALLINT>(text.length()), nullptr, 0,
                                                    nullptr, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(rc)) {
            std::string reasons;
            for (const auto& d : readDiagnostics(encoding_, SQL_HANDLE_DBC, connection_->get()))
                reasons += (reasons.empty() ? "" : "; ") + d.text;
            throw ConnectionError("Cannot connect to the database '" + description.database +
                                  "' on server '" + description.server +
                                  "': " + (reasons.empty() ? "the ODBC driver gave no reason" : reasons));
        }
        connected_ = true;
        TextBuffer name(encoding_, 255);
        SQLSMALLINT bytes = 0;
        if (SQL_SUCCEEDED(
                encoding_.wide()
                    ? SQLGetInfoW(connection_->get(), SQL_SERVER_NAME, name.data(), name.bytes(), &bytes)
                    : SQLGetInfo(connection_->get(), SQL_SERVER_NAME, name.data(), name.bytes(), &bytes)))
            serverName_ = name.text(bytes / static_cast<SQLSMALLINT>(encoding_.unit()));
        if (serverName_.empty()) serverName_ = description.server;
    }

    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    ~OdbcConnection() override {
        if (connected_) SQLDisconnect(connection_->get());
    }

    BatchResult execute(std::string_view batch) override {
        return runBatch(connection_->get(), encoding_, batch);
    }

    std::string serverName() const override { return serverName_; }

private:
    Handle environment_;
    Encoding encoding_;
    std::optional<Handle> connection_;
    bool connected_ = false;
    std::string serverName_;
};

} // namespace

std::unique_ptr<Connection> openOdbc(const ConnectionDescription& description) {
    return std::make_unique<OdbcConnection>(description);
}

} // namespace platform::db::detail
