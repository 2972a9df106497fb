#include "tsql/backend.h"

#include "tsql/convert.h"
#include "tsql/engine.h"

#include "platform/db/connection.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>

namespace tsql {

namespace {

namespace db = platform::db;

//! Open databases of this process by file, shared by their connections.
std::shared_ptr<Database> openShared(const DatabaseOptions& options) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<Database>> open;
    std::lock_guard lock(mutex);
    std::string key = options.serverName + "|" + std::filesystem::absolute(options.path).string();
    if (auto existing = open[key].lock()) return existing;
    auto database = Database::open(options);
    open[key] = database;
    return database;
}

db::Value toDbValue(const Value& v) {
    if (v.isNull()) return db::Value::null();
    TypeId id = v.type().id;
    if (id == TypeId::Bit) return db::Value::boolean(v.asInt() != 0);
    if (isIntegerType(id)) return db::Value::integer(v.asInt());
    if (isDecimalType(id)) return db::Value::decimal(v.asDecimal().toString());
    if (id == TypeId::Float || id == TypeId::Real) return db::Value::floating(v.asDouble());
    if (id == TypeId::DateTime) {
        auto p = v.asDateTime().parts();
        return db::Value::dateTime(
            common::EncodeDateTime({p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond}));
    }
    if (id == TypeId::Date) {
        auto p = v.asDate().parts();
        return db::Value::dateTime(common::EncodeDateTime({p.year, p.month, p.day, 0, 0, 0, 0}));
    }
    if (id == TypeId::Time) {
        // A time of day is the fraction of a day on the zero date, as the client's date-time keeps it.
        return db::Value::dateTime(static_cast<double>(v.asTime().units()) /
                                   static_cast<double>(TimeOfDay::kUnitsPerDay));
    }
    if (isCharacterType(id)) return db::Value::text(v.asString());
    if (isBinaryType(id)) return db::Value::bytes(db::Bytes(v.asBytes().begin(), v.asBytes().end()));
    if (id == TypeId::UniqueIdentifier) return db::Value::text(guidToString(v.asGuid()));
    return db::Value::text(toText(v));
}

//! Fills a platform/db batch result as the engine produces it: rows are converted one by one as they
//! arrive, so that a result set is held once (as db::Value), never twice; with a row handler they are
//! handed on and not held at all.
class ResultFiller : public BatchSink {
public:
    explicit ResultFiller(db::RowHandler* handler = nullptr)
        : handler_(handler) {}

    void onColumns(const std::vector<ResultColumn>& columns) override {
        columns_.clear();
        rows_.clear();
        for (const auto& c : columns)
            columns_.push_back({c.name, std::string(c.type.baseName())});
        if (handler_ && !handlerError) pass([&] { handler_->columns(columns_); });
    }
    void onRow(const std::vector<Value>& row) override {
        if (handlerError) return;
        std::vector<db::Value> r;
        r.reserve(row.size());
        for (const auto& v : row)
            r.push_back(toDbValue(v));
        if (handler_)
            pass([&] { handler_->row(r); });
        else
            rows_.push_back(std::move(r));
    }
    //! The batch stops once the handler failed.
    bool cancelled() override { return handlerError != nullptr; }
    void onDone(long long) override {
        result.resultSets.emplace_back(std::move(columns_), std::move(rows_));
        columns_.clear();
        rows_.clear();
    }
    void onMessage(const Message& m) override {
        db::ServerMessage sm{m.number, m.severity, m.state, m.line, m.text};
        (m.isError() ? errors : result.messages).push_back(std::move(sm));
    }
    void onRowsAffected(long long rows) override { result.rowsAffected = rows; }

    db::BatchResult result;
    std::vector<db::ServerMessage> errors;
    std::exception_ptr handlerError; //!< what the row handler threw

private:
    template <typename F> void pass(F&& f) {
        try {
            f();
        } catch (...) {
            handlerError = std::current_exception();
        }
    }

    db::RowHandler* handler_;
    std::vector<db::Column> columns_;
    std::vector<std::vector<db::Value>> rows_;
};

class EmbeddedConnection : public db::Connection {
public:
    EmbeddedConnection(std::shared_ptr<Database> database, std::unique_ptr<Session> session)
        : database_(std::move(database))
        , session_(std::move(session)) {}

    db::BatchResult execute(std::string_view batch) override {
        ResultFiller filler;
        session_->execute(batch, filler);
        if (!filler.errors.empty()) throw db::DbError(std::move(filler.errors));
        return std::move(filler.result);
    }

    db::BatchResult stream(std::string_view batch, db::RowHandler& rows) override {
        ResultFiller filler(&rows);
        session_->execute(batch, filler);
        if (filler.handlerError) std::rethrow_exception(filler.handlerError);
        if (!filler.errors.empty()) throw db::DbError(std::move(filler.errors));
        return std::move(filler.result);
    }

    std::string serverName() const override { return database_->serverName(); }

private:
    std::shared_ptr<Database> database_;
    std::unique_ptr<Session> session_;
};

std::unique_ptr<db::Connection> connectEmbedded(const db::ConnectionDescription& d) {
    if (d.database.empty()) throw db::ConnectionError("No database was given for the embedded server.");
    std::filesystem::path dir =
        d.dataDir.empty() ? std::filesystem::path("data") : std::filesystem::path(d.dataDir);
    DatabaseOptions options;
    options.path = (dir / (d.database + ".db")).string();
    options.name = d.database;
    options.serverName = d.server.empty() ? "localhost" : d.server;
    std::string login = d.login;
    if (d.integratedSecurity()) {
        const char* user = std::getenv("USER");
        login = user && *user ? user : "user";
    }
    try {
        auto database = openShared(options);
        return std::make_unique<EmbeddedConnection>(database, database->connect(login));
    } catch (const SqlError& e) {
        throw db::ConnectionError(e.message());
    }
}

} // namespace

void registerEmbeddedBackend() {
    if (!db::hasBackend("embedded")) db::registerBackend("embedded", connectEmbedded);
}

} // namespace tsql
