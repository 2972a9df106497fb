#include "platform/db/connection.h"

#include "odbc_connection.h"
#include "odbc_driver.h"

#include "common/ascii.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>

namespace platform::db {

namespace {

std::string firstText(const std::vector<ServerMessage>& errors) {
    if (errors.empty()) throw std::invalid_argument("DbError needs at least one server message");
    return errors.front().text;
}

// ODBC attribute value: braced when it holds characters that end or open a value.
std::string odbcValue(const std::string& v) {
    if (v.find_first_of(";{}=") == std::string::npos && (v.empty() || (v.front() != ' ' && v.back() != ' ')))
        return v;
    std::string out = "{";
    for (char c : v) {
        out += c;
        if (c == '}') out += '}';
    }
    out += '}';
    return out;
}

//! SERVER, and for FreeTDS the port of "HOST,PORT" as a keyword of its own.
std::string serverKeywords(const std::string& driver, const std::string& server) {
    const auto comma = server.rfind(',');
    if (detail::isFreeTdsDriver(driver) && comma != std::string::npos && comma > 0 &&
        comma + 1 < server.size() &&
        server.find_first_not_of("0123456789 ", comma + 1) == std::string::npos) {
        std::string port = server.substr(comma + 1);
        port.erase(std::remove(port.begin(), port.end(), ' '), port.end());
        return "SERVER=" + odbcValue(server.substr(0, comma)) + ";Port=" + port + ";";
    }
    return "SERVER=" + odbcValue(server) + ";";
}

//! DATABASE, the login (or integrated security) and the extra keywords.
std::string databaseAndLogin(const ConnectionDescription& d) {
    std::string s = "DATABASE=" + odbcValue(d.database) + ";";
    if (d.integratedSecurity())
        s += "Trusted_Connection=Yes;";
    else
        s += "UID=" + odbcValue(d.login) + ";PWD=" + odbcValue(d.password) + ";";
    return s + d.extra;
}

struct Registry {
    Registry() { factories.emplace_back("odbc", &detail::openOdbc); }
    std::mutex mutex;
    std::vector<std::pair<std::string, BackendFactory>> factories;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

DbError::DbError(std::vector<ServerMessage> errors)
    : std::runtime_error(firstText(errors))
    , errors_(std::move(errors)) {}

DbError::DbError(int number, int severity, std::string text)
    : DbError(std::vector<ServerMessage>{ServerMessage{number, severity, 1, 0, std::move(text)}}) {}

std::string ConnectionDescription::odbcConnectionString() const {
    return "DRIVER=" + odbcValue(detail::unbracedDriverName(driver)) + ";" + serverKeywords(driver, server) +
           databaseAndLogin(*this);
}

std::string ConnectionDescription::odbcDataSourceString() const {
    return "DSN=" + odbcValue(server) + ";" + databaseAndLogin(*this);
}

ResultSet::ResultSet(std::vector<Column> columns, std::vector<std::vector<Value>> rows)
    : columns_(std::move(columns))
    , rows_(std::move(rows)) {}

std::optional<std::size_t> ResultSet::columnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (common::EqualsIgnoreCaseAscii(columns_[i].name, name)) return i;
    return std::nullopt;
}

const Value& ResultSet::at(std::size_t row, std::string_view column) const {
    const auto index = columnIndex(column);
    if (!index) throw std::out_of_range("Field '" + std::string(column) + "' not found");
    return rows_.at(row).at(*index);
}

void registerBackend(const std::string& name, BackendFactory factory) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    for (auto& [n, f] : r.factories)
        if (n == name) {
            f = std::move(factory);
            return;
        }
    r.factories.emplace_back(name, std::move(factory));
}

bool hasBackend(const std::string& name) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return std::any_of(r.factories.begin(), r.factories.end(),
                       [&](const auto& p) { return p.first == name; });
}

std::unique_ptr<Connection> connect(const ConnectionDescription& description) {
    BackendFactory factory;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        for (const auto& [n, f] : r.factories)
            if (n == description.backend) factory = f;
    }
    if (!factory)
        throw ConnectionError("No database backend named '" + description.backend + "' is available");
    return factory(description);
}

BatchResult Connection::stream(std::string_view batch, RowHandler& rows) {
    BatchResult result = execute(batch);
    for (auto& set : result.resultSets) {
        rows.columns(set.columns());
        for (auto row : set.rows())
            rows.row(row);
        set = ResultSet(set.columns(), {});
    }
    return result;
}

} // namespace platform::db
