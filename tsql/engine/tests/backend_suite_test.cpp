//! The tests every platform/db backend passes, run on the embedded engine.

#include "backend_suite.h"

#include "tsql/backend.h"
#include "tsql/engine.h"

#include <atomic>
#include <filesystem>
#include <unistd.h>

namespace {

namespace db = platform::db;
namespace fs = std::filesystem;

//! A folder of fresh databases, removed when the tests end.
fs::path dataDir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("tsql-suite-" + std::to_string(::getpid()));
        fs::create_directories(d);
        std::atexit(
            [] { fs::remove_all(fs::temp_directory_path() / ("tsql-suite-" + std::to_string(::getpid()))); });
        return d;
    }();
    return dir;
}

db::testing::BackendUnderTest embedded() {
    db::testing::BackendUnderTest b;
    b.name = "embedded";
    b.open = [] {
        static std::atomic<int> counter{0};
        tsql::registerEmbeddedBackend();
        std::string name = "suite" + std::to_string(++counter);
        tsql::DatabaseOptions create;
        create.path = (dataDir() / (name + ".db")).string();
        create.create = true;
        tsql::Database::open(create);
        db::ConnectionDescription d;
        d.backend = "embedded";
        d.server = "localhost";
        d.database = name;
        d.login = "sa";
        d.dataDir = dataDir().string();
        return db::connect(d);
    };
    b.textLiteral = db::testing::tsqlTextLiteral;
    b.binaryLiteral = db::testing::tsqlBinaryLiteral;
    b.print = [](std::string_view text) { return "PRINT " + db::testing::tsqlTextLiteral(text); };
    return b;
}

} // namespace

namespace platform::db::testing {
INSTANTIATE_TEST_SUITE_P(Embedded, BackendSuite, ::testing::Values(embedded()), backendName);
} // namespace platform::db::testing
