#include "session.h"

#include "catalog_functions.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "parser.h"
#include "session_functions.h"
#include "system_views.h"
#include "tsql/sqlite.h"

#include <atomic>
#include <exception>
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

//! An exception a caller's sink threw, carried past the executor's handlers of engine errors (it is no
//! std::exception) to Session::execute, which throws the original again.
struct SinkFailure {
    std::exception_ptr error;
};

//! Passes every call on to the caller's sink, wrapping what it throws in SinkFailure.
class GuardedSink : public BatchSink {
public:
    GuardedSink(BatchSink& sink, std::uint64_t& calls)
        : sink_(sink)
        , calls_(calls) {}
    void onColumns(const std::vector<ResultColumn>& columns) override {
        guard([&] { sink_.onColumns(columns); });
    }
    void onRow(const std::vector<Value>& row) override {
        guard([&] { sink_.onRow(row); });
    }
    void onDone(long long rows) override {
        guard([&] { sink_.onDone(rows); });
    }
    void onMessage(const Message& message) override {
        guard([&] { sink_.onMessage(message); });
    }
    void onRowsAffected(long long rows) override {
        guard([&] { sink_.onRowsAffected(rows); });
    }
    bool cancelled() override {
        // Asked inside SQLite's progress handler too: nothing may leave it as an exception.
        try {
            return sink_.cancelled();
        } catch (...) {
            return true;
        }
    }
    //! SQLite's progress handler: interrupts the statement running once the sink cancels.
    static int progress(void* self) {
        auto* guarded = static_cast<GuardedSink*>(self);
        if (guarded->interrupted_ || !guarded->cancelled()) return 0;
        guarded->interrupted_ = true; // the rollbacks that follow must run
        return 1;
    }

private:
    template <class Call> void guard(const Call& call) {
        ++calls_;
        try {
            call();
        } catch (...) {
            throw SinkFailure{std::current_exception()};
        }
    }
    BatchSink& sink_;
    std::uint64_t& calls_;
    bool interrupted_ = false;
};

//! Keeps everything a batch produces as the events of a BatchOutput.
class Collector : public BatchSink {
public:
    explicit Collector(BatchOutput& out)
        : out_(out) {}
    void onColumns(const std::vector<ResultColumn>& columns) override {
        BatchEvent ev;
        ev.kind = BatchEvent::Kind::Rows;
        ev.rows.columns = columns;
        out_.events.push_back(std::move(ev));
    }
    void onRow(const std::vector<Value>& row) override { out_.events.back().rows.rows.push_back(row); }
    void onDone(long long) override {}
    void onMessage(const Message& message) override {
        BatchEvent ev;
        ev.message = message;
        out_.events.push_back(std::move(ev));
    }
    void onRowsAffected(long long rows) override { out_.rowsAffected = rows; }

private:
    BatchOutput& out_;
};

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
    // The limit of large values the type library checks, whatever SQLite was built with.
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, static_cast<int>(kMaxValueBytes));
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
    // Table variables (also those a cursor holds) drop their tables while the connection is open.
    variables.clear();
    cursors.reset();
    statements.clear();
    if (tranCount > 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
}

namespace engine {

std::size_t literalHash(const Value& v) {
    std::size_t h = std::hash<std::int64_t>{}(v.type().code());
    auto mix = [&](std::string_view bytes) {
        h ^= std::hash<std::string_view>{}(bytes) + 0x9e3779b9 + (h << 6);
    };
    if (std::holds_alternative<std::string>(v.payload())) {
        mix(v.asString());
    } else if (std::holds_alternative<Bytes>(v.payload())) {
        const Bytes& b = v.asBytes();
        mix(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
    } else if (std::holds_alternative<Guid>(v.payload())) {
        mix(guidToString(v.asGuid()));
    }
    return h;
}

void LiteralScope::drop() {
    for (std::size_t i = mark_; i < s_.literals.size(); ++i) {
        auto [from, to] = s_.literalIndex.equal_range(literalHash(s_.literals[i]));
        for (auto it = from; it != to; ++it)
            if (it->second == i) {
                s_.literalIndex.erase(it);
                break;
            }
    }
    s_.literals.resize(mark_);
}

} // namespace engine

std::optional<std::size_t> Session::Impl::slotOf(std::string_view name) const {
    for (std::size_t i = variables.size(); i-- > 0;)
        if (engine::equalsIgnoreCase(variables[i].name, name)) return i;
    return std::nullopt;
}

engine::Variable* Session::Impl::variable(std::string_view name) {
    const auto slot = slotOf(name);
    return slot ? &variables[*slot] : nullptr;
}

engine::Variable* Session::Impl::variableByName(std::string_view name, std::size_t& hint) {
    if (hint < variables.size() && engine::equalsIgnoreCase(variables[hint].name, name))
        return &variables[hint];
    engine::Variable* v = variable(name);
    if (v) hint = static_cast<std::size_t>(v - variables.data());
    return v;
}

Session::Session(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)) {}
Session::~Session() = default;

const std::string& Session::login() const {
    return impl_->login;
}

BatchOutput Session::execute(std::string_view batch) {
    BatchOutput out;
    Collector collector(out);
    execute(batch, collector);
    return out;
}

void Session::execute(std::string_view batch, BatchSink& sink) {
    std::shared_ptr<const engine::Batch> parsed;
    try {
        parsed = impl_->batches.parse(batch);
    } catch (const SqlError& e) {
        impl_->error = e.number();
        sink.onMessage(engine::messageOf(e));
        return;
    } catch (const std::out_of_range&) {
        // A number too large for any type, e.g. in IDENTITY(seed, increment).
        impl_->error = 8115;
        sink.onMessage(
            {8115, 16, 1, 0, "Arithmetic overflow error converting expression to data type bigint.", {}});
        return;
    }
    GuardedSink guarded(sink, impl_->clientCalls);
    sqlite3_progress_handler(impl_->db, 1000, GuardedSink::progress, &guarded);
    struct Detach {
        sqlite3* db;
        ~Detach() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
    } detach{impl_->db};
    // An interrupted write may have taken SQLite's transaction with it.
    auto resync = [&] {
        if (impl_->tranCount > 0 && sqlite3_get_autocommit(impl_->db)) {
            impl_->tranCount = 0;
            impl_->catalog.invalidate();
        }
    };
    // Variables belong to their batch; table variables drop their tables with them.
    auto endBatch = [&] { impl_->variables.clear(); };
    engine::Executor ex(*impl_, guarded);
    try {
        ex.run(*parsed);
    } catch (const engine::BatchCancelled&) {
        resync();
        if (impl_->doomed) ex.rollbackAll();
        endBatch();
        return;
    } catch (const SinkFailure& failure) {
        resync();
        if (impl_->doomed) ex.rollbackAll();
        endBatch();
        std::rethrow_exception(failure.error);
    }
    if (impl_->doomed) {
        // A CATCH block left the transaction uncommittable: it ends with the batch.
        ex.rollbackAll();
        const SqlError e = SqlError::make(3998);
        impl_->error = e.number();
        guarded.onMessage(engine::messageOf(e));
    }
    endBatch();
}

} // namespace tsql
