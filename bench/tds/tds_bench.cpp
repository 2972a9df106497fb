//! 10,000 keyed SELECTs and 10,000 INSERTs through FreeTDS's ODBC driver to tsql-server on loopback, and
//! the same statements through the embedded backend in this process. Prints calls per second, the time
//! per statement of each path and what the TDS round trip adds (goal: at most 50 µs). 10,000 times
//! SELECT 1 show the round trip with next to no work for the engine.
//!
//!   tds_bench [--statements N] [--rounds R] [--only nothing|select|insert]
//!   (R rounds of each, the cheapest counts; --only runs one kind of statement, for a profile)

#include "tsql/backend.h"
#include "tsql/engine.h"
#include "tsql/server/server.h"

#include "loopback.h"

#include "common/testing/temp_folder.h"
#include "platform/db/connection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

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

double cpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

//! Elapsed seconds and processor seconds: of the whole process (the client and, for TDS, the server's
//! thread) and of the calling thread alone (the client; for the embedded backend also the engine).
struct Cost {
    double wall = 0;
    double cpu = 0;
    double client = 0;
    double server() const { return cpu - client; }
};

//! The cost of `count` calls of `statement(k)`.
Cost timed(db::Connection& c, int count, const std::function<std::string(int)>& statement) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double client = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (int k = 0; k < count; ++k)
        c.execute(statement(k));
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu, cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - client};
}

struct Timing {
    Cost nothing; //!< SELECT 1: the round trip with next to no work for the engine
    Cost select;
    Cost insert;
};

//! The cheaper of two costs of the same work: the one that took less processor time.
const Cost& cheaper(const Cost& a, const Cost& b) {
    return b.cpu < a.cpu ? b : a;
}

//! The best of `rounds` runs of each statement, so that a burst of another program on the machine
//! does not count.
Timing measure(db::Connection& c, int count, int rounds, const std::string& only) {
    c.execute(kSchema);
    // A few rounds first, so that caches and the connection are warm.
    timed(c, 100,
          [](int k) { return "SELECT Cislo, Prijmeni FROM Zam WHERE ID = " + std::to_string(1 + k); });
    Timing best;
    for (int round = 0; round < rounds; ++round) {
        const auto wanted = [&](const char* kind) { return only.empty() || only == kind; };
        Timing t;
        if (wanted("nothing")) t.nothing = timed(c, count, [](int) { return std::string("SELECT 1 AS a"); });
        if (wanted("select"))
            t.select = timed(c, count, [](int k) {
                return "SELECT Cislo, Prijmeni FROM Zam WHERE ID = " + std::to_string(1 + (k * 7) % kRows);
            });
        if (wanted("insert"))
            t.insert = timed(c, count, [](int k) {
                return "INSERT Zam (Cislo, Prijmeni) VALUES (" + std::to_string(k) + ", N'Dvořák')";
            });
        if (round == 0)
            best = t;
        else
            best = {cheaper(best.nothing, t.nothing), cheaper(best.select, t.select),
                    cheaper(best.insert, t.insert)};
    }
    return best;
}

std::string loadAverage() {
    double load[3] = {};
    if (getloadavg(load, 3) != 3) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
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
    int rounds = 1;
    std::string only;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 < argc && std::strcmp(argv[i], "--statements") == 0) {
            count = std::max(1, std::stoi(argv[i + 1]));
        } else if (i + 1 < argc && std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::stoi(argv[i + 1]));
        } else if (i + 1 < argc && std::strcmp(argv[i], "--only") == 0 &&
                   (std::strcmp(argv[i + 1], "nothing") == 0 || std::strcmp(argv[i + 1], "select") == 0 ||
                    std::strcmp(argv[i + 1], "insert") == 0)) {
            only = argv[i + 1];
        } else {
            std::fprintf(stderr,
                         "usage: tds_bench [--statements N] [--rounds R] [--only nothing|select|insert]\n");
            return 2;
        }
    }
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

        const std::string loadBefore = loadAverage();
        const Timing local = measure(*db::connect(embedded), count, rounds, only);
        const Timing remote = measure(*db::connect(served), count, rounds, only);
        server.stop();
        // The sizes of a SELECT 1 request and its reply.
        const bench::LoopbackCost loopback = bench::measureLoopback(count, 56, 54);

        const auto us = [&](double seconds) { return seconds / count * 1e6; };
        std::printf(
            "%d statements each, best of %d round(s); server on %s; load average %s before, %s after\n",
            count, rounds, server.address().c_str(), loadBefore.c_str(), loadAverage().c_str());
        std::printf("wall: elapsed time; cpu: processor time of the process (client and server), which a\n"
                    "busy machine does not inflate\n\n");
        std::printf("%-14s %-5s %12s %12s %12s %12s %10s %8s\n", "statement", "clock", "embedded/s", "tds/s",
                    "embedded us", "tds us", "added us", "ratio");
        bool met = true;
        const auto row = [&](const char* name, const char* clock, double e, double t) {
            if (std::strcmp(clock, "cpu") == 0) met = met && us(t) - us(e) <= kGoalMicroseconds;
            std::printf("%-14s %-5s %12.0f %12.0f %12.1f %12.1f %10.1f %7.2fx\n", name, clock, count / e,
                        count / t, us(e), us(t), us(t) - us(e), t / e);
        };
        const std::pair<const char*, Cost Timing::*> statements[] = {
            {"SELECT 1", &Timing::nothing}, {"keyed SELECT", &Timing::select}, {"INSERT", &Timing::insert}};
        // A statement left out with --only has no cost.
        const auto ran = [&](Cost Timing::*cost) { return (remote.*cost).wall > 0; };
        for (const auto& [name, cost] : statements) {
            if (!ran(cost)) continue;
            row(name, "wall", (local.*cost).wall, (remote.*cost).wall);
            row(name, "cpu", (local.*cost).cpu, (remote.*cost).cpu);
        }
        std::printf(
            "\nprocessor time in us per statement: the TDS client (this thread: the ODBC layer, unixODBC,\n"
            "FreeTDS and their socket calls), the server's thread (socket calls, TDS and the engine) and\n"
            "what the server adds to the engine's work; loopback: a bare round trip of as many bytes\n"
            "between two threads, the kernel's share of every statement\n");
        std::printf("%-14s %10s %12s %12s %16s\n", "statement", "embedded", "tds client", "tds server",
                    "server-embedded");
        for (const auto& [name, cost] : statements) {
            if (!ran(cost)) continue;
            const Cost& e = local.*cost;
            const Cost& t = remote.*cost;
            std::printf("%-14s %10.1f %12.1f %12.1f %16.1f\n", name, us(e.cpu), us(t.client), us(t.server()),
                        us(t.server()) - us(e.cpu));
        }
        std::printf("%-14s %10s %12.1f %12.1f %16s   (wall %.1f us)\n", "loopback", "",
                    loopback.clientMicroseconds, loopback.serverMicroseconds, "", loopback.wallMicroseconds);
        std::printf("goal: the TDS round trip adds at most %.0f us of processor time per statement -> %s\n",
                    kGoalMicroseconds, met ? "met" : "NOT met");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tds_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
