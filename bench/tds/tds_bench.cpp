//! 10,000 keyed SELECTs and 10,000 INSERTs through FreeTDS's ODBC driver to tsql-server on loopback, and
//! the same statements through the embedded backend in this process. Prints calls per second, the time
//! per statement of each path and what the TDS round trip adds (goal: at most 50 µs). 10,000 times
//! SELECT 1 show the round trip with next to no work for the engine.
//!
//!   tds_bench [--statements N]

#include "tsql/backend.h"
#include "tsql/engine.h"
#include "tsql/server/server.h"

#include "common/testing/temp_folder.h"
#include "platform/db/connection.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

namespace db = platform::db;

constexpr int kRows = 2000;
constexpr double kGoalMicroseconds = 50.0;
constexpr const char* kPassword = "Bench-123";

const char* kSchema =
    "CREATE TABLE Zam (ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK_Zam PRIMARY KEY,\n"
    "  Cislo INT NOT NULL, Prijmeni NVARCHAR(40) NOT NULL)\n"
    "DECLARE @i INT = 0\n"
    "BEGIN TRANSACTION\n"
    "WHILE @i < 2000 BEGIN INSERT Zam (Cislo, Prijmeni) VALUES (@i, N'Novák') SET @i = @i + 1 END\n"
    "COMMIT";

//! Wall-clock and CPU seconds (of the whole process: client and, for TDS, the server's threads too).
struct Cost {
    double wall = 0;
    double cpu = 0;
};

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

//! The cost of `count` calls of `statement(k)`.
Cost timed(db::Connection& c, int count, const std::function<std::string(int)>& statement) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = processCpuSeconds();
    for (int k = 0; k < count; ++k)
        c.execute(statement(k));
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            processCpuSeconds() - cpu};
}

struct Timing {
    Cost nothing; //!< SELECT 1: the round trip with next to no work for the engine
    Cost select;
    Cost insert;
};

Timing measure(db::Connection& c, int count) {
    c.execute(kSchema);
    // A few rounds first, so that caches and the connection are warm.
    timed(c, 100,
          [](int k) { return "SELECT Cislo, Prijmeni FROM Zam WHERE ID = " + std::to_string(1 + k); });
    Timing t;
    t.nothing = timed(c, count, [](int) { return std::string("SELECT 1 AS a"); });
    t.select = timed(c, count, [](int k) {
        return "SELECT Cislo, Prijmeni FROM Zam WHERE ID = " + std::to_string(1 + (k * 7) % kRows);
    });
    t.insert = timed(c, count, [](int k) {
        return "INSERT Zam (Cislo, Prijmeni) VALUES (" + std::to_string(k) + ", N'Dvořák')";
    });
    return t;
}

void createDatabase(const std::filesystem::path& file) {
    tsql::DatabaseOptions o;
    o.path = file.string();
    o.create = true;
    tsql::Database::open(o)->connect("sa");
}

} // namespace

int main(int argc, char** argv) {
    int count = 10000;
    if (argc == 3 && std::strcmp(argv[1], "--statements") == 0) count = std::stoi(argv[2]);
    try {
        common::testing::TempFolder folder("tds-bench");
        createDatabase(folder / "Embedded.db");
        createDatabase(folder / "Served.db");

        tsql::registerEmbeddedBackend();
        db::ConnectionDescription embedded;
        embedded.backend = "embedded";
        embedded.database = "Embedded";
        embedded.dataDir = folder.path().string();
        embedded.login = "sa";

        tsql::server::ServerOptions options;
        options.dataDir = folder.path().string();
        options.password = kPassword;
        tsql::server::Server server(options);
        server.start();
        db::ConnectionDescription served;
        served.driver = "FreeTDS";
        served.server = "127.0.0.1," + std::to_string(server.port());
        served.database = "Served";
        served.login = "sa";
        served.password = kPassword;

        const Timing local = measure(*db::connect(embedded), count);
        const Timing remote = measure(*db::connect(served), count);
        server.stop();

        std::printf("%d statements each; server on %s\n", count, server.address().c_str());
        std::printf("wall: elapsed time; cpu: processor time of the process (client and server), which a\n"
                    "busy machine does not inflate\n\n");
        std::printf("%-14s %-5s %12s %12s %12s %12s %10s %8s\n", "statement", "clock", "embedded/s", "tds/s",
                    "embedded us", "tds us", "added us", "ratio");
        bool met = true;
        const auto row = [&](const char* name, const char* clock, double e, double t) {
            const double eu = e / count * 1e6;
            const double tu = t / count * 1e6;
            if (std::strcmp(clock, "cpu") == 0) met = met && tu - eu <= kGoalMicroseconds;
            std::printf("%-14s %-5s %12.0f %12.0f %12.1f %12.1f %10.1f %7.2fx\n", name, clock, count / e,
                        count / t, eu, tu, tu - eu, t / e);
        };
        row("SELECT 1", "wall", local.nothing.wall, remote.nothing.wall);
        row("SELECT 1", "cpu", local.nothing.cpu, remote.nothing.cpu);
        row("keyed SELECT", "wall", local.select.wall, remote.select.wall);
        row("keyed SELECT", "cpu", local.select.cpu, remote.select.cpu);
        row("INSERT", "wall", local.insert.wall, remote.insert.wall);
        row("INSERT", "cpu", local.insert.cpu, remote.insert.cpu);
        std::printf("goal: the TDS round trip adds at most %.0f us of processor time per statement -> %s\n",
                    kGoalMicroseconds, met ? "met" : "NOT met");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tds_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
