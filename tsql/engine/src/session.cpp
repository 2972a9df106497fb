#include "session.h"

#include "catalog_functions.h"
#include "exec.h"
#include "lexer.h"
#include "parser.h"
#include "session_functions.h"
#include "system_views.h"
#include "tsql/sqlite.h"

#include <atomic>
#include <filesystem>

namespace tsql {

using engine::execSql;

bool BatchOutput::hasErrors() const {
    for (const auto& e : events)
        if (e.kind == BatchEvent::Kind::Message && e.message.isError()) return true;
    return false;
}

Database::Impl::~Impl() {
    if (keepAlive) sqlite3_close_v2(keepAlive);
}

namespace {

std::atomic<int> memoryCounter{0};

sqlite3* openConnection(const Database::Impl& d) {
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(d.uri.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        throw SqlError::make(4060, {d.name + " (" + message + ")"});
    }
    sqlite3_busy_timeout(db, 30000);
    return db;
}

std::string fileUri(const std::string& path) {
    std::string out = "file:";
    for (char c : std::filesystem::absolute(path).string()) {
        if (c == '?' || c == '#' || c == '%') {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

Database::Database(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)) {}
Database::~Database() = default;

std::shared_ptr<Database> Database::open(const DatabaseOptions& options) {
    auto impl = std::make_unique<Impl>();
    impl->serverName = options.serverName;
    if (options.path.empty()) {
        impl->memory = true;
        impl->name = options.name.empty() ? "master" : options.name;
        impl->uri = "file:/tsql-memory-" + std::to_string(++memoryCounter) + "?vfs=memdb";
        sqlite3* keep = nullptr;
        int rc = sqlite3_open_v2(impl->uri.c_str(), &keep,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close_v2(keep);
            throw SqlError::make(4060, {impl->name});
        }
        impl->keepAlive = keep;
    } else {
        std::filesystem::path p(options.path);
        impl->path = options.path;
        impl->name = options.name.empty() ? p.stem().string() : options.name;
        impl->uri = fileUri(options.path);
        if (!std::filesystem::exists(p)) {
            if (!options.create) throw SqlError::make(4060, {impl->name});
            sqlite3* db = nullptr;
            int rc = sqlite3_open_v2(impl->uri.c_str(), &db,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
            if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
            sqlite3_close_v2(db);
            if (rc != SQLITE_OK) throw SqlError::make(4060, {impl->name});
        }
    }
    return std::shared_ptr<Database>(new Database(std::move(impl)));
}

const std::string& Database::name() const {
    return impl_->name;
}
const std::string& Database::serverName() const {
    return impl_->serverName;
}

std::unique_ptr<Session> Database::connect(const std::string& login) {
    sqlite3* db = openConnection(*impl_);
    int spid = impl_->nextSpid++;
    std::shared_ptr<Database> self = shared_from_this();
    try {
        if (!impl_->memory) execSql(db, "PRAGMA journal_mode=WAL");
        execSql(db, "PRAGMA foreign_keys=ON");
        registerSqliteFunctions(db);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    auto impl = std::make_unique<Session::Impl>(self, db, login, spid);
    engine::registerSessionFunctions(db, impl.get());
    engine::registerSystemViewFunctions(db);
    engine::registerCatalogFunctions(db);
    impl->catalog.initialise();
    return std::make_unique<Session>(std::move(impl));
}

Session::Impl::Impl(std::shared_ptr<Database> d, sqlite3* handle, std::string l, int id)
    : database(std::move(d))
    , db(handle)
    , login(std::move(l))
    , spid(id)
    , catalog(handle)
    , statements(handle) {}

Session::Impl::~Impl() {
    statements.clear();
    if (tranCount > 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
}

engine::Variable* Session::Impl::variable(std::string_view name) {
    auto it = variableIndex.find(engine::upper(name));
    return it == variableIndex.end() ? nullptr : &variables[it->second];
}

Session::Session(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)) {}
Session::~Session() = default;

const std::string& Session::login() const {
    return impl_->login;
}

BatchOutput Session::execute(std::string_view batch) {
    BatchOutput out;
    engine::Batch parsed;
    try {
        parsed = engine::parseBatch(batch);
    } catch (const SqlError& e) {
        BatchEvent ev;
        ev.message = {e.number(), e.severity(), e.state(), e.line(), e.message()};
        out.events.push_back(std::move(ev));
        impl_->error = e.number();
        return out;
    } catch (const std::out_of_range&) {
        // A number too large for any type, e.g. in IDENTITY(seed, increment).
        BatchEvent ev;
        ev.message = {8115, 16, 1, 0, "Arithmetic overflow error converting expression to data type bigint."};
        out.events.push_back(std::move(ev));
        impl_->error = 8115;
        return out;
    }
    engine::Executor ex(*impl_, out);
    ex.run(parsed);
    if (impl_->doomed) {
        // A CATCH block left the transaction uncommittable: it ends with the batch.
        ex.rollbackAll();
        const SqlError e = SqlError::make(3998);
        BatchEvent ev;
        ev.message = {e.number(), e.severity(), e.state(), 0, e.message()};
        out.events.push_back(std::move(ev));
        impl_->error = e.number();
    }
    return out;
}

} // namespace tsql
